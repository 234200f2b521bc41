#include "app_test_support.h"

#include <mutex>

#include "app/external_routines.h"
#include "platform/base/text_codec.h"
#include "platform/loader/executable_path.h"
#include "runtime/application_object.h"
#include "runtime/services.h"

namespace app::testing {

void StartPlatformOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        // What start-up records first: the program directory is where the
        // binder finds the platform libraries.
        platform::ExecutableLocation location = platform::LocateExecutable();
        rt::ApplicationObject::Instance().SetProgramLocation(location.directory, location.fileName);
        InstallExternalRoutines();
        static uintptr_t token = 0;
        uint8_t input[16] = {1};
        CallExternal(EXT_IMAGING_STARTUP, &token, input, nullptr);
    });
}

rt::Text Text(const std::string& utf8) {
    return rt::NewText(platform::Utf8ToRuntime(utf8).c_str());
}

}  // namespace app::testing
