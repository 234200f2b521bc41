// Software drawing: device contexts over in-memory pixel surfaces, the
// objects selected into them, and the drawing operations of the window
// system. Everything draws into 32-bit surfaces (bytes B,G,R,A) except
// monochrome bitmaps, which hold only black and white.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/graphics/gdi_types.h"

namespace platform {

// ---- Raster operations (ternary: pattern, source, destination) ----
inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr uint32_t SRCPAINT = 0x00EE0086;
inline constexpr uint32_t SRCAND = 0x008800C6;
inline constexpr uint32_t SRCINVERT = 0x00660046;
inline constexpr uint32_t SRCERASE = 0x00440328;
inline constexpr uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr uint32_t MERGECOPY = 0x00C000CA;
inline constexpr uint32_t MERGEPAINT = 0x00BB0226;
inline constexpr uint32_t PATCOPY = 0x00F00021;
inline constexpr uint32_t PATPAINT = 0x00FB0A09;
inline constexpr uint32_t PATINVERT = 0x005A0049;
inline constexpr uint32_t DSTINVERT = 0x00550009;
inline constexpr uint32_t BLACKNESS = 0x00000042;
inline constexpr uint32_t WHITENESS = 0x00FF0062;

// ---- Stock objects ----
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEFAULT_GUI_FONT = 17;
inline constexpr int DC_BRUSH = 18;
inline constexpr int DC_PEN = 19;

// ---- Object kinds (GetObjectType) ----
inline constexpr uint32_t OBJ_PEN = 1;
inline constexpr uint32_t OBJ_BRUSH = 2;
inline constexpr uint32_t OBJ_DC = 3;
inline constexpr uint32_t OBJ_FONT = 6;
inline constexpr uint32_t OBJ_BITMAP = 7;
inline constexpr uint32_t OBJ_REGION = 8;
inline constexpr uint32_t OBJ_MEMDC = 10;

inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;

// Background modes, stretch modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

// GetDeviceCaps indices.
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int NUMCOLORS = 24;
inline constexpr int RASTERCAPS = 38;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

// ---- Bitmaps ----
struct BITMAP {
    int32_t bmType = 0;
    int32_t bmWidth = 0;
    int32_t bmHeight = 0;
    int32_t bmWidthBytes = 0;
    uint16_t bmPlanes = 0;
    uint16_t bmBitsPixel = 0;
    void* bmBits = nullptr;
};

#pragma pack(push, 1)
// The 40-byte header of a packed device-independent bitmap.
struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
struct RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_BITFIELDS = 3;
inline constexpr uint32_t DIB_RGB_COLORS = 0;
inline constexpr uint32_t CBM_INIT = 4;

// ---- Gradients ----
using COLOR16 = uint16_t;
struct TRIVERTEX {
    int32_t x = 0;
    int32_t y = 0;
    COLOR16 Red = 0;
    COLOR16 Green = 0;
    COLOR16 Blue = 0;
    COLOR16 Alpha = 0;
};
struct GRADIENT_RECT {
    uint32_t UpperLeft = 0;
    uint32_t LowerRight = 0;
};
struct GRADIENT_TRIANGLE {
    uint32_t Vertex1 = 0;
    uint32_t Vertex2 = 0;
    uint32_t Vertex3 = 0;
};
inline constexpr uint32_t GRADIENT_FILL_RECT_H = 0;
inline constexpr uint32_t GRADIENT_FILL_RECT_V = 1;
inline constexpr uint32_t GRADIENT_FILL_TRIANGLE = 2;

// ---- Objects ----
// What GetObject reports for a brush.
inline constexpr uint32_t BS_SOLID = 0;
inline constexpr uint32_t BS_HOLLOW = 1;
struct LOGBRUSH {
    uint32_t lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    uintptr_t lbHatch = 0;
};
HGDIOBJ GetStockObject(int which);
bool DeleteObject(HGDIOBJ object);
uint32_t GetObjectType(HGDIOBJ object);
// Fills a BITMAP (bitmaps), a LOGFONT (fonts) or a LOGBRUSH (brushes);
// answers the bytes written, 0 for an unknown handle or a short buffer.
int GetObject(HGDIOBJ object, int size, void* out);
HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int style, int width, COLORREF color);
// A bitmap of 1 bit (monochrome) or 32 bits per pixel; `bits` rows are
// padded to 16 bits as the window system's device bitmaps are.
HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel,
                     const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A device bitmap made from a packed bitmap's header, colour table and rows
// (1, 4, 8, 24 or 32 bits per pixel; bottom row first unless the height is
// negative).
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, uint32_t init, const void* bits,
                       const BITMAPINFO* info, uint32_t usage);
// A 32-bit bitmap whose pixels the caller may write directly through *bits.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, uint32_t usage, void** bits, void* section,
                         uint32_t offset);
