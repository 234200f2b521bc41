// Date-time texts: the parser's accepted and refused forms, the formatter's
// patterns, the day count against published values, and the formatter and
// parser agreeing over the whole valid range.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "corelib/textservices/date_parts.h"
#include "corelib/textservices/date_time_text.h"
#include "corelib/textservices/fold_wide_chars.h"

namespace {

using corelib::DateTimeToText;
using corelib::TextToDateTime;

// The unit marks in GB2312.
const std::string kYear = "\xC4\xEA", kMonth = "\xD4\xC2", kDay = "\xC8\xD5";
const std::string kHour = "\xCA\xB1", kMinute = "\xB7\xD6", kSecond = "\xC3\xEB";

double Parse(const std::string& text) {
    double value = -12345.0;
    EXPECT_TRUE(TextToDateTime(text.c_str(), value)) << text;
    return value;
}

TEST(FoldWideChars, FoldsFullWidthFormsAndKeepsOtherPairs) {
    using corelib::FoldWideChars;
    // Full-width "A1", an ideographic space, "~" and "*".
    EXPECT_EQ(FoldWideChars("\xA3\xC1\xA3\xB1\xA1\xA1\xA1\xAB\xA1\xEE"), "A1 ~*");
    EXPECT_EQ(FoldWideChars("\xA3\xC1 \xA1\xA1x", true), "Ax");
    EXPECT_EQ(FoldWideChars("\xD6\xD0\xCE\xC4"), "\xD6\xD0\xCE\xC4");  // hanzi stay
    EXPECT_EQ(FoldWideChars(std::string_view("ab\xA3", 3)), "ab");     // lone lead byte
    EXPECT_EQ(FoldWideChars(std::string_view("a\0b", 3)), "a");        // stops at zero
    EXPECT_EQ(FoldWideChars(static_cast<const char*>(nullptr)), "");
}

TEST(DateParts, DayCountMatchesPublishedValues) {
    // Serial dates as spreadsheets and automation dates count them.
    struct Case {
        corelib::DateParts parts;
        double value;
    } cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},       {{1900, 1, 1, 0, 0, 0}, 2.0},
        {{2000, 1, 1, 0, 0, 0}, 36526.0},     {{2020, 1, 2, 3, 4, 5}, 43832.0 + 11045.0 / 86400},
        {{1899, 12, 29, 6, 0, 0}, -1.25},     {{100, 1, 1, 0, 0, 0}, -657434.0},
        {{9999, 12, 31, 0, 0, 0}, 2958465.0}, {{1800, 1, 1, 12, 0, 0}, -36522.5},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(corelib::DateTimeFromParts(c.parts), c.value) << c.value;
        EXPECT_EQ(corelib::SplitDateTime(c.value), c.parts) << c.value;
    }
}

TEST(TextToDateTime, AcceptsValidDatesAndRefusesTheRest) {
    for (const char* text : {"2020-02-29", "2000-02-29", "0100-01-01", "9999-12-31 23:59:59",
                             "2020.1.2", "2020/01/02 03:04", "2020-1-2-3-4-5", "2020:1:2:3"}) {
        double value = 0;
        EXPECT_TRUE(TextToDateTime(text, value)) << text;
    }
    for (const char* text : {"", "2020", "2019-02-29", "1900-02-29", "99-01-01", "10000-01-01",
                             "2020-13-01", "2020-01-01 24:00:00", "2020-04-31", "2020-01-01 10:60",
                             "2020-01-01x", "2020-01-01 1:2:3:4", "abc"}) {
        double value = 7.5;
        EXPECT_FALSE(TextToDateTime(text, value)) << text;
        EXPECT_EQ(value, 7.5) << "refused text changed the value: " << text;
    }
    double value = 0;
    EXPECT_FALSE(TextToDateTime(nullptr, value));
}

TEST(TextToDateTime, ReadsTimesUnitMarksAndFullWidthDigits) {
    const double day = corelib::DateTimeFromParts({2020, 1, 2, 0, 0, 0});
    EXPECT_DOUBLE_EQ(Parse("2020/1/2 3:04:05"), day + (3 * 3600 + 4 * 60 + 5) / 86400.0);
    EXPECT_DOUBLE_EQ(Parse("2020.1.2"), day);
    EXPECT_DOUBLE_EQ(Parse("2020" + kYear + "1" + kMonth + "2" + kDay + "3" + kHour + "4" +
                           kMinute + "5" + kSecond + "anything"),
                     Parse("2020-01-02 03:04:05"));
    // Full-width digits and separators, and an ideographic space.
    EXPECT_DOUBLE_EQ(Parse("\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB0\xA3\xAD\xA3\xB1\xA3\xAD\xA3\xB2"
                           "\xA1\xA1\xA3\xB3"),
                     day + 3 / 24.0);
}

TEST(DateTimeToText, WritesTheShortestPatternAndClampsTheRange) {
    const double day = corelib::DateTimeFromParts({2020, 1, 2, 0, 0, 0});
    EXPECT_EQ(DateTimeToText(day), "2020" + kYear + "1" + kMonth + "2" + kDay);
    EXPECT_EQ(DateTimeToText(day + 10 / 24.0),
              "2020" + kYear + "1" + kMonth + "2" + kDay + "10" + kHour);
    EXPECT_EQ(DateTimeToText(day + (10 * 60 + 5) / 1440.0),
              "2020" + kYear + "1" + kMonth + "2" + kDay + "10" + kHour + "5" + kMinute);
    EXPECT_EQ(
        DateTimeToText(day + (10 * 3600 + 30) / 86400.0),
        "2020" + kYear + "1" + kMonth + "2" + kDay + "10" + kHour + "0" + kMinute + "30" + kSecond);
    EXPECT_EQ(DateTimeToText(3000000.0), "9999" + kYear + "12" + kMonth + "31" + kDay);
    EXPECT_EQ(DateTimeToText(-1e9), "100" + kYear + "1" + kMonth + "1" + kDay);
    // A time on the last day survives instead of being clamped to midnight.
    EXPECT_EQ(DateTimeToText(2958465.5),
              "9999" + kYear + "12" + kMonth + "31" + kDay + "12" + kHour);
}

TEST(DateTimeToText, EveryWrittenTextReadsBackToItsValue) {
    std::mt19937_64 rng(7);
    const int64_t firstDay = -657434, lastDay = 2958465;
    for (int sample = 0; sample < 200000; ++sample) {
        const int64_t day = firstDay + static_cast<int64_t>(rng() % (lastDay - firstDay + 1));
        const int64_t second = sample % 4 == 0 ? 0 : static_cast<int64_t>(rng() % 86400);
        const double time = second / 86400.0;
        const double value = day >= 0 ? day + time : day - time;
        const std::string text = DateTimeToText(value);
        double back = 0;
        ASSERT_TRUE(TextToDateTime(text.c_str(), back)) << value;
        ASSERT_NEAR(back, value, 0.1 / 86400) << value;
    }
}

}  // namespace
