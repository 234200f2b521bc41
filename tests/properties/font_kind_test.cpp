// The font kind: its fields one at a time and whole, the face-name limits,
// and the default user-interface font standing in for a missing font.
#include <cmath>
#include <cstring>

#include "platform/graphics/gdi.h"
#include "runtime/properties/font_kind.h"
#include "runtime/properties/unit_properties.h"
#include "tests/properties/recording_unit.h"

namespace {

using namespace proptest;
using platform::LOGFONT;

constexpr uint32_t kFont = REC_FONT + 8;

LOGFONT StockFont() {
    LOGFONT font;
    platform::GetObject(platform::GetStockObject(platform::DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

class FontKindTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        std::memset(held_.lfFaceName, 0, sizeof held_.lfFaceName);
        std::strcpy(held_.lfFaceName, "Held Face");
        held_.lfHeight = -16;
        held_.lfWeight = 700;
        held_.lfOrientation = 450;
        held_.lfEscapement = 450;
        held_.lfUnderline = 1;
        unit_.give = {reinterpret_cast<uintptr_t>(&held_), 60};
    }
    // The font the setter received.
    LOGFONT Written() {
        EXPECT_EQ(unit_.set.w1, 60u);
        LOGFONT font;
        std::memcpy(&font, unit_.setBytes.data(), sizeof font);
        return font;
    }
    std::string WrittenFace() {
        LOGFONT font = Written();
        return std::string(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
    }
    LOGFONT held_;
};

TEST_F(FontKindTest, FieldsReadFromTheUnitsFont) {
    EXPECT_EQ(Get(kFont, 0), 450u);
    EXPECT_EQ(Get(kFont, 1), 1u);
    EXPECT_EQ(Get(kFont, 2), 0u);
    EXPECT_EQ(Get(kFont, 4), 1u);
    EXPECT_EQ(Get(kFont, 5), 12u);  // 16 pixels at 96 per inch
    char* face = PointerOf<char>(Get(kFont, 6));
    ASSERT_NE(face, nullptr);
    EXPECT_STREQ(face, "Held Face");
    rt::RtFree(face);
    EXPECT_EQ(Get(kFont, 7), 0u);
}

TEST_F(FontKindTest, AngleIsKeptInsideOneTurn) {
    Set(kFont, uint32_t(-10), 0, 0);
    EXPECT_EQ(Written().lfOrientation, 3590);
    EXPECT_EQ(Written().lfEscapement, 3590);
    EXPECT_EQ(Written().lfWeight, 700);  // the other fields come from the unit's font
    Set(kFont, 7200, 0, 0);
    EXPECT_EQ(Written().lfOrientation, 0);
    Set(kFont, uint32_t(-7201), 0, 0);
    EXPECT_EQ(Written().lfOrientation, 3599);
}

TEST_F(FontKindTest, SizeAndStyleFieldsWriteTheRecord) {
    Set(kFont, 9, 0, 5);
    EXPECT_EQ(Written().lfHeight, -12);
    Set(kFont, uint32_t(-4), 0, 5);
    EXPECT_EQ(Written().lfHeight, 0);
    Set(kFont, 0, 0, 1);
    EXPECT_EQ(Written().lfWeight, 0);
    Set(kFont, 5, 0, 3);
    EXPECT_EQ(Written().lfStrikeOut, 1);
    int before = unit_.setCount;
    Set(kFont, 1, 0, 7);  // no such field: nothing is written
    EXPECT_EQ(unit_.setCount, before);
}

TEST_F(FontKindTest, FaceNamesThroughTheFaceFieldMayFillTheRecord) {
    std::string fits(31, 'a');
    SetPointer(kFont, fits.c_str(), 6);
    EXPECT_EQ(WrittenFace(), fits);
    std::string tooLong(32, 'b');
    SetPointer(kFont, tooLong.c_str(), 6);
    EXPECT_EQ(WrittenFace(), rt::DefaultFaceName());
    SetPointer(kFont, "", 6);
    EXPECT_EQ(WrittenFace(), rt::DefaultFaceName());
    SetPointer(kFont, nullptr, 6);
    EXPECT_EQ(WrittenFace(), rt::DefaultFaceName());
    EXPECT_EQ(rt::DefaultFaceName(), std::string(StockFont().lfFaceName));
}

TEST_F(FontKindTest, AWholeFontValueBuildsTheRecordFromNothing) {
    std::string face30(30, 'c');
    rt::FontValue value{-900, 3, 1, 0, 7, 10, face30.c_str()};
    SetPointer(kFont, &value, -1);
    LOGFONT font = Written();
    EXPECT_EQ(font.lfOrientation, -900);  // given whole, the angle is taken as it is
    EXPECT_EQ(font.lfEscapement, -900);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfStrikeOut, 0);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_EQ(font.lfHeight, -13);  // 10 points: 13.33 pixels
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfCharSet, 0);
    EXPECT_EQ(WrittenFace(), face30);

    std::string face31(31, 'd');
    value = {0, 0, 0, 0, 0, -3, face31.c_str()};
    SetPointer(kFont, &value, -1);
    EXPECT_EQ(WrittenFace(), rt::DefaultFaceName());
    EXPECT_EQ(Written().lfHeight, 0);
    EXPECT_EQ(Written().lfWeight, 0);
    value.face = "";
    SetPointer(kFont, &value, -1);
    EXPECT_EQ(WrittenFace(), "");
    value.face = nullptr;
    SetPointer(kFont, &value, -1);
    EXPECT_EQ(WrittenFace(), rt::DefaultFaceName());

    int before = unit_.setCount;
    SetPointer(kFont, nullptr, -1);
    EXPECT_EQ(unit_.setCount, before);
}

TEST_F(FontKindTest, AFailingGetterGivesTheDefaultInterfaceFont) {
    unit_.getterAnswers = false;
    auto* value = PointerOf<rt::FontValue>(Get(kFont, -1));
    ASSERT_NE(value, nullptr);
    LOGFONT stock = StockFont();
    EXPECT_EQ(value->angle, stock.lfOrientation);
    EXPECT_EQ(value->bold, stock.lfWeight > 699 ? 1 : 0);
    EXPECT_EQ(value->italic, 0);
    EXPECT_EQ(value->strikeOut, 0);
    EXPECT_EQ(value->underline, 0);
    EXPECT_EQ(value->size, int32_t(std::lround(std::abs(stock.lfHeight) * 72.0 / 96.0)));
    ASSERT_NE(value->face, nullptr);
    EXPECT_STREQ(value->face, stock.lfFaceName);
    rt::RtFree(const_cast<char*>(value->face));
    rt::RtFree(value);

    // A record that is not a whole font counts as none.
    unit_.getterAnswers = true;
    unit_.give = {reinterpret_cast<uintptr_t>(&held_), 59};
    char* face = PointerOf<char>(Get(kFont, 6));
    ASSERT_NE(face, nullptr);
    EXPECT_STREQ(face, stock.lfFaceName);
    rt::RtFree(face);
}

TEST(MultiplyDivide, RoundsHalfAwayFromZero) {
    EXPECT_EQ(rt::MultiplyDivide(11, 72, 96), 8);   // 8.25
    EXPECT_EQ(rt::MultiplyDivide(12, 72, 96), 9);   // 9.0
    EXPECT_EQ(rt::MultiplyDivide(14, 72, 96), 11);  // 10.5
    EXPECT_EQ(rt::MultiplyDivide(-14, 72, 96), -11);
    EXPECT_EQ(rt::MultiplyDivide(14, 72, -96), -11);
    EXPECT_EQ(rt::MultiplyDivide(1, 2, 0), -1);
    EXPECT_EQ(rt::MultiplyDivide(0x40000000, 8, 1), -1);
}

}  // namespace
