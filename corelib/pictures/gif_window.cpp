// GifPicture's window: its class, its painting and its life cycle.
#include <mutex>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_record.h"

namespace corelib {

using namespace platform;

namespace {

constexpr const char* kClassName = "PicbatchGifPicture";

}  // namespace

struct GifPictureWindowClass {
    static LRESULT Procedure(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<GifPicture*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
        switch (message) {
            case WM_NCCREATE: {
                auto* create = reinterpret_cast<const CREATESTRUCT*>(lParam);
                self = static_cast<GifPicture*>(create->lpCreateParams);
                SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<intptr_t>(self));
                self->window_ = hwnd;
                break;
            }
            case WM_PAINT:
                if (self) {
                    self->Paint();
                    return 0;
                }
                break;
            case WM_SIZE:
                InvalidateRect(hwnd, nullptr, true);
                return 0;
            case WM_DESTROY:
                if (self)
                    self->StopAnimation();
                break;
            case WM_NCDESTROY:
                if (self)
                    self->window_ = nullptr;
                SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
                break;
            default:
                break;
        }
        return DefWindowProc(hwnd, message, wParam, lParam);
    }

    static void Register() {
        static std::once_flag once;
        std::call_once(once, [] {
            WNDCLASS windowClass;
            windowClass.style = CS_HREDRAW | CS_VREDRAW;
            windowClass.lpfnWndProc = Procedure;
            windowClass.lpszClassName = kClassName;
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
            RegisterClass(&windowClass);
        });
    }
};

GifPicture::GifPicture() = default;

GifPicture::~GifPicture() {
    StopAnimation();
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
    window_ = nullptr;
    {
        std::lock_guard hold(busy_);
        DeleteCanvasLocked();
    }
    FreeData();
}

HWND GifPicture::Create(HWND parent, int x, int y, int width, int height, uint32_t style) {
    if (window_)
        return nullptr;
    GifPictureWindowClass::Register();
    return CreateWindowEx(0, kClassName, "", style, x, y, width, height, parent, nullptr, nullptr,
                          this);
}

void GifPicture::SetLayout(int32_t mode) {
    if (mode < GIF_LAYOUT_NATURAL || mode > GIF_LAYOUT_FILL || mode == layout_.load())
        return;
    layout_ = mode;
    if (window_)
        InvalidateRect(window_, nullptr, true);
}

void GifPicture::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (dc) {
        RECT client;
        GetClientRect(window_, &client);
        SetStretchBltMode(dc, GetDeviceCaps(dc, BITSPIXEL) > 16 ? HALFTONE : COLORONCOLOR);
        std::lock_guard hold(busy_);
        DrawCanvasLocked(dc, client.right, client.bottom);
    }
    EndPaint(window_, &paint);
    StartAnimation();
}

}  // namespace corelib
