// picbatch-conventions-demo: one window that shows every keyboard and mouse
// convention of picbatch's windows: Tab and Shift+Tab in tab order, Enter
// on the default button, Escape to close, F1 for help, Alt+letter
// mnemonics on labels, buttons, option buttons and a check box, arrow keys
// among option buttons, a menu bar with nested pop-ups opened by Alt+F,
// Alt+E and Alt+H, accelerators (Ctrl+O, Ctrl+S, Alt+F4), and dragging the
// window by its empty client area.
//   picbatch-conventions-demo                    a window (on the display if any)
//   picbatch-conventions-demo --screenshot FILE  draw in memory, write FILE, exit
//   --headless                                   never open the display
//   --close-after MS                             close the window after MS ms
// Every convention that fires is printed as "status: ..." on standard output.
// Exit status: 0 after the window closed, 1 when it could not be made or
// the screenshot not written, 2 for a wrong command line.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/controls/controls.h"
#include "platform/shell/shell_open.h"
#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/cleanup/cleanup_hooks.h"
#include "runtime/event_call.h"
#include "runtime/framework/window_loader.h"
#include "runtime/input/pre_translate.h"
#include "runtime/menubar/menu_bar_hooks.h"
#include "runtime/system_hooks.h"
#include "runtime/unit_entry.h"
#include "tools/conventions-demo/demo_description.h"
#include "tools/conventions-demo/demo_handlers.h"
#include "tools/conventions-demo/demo_units.h"

using namespace platform;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: picbatch-conventions-demo [--headless] [--screenshot FILE] "
                 "[--close-after MS]\n");
    return 2;
}

// Takes one message through the window's conventions, then dispatches what
// they leave.
void Deliver(MSG* msg) {
    auto preTranslate = rt::Input().preTranslateInput;
    if (!preTranslate || !preTranslate(msg)) {
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    demo::ReportFocus();
    demo::ReportHelp();
}

void PumpPending() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
        Deliver(&msg);
}

// Without a desktop opener on the PATH, help cannot be shown; the status
// line says so instead of F1 seeming to do nothing.
bool HaveDesktopOpener() {
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t end = directories.find(':', start);
        std::string directory = directories.substr(start, end - start);
        if (!directory.empty() && access((directory + "/xdg-open").c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

void ReportMissingOpener() {
    if (HaveDesktopOpener())
        return;
    shell::SetLauncher([](const shell::Launch& launch) {
        demo::ShowStatus("Help: no desktop opener (xdg-open) to show " + launch.argv.back());
        return false;
    });
}

// The native-window side of the system that the window framework fills in
// a full program; the framework's loader makes the windows.
void InstallNativeWindows() {
    rt::NativeWindowHooks natives;
    natives.windowExists = [](rt::NativeHandle handle) {
        return IsWindow(reinterpret_cast<HWND>(handle));
    };
    natives.destroyWindow = [](rt::NativeHandle handle) {
        DestroyWindow(reinterpret_cast<HWND>(handle));
    };
    natives.releaseUnitHandle = [](uint32_t type, rt::NativeHandle handle) {
        if (type == rt::WINDOW_UNIT_TYPE)
            rt::DestroyWindowAccelerators(handle);
    };
    natives.processPendingMessages = &PumpPending;
    natives.loadWindow = &rt::LoadWindowUnits;
    natives.showAndActivate = [](rt::NativeHandle handle) {
        auto hwnd = reinterpret_cast<HWND>(handle);
        ShowWindow(hwnd, SW_SHOW);
        SetActiveWindow(hwnd);
    };
    rt::SetNativeWindowHooks(natives);
}

HWND UnitWindow(rt::ApplicationObject& app, uint32_t unitId) {
    auto* object = reinterpret_cast<rt::WindowObject*>(
        app.Handle(rt::SN_FIND_UNIT_OBJECT, demo::kWindowId, unitId));
    return object ? reinterpret_cast<HWND>(object->Handle()) : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    bool headless = false;
    int closeAfter = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--headless")) {
            headless = true;
        } else if (!std::strcmp(argv[i], "--screenshot") && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (!std::strcmp(argv[i], "--close-after") && i + 1 < argc) {
            closeAfter = std::atoi(argv[++i]);
        } else {
            return Usage();
        }
    }
    PresentationMode mode = SetPresentationMode(
        headless || !screenshot.empty() ? PresentationMode::Memory : PresentationMode::Automatic);
    if (mode == PresentationMode::Memory && screenshot.empty() && closeAfter <= 0) {
        std::fprintf(stderr, "picbatch-conventions-demo: no display; use --screenshot FILE\n");
        return 2;
    }

    rt::ApplicationObject& app = rt::ApplicationObject::Instance();
    app.SetLibrary(0, &demo::DemoLibrary());
    rt::StartRuntimeSystem();
    InstallNativeWindows();
    ReportMissingOpener();
    rt::InstallInputHooks();
    rt::InstallMenuBarHooks();
    if (!rt::InstallCleanupHooks())
        std::fprintf(stderr, "picbatch-conventions-demo: no hidden main window\n");
    RegisterStandardControls();
    EnsureWindowClass(demo::kFormClass, &demo::FormProcedure, COLOR_BTNFACE);

    uintptr_t loadRequest[3] = {demo::kWindowId, 0, 0};
    if (!demo::InstallDemoWindow(app) ||
        app.Handle(rt::SN_LOAD_WINDOW, reinterpret_cast<intptr_t>(loadRequest), 0) != 0) {
        std::fprintf(stderr, "picbatch-conventions-demo: cannot create the window\n");
        app.ShutdownRuntime(1);
        return 1;
    }
    // The load handler runs before any other, as the window framework runs
    // it.
    rt::EventCall load{};
    load.windowId = demo::kWindowId;
    app.Handle(rt::SN_CALL_EVENT, reinterpret_cast<intptr_t>(&load), 0);
    HWND window = UnitWindow(app, 0);
    SetFocus(UnitWindow(app, demo::UNIT_NAME));
    UpdateWindow(window);
    PumpPending();

    if (!screenshot.empty()) {
        std::string error;
        bool ok = SaveWindowScreenshot(window, screenshot, &error);
        if (!ok)
            std::fprintf(stderr, "picbatch-conventions-demo: %s: %s\n", screenshot.c_str(),
                         error.c_str());
        DestroyWindow(window);
        app.ShutdownRuntime(ok ? 0 : 1);
        return ok ? 0 : 1;
    }
    if (closeAfter > 0)
        SetTimer(window, 1, uint32_t(closeAfter), nullptr);
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0)
        Deliver(&msg);
    int exitCode = int(msg.wParam);
    app.ShutdownRuntime(exitCode);
    return exitCode;
}
