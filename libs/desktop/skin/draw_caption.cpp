#include "libs/desktop/skin/draw_caption.h"

#include <algorithm>
#include <vector>

#include "platform/graphics/gdi.h"
#include "platform/graphics/gdi_text.h"

namespace desktop::skin {
namespace {

using namespace platform;

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kMnemonic = '&';

struct Glyph {
    size_t offset;
    size_t length;
    int x;  // from the line's start
    int width;
    bool underlined;
};

struct Line {
    std::vector<Glyph> glyphs;
    int width = 0;
};

std::vector<Line> LayOut(HDC dc, std::string_view text, int maxWidth) {
    std::vector<Line> lines(1);
    bool underlineNext = false;
    size_t pos = 0;
    while (pos < text.size()) {
        char byte = text[pos];
        if (byte == kCarriageReturn) {
            if (pos + 1 < text.size() && text[pos + 1] == kLineFeed)
                ++pos;
            else {
                ++pos;  // a carriage return alone is not drawn
                continue;
            }
        }
        if (text[pos] == kLineFeed) {
            lines.emplace_back();
            ++pos;
            continue;
        }
        size_t start = pos;
        if (byte == kMnemonic) {
            if (pos + 1 < text.size() && text[pos + 1] == kMnemonic) {
                start = pos + 1;  // "&&" draws one "&"
                pos += 2;
            } else {
                underlineNext = true;
                ++pos;
                continue;
            }
        } else {
            pos += CaptionCharLength(text, pos);
        }
        size_t length = byte == kMnemonic ? 1 : pos - start;
        SIZE extent{};
        GetTextExtentPoint32(dc, text.data() + start, int(length), &extent);
        Line* line = &lines.back();
        if (!line->glyphs.empty() && line->width + extent.cx > maxWidth) {
            lines.emplace_back();
            line = &lines.back();
        }
        line->glyphs.push_back(Glyph{start, length, line->width, int(extent.cx), underlineNext});
        line->width += extent.cx;
        underlineNext = false;
    }
    return lines;
}

}  // namespace

size_t CaptionCharLength(std::string_view text, size_t pos) {
    if (pos >= text.size())
        return 0;
    auto lead = uint8_t(text[pos]);
    if (lead < 0x81 || pos + 1 >= text.size())
        return 1;
    auto second = uint8_t(text[pos + 1]);
    if (second >= '0' && second <= '9' && pos + 3 < text.size())
        return 4;
    return 2;
}

RECT DrawCaption(HDC dc, std::string_view text, const RECT& area, uint32_t alignment, bool draw) {
    if (text.empty())
        return RECT{};
    std::vector<Line> lines = LayOut(dc, text, area.right - area.left);
    TEXTMETRIC metrics;
    GetTextMetrics(dc, &metrics);
    int lineHeight = metrics.tmHeight;
    int total = lineHeight * int(lines.size());
    int widest = 0;
    for (const Line& line : lines)
        widest = std::max(widest, line.width);
    RECT block = PlaceBox(area, widest, total, alignment);
    RECT covered{};
    COLORREF color = GetTextColor(dc);
    int y = block.top;
    for (const Line& line : lines) {
        RECT lineBox = PlaceBox(RECT{area.left, y, area.right, y + lineHeight}, line.width,
                                lineHeight, alignment);
        if (line.width > 0)
            covered = UnionRects(covered, lineBox);
        if (draw) {
            for (const Glyph& glyph : line.glyphs) {
                int x = lineBox.left + glyph.x;
                TextOut(dc, x, y, text.data() + glyph.offset, int(glyph.length));
                if (glyph.underlined) {
                    RECT underline{x, y + metrics.tmAscent + 1, x + glyph.width,
                                   y + metrics.tmAscent + 2};
                    FillSolid(dc, underline, color);
                }
            }
        }
        y += lineHeight;
    }
    return covered;
}

}  // namespace desktop::skin
