// Matching file names against the search patterns the application uses.
#pragma once

#include <string_view>

namespace rt {

// Wildcard match as the file search does it: '*' matches any run, '?' one
// character (a double-byte character counts as one), letters match either
// case, and a pattern ending in ".*" also matches names without a dot, so
// "*.*" matches every name.
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

}  // namespace rt
