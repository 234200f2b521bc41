#include "corelib/textservices/fold_wide_chars.h"

#include <cstdint>
#include <cstring>

namespace corelib {

namespace {

// Answers the ASCII byte for a double-byte pair, or 0 when the pair has none.
char FoldPair(uint8_t lead, uint8_t trail) {
    if (lead == 0xA1) {
        if (trail == 0xA1)
            return ' ';
        if (trail == 0xAB)
            return '~';
        if (trail == 0xEE || trail == 0xEF)
            return '*';
        return 0;
    }
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
        return static_cast<char>(trail & 0x7F);
    return 0;
}

}  // namespace

std::string FoldWideChars(std::string_view text, bool dropSpaces) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (byte == 0)
            break;
        if (byte < 0x80) {
            if (!(dropSpaces && byte == ' '))
                out.push_back(static_cast<char>(byte));
            continue;
        }
        if (i + 1 >= text.size() || text[i + 1] == 0)
            break;
        const auto trail = static_cast<uint8_t>(text[++i]);
        const char folded = FoldPair(byte, trail);
        if (folded == 0) {
            out.push_back(static_cast<char>(byte));
            out.push_back(static_cast<char>(trail));
        } else if (!(dropSpaces && folded == ' ')) {
            out.push_back(folded);
        }
    }
    return out;
}

std::string FoldWideChars(const char* text, bool dropSpaces) {
    if (text == nullptr)
        return {};
    return FoldWideChars(std::string_view(text, std::strlen(text)), dropSpaces);
}

}  // namespace corelib
