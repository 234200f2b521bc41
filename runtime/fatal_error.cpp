#include "runtime/fatal_error.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/msgbox/message_box.h"
#include "runtime/application_object.h"
#include "runtime/exit_routines.h"

namespace rt {
namespace {

// The application's hook is never re-entered: a fatal error raised from
// inside it goes straight to the report.
std::atomic<bool> g_hookRunning{false};
// Set once the program is on its way out; a second report during the
// clean-up ends the process at once instead of cleaning up twice.
std::atomic<bool> g_ending{false};

bool DebuggerAttached() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("TracerPid:", 0) == 0)
            return std::atoi(line.c_str() + 10) != 0;
    }
    return false;
}

[[noreturn]] void EndProcess(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace

std::string BuildFatalReport(const char* heading, uint32_t code, const char* message) {
    std::string report = heading ? heading : kFatalErrorHeading;
    if (code != 0)
        report += "\n\nError code: " + std::to_string(code) + ".";
    if (message && *message)
        report += "\n\nDetails: " + std::string(message);
    return report;
}

void EndWithReport(const char* heading, uint32_t code, const char* message, int status) {
    std::string report = BuildFatalReport(heading, code, message);
    if (g_ending.exchange(true)) {
        std::fprintf(stderr, "%s\n", report.c_str());
        EndProcess(status);
    }
    ApplicationObject& app = ApplicationObject::Instance();
    platform::ShowMessageBox(
        0, report, kFatalErrorTitle,
        platform::MB_BUTTONS_OK | platform::MB_ICON_ERROR | platform::MB_TASK_MODAL);
    if (app.RunMode() == 2 && DebuggerAttached())
        std::raise(SIGTRAP);
    DiscardExitRoutines();
    app.ShutdownRuntime(status);
    EndProcess(status);
}

void ApplicationObject::FatalError(const char* text, uint32_t code) {
    ++eventBlockCount_;
    if (fatalErrorHook_ && !g_hookRunning.exchange(true)) {
        int32_t handled = fatalErrorHook_(code, text ? text : "");
        g_hookRunning = false;
        if (handled)
            return;
    }
    EndWithReport(kFatalErrorHeading, code, text, -1);
}

void ApplicationObject::Exit(int32_t exitCode) {
    ShutdownRuntime(exitCode);
    EndProcess(exitCode);
}

}  // namespace rt
