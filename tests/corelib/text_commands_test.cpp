// Measuring, cutting, finding and splitting, with two-byte characters.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/corelib/command_test_support.h"

namespace {

using namespace testsupport;
using corelib::FindFirst;
using corelib::FindLast;

// "\xB0\x41" is one two-byte character whose trail byte reads as 'A'.
constexpr const char* kPairWithA =
    "\xB0\x41"
    "A";

TEST(FindCommands, RegionsAndEmptySoughtTexts) {
    EXPECT_EQ(RunInt(FindFirst, {T("abc"), T("")}), 1);
    EXPECT_EQ(RunInt(FindFirst, {T(""), T("")}), -1);
    EXPECT_EQ(RunInt(FindFirst, {T("abcabc"), T("c"), I(0)}), 3);
    EXPECT_EQ(RunInt(FindFirst, {T("abcabc"), T("c"), I(-3)}), 3);
    EXPECT_EQ(RunInt(FindFirst, {T("abcabc"), T("c"), I(4)}), 6);
    EXPECT_EQ(RunInt(FindFirst, {T("abc"), T("c"), I(4)}), -1);
    EXPECT_EQ(RunInt(FindFirst, {T("abc"), T("abcd")}), -1);
    EXPECT_EQ(RunInt(FindLast, {T("xax"), T("x"), I(1)}), -1);
    EXPECT_EQ(RunInt(FindLast, {T("axaxax"), T("x")}), 6);
    // The region ends before byte 6: the match must fit inside it.
    EXPECT_EQ(RunInt(FindLast, {T("axaxax"), T("x"), I(6)}), 4);
    EXPECT_EQ(RunInt(FindLast, {T("axaxax"), T("ax"), I(6)}), 3);
}

TEST(FindCommands, IgnoreCaseOnlyWhenTheFlagIsExactlyOne) {
    EXPECT_EQ(RunInt(FindFirst, {T("Hello"), T("hELLO"), Omit(), I(1)}), 1);
    EXPECT_EQ(RunInt(FindFirst, {T("Hello"), T("hELLO"), Omit(), I(2)}), -1);
    EXPECT_EQ(
        RunInt(FindFirst, {T("Hello"), T("hELLO"), Omit(), rt::ArgRecord::Int(1, rt::TYPE_BOOL)}),
        1);
    EXPECT_EQ(RunInt(FindLast, {T("aAaA"), T("a"), Omit(), I(1)}), 4);
}

TEST(FindCommands, NeverMatchTheSecondByteOfACharacter) {
    EXPECT_EQ(RunInt(FindFirst, {T(kPairWithA), T("A")}), 3);
    EXPECT_EQ(RunInt(FindLast, {T("A\xB0\x41"), T("A")}), 1);
    // The trail byte 0x61 is not a letter to fold.
    EXPECT_EQ(RunInt(FindFirst, {T("\xB0\x61"), T("A"), Omit(), I(1)}), -1);
    EXPECT_EQ(RunInt(FindFirst, {T("x\xB0\xA1y"), T("\xB0\xA1")}), 2);
    // A lead byte with nothing after it ends the scan without reading past.
    EXPECT_EQ(RunInt(FindLast, {T("ab\xB0"), T("b")}), 2);
    EXPECT_EQ(RunInt(FindFirst, {T("ab\xB0"), T("\xB0x")}), -1);
}

// Splits and answers the pieces; null elements read as "(null)".
std::vector<std::string> Split(std::vector<rt::ArgRecord> args) {
    rt::ResultSlot slot = Call(corelib::SplitText, std::move(args));
    EXPECT_EQ(slot.type, rt::TYPE_TEXT | rt::ARRAY_FLAG);
    auto* array = static_cast<rt::ArrayBlock*>(slot.asPointer());
    std::vector<std::string> pieces;
    if (!array)
        return {"(no array)"};
    EXPECT_EQ(array->dimensionCount, 1u);
    for (uint64_t i = 0; i < array->elementCount(); ++i) {
        char* piece;
        std::memcpy(&piece, array->elements() + i * sizeof piece, sizeof piece);
        pieces.push_back(piece ? piece : "(null)");
        if (piece)
            rt::RtFree(piece);
    }
    rt::RtFree(array);
    return pieces;
}

using Pieces = std::vector<std::string>;

TEST(SplitCommand, SeparatorsAtTheEndsAndLimits) {
    EXPECT_EQ(Split({T("a;b;"), T(";")}), (Pieces{"a", "b"}));
    EXPECT_EQ(Split({T(";a;b"), T(";")}), (Pieces{"(null)", "a", "b"}));
    EXPECT_EQ(Split({T("a;;b"), T(";")}), (Pieces{"a", "(null)", "b"}));
    EXPECT_EQ(Split({T("a;b;c"), T(";"), I(1)}), (Pieces{"a"}));
    EXPECT_EQ(Split({T("a;b;c"), T(";"), I(2)}), (Pieces{"a", "b"}));
    EXPECT_EQ(Split({T("a;b;c"), T(";"), I(-4)}), Pieces{});
    EXPECT_EQ(Split({T(""), T(";")}), Pieces{});
    EXPECT_EQ(Split({T("a;b"), T("")}), (Pieces{"a;b"}));
    EXPECT_EQ(Split({T("a,b")}), (Pieces{"a", "b"}));
    EXPECT_EQ(Split({T("one<>two<>three"), T("<>")}), (Pieces{"one", "two", "three"}));
}

TEST(SplitCommand, SeparatorInsideATwoByteCharacterDoesNotSplit) {
    EXPECT_EQ(Split({T("\xB0,x,y"), T(",")}), (Pieces{"\xB0,x", "y"}));
    EXPECT_EQ(Split({T("\xB0\xA1\xB0\xA1"), T("\xA1\xB0")}), (Pieces{"\xB0\xA1\xB0\xA1"}));
}

TEST(CutCommands, CountsAreClamped) {
    EXPECT_EQ(RunText(corelib::LeftPart, {T("hello"), I(100)}), "hello");
    EXPECT_EQ(RunText(corelib::LeftPart, {T("hello"), I(-1)}), "");
    EXPECT_EQ(RunText(corelib::LeftPart, {T("hello"), I(2)}), "he");
    EXPECT_EQ(RunText(corelib::RightPart, {T("hello"), I(3)}), "llo");
    EXPECT_EQ(RunText(corelib::RightPart, {T("hello"), I(0)}), "");
    EXPECT_EQ(RunText(corelib::RightPart, {T("hello"), I(9)}), "hello");
    EXPECT_EQ(RunInt(corelib::TextLength, {T("\xB0\xA1z")}), 3);
    EXPECT_EQ(RunInt(corelib::TextLength, {T(nullptr)}), 0);
}

}  // namespace
