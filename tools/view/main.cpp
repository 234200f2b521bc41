// picbatch-view: shows one picture the runtime reads, animating GIFs.
//   picbatch-view FILE [--layout N] [--screenshot OUT.png] [--frames N]
//                      [--size WxH]
// With a display the window stays until it is closed, or with --screenshot
// until N frames have been shown. Without one, --screenshot draws the
// picture in memory as the window would show it after N frames.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/graphics/png_writer.h"
#include "platform/windowing/windows.h"
#include "tools/view/view_options.h"
#include "tools/view/viewed_picture.h"

using namespace platform;

namespace {

constexpr const char* kClassName = "PicbatchView";
constexpr uintptr_t kScreenshotTimer = 1;
constexpr int kLargestWindow = 1200;

struct ViewState {
    view::ViewOptions options;
    view::ViewedPicture* picture = nullptr;
    HWND gifWindow = nullptr;
    bool painted = false;
    int exitCode = 0;
};
ViewState g_state;

// The picture as the window shows it, drawn in memory and written as PNG.
int WriteWithoutDisplay(view::ViewedPicture& picture, int cw, int ch) {
    HBITMAP surface = CreateBitmap(cw, ch, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, surface);
    RECT all{0, 0, cw, ch};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    const view::ViewOptions& o = g_state.options;
    if (picture.isGif()) {
        corelib::GifPicture& gif = picture.gif();
        if (!gif.singleImage()) {
            for (int i = 0; i < o.frames; ++i)
                gif.ComposeNextFrame();
        }
        gif.SetLayout(o.layout);
        SetStretchBltMode(dc, HALFTONE);
        gif.DrawCanvas(dc, cw, ch);
    } else {
        picture.PaintStill(dc, cw, ch, o.layout);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    std::string error;
    const bool ok = WritePng(BitmapPixels(surface), o.screenshot, &error);
    DeleteObject(surface);
    if (!ok) {
        std::fprintf(stderr, "picbatch-view: %s: %s\n", o.screenshot.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

void TakeScreenshotAndClose(HWND hwnd) {
    std::string error;
    if (!SaveWindowScreenshot(hwnd, g_state.options.screenshot, &error)) {
        std::fprintf(stderr, "picbatch-view: %s: %s\n", g_state.options.screenshot.c_str(),
                     error.c_str());
        g_state.exitCode = 1;
    }
    DestroyWindow(hwnd);
}

// Still pictures are ready once painted, animations after the frames asked
// for.
bool ReadyForScreenshot() {
    view::ViewedPicture& picture = *g_state.picture;
    if (!picture.isGif() || picture.gif().singleImage())
        return g_state.painted;
    return picture.gif().framesShown() >= uint64_t(g_state.options.frames);
}

LRESULT ViewProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            if (!g_state.picture->isGif()) {
                RECT client;
                GetClientRect(hwnd, &client);
                g_state.picture->PaintStill(dc, client.right, client.bottom,
                                            g_state.options.layout);
            }
            EndPaint(hwnd, &paint);
            g_state.painted = true;
            return 0;
        }
        case WM_SIZE:
            if (g_state.gifWindow)
                MoveWindow(g_state.gifWindow, 0, 0, LOWORD(uintptr_t(lParam)),
                           HIWORD(uintptr_t(lParam)), true);
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_TIMER:
            if (ReadyForScreenshot()) {
                KillTimer(hwnd, kScreenshotTimer);
                if (g_state.picture->isGif())
                    g_state.picture->gif().StopAnimation();
                TakeScreenshotAndClose(hwnd);
            }
            return 0;
        default:
            return MainWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    view::ViewOptions& o = g_state.options;
    if (!view::ParseViewOptions(argc, argv, &o))
        return 2;
    const PresentationMode mode = SetPresentationMode(PresentationMode::Automatic);
    if (mode == PresentationMode::Memory && o.screenshot.empty()) {
        std::fprintf(stderr, "picbatch-view: no display; use --screenshot OUT.png\n");
        return 2;
    }
    view::ViewedPicture picture;
    std::string error;
    if (!picture.Open(o.file, &error)) {
        std::fprintf(stderr, "picbatch-view: %s: %s\n", o.file.c_str(), error.c_str());
        return 1;
    }
    g_state.picture = &picture;
    const int cw = o.width ? o.width : std::clamp(picture.width(), 1, kLargestWindow);
    const int ch = o.height ? o.height : std::clamp(picture.height(), 1, kLargestWindow);
    if (mode == PresentationMode::Memory)
        return WriteWithoutDisplay(picture, cw, ch);

    EnsureWindowClass(kClassName, ViewProc, COLOR_WINDOW);
    const std::string title = "picbatch-view: " + o.file;
    HWND window = CreateWindowEx(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                 40, cw, ch, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "picbatch-view: cannot create the window\n");
        return 1;
    }
    if (picture.isGif()) {
        corelib::GifPicture& gif = picture.gif();
        gif.SetLayout(o.layout);
        g_state.gifWindow = gif.Create(window, 0, 0, cw, ch, WS_CHILD | WS_VISIBLE);
    }
    UpdateWindow(window);
    if (!o.screenshot.empty())
        SetTimer(window, kScreenshotTimer, 20, nullptr);
    RunMessageLoop();
    return g_state.exitCode;
}
