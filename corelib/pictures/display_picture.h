// Turning a PictureRecord into something the window system draws (a device
// bitmap, or the record's icon) and drawing it.
#pragma once

#include <cstdint>

#include "corelib/pictures/picture_record.h"
#include "platform/graphics/gdi.h"

namespace corelib {

// Where pictures are drawn: a device context and the palette to select into
// it first (may be null).
struct PictureTarget {
    platform::HDC dc = nullptr;
    platform::HPALETTE palette = nullptr;
};

// A picture ready to draw. The bitmap belongs to whoever made the display
// picture (DeleteDisplayPicture); the icon stays the record's.
struct DisplayPicture {
    platform::HDC dc = nullptr;
    int32_t kind = PICTURE_NONE;
    int32_t width = 0;
    int32_t height = 0;
    platform::HICON icon = nullptr;
    platform::HBITMAP bitmap = nullptr;
};

// In DrawPicture's raster operation, bit 31 asks for transparent drawing;
// the low 24 bits then give the picture's colour (0x00BBGGRR) that is left
// undrawn.
inline constexpr uint32_t kDrawTransparent = 0x80000000u;

// Fills `display` for `record`; PNG pixels that are not fully opaque are
// blended over `background` (0x00BBGGRR). Answers false when there is no
// record, no kind, no target context, or no bitmap could be made.
bool MakeDisplayPicture(const PictureTarget& target, const PictureRecord* record,
                        DisplayPicture* display, platform::COLORREF background);
// Deletes the display picture's bitmap (never the record's icon).
void DeleteDisplayPicture(DisplayPicture* display);
// Draws into the display's context at (x, y), stretched to width x height
// (-1: the picture's own size). Icons draw normally; bitmaps use `rop`, or
// with kDrawTransparent leave the pixels of the given colour undrawn.
bool DrawPicture(const DisplayPicture& display, int x, int y, int width, int height, uint32_t rop,
                 platform::HPALETTE palette = nullptr);

}  // namespace corelib
