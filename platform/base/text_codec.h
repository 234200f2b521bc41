// Conversion between the runtime's 8-bit texts (GB18030) and UTF-8, the
// encoding of file names, window text, fonts and the terminal on Linux.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Bytes that cannot be converted become U+FFFD (to UTF-8) or '?' (from it),
// so a conversion always yields a usable text.
std::string RuntimeToUtf8(std::string_view runtimeText);
std::string Utf8ToRuntime(std::string_view utf8);

}  // namespace platform
