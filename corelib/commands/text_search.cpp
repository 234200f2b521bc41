#include "corelib/commands/text_search.h"

#include <cstdint>
#include <cstring>

namespace corelib {
namespace {

bool IsLeadByte(char c) {
    return (static_cast<unsigned char>(c) & 0x80) != 0;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Compares sought.size() bytes at `at`. Only single-byte characters of the
// text are case-folded: a trail byte may look like an ASCII letter.
bool MatchesIgnoringCase(const char* at, std::string_view sought) {
    size_t k = 0;
    while (k < sought.size()) {
        if (IsLeadByte(at[k])) {
            if (at[k] != sought[k])
                return false;
            if (k + 1 < sought.size() && at[k + 1] != sought[k + 1])
                return false;
            k += 2;
            continue;
        }
        if (FoldAscii(at[k]) != FoldAscii(sought[k]))
            return false;
        ++k;
    }
    return true;
}

// The next character start after `at`, or `end` when a lead byte has no
// trail byte left.
size_t NextCharacter(std::string_view text, size_t at, size_t end) {
    if (!IsLeadByte(text[at]))
        return at + 1;
    return at + 2 <= end ? at + 2 : end;
}

constexpr uint64_t kHighBits = 0x8080808080808080ull;

// Walks character starts from the boundary `at` until reaching or passing
// `target`. Runs of single-byte characters are skipped a word or four at a
// time.
size_t AdvanceTo(std::string_view text, size_t at, size_t target) {
    const char* p = text.data();
    while (at < target) {
        while (at + 32 <= target) {
            uint64_t words[4];
            std::memcpy(words, p + at, 32);
            if ((words[0] | words[1] | words[2] | words[3]) & kHighBits)
                break;
            at += 32;
        }
        while (at + 8 <= target) {
            uint64_t word;
            std::memcpy(&word, p + at, 8);
            if (word & kHighBits)
                break;
            at += 8;
        }
        while (at < target && !IsLeadByte(p[at]))
            ++at;
        if (at < target)
            at += 2;
    }
    return at;
}

// The first occurrence of `sought` in text[at, end) that starts on a
// character boundary, given that `at` is one; npos when there is none. The
// platform's substring search finds candidates, and a candidate inside a
// two-byte character is skipped.
size_t FindOnBoundary(std::string_view text, std::string_view sought, size_t at, size_t end) {
    std::string_view region = text.substr(0, end);
    while (at <= end && end - at >= sought.size()) {
        size_t candidate = region.find(sought, at);
        if (candidate == std::string_view::npos)
            return candidate;
        at = AdvanceTo(text, at, candidate);
        if (at == candidate)
            return candidate;
    }
    return std::string_view::npos;
}

}  // namespace

int32_t SearchText(std::string_view text, std::string_view sought, size_t begin, size_t end,
                   bool findLast, bool ignoreCase) {
    if (end > text.size())
        end = text.size();
    if (begin >= end)
        return -1;
    if (sought.empty())
        return 1;
    if (!ignoreCase) {
        int32_t found = -1;
        for (size_t at = begin;;) {
            size_t match = FindOnBoundary(text, sought, at, end);
            if (match == std::string_view::npos)
                return found;
            found = int32_t(match + 1);
            if (!findLast)
                return found;
            at = NextCharacter(text, match, end);
        }
    }
    int32_t found = -1;
    for (size_t at = begin; end - at >= sought.size(); at = NextCharacter(text, at, end)) {
        if (MatchesIgnoringCase(text.data() + at, sought)) {
            found = int32_t(at + 1);
            if (!findLast)
                return found;
        }
    }
    return found;
}

std::vector<TextPiece> SplitPieces(std::string_view text, std::string_view separator,
                                   int32_t limit) {
    std::vector<TextPiece> pieces;
    if (text.empty() || limit == 0)
        return pieces;
    if (separator.empty()) {
        pieces.push_back({0, text.size()});
        return pieces;
    }
    size_t pieceStart = 0;
    for (;;) {
        size_t match = FindOnBoundary(text, separator, pieceStart, text.size());
        if (match == std::string_view::npos)
            break;
        pieces.push_back({pieceStart, match - pieceStart});
        pieceStart = match + separator.size();
        if (limit > 0 && --limit == 0)
            return pieces;
    }
    if (pieceStart < text.size())
        pieces.push_back({pieceStart, text.size() - pieceStart});
    return pieces;
}

}  // namespace corelib
