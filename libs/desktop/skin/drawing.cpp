#include "libs/desktop/skin/drawing.h"

#include <algorithm>

#include "platform/graphics/gdi.h"

namespace desktop::skin {

using namespace platform;

namespace {

constexpr COLORREF kRgbMask = 0x00FFFFFF;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kDisabledFrameDarkening = 0x202020;

// A skin's colours carry their alpha in the high byte.
TRIVERTEX Vertex(int x, int y, COLORREF color) {
    return GradientVertex(x, y, color, uint8_t(color >> 24));
}

void PixelAt(HDC dc, int x, int y, COLORREF color) {
    SetPixel(dc, x, y, color);
}

// A filled triangle pointing the way the flags say, centred in `box`.
void DrawGlyph(HDC dc, const RECT& box, uint32_t flags, COLORREF color) {
    int width = box.right - box.left, height = box.bottom - box.top;
    int size = std::clamp(std::min(width, height) / 4, 2, 5);
    int cx = box.left + width / 2, cy = box.top + height / 2;
    bool vertical = flags & ARROW_VERTICAL, second = flags & ARROW_SECOND;
    int start = (vertical ? cy : cx) - size / 2;
    for (int row = 0; row < size; ++row) {
        // Up and left arrows have their point first, down and right last.
        int half = second ? size - 1 - row : row;
        int at = start + row;
        RECT line = vertical ? RECT{cx - half, at, cx + half + 1, at + 1}
                             : RECT{at, cy - half, at + 1, cy + half + 1};
        FillSolid(dc, line, color);
    }
}

}  // namespace

void FillGradient(HDC dc, const RECT& rect, const GradientSet& set) {
    if (IsRectEmpty(rect))
        return;
    TRIVERTEX vertices[4] = {
        Vertex(rect.left, rect.top, set.topLeft),
        Vertex(rect.right, rect.top, set.topRight),
        Vertex(rect.left, rect.bottom, set.bottomLeft),
        Vertex(rect.right, rect.bottom, set.bottomRight),
    };
    bool topEqual = (set.topLeft & kRgbMask) == (set.topRight & kRgbMask);
    bool bottomEqual = (set.bottomLeft & kRgbMask) == (set.bottomRight & kRgbMask);
    if (topEqual && bottomEqual) {
        GRADIENT_RECT whole{0, 3};
        GradientFill(dc, vertices, 4, &whole, 1, GRADIENT_FILL_RECT_V);
        return;
    }
    GRADIENT_TRIANGLE halves[2] = {{0, 1, 2}, {3, 1, 2}};
    GradientFill(dc, vertices, 4, halves, 2, GRADIENT_FILL_TRIANGLE);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color & kRgbMask);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color & kRgbMask);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

void LineSolid(HDC dc, int x0, int y0, int x1, int y1, COLORREF color) {
    RECT line = x0 == x1 ? RECT{x0, std::min(y0, y1), x0 + 1, std::max(y0, y1)}
                         : RECT{std::min(x0, x1), y0, std::max(x0, x1), y0 + 1};
    FillSolid(dc, line, color);
}

COLORREF Darker(COLORREF color, COLORREF amount) {
    auto channel = [&](int shift) {
        int value = int((color >> shift) & 0xFF) - int((amount >> shift) & 0xFF);
        return uint32_t(std::max(0, value)) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

COLORREF ButtonFace() {
    return GetSysColor(COLOR_BTNFACE);
}

COLORREF DisabledFrameColor() {
    return Darker(ButtonFace(), kDisabledFrameDarkening);
}

COLORREF EdgeColor(int32_t scheme, bool disabled) {
    return disabled ? DisabledFrameColor() : SchemeEdgeColor(scheme);
}

void RoundCorners(HDC dc, const RECT& frame, COLORREF outside, COLORREF edge) {
    const int xs[2] = {frame.left, frame.right - 1};
    const int ys[2] = {frame.top, frame.bottom - 1};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            SetPixel(dc, xs[i], ys[j], outside);
            SetPixel(dc, xs[i] + (i == 0 ? 1 : -1), ys[j] + (j == 0 ? 1 : -1), edge);
        }
    }
}

