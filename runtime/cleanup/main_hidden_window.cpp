#include "runtime/cleanup/main_hidden_window.h"

#include "platform/windowing/windows.h"
#include "runtime/application_object.h"

namespace rt {

bool MainHiddenWindow::RegisterWindowClass() {
    platform::WNDCLASS windowClass;
    if (platform::GetClassInfo(nullptr, kMainHiddenWindowClass, &windowClass))
        return true;
    windowClass = platform::WNDCLASS{};
    windowClass.lpfnWndProc = &MainHiddenWindow::Procedure;
    windowClass.lpszClassName = kMainHiddenWindowClass;
    return platform::RegisterClass(&windowClass) != 0;
}

void MainHiddenWindow::UnregisterWindowClass(intptr_t) {
    platform::UnregisterClass(kMainHiddenWindowClass, nullptr);
}

MainHiddenWindow* MainHiddenWindow::Create(EndRequestHandler onEndRequest) {
    if (!RegisterWindowClass())
        return nullptr;
    // Never shown: a pop-up without WS_VISIBLE keeps the window off the
    // screen and out of the task list.
    platform::HWND hwnd = platform::CreateWindowEx(
        platform::WS_EX_TOOLWINDOW, kMainHiddenWindowClass, "picbatch", platform::WS_POPUP, 0, 0, 1,
        1, nullptr, nullptr, nullptr, nullptr);
    if (!hwnd)
        return nullptr;
    auto* window = new MainHiddenWindow(onEndRequest);
    if (!window->Attach(reinterpret_cast<NativeHandle>(hwnd))) {
        delete window;
        platform::DestroyWindow(hwnd);
        return nullptr;
    }
    return window;
}

MainHiddenWindow::~MainHiddenWindow() {
    auto hwnd = reinterpret_cast<platform::HWND>(Detach());
    if (hwnd && platform::IsWindow(hwnd))
        platform::DestroyWindow(hwnd);
}

void MainHiddenWindow::EndProgram(int32_t exitCode) {
    ApplicationObject& app = ApplicationObject::Instance();
    // The request can arrive while the clean-up itself processes pending
    // messages (an exit routine waiting with events); ending the process
    // here would cut that clean-up short.
    if (app.CleanupStarted())
        return;
    app.Exit(exitCode);
}

intptr_t MainHiddenWindow::Procedure(void* hwnd, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam) {
    if (message == kEndProgramRequest) {
        auto* window = dynamic_cast<MainHiddenWindow*>(
            WindowObject::AttachedTo(reinterpret_cast<NativeHandle>(hwnd)));
        if (window && window->onEndRequest_)
            window->onEndRequest_(int32_t(uint32_t(wParam)));
        return 0;
    }
    return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace rt
