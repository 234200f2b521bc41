#include "corelib/textservices/date_parts.h"

#include <algorithm>
#include <cmath>

namespace corelib {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1 January 1970 of a proleptic Gregorian date (the well-known
// era-based civil calendar conversion).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int32_t& year, int32_t& month, int32_t& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int32_t>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int32_t>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int32_t>(yearOfEra + era * 400 + (month <= 2));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

}  // namespace

int32_t DaysInMonth(int32_t year, int32_t month) {
    static constexpr int32_t kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kLengths[month - 1];
}

double DateTimeFromParts(const DateParts& parts) {
    const int64_t days = DaysFromCivil(parts.year, parts.month, parts.day) - kEpochDays;
    const double time =
        static_cast<double>(parts.hour * 3600 + parts.minute * 60 + parts.second) / kSecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

DateParts SplitDateTime(double value) {
    double whole = std::trunc(value);
    int64_t days = static_cast<int64_t>(whole);
    int64_t seconds = std::llround(std::fabs(value - whole) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {  // rounded up to the next midnight
        seconds -= kSecondsPerDay;
        days += 1;
    }
    DateParts parts;
    CivilFromDays(days + kEpochDays, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int32_t>(seconds / 3600);
    parts.minute = static_cast<int32_t>(seconds / 60 % 60);
    parts.second = static_cast<int32_t>(seconds % 60);
    return parts;
}

void NormaliseDateParts(int32_t& year, int32_t& month, int32_t& day, int32_t& hour, int32_t& minute,
                        int32_t& second) {
    year = std::clamp(year, 100, 9999);
    month = std::clamp(month, 1, 12);
    day = std::clamp(day, 1, 31);
    hour = std::clamp(hour, 0, 23);
    minute = std::clamp(minute, 0, 59);
    second = std::clamp(second, 0, 59);
    day = std::min(day, DaysInMonth(year, month));
}

}  // namespace corelib
