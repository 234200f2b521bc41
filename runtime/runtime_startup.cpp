// Start-up of the runtime system core: where the program lives, the road
// runtime reports take, and the announcement to every support library.
#include "platform/loader/executable_path.h"
#include "runtime/application_object.h"
#include "runtime/fatal_error.h"
#include "runtime/termination.h"

namespace rt {
namespace {

void ReportThroughFatalPath(const char* heading, uint32_t code, const char* message, int status) {
    EndWithReport(heading, code, message, status);
}

}  // namespace

void StartRuntimeSystem() {
    ApplicationObject& app = ApplicationObject::Instance();
    platform::ExecutableLocation location = platform::LocateExecutable();
    app.SetProgramLocation(location.directory, location.fileName);
    SetTerminationHandler(&ReportThroughFatalPath);
    app.AnnounceSystem(&SystemNotify);
}

}  // namespace rt
