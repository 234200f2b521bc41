// Logical fonts, measuring and drawing text, and laying text out in a
// rectangle.
#include <algorithm>
#include <cstring>
#include <set>

#include "platform/base/text_codec.h"
#include "platform/graphics/font_engine.h"
#include "platform/graphics/raster.h"

namespace platform {
namespace gdi {
namespace {

std::string ToUtf8(const char* text, int length) {
    if (!text)
        return {};
    size_t n = length < 0 ? std::strlen(text) : size_t(length);
    return RuntimeToUtf8(std::string_view(text, n));
}

LOGFONT CurrentLogFont(const Dc& dc) {
    if (auto* font = As<Font>(dc.state.font, Kind::Font))
        return font->logical;
    return LOGFONT{};
}

// The face a context's font selects, with the font lock held for as long as
// this lives: every use of a face happens under that lock.
struct SelectedFace {
    explicit SelectedFace(const Dc& dc)
        : font(CurrentLogFont(dc)), lock(FontLock()), face(FaceFor(font)) {}
    const LOGFONT font;
    std::lock_guard<std::mutex> lock;
    SizedFace* const face;
};

int Measure(SizedFace& face, const uint32_t* text, size_t count) {
    int width = 0;
    for (size_t i = 0; i < count; ++i)
        width += face.Glyph(text[i]).advance;
    return width;
}

// Draws one run with its top-left cell corner at device (x, y); the caller
// holds the font lock.
void DrawRun(Dc& dc, SizedFace& face, const LOGFONT& font, int x, int y,
             const std::vector<uint32_t>& text, const std::set<size_t>& underlined) {
    Bitmap* surface = dc.Surface();
    const FaceMetrics& m = face.Metrics();
    int width = Measure(face, text.data(), text.size());
    int height = m.ascent + m.descent;
    RECT clip = dc.ClipBox();
    if (dc.state.bkMode == OPAQUE) {
        RECT cell = IntersectRects(RECT{x, y, x + width, y + height}, clip);
        if (!IsRectEmpty(cell))
            RopFill(*surface, cell, 0xF0, SurfacePixel(*surface, dc.state.bkColor));
    }
    uint32_t ink = ToPixel(dc.state.textColor);
    int baseline = y + m.ascent;
    int pen = x;
    auto line = [&](int left, int right, int top) {
        RECT r = IntersectRects(RECT{left, top, right, top + m.lineThickness}, clip);
        if (!IsRectEmpty(r))
            RopFill(*surface, r, 0xF0, SurfacePixel(*surface, dc.state.textColor));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const GlyphImage& g = face.Glyph(text[i]);
        int gx = pen + g.left, gy = baseline - g.top;
        for (int row = 0; row < g.height; ++row) {
            int py = gy + row;
            if (py < clip.top || py >= clip.bottom)
                continue;
            uint32_t* out = surface->Row(py);
            const uint8_t* cover = g.coverage.data() + size_t(row) * g.width;
            for (int col = 0; col < g.width; ++col) {
                int px = gx + col;
                uint32_t a = cover[col];
                if (a == 0 || px < clip.left || px >= clip.right)
                    continue;
                if (surface->monochrome) {
                    if (a >= 128)
                        out[px] = ToMonochrome(dc.state.textColor);
                    continue;
                }
                uint32_t d = out[px], mixed = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    uint32_t s = (ink >> shift) & 0xFF, t = (d >> shift) & 0xFF;
                    mixed |= ((s * a + t * (255 - a) + 127) / 255) << shift;
                }
                out[px] = (d & 0xFF000000) | mixed;
            }
        }
        if (underlined.count(i))
            line(pen, pen + g.advance, baseline + m.underlinePosition);
        pen += g.advance;
    }
    if (font.lfUnderline)
        line(x, pen, baseline + m.underlinePosition);
    if (font.lfStrikeOut)
        line(x, pen, baseline - m.ascent / 3);
}

bool TextOutCodepoints(HDC handle, int x, int y, const std::vector<uint32_t>& text) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    if (!dc || !dc->Surface())
        return false;
    SelectedFace selected(*dc);
    if (!selected.face)
        return false;
    const FaceMetrics& m = selected.face->Metrics();
    POINT p = dc->ToDevice(x, y);
    uint32_t align = dc->state.textAlign;
    int width = Measure(*selected.face, text.data(), text.size());
    if ((align & TA_CENTER) == TA_CENTER) {
        p.x -= width / 2;
    } else if (align & TA_RIGHT) {
        p.x -= width;
    }
    if ((align & TA_BASELINE) == TA_BASELINE) {
        p.y -= m.ascent;
    } else if (align & TA_BOTTOM) {
        p.y -= m.ascent + m.descent;
    }
    DrawRun(*dc, *selected.face, selected.font, p.x, p.y, text, {});
    return true;
}

bool ExtentCodepoints(HDC handle, const std::vector<uint32_t>& text, SIZE* size) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc || !size)
        return false;
    SelectedFace selected(*dc);
    if (!selected.face)
        return false;
    size->cx = Measure(*selected.face, text.data(), text.size());
    size->cy = selected.face->Metrics().ascent + selected.face->Metrics().descent;
    return true;
}

