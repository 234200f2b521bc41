#include "corelib/pictures/picture_hooks.h"

#include "corelib/pictures/detect_picture.h"
#include "corelib/pictures/dib_export.h"
#include "corelib/pictures/display_picture.h"
#include "corelib/pictures/load_picture.h"
#include "platform/windowing/windows.h"
#include "runtime/system_hooks.h"

namespace corelib {

using namespace platform;

namespace {

// What pictures sent through the notification interface are laid over.
constexpr COLORREF kWhite = RGB(255, 255, 255);

HBITMAP IconOnWhite(HDC screen, DisplayPicture display) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, display.width, display.height);
    if (!bitmap)
        return nullptr;
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, display.width, display.height, WHITENESS);
    display.dc = memory;
    DrawPicture(display, 0, 0, -1, -1, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

}  // namespace

HBITMAP PictureToBitmap(const uint8_t* bytes, uint32_t length, COLORREF background) {
    if (DetectPicture(bytes, length) == PICTURE_NONE)
        return nullptr;
    PictureRecord* record = LoadPictureMemory(bytes, length);
    if (!record)
        return nullptr;
    HDC screen = GetDC(nullptr);
    DisplayPicture display;
    HBITMAP result = nullptr;
    if (screen &&
        MakeDisplayPicture(PictureTarget{screen, nullptr}, record, &display, background)) {
        const bool icon = display.kind == PICTURE_ICO || display.kind == PICTURE_CUR;
        result = icon ? IconOnWhite(screen, display) : display.bitmap;
    }
    if (screen)
        ReleaseDC(nullptr, screen);
    ReleasePicture(record);
    return result;
}

void InstallPictureHooks() {
    rt::PictureHooks hooks;
    hooks.pictureToBitmap = [](const void* data, uint32_t size) {
        return rt::NativeHandle(PictureToBitmap(static_cast<const uint8_t*>(data), size, kWhite));
    };
    hooks.bitmapToBmp = [](rt::NativeHandle bitmap) {
        return rt::NativeHandle(BitmapToBmpBlock(reinterpret_cast<HBITMAP>(bitmap)));
    };
    hooks.releasePicture = [](void* record) {
        ReleasePicture(static_cast<PictureRecord*>(record));
    };
    rt::SetPictureHooks(hooks);
}

}  // namespace corelib
