// Characters the default face (DejaVu Sans) lacks come from fontconfig's
// fallback, character by character: Chinese is drawn from Debian's
// WenQuanYi Micro Hei exactly as FreeType renders it from that file, Latin
// around it stays DejaVu, and a mixed text measures as its parts drawn.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/graphics/gdi_text.h"
#include "tests/graphics/surface_probe.h"

using namespace platform;
using probe::Canvas;

namespace {

// fonts-wqy-microhei, the CJK font the project installs.
constexpr const char* kCjkFont = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
constexpr int kEm = 20;

// "中" and "文件" as runtime (GB18030) texts and as code points.
constexpr const char* kZhongGb = "\xD6\xD0";
constexpr const char* kWenJianGb = "\xCE\xC4\xBC\xFE";
constexpr uint32_t kZhong = 0x4E2D;

struct Rendered {
    int left = 0, top = 0, width = 0, height = 0, advance = 0;
    std::vector<uint8_t> coverage;
};

// FreeType's own rendering of one character from a font file, hinted as
// FreeType does by default, at kEm pixels to the em.
class FreeTypeReference {
public:
    explicit FreeTypeReference(const char* path) {
        ok_ = FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, path, 0, &face_) == 0 &&
              FT_Set_Pixel_Sizes(face_, 0, kEm) == 0;
    }
    ~FreeTypeReference() {
        if (face_)
            FT_Done_Face(face_);
        if (library_)
            FT_Done_FreeType(library_);
    }
    bool Ok() const { return ok_; }
    std::string Family() const { return face_ ? face_->family_name : ""; }
    bool Has(uint32_t codepoint) const { return FT_Get_Char_Index(face_, codepoint) != 0; }

