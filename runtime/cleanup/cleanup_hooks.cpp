#include "runtime/cleanup/cleanup_hooks.h"

#include <cstdio>
#include <cstdlib>

#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/cleanup/main_hidden_window.h"
#include "runtime/system_hooks.h"

namespace rt {
namespace {

[[noreturn]] void EndProcessAtOnce(int32_t exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace

bool HandOffToInterfaceThread(int32_t exitCode) {
    ApplicationObject& app = ApplicationObject::Instance();
    if (!app.InterfaceThreadRecorded() || app.OnInterfaceThread())
        return false;
    auto hidden = reinterpret_cast<platform::HWND>(app.MainHiddenWindow());
    bool posted = hidden && platform::PostMessage(hidden, kEndProgramRequest,
                                                  platform::WPARAM(uint32_t(exitCode)), 0);
    // Nobody to ask and nobody cleaning up: end here, without the clean-up
    // that only the user-interface thread may run.
    if (!posted && !app.CleanupStarted())
        EndProcessAtOnce(exitCode);
    if (!app.WaitForCleanup(kInterfaceThreadGrace))
        EndProcessAtOnce(exitCode);
    return true;
}

bool InstallCleanupHooks() {
    ApplicationObject& app = ApplicationObject::Instance();
    app.RecordInterfaceThread();
    CleanupHooks hooks = Cleanup();
    hooks.handOffToInterfaceThread = &HandOffToInterfaceThread;
    SetCleanupHooks(hooks);
    if (app.MainHiddenWindow())
        return true;
    MainHiddenWindow* window = MainHiddenWindow::Create(&MainHiddenWindow::EndProgram);
    if (!window)
        return false;
    app.SetPlatformFacility(1, 1, &MainHiddenWindow::UnregisterWindowClass);
    app.SetMainHiddenWindow(window->Handle(), window);
    return true;
}

}  // namespace rt
