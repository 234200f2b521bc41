// Conversion between the runtime's 8-bit texts (GB18030), UTF-8 (the
// encoding of file names, window text, fonts and the terminal on Linux) and
// UTF-16 (the wide text of the platform's flat interfaces). This is the one
// place that converts between encodings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Bytes that cannot be converted become U+FFFD (to UTF-8) or '?' (from it).
// When the conversion cannot even start (the system has no converter
// between the two encodings) the answer is nullopt and `problem`, when
// given, says why: a text is never passed on unconverted, where it would
// name another file or show other characters.
std::optional<std::string> TryRuntimeToUtf8(std::string_view runtimeText,
                                            std::string* problem = nullptr);
std::optional<std::string> TryUtf8ToRuntime(std::string_view utf8, std::string* problem = nullptr);

// The same for callers that have no error path (window text, fonts): a text
// that cannot be converted comes back empty, and the reason is written once
// to standard error. A path that comes back empty names no file, so every
// file operation on it fails.
std::string RuntimeToUtf8(std::string_view runtimeText);
std::string Utf8ToRuntime(std::string_view utf8);

// The converter itself, for any pair of iconv encoding names.
std::optional<std::string> ConvertText(std::string_view input, const char* to, const char* from,
                                       std::string_view replacement, std::string* problem);

// UTF-8 and UTF-16 (native byte order). Malformed input (a cut-off or
// invalid UTF-8 sequence, a lone surrogate) becomes U+FFFD, never dropped.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view wide);
// A zero-terminated UTF-16 text, as the flat interfaces pass it.
std::string Utf16ToUtf8(const char16_t* wide);

}  // namespace platform
