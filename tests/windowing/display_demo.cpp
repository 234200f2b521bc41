// windowing-display-demo: a main window and, shown by a worker thread, a
// message box with a Chinese text over it: the windows of two threads on
// one display. For checking by eye or under Xvfb with xdotool; not
// installed.
//
//   windowing-display-demo [--close-after MS]
//
// Prints "message box answered N" when the box is answered.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/base/text_codec.h"
#include "platform/dialogs/message_box_dialog.h"
#include "platform/windowing/windows.h"

using namespace platform;

namespace {

LRESULT DemoProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            HFONT font = CreateFont(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "");
            HGDIOBJ old = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            TextOutUtf8(dc, 20, 20, "Main window (main thread)");
            TextOutUtf8(dc, 20, 50, "文件：照片 001.jpg → png/照片 001.png");
            SelectObject(dc, old);
            DeleteObject(font);
            EndPaint(hwnd, &paint);
            return 0;
        }
        default:
            return MainWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int closeAfter = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--close-after") && i + 1 < argc) {
            closeAfter = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: windowing-display-demo [--close-after MS]\n");
            return 2;
        }
    }
    if (SetPresentationMode(PresentationMode::Automatic) != PresentationMode::Display) {
        std::fprintf(stderr, "windowing-display-demo: no display\n");
        return 2;
    }
    EnsureWindowClass("PicbatchDisplayDemo", DemoProc, COLOR_WINDOW);
    std::string title = Utf8ToRuntime("picbatch demo 演示");
    HWND window =
        CreateWindowEx(0, "PicbatchDisplayDemo", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                       60, 60, 560, 360, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "windowing-display-demo: cannot create the window\n");
        return 1;
    }
    if (closeAfter > 0)
        SetTimer(window, 1, uint32_t(closeAfter),
                 [](HWND hwnd, uint32_t, uintptr_t, uint32_t) { DestroyWindow(hwnd); });

    std::atomic<bool> answered{false};
    std::thread worker([window, &answered] {
        std::string text =
            Utf8ToRuntime("转换完成：3 个文件已转换，0 个失败。\n输出文件夹：/tmp/照片/png");
        std::string boxTitle = Utf8ToRuntime("picbatch 完成");
        int result =
            dialogs::ShowMessageBoxDialog(reinterpret_cast<uintptr_t>(window), text, boxTitle,
                                          dialogs::MB_OK | dialogs::MB_ICONINFORMATION);
        std::printf("message box answered %d\n", result);
        std::fflush(stdout);
        answered = true;
    });

    RunMessageLoop();
    // A box still open when the main window goes ends with the process.
    if (answered) {
        worker.join();
    } else {
        worker.detach();
    }
    return 0;
}
