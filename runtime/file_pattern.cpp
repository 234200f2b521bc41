#include "runtime/file_pattern.h"

#include <cctype>

namespace rt {
namespace {

size_t CharLength(std::string_view s, size_t i) {
    return (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
}

bool SameByte(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// Iterative glob with backtracking to the last '*': linear in practice and
// never recursive, so hostile patterns cannot blow the stack.
bool Glob(std::string_view name, std::string_view pattern) {
    size_t n = 0, p = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharLength(name, n);
        } else if (p < pattern.size()) {
            size_t len = CharLength(pattern, p);
            bool same = n + len <= name.size() &&
                        (len == 1 ? SameByte(name[n], pattern[p])
                                  : name.compare(n, len, pattern.substr(p, len)) == 0);
            if (same) {
                p += len;
                n += len;
                continue;
            }
            if (starP == std::string_view::npos)
                return false;
            p = starP + 1;
            starN += CharLength(name, starN);
            n = starN;
        } else {
            if (starP == std::string_view::npos)
                return false;
            p = starP + 1;
            starN += CharLength(name, starN);
            n = starN;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
    if (Glob(name, pattern))
        return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        return Glob(name, pattern.substr(0, pattern.size() - 2));
    }
    return false;
}

}  // namespace rt