struct Line {
    std::vector<uint32_t> text;
    std::set<size_t> underlined;
    int width = 0;
};

int LayoutAndDraw(HDC handle, std::string_view utf8, RECT* rect, uint32_t format) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc || !rect)
        return 0;
    SelectedFace selected(*dc);
    if (!selected.face)
        return 0;
    const FaceMetrics& m = selected.face->Metrics();
    int lineHeight = m.ascent + m.descent;
    bool single = format & DT_SINGLELINE;
    int limit = rect->right - rect->left;

    // Split into lines, taking "&" prefixes out.
    std::vector<uint32_t> all = DecodeUtf8(utf8);
    std::vector<Line> lines(1);
    for (size_t i = 0; i < all.size(); ++i) {
        uint32_t c = all[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < all.size() && all[i + 1] == '\n')
                ++i;
            if (!single)
                lines.emplace_back();
            continue;
        }
        if (c == '\t' && !(format & DT_EXPANDTABS))
            c = ' ';
        if (c == '&' && !(format & DT_NOPREFIX)) {
            if (i + 1 < all.size() && all[i + 1] == '&') {
                ++i;
            } else {
                if (i + 1 < all.size())
                    lines.back().underlined.insert(lines.back().text.size());
                continue;
            }
        }
        if (c == '\t') {
            for (int k = 0; k < 8; ++k)
                lines.back().text.push_back(' ');
            continue;
        }
        lines.back().text.push_back(c);
    }
    // Word wrapping: break at the last space that keeps the line inside.
    if ((format & DT_WORDBREAK) && !single && limit > 0) {
        std::vector<Line> wrapped;
        for (Line& line : lines) {
            size_t start = 0;
            const auto& t = line.text;
            while (true) {
                size_t end = start, lastSpace = std::string::npos;
                int width = 0;
                while (end < t.size()) {
                    int advance = selected.face->Glyph(t[end]).advance;
                    if (width + advance > limit && end > start)
                        break;
                    if (t[end] == ' ')
                        lastSpace = end;
                    width += advance;
                    ++end;
                }
                size_t cut = end;
                size_t next = end;
                if (end < t.size() && lastSpace != std::string::npos && lastSpace > start) {
                    cut = lastSpace;
                    next = lastSpace + 1;
                }
                Line piece;
                piece.text.assign(t.begin() + start, t.begin() + cut);
                for (size_t u : line.underlined) {
                    if (u >= start && u < cut)
                        piece.underlined.insert(u - start);
                }
                wrapped.push_back(std::move(piece));
                if (next >= t.size())
                    break;
                start = next;
            }
        }
        lines = std::move(wrapped);
    }
    int maxWidth = 0;
    for (Line& line : lines) {
        line.width = Measure(*selected.face, line.text.data(), line.text.size());
        maxWidth = std::max(maxWidth, line.width);
    }
    int total = lineHeight * int(lines.size());
    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + total;
        return total;
    }
    if (!dc->Surface())
        return 0;
    DrawingScope scope(dc);
    int y = rect->top;
    if (single && (format & DT_VCENTER)) {
        y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    } else if (single && (format & DT_BOTTOM)) {
        y = rect->bottom - lineHeight;
    }
    DcState saved = dc->state;
    if (!(format & DT_NOCLIP)) {
        POINT a = dc->ToDevice(rect->left, rect->top), b = dc->ToDevice(rect->right, rect->bottom);
        RECT box{a.x, a.y, b.x, b.y};
        dc->state.clip = dc->state.hasClip ? IntersectRects(dc->state.clip, box) : box;
        dc->state.hasClip = true;
    }
    for (const Line& line : lines) {
        int x = rect->left;
        if (format & DT_CENTER) {
            x = rect->left + (limit - line.width) / 2;
        } else if (format & DT_RIGHT) {
            x = rect->right - line.width;
        }
        POINT p = dc->ToDevice(x, y);
        DrawRun(*dc, *selected.face, selected.font, p.x, p.y, line.text, line.underlined);
        y += lineHeight;
    }
    dc->state = saved;
    return total;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

