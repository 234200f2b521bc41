// Caption layout: line ends, mnemonics, double-byte characters measured
// and drawn whole, breaking at the rectangle's width, and the nine
// alignment positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "libs/desktop/skin/draw_caption.h"
#include "platform/graphics/gdi.h"
#include "platform/graphics/gdi_text.h"

using namespace platform;
using namespace desktop::skin;

namespace {

class CaptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(screen, 400, 200);
        ReleaseDC(nullptr, screen);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, 400, 200};
        FillSolid(dc_, all, 0xFFFFFF);
        font_ = SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, 0x000000);
        GetTextMetrics(dc_, &metrics_);
    }
    void TearDown() override {
        SelectObject(dc_, font_);
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    int Width(const char* text) {
        SIZE size{};
        GetTextExtentPoint32(dc_, text, int(std::strlen(text)), &size);
        return size.cx;
    }
    RECT Measure(std::string_view text, RECT area, uint32_t alignment = ALIGN_TOP_LEFT) {
        return DrawCaption(dc_, text, area, alignment, false);
    }
    // Whether any pixel of the row span is black.
    bool InkIn(int y, int left, int right) {
        for (int x = left; x < right; ++x) {
            if (GetPixel(dc_, x, y) == 0)
                return true;
        }
        return false;
    }
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    HGDIOBJ font_ = nullptr;
    TEXTMETRIC metrics_;
};

TEST_F(CaptionTest, MnemonicsAreNotDrawnAndDoubleAmpersandsDrawOne) {
    RECT wide{0, 0, 400, 100};
    RECT plain = Measure("File", wide);
    EXPECT_EQ(plain.right - plain.left, Width("File"));
    EXPECT_EQ(Measure("&File", wide).right, plain.right);
    EXPECT_EQ(Measure("A&&B", wide).right, Width("A&B"));
    EXPECT_EQ(Measure("Fish && &Chips", wide).right, Width("Fish & Chips"));
    // A trailing "&" marks nothing and is not drawn.
    EXPECT_EQ(Measure("File&", wide).right, plain.right);
}

TEST_F(CaptionTest, TheMarkedCharacterIsUnderlined) {
    RECT area{10, 10, 400, 100};
    DrawCaption(dc_, "ab&cd", area, ALIGN_TOP_LEFT);
    int underlineY = 10 + metrics_.tmAscent + 1;
    int cLeft = 10 + Width("ab"), cRight = 10 + Width("abc");
    for (int x = cLeft; x < cRight; ++x)
        EXPECT_EQ(GetPixel(dc_, x, underlineY), 0u) << x;
    EXPECT_FALSE(InkIn(underlineY, 10, cLeft - 1));
    EXPECT_FALSE(InkIn(underlineY, cRight + 1, 10 + Width("abcd")));
}

TEST_F(CaptionTest, CarriageReturnLineFeedEndsALine) {
    RECT wide{0, 0, 400, 200};
    RECT two = Measure("One\r\nTwo", wide);
    EXPECT_EQ(two.bottom - two.top, 2 * metrics_.tmHeight);
    EXPECT_EQ(two.right - two.left, std::max(Width("One"), Width("Two")));
    RECT three = Measure("a\r\n\r\nb", wide);
    EXPECT_EQ(three.bottom - three.top, 3 * metrics_.tmHeight);
    // A carriage return alone is not drawn and does not end the line.
    RECT one = Measure("ab\rcd", wide);
    EXPECT_EQ(one.bottom - one.top, metrics_.tmHeight);
    EXPECT_EQ(one.right - one.left, Width("abcd"));
}

