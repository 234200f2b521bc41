#include "corelib/commands/value_text.h"

#include <charconv>
#include <cstdio>
#include <limits>

#include "corelib/textservices/date_time_text.h"
#include "corelib/textservices/fold_wide_chars.h"

namespace corelib {
namespace {

template <typename Number>
std::string Shortest(Number value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return {};
    return std::string(buffer, end);
}

}  // namespace

std::optional<std::string> FormatScalar(const rt::ArgRecord& value) {
    char buffer[32];
    switch (value.type) {
        case rt::TYPE_INT:
            return std::to_string(int32_t(value.low));
        case rt::TYPE_SHORT:
            return std::to_string(int16_t(value.low & 0xffff));
        case rt::TYPE_BYTE:
            std::snprintf(buffer, sizeof buffer, "%u", unsigned(value.low & 0xff));
            return std::string(buffer);
        case rt::TYPE_LONG:
            return std::to_string(static_cast<long long>(value.asLong()));
        case rt::TYPE_FLOAT:
            return Shortest(value.asFloat());
        case rt::TYPE_DOUBLE:
            return Shortest(value.asDouble());
        case rt::TYPE_BOOL:
            return std::string(value.low ? kTrueText : kFalseText);
        case rt::TYPE_DATETIME:
            return DateTimeToText(value.asDouble());
        case rt::TYPE_TEXT:
            return std::string(value.asText() ? value.asText() : "");
        default:
            return std::nullopt;
    }
}

int32_t ParseInteger(const char* text) {
    std::string folded = FoldWideChars(text);
    size_t at = 0;
    while (at < folded.size() && (folded[at] == ' ' || folded[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < folded.size() && (folded[at] == '-' || folded[at] == '+')) {
        negative = folded[at] == '-';
        ++at;
    }
    int64_t value = 0;
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min())
                                   : int64_t(std::numeric_limits<int32_t>::max());
    for (; at < folded.size() && folded[at] >= '0' && folded[at] <= '9'; ++at) {
        value = value * 10 + (folded[at] - '0');
        if (value > limit) {
            value = limit;
            // Keep consuming digits; the value stays at the limit.
        }
    }
    return int32_t(negative ? -value : value);
}

}  // namespace corelib
