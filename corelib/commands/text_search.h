// Searching and splitting 8-bit texts that may hold two-byte characters (a
// byte with its top bit set leads a pair). Scans advance a whole character
// at a time, so a match never starts on the second byte of a pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace corelib {

inline constexpr std::string_view kDefaultSplitSeparator = ",";

// Searches text[begin, end) for `sought`, answering the 1-based position in
// the whole text of the first (or, with findLast, the last) occurrence, or
// -1. An empty `sought` answers 1 when the region is not empty. Ignoring
// case folds ASCII letters only; two-byte characters compare exactly.
int32_t SearchText(std::string_view text, std::string_view sought, size_t begin, size_t end,
                   bool findLast, bool ignoreCase);

struct TextPiece {
    size_t offset;
    size_t length;
};

// The pieces between separators. A negative limit means no limit; a limit
// of n gives at most n pieces. A trailing separator adds no empty piece.
// An empty separator gives the whole text as one piece.
std::vector<TextPiece> SplitPieces(std::string_view text, std::string_view separator,
                                   int32_t limit);

}  // namespace corelib
