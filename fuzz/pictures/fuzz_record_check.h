// What every picture loader must uphold on any input, checked the same way
// by each decoder's fuzz target: a record is complete and self-consistent,
// and it can be made into a display picture and drawn.
#pragma once

#include <cstdlib>

#include "corelib/pictures/display_picture.h"
#include "corelib/pictures/load_picture.h"
#include "corelib/pictures/picture_source.h"

namespace pictures_fuzz {

// The size a record of its kind must have (GIF: at least header and table).
inline bool SizeMatchesKind(const corelib::PictureRecord& r) {
    const uint64_t w = uint64_t(r.width), h = uint64_t(r.height);
    switch (r.kind) {
        case corelib::PICTURE_JPEG:
        case corelib::PICTURE_BMP:
            return r.size == w * h * 3;
        case corelib::PICTURE_PNG:
            return r.size == w * h * 4;
        case corelib::PICTURE_PCX1:
            return r.size == (w + 15) / 16 * 2 * h;
        case corelib::PICTURE_PCX8:
            return r.size == ((w + 3) & ~uint64_t(3)) * h + 1064;
        case corelib::PICTURE_GIF:
            return r.size > 25640;
        case corelib::PICTURE_ICO:
        case corelib::PICTURE_CUR:
            return r.icon && !r.pixels && r.size == 0;
        default:
            return false;
    }
}

// Loads `data` as `kind` (PICTURE_NONE: detect it) and checks the result;
// aborts so that the fuzzer reports the input.
inline void CheckLoad(const uint8_t* data, size_t size, corelib::PictureKind kind) {
    corelib::PictureRecord* record = nullptr;
    if (kind == corelib::PICTURE_NONE) {
        record = corelib::LoadPictureMemory(data, size);
    } else {
        corelib::MemorySource source(data, size);
        record = corelib::LoadPictureOfKind(source, kind);
    }
    if (!record)
        return;
    if (record->width <= 0 || record->height <= 0 || !SizeMatchesKind(*record))
        std::abort();
    platform::HBITMAP target = platform::CreateBitmap(8, 8, 1, 32, nullptr);
    platform::HDC dc = platform::CreateCompatibleDC(nullptr);
    platform::SelectObject(dc, target);
    corelib::DisplayPicture display;
    if (!corelib::MakeDisplayPicture(corelib::PictureTarget{dc, nullptr}, record, &display, 0))
        std::abort();
    corelib::DrawPicture(display, 0, 0, 8, 8, platform::SRCCOPY);
    corelib::DeleteDisplayPicture(&display);
    platform::DeleteDC(dc);
    platform::DeleteObject(target);
    corelib::ReleasePicture(record);
}

}  // namespace pictures_fuzz