TEST_F(CaptionTest, DoubleByteCharactersAreMeasuredAndBrokenWhole) {
    // Two GB18030 characters of two bytes each (U+4E2D U+6587).
    const char twoChars[] = "\xD6\xD0\xCE\xC4";
    int first = Width("\xD6\xD0");
    ASSERT_GT(first, 0);
    RECT wide{0, 0, 400, 100};
    EXPECT_EQ(Measure(twoChars, wide).right, Width(twoChars));
    // Room for one character per line: two whole lines, never a split.
    RECT narrow{0, 0, first, 100};
    RECT broken = Measure(twoChars, narrow);
    EXPECT_EQ(broken.bottom - broken.top, 2 * metrics_.tmHeight);
    EXPECT_LE(broken.right - broken.left, first);
    // Four bytes when the second is a digit (0x81 0x30 0x81 0x30 is U+0080).
    EXPECT_EQ(CaptionCharLength("\x81\x30\x81\x30", 0), 4u);
    EXPECT_EQ(CaptionCharLength("\xD6\xD0", 0), 2u);
    EXPECT_EQ(CaptionCharLength("\xD6", 0), 1u);  // cut short: one byte
    EXPECT_EQ(CaptionCharLength("a", 0), 1u);
}

TEST_F(CaptionTest, LinesBreakBeforeTheCharacterThatWouldNotFit) {
    int ab = Width("AB");
    RECT area{0, 0, ab, 100};
    RECT broken = Measure("ABAB", area);
    EXPECT_EQ(broken.bottom - broken.top, 2 * metrics_.tmHeight);
    RECT fits = Measure("AB", area);
    EXPECT_EQ(fits.bottom - fits.top, metrics_.tmHeight);
}

TEST_F(CaptionTest, AlignmentPlacesTheBlockInNinePositions) {
    RECT area{10, 20, 210, 120};
    int w = Width("Hi"), h = metrics_.tmHeight;
    struct Case {
        uint32_t alignment;
        int left, top;
    };
    const Case cases[] = {
        {ALIGN_TOP_LEFT, 10, 20},
        {ALIGN_TOP_CENTRE, 10 + (200 - w) / 2, 20},
        {ALIGN_TOP_RIGHT, 210 - w, 20},
        {ALIGN_MIDDLE_LEFT, 10, 20 + (100 - h) / 2},
        {ALIGN_CENTRE, 10 + (200 - w) / 2, 20 + (100 - h) / 2},
        {ALIGN_MIDDLE_RIGHT, 210 - w, 20 + (100 - h) / 2},
        {ALIGN_BOTTOM_LEFT, 10, 120 - h},
        {ALIGN_BOTTOM_CENTRE, 10 + (200 - w) / 2, 120 - h},
        {ALIGN_BOTTOM_RIGHT, 210 - w, 120 - h},
    };
    for (const Case& c : cases) {
        RECT got = Measure("Hi", area, c.alignment);
        EXPECT_EQ(got.left, c.left) << c.alignment;
        EXPECT_EQ(got.top, c.top) << c.alignment;
    }
}

TEST(Alignment, ButtonStyleBitsMapToTheNinePositions) {
    EXPECT_EQ(AlignmentFromStyle(0x500), ALIGN_TOP_LEFT);
    EXPECT_EQ(AlignmentFromStyle(0x700), ALIGN_TOP_CENTRE);
    EXPECT_EQ(AlignmentFromStyle(0x600), ALIGN_TOP_RIGHT);
    EXPECT_EQ(AlignmentFromStyle(0xD00), ALIGN_MIDDLE_LEFT);
    EXPECT_EQ(AlignmentFromStyle(0xE00), ALIGN_MIDDLE_RIGHT);
    EXPECT_EQ(AlignmentFromStyle(0x900), ALIGN_BOTTOM_LEFT);
    EXPECT_EQ(AlignmentFromStyle(0xB00), ALIGN_BOTTOM_CENTRE);
    EXPECT_EQ(AlignmentFromStyle(0xA00), ALIGN_BOTTOM_RIGHT);
    for (uint32_t other : {0x000u, 0x100u, 0x300u, 0xC00u, 0xF00u, 0x400u})
        EXPECT_EQ(AlignmentFromStyle(other | 0x1F), ALIGN_CENTRE) << other;
    // Halves round toward zero.
    RECT box = PlaceBox(RECT{0, 0, 10, 10}, 3, 3, ALIGN_CENTRE);
    EXPECT_EQ(box.left, 3);
    EXPECT_EQ(box.top, 3);
    box = PlaceBox(RECT{0, 0, 10, 10}, 13, 13, ALIGN_CENTRE);
    EXPECT_EQ(box.left, -1);  // (10 - 13) / 2
}

}  // namespace