void DrawEdgeFrame(HDC dc, const RECT& rect, int32_t scheme, uint32_t flags, int32_t kind) {
    bool disabled = flags & SK_DISABLED;
    COLORREF outer = EdgeColor(scheme, disabled);
    COLORREF inner = (disabled || (flags & SK_READONLY)) ? ButtonFace() : GetSysColor(COLOR_WINDOW);
    FrameSolid(dc, rect, outer);
    RECT inside = rect;
    InflateRect(&inside, -1, -1);
    FrameSolid(dc, inside, inner);
    if (kind != KIND_EDIT)
        return;
    if (flags & SK_BUDDY_LEFT) {
        LineSolid(dc, rect.left, rect.top + 1, rect.left, rect.bottom - 1, kWhite);
        LineSolid(dc, rect.left + 1, rect.top + 1, rect.left + 1, rect.bottom - 1, kWhite);
    }
    if (flags & SK_BUDDY_RIGHT) {
        LineSolid(dc, rect.right - 1, rect.top + 1, rect.right - 1, rect.bottom - 1, kWhite);
        LineSolid(dc, rect.right - 2, rect.top + 1, rect.right - 2, rect.bottom - 1, kWhite);
    }
}

void DrawArrowButton(HDC dc, const RECT& rect, uint32_t flags, int32_t scheme) {
    if (IsRectEmpty(rect))
        return;
    const ArrowButtonLook& look = ArrowButtonLookOf(scheme);
    int set = (flags & SK_PUSHED)       ? ARROW_SET_PRESSED
              : (flags & SK_HOT)        ? ARROW_SET_HOT
              : (flags & ARROW_VARIANT) ? ARROW_SET_VARIANT
                                        : ARROW_SET_NORMAL;
    bool disabled = flags & SK_DISABLED;
    FillGradient(dc, rect, look.face[set]);
    RECT inner = rect;
    InflateRect(&inner, -2, -2);
    FillGradient(dc, inner, look.inner[set]);
    if (look.outline) {
        FrameSolid(dc, rect, disabled ? kArrowOutlineDisabled : SchemeEdgeColor(scheme));
        if (look.whiteInnerLine) {
            RECT line = rect;
            InflateRect(&line, -1, -1);
            FrameSolid(dc, line, kWhite);
        }
    }
    PixelAt(dc, rect.left, rect.top, look.corner);
    PixelAt(dc, rect.right - 1, rect.top, look.corner);
    PixelAt(dc, rect.left, rect.bottom - 1, look.corner);
    PixelAt(dc, rect.right - 1, rect.bottom - 1, look.corner);
    if (flags & ARROW_GLYPH) {
        RECT glyphBox = rect;
        if (flags & SK_PUSHED)
            OffsetRect(&glyphBox, 1, 1);
        DrawGlyph(dc, glyphBox, flags, disabled ? look.glyphDisabled : look.glyph);
    }
}

uint32_t AlignmentFromStyle(uint32_t style) {
    switch (style & 0xF00) {
        case 0x500:
            return ALIGN_TOP_LEFT;
        case 0x700:
            return ALIGN_TOP_CENTRE;
        case 0x600:
            return ALIGN_TOP_RIGHT;
        case 0xD00:
            return ALIGN_MIDDLE_LEFT;
        case 0xE00:
            return ALIGN_MIDDLE_RIGHT;
        case 0x900:
            return ALIGN_BOTTOM_LEFT;
        case 0xB00:
            return ALIGN_BOTTOM_CENTRE;
        case 0xA00:
            return ALIGN_BOTTOM_RIGHT;
        default:
            return ALIGN_CENTRE;
    }
}

RECT PlaceBox(const RECT& area, int width, int height, uint32_t alignment) {
    int left = area.left + (area.right - area.left - width) / 2;
    if (alignment & kAlignLeftColumn)
        left = area.left;
    if (alignment & kAlignRightColumn)
        left = area.right - width;
    int top = area.top + (area.bottom - area.top - height) / 2;
    if (alignment & kAlignTopRow)
        top = area.top;
    if (alignment & kAlignBottomRow)
        top = area.bottom - height;
    return RECT{left, top, left + width, top + height};
}

}  // namespace desktop::skin
