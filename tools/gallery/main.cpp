// picbatch-gallery: one window showing the standard controls in their
// states, a menu bar, and the drawing primitives.
//   picbatch-gallery                      a window (on the display if any)
//   picbatch-gallery --screenshot FILE    draw in memory, write FILE, exit
//   --headless                            never open the display
//   --close-after MS                      close the window after MS ms
//   --skin N                              instead, every skinned control in
//                                         every state, in colour scheme N
//                                         (1 blue, 2 olive green, 3 silver;
//                                         0 the platform's own look)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "libs/desktop/skin/skin_library.h"
#include "platform/controls/control_gallery.h"
#include "platform/windowing/windows.h"
#include "tools/gallery/gallery_painter.h"
#include "tools/gallery/skin_sheet.h"

using namespace platform;

namespace {

constexpr int kPrimitivesWidth = 800;
constexpr int kPrimitivesHeight = 600;
constexpr int kControlsWidth = 620;

LRESULT PrimitivesProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            RECT client;
            GetClientRect(hwnd, &client);
            gallery::PaintGallery(dc, client.right, client.bottom);
            EndPaint(hwnd, &paint);
            return 0;
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

LRESULT GalleryProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            DestroyWindow(hwnd);
            return 0;
        default:
            return MainWindowProc(hwnd, message, wParam, lParam);
    }
}

int Usage() {
    std::fprintf(stderr,
                 "usage: picbatch-gallery [--headless] [--screenshot FILE] [--close-after MS] "
                 "[--skin N]\n"
                 "  --skin N  the skinned controls in scheme N (1 blue, 2 olive green, 3 silver,\n"
                 "            0 unskinned)\n"
                 "exit status: 0 done, 1 the window or the screenshot failed, 2 bad usage\n");
    return 2;
}

// The controls with their menu bar fill the window; the primitives sit to
// their right, inside the controls' panel.
HWND CreateControlGalleryWindow() {
    HWND window =
        CreateWindowEx(0, "PicbatchGallery", "picbatch gallery", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                       80, 60, kControlsWidth + kPrimitivesWidth, kPrimitivesHeight + 40, nullptr,
                       nullptr, nullptr, nullptr);
    HWND panel = window ? FillControlGallery(window) : nullptr;
    HWND primitives = panel ? CreateWindowEx(0, "PicbatchPrimitives", "", WS_CHILD | WS_VISIBLE,
                                             kControlsWidth, 0, kPrimitivesWidth, kPrimitivesHeight,
                                             panel, nullptr, nullptr, nullptr)
                            : nullptr;
    return primitives ? window : nullptr;
}

// The skin sheet in a window of its own, skinned the way the application
// skins its start window: once its controls exist, on their thread.
HWND CreateSkinSheetWindow(int scheme) {
    HWND window = CreateWindowEx(0, "PicbatchGallery", "picbatch gallery: skin",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 60, gallery::kSkinSheetWidth,
                                 gallery::kSkinSheetHeight, nullptr, nullptr, nullptr, nullptr);
    HWND panel = window ? gallery::FillSkinSheet(window) : nullptr;
    if (!panel)
        return nullptr;
    rt::ArgRecord arg = rt::ArgRecord::Int(scheme);
    rt::ResultSlot result;
    desktop::SetSkinScheme(&result, 1, &arg);
    gallery::ShowSkinSheetStates(panel);
    return window;
}

bool ParseScheme(const char* text, int* scheme) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < 0 || value > 3)
        return false;
    *scheme = int(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    bool headless = false;
    int closeAfter = 0;
    int skinScheme = -1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--headless")) {
            headless = true;
        } else if (!std::strcmp(argv[i], "--screenshot") && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (!std::strcmp(argv[i], "--close-after") && i + 1 < argc) {
            closeAfter = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--skin") && i + 1 < argc) {
            if (!ParseScheme(argv[++i], &skinScheme)) {
                std::fprintf(stderr, "picbatch-gallery: --skin %s: the scheme is 0, 1, 2 or 3\n",
                             argv[i]);
                return 2;
            }
        } else {
            return Usage();
        }
    }
    // A screenshot is drawn in memory; only an interactive run needs the
    // display.
    PresentationMode mode = SetPresentationMode(
        headless || !screenshot.empty() ? PresentationMode::Memory : PresentationMode::Automatic);
    // Without a display an interactive run would wait for input that can
    // never come.
    if (mode == PresentationMode::Memory && screenshot.empty() && closeAfter <= 0) {
        std::fprintf(stderr, "picbatch-gallery: no display; use --screenshot FILE\n");
        return 2;
    }

    EnsureWindowClass("PicbatchGallery", GalleryProc, COLOR_WINDOW);
    EnsureWindowClass("PicbatchPrimitives", PrimitivesProc, COLOR_WINDOW);

    HWND window =
        skinScheme >= 0 ? CreateSkinSheetWindow(skinScheme) : CreateControlGalleryWindow();
    if (!window) {
        std::fprintf(stderr, "picbatch-gallery: cannot create the window\n");
        return 1;
    }
    UpdateWindow(window);
    // Children paint through their own messages: let every pending one run
    // before the picture is taken.
    MSG pending;
    while (PeekMessage(&pending, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&pending);
        DispatchMessage(&pending);
    }
    if (!screenshot.empty()) {
        std::string error;
        bool ok = SaveWindowScreenshot(window, screenshot, &error);
        DestroyWindow(window);
        if (!ok) {
            std::fprintf(stderr, "picbatch-gallery: %s: %s\n", screenshot.c_str(), error.c_str());
            return 1;
        }
        return 0;
    }
    if (closeAfter > 0)
        SetTimer(window, 1, uint32_t(closeAfter), nullptr);
    RunMessageLoop();
    return 0;
}