HFONT CreateFontIndirect(const LOGFONT* font) {
    if (!font)
        return nullptr;
    auto object = std::make_unique<Font>();
    object->logical = *font;
    object->logical.lfFaceName[LF_FACESIZE - 1] = 0;
    return Register(std::move(object));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 uint32_t italic, uint32_t underline, uint32_t strikeOut, uint32_t charSet,
                 uint32_t outPrecision, uint32_t clipPrecision, uint32_t quality,
                 uint32_t pitchAndFamily, const char* faceName) {
    LOGFONT font;
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfWeight = weight == 0 ? FW_NORMAL : weight;
    font.lfItalic = uint8_t(italic != 0);
    font.lfUnderline = uint8_t(underline != 0);
    font.lfStrikeOut = uint8_t(strikeOut != 0);
    font.lfCharSet = uint8_t(charSet);
    font.lfOutPrecision = uint8_t(outPrecision);
    font.lfClipPrecision = uint8_t(clipPrecision);
    font.lfQuality = uint8_t(quality);
    font.lfPitchAndFamily = uint8_t(pitchAndFamily);
    if (faceName)
        std::strncpy(font.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&font);
}

bool TextOut(HDC dc, int x, int y, const char* text, int length) {
    return TextOutCodepoints(dc, x, y, DecodeUtf8(ToUtf8(text, length)));
}

bool TextOutUtf8(HDC dc, int x, int y, std::string_view text) {
    return TextOutCodepoints(dc, x, y, DecodeUtf8(text));
}

bool GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size) {
    return ExtentCodepoints(dc, DecodeUtf8(ToUtf8(text, length)), size);
}

bool GetTextExtentUtf8(HDC dc, std::string_view text, SIZE* size) {
    return ExtentCodepoints(dc, DecodeUtf8(text), size);
}

bool GetTextMetrics(HDC handle, TEXTMETRIC* metrics) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc || !metrics)
        return false;
    SelectedFace selected(*dc);
    if (!selected.face)
        return false;
    const FaceMetrics& m = selected.face->Metrics();
    *metrics = TEXTMETRIC{};
    metrics->tmAscent = m.ascent;
    metrics->tmDescent = m.descent;
    metrics->tmHeight = m.ascent + m.descent;
    metrics->tmInternalLeading = std::max(0, metrics->tmHeight - m.emPixels);
    metrics->tmAveCharWidth = m.averageWidth;
    metrics->tmMaxCharWidth = m.maxWidth;
    metrics->tmWeight = selected.font.lfWeight;
    metrics->tmItalic = selected.font.lfItalic;
    metrics->tmUnderlined = selected.font.lfUnderline;
    metrics->tmStruckOut = selected.font.lfStrikeOut;
    return true;
}

std::string_view ResolvedFontFile(HFONT handle) {
    auto* font = As<Font>(handle, Kind::Font);
    if (!font)
        return {};
    std::lock_guard lock(FontLock());
    SizedFace* face = FaceFor(font->logical);
    return face ? std::string_view(face->File()) : std::string_view();
}

int DrawText(HDC dc, const char* text, int length, RECT* rect, uint32_t format) {
    return LayoutAndDraw(dc, ToUtf8(text, length), rect, format);
}

int DrawTextUtf8(HDC dc, std::string_view text, RECT* rect, uint32_t format) {
    return LayoutAndDraw(dc, text, rect, format);
}

}  // namespace platform