    Rendered Render(uint32_t codepoint) const {
        Rendered out;
        if (FT_Load_Char(face_, codepoint, FT_LOAD_DEFAULT) != 0 ||
            FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0) {
            return out;
        }
        const FT_Bitmap& b = face_->glyph->bitmap;
        out.left = face_->glyph->bitmap_left;
        out.top = face_->glyph->bitmap_top;
        out.width = int(b.width);
        out.height = int(b.rows);
        out.advance = int((face_->glyph->advance.x + 32) >> 6);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                out.coverage.push_back(b.buffer[y * b.pitch + x]);
        return out;
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    bool ok_ = false;
};

// Black ink laid over white with coverage `a`, as the text drawer blends.
uint32_t InkOverWhite(uint8_t a) {
    uint32_t channel = (255u * (255u - a) + 127u) / 255u;
    return channel << 16 | channel << 8 | channel;
}

struct TextCanvas : Canvas {
    HFONT font;
    explicit TextCanvas(int width) : Canvas(width, 40) {
        font = CreateFont(-kEm, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "");
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    ~TextCanvas() {
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
    }
    int Baseline(int top) {
        TEXTMETRIC tm;
        GetTextMetrics(dc, &tm);
        return top + tm.tmAscent;
    }
    SIZE ExtentUtf8(const std::string& text) {
        SIZE size{};
        GetTextExtentUtf8(dc, text, &size);
        return size;
    }
};

// Every pixel of the column range [from, to) of `c`: white, except the
// glyph `g` with its pen at `pen` on `baseline`.
void ExpectGlyphExactly(const Canvas& c, int from, int to, const Rendered& g, int pen,
                        int baseline) {
    int mismatches = 0;
    for (int y = 0; y < c.height; ++y) {
        for (int x = from; x < to; ++x) {
            int gx = x - pen - g.left, gy = y - (baseline - g.top);
            uint8_t a = gx >= 0 && gx < g.width && gy >= 0 && gy < g.height
                            ? g.coverage[size_t(gy) * g.width + gx]
                            : 0;
            if (c.Rgb(x, y) != InkOverWhite(a) && mismatches++ < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << c.Rgb(x, y)
                              << ", FreeType's glyph gives " << InkOverWhite(a);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

class FontFallback : public ::testing::Test {
protected:
    void SetUp() override {
        if (!cjk_.Ok())
            GTEST_SKIP() << kCjkFont << " is not installed (fonts-wqy-microhei)";
        ASSERT_EQ(cjk_.Family(), "WenQuanYi Micro Hei");
        FreeTypeReference dejavu(std::string(ResolvedFontFile(TextCanvas(10).font)).c_str());
        ASSERT_TRUE(dejavu.Ok());
        // The point of it all: the default face has no Chinese.
        ASSERT_FALSE(dejavu.Has(kZhong));
    }
    FreeTypeReference cjk_{kCjkFont};
};

TEST_F(FontFallback, ChineseIsDrawnFromTheCjkFontPixelForPixel) {
    TextCanvas c(60);
    ASSERT_TRUE(TextOut(c.dc, 10, 5, kZhongGb, 2));  // a runtime (GB18030) text
    Rendered g = cjk_.Render(kZhong);
    ASSERT_GT(g.width * g.height, 100);  // a real glyph, not an empty one
    int inked = 0;
    for (uint8_t a : g.coverage)
        inked += a > 128;
    EXPECT_GT(inked, 40);
    ExpectGlyphExactly(c, 0, c.width, g, 10, c.Baseline(5));
}

TEST_F(FontFallback, LatinAroundChineseStaysInTheDefaultFace) {
    // "A中B": A and B as DejaVu draws them alone, 中 from the CJK font,
    // each at the pen position the previous advances give.
    TextCanvas mixed(100), latinA(100), latinB(100);
    ASSERT_TRUE(TextOutUtf8(mixed.dc, 4, 5,
                            "A\xE4\xB8\xAD"
                            "B"));
    ASSERT_TRUE(TextOutUtf8(latinA.dc, 4, 5, "A"));
    int afterA = 4 + latinA.ExtentUtf8("A").cx;
    Rendered zhong = cjk_.Render(kZhong);
    int afterZhong = afterA + zhong.advance;
    ASSERT_TRUE(TextOutUtf8(latinB.dc, afterZhong, 5, "B"));

    for (int y = 0; y < mixed.height; ++y)
        for (int x = 0; x < afterA; ++x)
            ASSERT_EQ(mixed.Rgb(x, y), latinA.Rgb(x, y)) << x << "," << y;
    ExpectGlyphExactly(mixed, afterA, afterZhong, zhong, afterA, mixed.Baseline(5));
    for (int y = 0; y < mixed.height; ++y)
        for (int x = afterZhong; x < mixed.width; ++x)
            ASSERT_EQ(mixed.Rgb(x, y), latinB.Rgb(x, y)) << x << "," << y;
}

TEST_F(FontFallback, MixedTextMeasuresAsTheSumOfItsPartsAndAsDrawn) {
    TextCanvas c(300);
    const std::string latin = "photo ", chinese = "\xE6\x96\x87\xE4\xBB\xB6", suffix = ".jpg";
    SIZE whole = c.ExtentUtf8(latin + chinese + suffix);
    SIZE a = c.ExtentUtf8(latin), b = c.ExtentUtf8(chinese), d = c.ExtentUtf8(suffix);
    EXPECT_EQ(whole.cx, a.cx + b.cx + d.cx);
    // The Chinese part advances as the CJK font says.
    EXPECT_EQ(b.cx, cjk_.Render(0x6587).advance + cjk_.Render(0x4EF6).advance);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
    EXPECT_EQ(whole.cy, tm.tmHeight);

    // The runtime text measures the same, and layout agrees.
    SIZE runtime{};
    ASSERT_TRUE(GetTextExtentPoint32(c.dc, kWenJianGb, 4, &runtime));
    EXPECT_EQ(runtime.cx, b.cx);
    RECT box{0, 0, 1000, 0};
    DrawTextUtf8(c.dc, latin + chinese + suffix, &box, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(box.right, whole.cx);

    // And the ink ends where the measure says: nothing right of the extent.
    ASSERT_TRUE(TextOutUtf8(c.dc, 0, 5, latin + chinese + suffix));
    int rightmost = -1;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            if (c.Rgb(x, y) != 0xFFFFFF)
                rightmost = std::max(rightmost, x);
    EXPECT_GT(rightmost, whole.cx - 8);
    EXPECT_LT(rightmost, whole.cx);
}

}  // namespace
