// Reading and writing date-time values as text in calendar order: year,
// month, day, hour, minute, second. Input may separate the fields with
// ASCII "-", ".", "/", ":" (a space between date and time) or with the
// GB2312 unit marks 年 月 日 时 分 秒, and may use full-width digits.
// Output uses the unit marks: 2020年1月2日3时4分5秒, with trailing zero
// time fields left out (a date at midnight is the date alone).
#pragma once

#include <string>

namespace corelib {

// Answers true and stores the value when `text` (a runtime text, null is
// empty) is a valid date-time; otherwise leaves `value` untouched.
bool TextToDateTime(const char* text, double& value);

// The text of a value; values beyond the valid days are clamped to the
// first or last valid day.
std::string DateTimeToText(double value);

}  // namespace corelib