// Copies rows out as 24- or 32-bit packed rows (bottom row first unless the
// requested height is negative). With bits null fills in the header's image
// size. Answers the number of rows copied (or 1 for the header query).
int GetDIBits(HDC dc, HBITMAP bitmap, unsigned startRow, unsigned rows, void* bits,
              BITMAPINFO* info, uint32_t usage);
// Draws packed rows straight onto a device context, scaled.
int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, uint32_t usage,
                  uint32_t rop);

// ---- Device contexts ----
HDC CreateCompatibleDC(HDC dc);
bool DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, uint32_t kind);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF SetDCPenColor(HDC dc, COLORREF color);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
bool SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
bool SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous);
int GetDeviceCaps(HDC dc, int index);
// Clipping by rectangles (logical coordinates); region kinds answered:
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int ERROR_REGION = 0;
inline constexpr int COMPLEXREGION = 3;
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
// Regions in device coordinates: rectangles and ellipses. Selecting one
// limits drawing to its pixels (a null region removes the clipping).
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
int SelectClipRgn(HDC dc, HRGN region);
bool PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, RECT* box);
bool FillRgn(HDC dc, HRGN region, HBRUSH brush);
int GetClipBox(HDC dc, RECT* rect);
int SaveDC(HDC dc);
bool RestoreDC(HDC dc, int saved);

// ---- Drawing ----
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);
bool MoveToEx(HDC dc, int x, int y, POINT* previous);
bool LineTo(HDC dc, int x, int y);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
bool InvertRect(HDC dc, const RECT* rect);
// Inverts a dotted frame; drawing it twice restores the pixels.
bool DrawFocusRect(HDC dc, const RECT* rect);
bool PatBlt(HDC dc, int x, int y, int width, int height, uint32_t rop);
bool BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
            uint32_t rop);
bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, uint32_t rop);
bool GradientFill(HDC dc, const TRIVERTEX* vertices, uint32_t vertexCount, const void* mesh,
                  uint32_t meshCount, uint32_t mode);
// A gradient's corner at (x, y): the colour's 8-bit channels and `alpha`
// widened to the vertex's 16 bits.
TRIVERTEX GradientVertex(int x, int y, COLORREF color, uint8_t alpha);

// ---- Palettes ----
// Every surface holds true colour, so palettes only keep their place in the
// call sequence: selecting one answers the previous (none) and realising
// maps no entries.
using HPALETTE = void*;
inline constexpr int DEFAULT_PALETTE = 15;
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool forceBackground);
unsigned RealizePalette(HDC dc);

// ---- Icons ----
// An icon from the bytes of one icon image (header, colour rows, mask
// rows), as stored inside an icon or cursor file.
HICON CreateIconFromResourceEx(const uint8_t* bytes, uint32_t size, bool icon, uint32_t version,
                               int width, int height, uint32_t flags);
// An icon from a colour bitmap and a monochrome mask (white = see-through).
HICON CreateIconFromBitmaps(HBITMAP color, HBITMAP mask);
bool DestroyIcon(HICON icon);
inline constexpr uint32_t DI_MASK = 1;
inline constexpr uint32_t DI_IMAGE = 2;
inline constexpr uint32_t DI_NORMAL = 3;
bool DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, unsigned step,
                HBRUSH flickerFree, uint32_t flags);
bool DrawIcon(HDC dc, int x, int y, HICON icon);
bool GetIconSize(HICON icon, SIZE* size);

// ---- System colours ----
inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// ---- Low-level access for the window layer and the screenshot writer ----
// A colour surface: 32-bit pixels 0xAARRGGBB, `stride` bytes from row to row.
struct PixelView {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;
    uint32_t* Row(int y) const {
        return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + y * stride);
    }
};
// The pixels of a bitmap (monochrome ones hold 0xFFFFFF or 0); empty for an
// unknown handle.
PixelView BitmapPixels(HBITMAP bitmap);
// Holds a bitmap's pixels still against drawing from other threads while
// the caller reads them directly (an empty lock for an unknown handle).
std::unique_lock<std::mutex> LockBitmap(HBITMAP bitmap);
// The size in pixels of the surface a device context draws on.
SIZE SurfaceSize(HDC dc);
// A device context drawing on `surface` (a bitmap the caller keeps alive
// until the context is deleted), its output limited to `bounds`. The window
// layer makes the contexts of windows this way.
HDC CreateSurfaceDC(HBITMAP surface, const RECT& bounds);

}  // namespace platform

namespace platform {
// The size the screen reports (HORZRES, VERTRES); the presentation layer sets
// it from the display, 1920 by 1080 without one.
void SetScreenSize(int width, int height);
SIZE GetScreenSize();
}  // namespace platform
