// ToText, ToInteger and ToBytes, and their round trips.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "corelib/textservices/date_time_text.h"
#include "tests/corelib/command_test_support.h"

namespace {

using namespace testsupport;
using corelib::ToBytes;
using corelib::ToInteger;
using corelib::ToText;

// A fresh array block of ints, released by the caller with RtFree.
rt::ArrayBlock* IntArray(std::vector<int32_t> values) {
    auto* array = static_cast<rt::ArrayBlock*>(rt::RtAlloc(8 + 4 * values.size()));
    array->dimensionCount = 1;
    array->dimensions()[0] = uint32_t(values.size());
    std::memcpy(array->elements(), values.data(), 4 * values.size());
    return array;
}

TEST(ToBytesCommand, ValuesGiveTheirBytesLowFirst) {
    EXPECT_EQ(RunBytes(ToBytes, {I(5)}), std::string("\x05\x00\x00\x00", 4));
    EXPECT_EQ(RunBytes(ToBytes, {rt::ArgRecord::Int(0x1234, rt::TYPE_SHORT)}),
              std::string("\x34\x12", 2));
    EXPECT_EQ(RunBytes(ToBytes, {rt::ArgRecord::Long(-2)}),
              std::string(8, '\xFF').replace(0, 1, "\xFE"));
    EXPECT_EQ(RunBytes(ToBytes, {T("abc")}), "abc");
    EXPECT_EQ(RunBytes(ToBytes, {T("")}), "");
    EXPECT_EQ(RunBytes(ToBytes, {rt::ArgRecord::Unit(1, 2, rt::CORE_WINDOW_TYPE)}), "");
    rt::ArrayBlock* numbers = IntArray({1, 0x0201});
    EXPECT_EQ(RunBytes(ToBytes, {rt::ArgRecord::Pointer(numbers, rt::TYPE_INT | rt::ARRAY_FLAG)}),
              std::string("\x01\x00\x00\x00\x01\x02\x00\x00", 8));
    EXPECT_EQ(RunBytes(ToBytes, {rt::ArgRecord::Pointer(numbers, rt::TYPE_TEXT | rt::ARRAY_FLAG)}),
              "");
    rt::RtFree(numbers);
}

TEST(ToTextCommand, RoundTripsThroughBytesStopAtTheFirstZero) {
    for (const char* text : {"plain", "\xB0\xA1\xC4\xEA 2020", "x"}) {
        rt::ResultSlot bytes = Call(ToBytes, {T(text)});
        EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Pointer(bytes.asPointer(), rt::TYPE_BYTES)}),
                  text);
        rt::RtFree(bytes.asPointer());
    }
    rt::ArrayBlock* numbers = IntArray({0x44434241, 0x00004645, 0x41414141});
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Pointer(numbers, rt::TYPE_INT | rt::ARRAY_FLAG)}),
              "ABCDEF");
    rt::RtFree(numbers);
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::BytesArg(nullptr)}), "");
}

TEST(ToTextCommand, NumbersLogicalsAndDates) {
    EXPECT_EQ(RunText(ToText, {I(-12)}), "-12");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Int(200, rt::TYPE_BYTE)}), "200");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Int(0xFFFF, rt::TYPE_SHORT)}), "-1");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Long(-9000000000LL)}), "-9000000000");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Double(0.1)}), "0.1");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Double(2.5e20)}), "2.5e+20");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Int(1, rt::TYPE_BOOL)}), "true");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Int(0, rt::TYPE_BOOL)}), "false");
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Double(43831.5, rt::TYPE_DATETIME)}),
              corelib::DateTimeToText(43831.5));
    EXPECT_EQ(RunText(ToText, {rt::ArgRecord::Unit(1, 2, rt::CORE_WINDOW_TYPE)}), "");
    // Formatting and reading agree.
    for (int32_t value : {0, 7, -7, 2147483647, -2147483647 - 1}) {
        std::string text = RunText(ToText, {I(value)});
        EXPECT_EQ(RunInt(ToInteger, {T(text.c_str())}), value) << text;
    }
}

TEST(ToIntegerCommand, TextsAreFoldedThenReadAsDecimals) {
    EXPECT_EQ(RunInt(ToInteger, {T("\xA3\xB1\xA3\xB2")}), 12);  // full-width digits
    EXPECT_EQ(RunInt(ToInteger, {T("\xA3\xAD\xA3\xB3")}), -3);  // full-width minus
    EXPECT_EQ(RunInt(ToInteger, {T("  -42abc")}), -42);
    EXPECT_EQ(RunInt(ToInteger, {T("+8")}), 8);
    EXPECT_EQ(RunInt(ToInteger, {T("abc")}), 0);
    EXPECT_EQ(RunInt(ToInteger, {T("99999999999")}), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RunInt(ToInteger, {T("-99999999999")}), std::numeric_limits<int32_t>::min());
}

TEST(ToIntegerCommand, NumbersKeepTheirLow32BitsOrDropTheFraction) {
    EXPECT_EQ(RunInt(ToInteger, {rt::ArgRecord::Int(0xFFFFFF80, rt::TYPE_BYTE)}), 0x80);
    EXPECT_EQ(RunInt(ToInteger, {rt::ArgRecord::Int(0xFF80, rt::TYPE_SHORT)}), -128);
    EXPECT_EQ(RunInt(ToInteger, {rt::ArgRecord::Long(0x1'0000'0009)}), 9);
    EXPECT_EQ(RunInt(ToInteger, {rt::ArgRecord::Double(-2.9)}), -2);
    EXPECT_EQ(RunInt(ToInteger, {rt::ArgRecord::Double(std::nan(""))}), 0);
    EXPECT_EQ(RunInt(ToInteger, {rt::ArgRecord::Double(1e300)}),
              std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RunInt(ToInteger, {rt::ArgRecord::Double(1.0, rt::TYPE_DATETIME)}), 0);
}

TEST(ByteCommands, LengthsAndZeroBlocks) {
    EXPECT_EQ(RunBytes(corelib::ZeroBytes, {I(3)}), std::string(3, '\0'));
    EXPECT_EQ(RunBytes(corelib::ZeroBytes, {I(-3)}), "");
    rt::ResultSlot bytes = Call(ToBytes, {T("four")});
    EXPECT_EQ(
        RunInt(corelib::BytesLength, {rt::ArgRecord::Pointer(bytes.asPointer(), rt::TYPE_BYTES)}),
        4);
    rt::RtFree(bytes.asPointer());
    EXPECT_EQ(RunInt(corelib::BytesLength, {rt::ArgRecord::BytesArg(nullptr)}), 0);
}

TEST(BitCommands, FoldAllArgumentsAndShiftModulo32) {
    EXPECT_EQ(RunInt(corelib::BitOr, {I(1), I(2), I(8)}), 11);
    EXPECT_EQ(RunInt(corelib::BitOr, {I(6)}), 6);
    EXPECT_EQ(corelib::FoldBits(0, 2, std::vector<rt::ArgRecord>{I(6), I(3)}.data()), 2);
    EXPECT_EQ(corelib::FoldBits(2, 2, std::vector<rt::ArgRecord>{I(6), I(3)}.data()), 5);
    EXPECT_EQ(RunInt(corelib::ShiftLeft, {I(1), I(33)}), 2);
    EXPECT_EQ(RunInt(corelib::ShiftLeft, {I(1), I(31)}), std::numeric_limits<int32_t>::min());
}

}  // namespace
