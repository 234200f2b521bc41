// The value model's date-time: an 8-byte day count from 30 December 1899
// whose fraction is the time of day. Days before that date count down from
// 0 while the fraction still counts the time forward from midnight, so
// -1.25 is 29 December 1899, 06:00.
#pragma once

#include <cstdint>

namespace corelib {

struct DateParts {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    bool operator==(const DateParts&) const = default;
};

inline constexpr double kFirstValidDateTime = -657434.0;  // 1 January 100
inline constexpr double kLastValidDateTime = 2958465.0;   // 31 December 9999

// Days of a month, February by the Gregorian leap rule.
int32_t DaysInMonth(int32_t year, int32_t month);

// Builds the value of valid parts (as NormaliseDateParts leaves them).
double DateTimeFromParts(const DateParts& parts);

// Splits a value into parts, the time rounded to the nearest second. The
// value must lie within the valid range widened by one day on each side.
DateParts SplitDateTime(double value);

// Clamps every part into its range, the day last into its month's length.
// Parts that were valid come back unchanged, which makes this the validity
// test of parsed texts.
void NormaliseDateParts(int32_t& year, int32_t& month, int32_t& day, int32_t& hour, int32_t& minute,
                        int32_t& second);

}  // namespace corelib
