// Walking a runtime text character by character: a byte with its top bit
// set starts a two-byte character, so its trail byte is never read as an
// ASCII character ('&', '.', '/').
#pragma once

#include <cstddef>
#include <string_view>

namespace rt {

inline size_t RuntimeCharacterLength(std::string_view text, size_t at) {
    bool lead = static_cast<unsigned char>(text[at]) & 0x80;
    return lead && at + 1 < text.size() ? 2 : 1;
}

}  // namespace rt
