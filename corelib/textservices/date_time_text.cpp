#include "corelib/textservices/date_time_text.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "corelib/textservices/date_parts.h"
#include "corelib/textservices/fold_wide_chars.h"

namespace corelib {

namespace {

// The GB2312 unit marks, lead byte first.
constexpr std::string_view kYearMark = "\xC4\xEA";
constexpr std::string_view kMonthMark = "\xD4\xC2";
constexpr std::string_view kDayMark = "\xC8\xD5";
constexpr std::string_view kHourMark = "\xCA\xB1";
constexpr std::string_view kMinuteMark = "\xB7\xD6";
constexpr std::string_view kSecondMark = "\xC3\xEB";

class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    int32_t Number(int maxDigits) {
        int32_t value = 0;
        for (int n = 0; n < maxDigits && pos_ < text_.size(); ++n) {
            const char c = text_[pos_];
            if (c < '0' || c > '9')
                break;
            value = value * 10 + (c - '0');
            ++pos_;
        }
        return value;
    }

    void SkipSeparator(std::string_view asciiChoices, std::string_view mark) {
        if (pos_ >= text_.size())
            return;
        if (asciiChoices.find(text_[pos_]) != std::string_view::npos) {
            ++pos_;
        } else if (text_.substr(pos_, mark.size()) == mark) {
            pos_ += mark.size();
        }
    }

    bool EndsOrMark(std::string_view mark) const {
        return pos_ == text_.size() || text_.substr(pos_, mark.size()) == mark;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

bool TextToDateTime(const char* text, double& value) {
    const std::string folded = FoldWideChars(text, false);
    if (folded.empty())
        return false;

    FieldReader reader(folded);
    DateParts parts;
    parts.year = reader.Number(4);
    reader.SkipSeparator("-./:", kYearMark);
    parts.month = reader.Number(2);
    reader.SkipSeparator("-./:", kMonthMark);
    parts.day = reader.Number(2);
    reader.SkipSeparator(" -./:", kDayMark);
    parts.hour = reader.Number(2);
    reader.SkipSeparator("-./:", kHourMark);
    parts.minute = reader.Number(2);
    reader.SkipSeparator("-./:", kMinuteMark);
    parts.second = reader.Number(2);
    if (!reader.EndsOrMark(kSecondMark))
        return false;

    DateParts normal = parts;
    NormaliseDateParts(normal.year, normal.month, normal.day, normal.hour, normal.minute,
                       normal.second);
    if (!(normal == parts))
        return false;
    value = DateTimeFromParts(parts);
    return true;
}

std::string DateTimeToText(double value) {
    // Whole days beyond the range clamp to its edge; a time on the first or
    // last day itself is kept.
    if (std::isnan(value))
        value = 0;
    if (value >= kLastValidDateTime + 1)
        value = kLastValidDateTime;
    if (value <= kFirstValidDateTime - 1)
        value = kFirstValidDateTime;
    DateParts parts = SplitDateTime(value);
    if (parts.year > 9999)
        parts = SplitDateTime(kLastValidDateTime);

    std::string text;
    auto append = [&text](int32_t number, std::string_view mark) {
        text += std::to_string(number);
        text += mark;
    };
    append(parts.year, kYearMark);
    append(parts.month, kMonthMark);
    append(parts.day, kDayMark);
    if (parts.second != 0) {
        append(parts.hour, kHourMark);
        append(parts.minute, kMinuteMark);
        append(parts.second, kSecondMark);
    } else if (parts.minute != 0) {
        append(parts.hour, kHourMark);
        append(parts.minute, kMinuteMark);
    } else if (parts.hour != 0) {
        append(parts.hour, kHourMark);
    }
    return text;
}

}  // namespace corelib
