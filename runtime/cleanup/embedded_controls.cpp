#include "runtime/cleanup/embedded_controls.h"

#include <cstdint>

#include "platform/loader/dynamic_library.h"
#include "runtime/application_object.h"

namespace rt {
namespace {

using RegistrationEntry = int32_t (*)(const char* registrationName);

}  // namespace

EmbeddedControlResult RegisterEmbeddedControl(ApplicationObject& app,
                                              const std::string& registrationName,
                                              const std::string& libraryFile) {
    platform::LibraryHandle module =
        platform::OpenLibrary(app.EmbeddedControlLibraryPath(libraryFile));
    if (!module)
        return EmbeddedControlResult::LibraryNotFound;
    platform::RoutineLookup entry = platform::FindRoutine(module, kRegisterControlEntry);
    EmbeddedControlResult result = EmbeddedControlResult::NoRegistrationEntry;
    if (entry.address) {
        result = reinterpret_cast<RegistrationEntry>(entry.address)(registrationName.c_str()) == 0
                     ? EmbeddedControlResult::Registered
                     : EmbeddedControlResult::Refused;
    }
    platform::CloseLibrary(module);
    if (result == EmbeddedControlResult::Registered)
        app.AddEmbeddedControlRegistration(registrationName, libraryFile);
    return result;
}

EmbeddedControlResult RegisterEmbeddedControl(const std::string& registrationName,
                                              const std::string& libraryFile) {
    return RegisterEmbeddedControl(ApplicationObject::Instance(), registrationName, libraryFile);
}

}  // namespace rt
