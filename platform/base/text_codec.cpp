#include "platform/base/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

// A converter that cannot be opened is a broken installation, not a bad
// text: say so once, where whoever runs the program will see it.
void ReportOnce(const std::string& problem) {
    static std::once_flag once;
    std::call_once(once, [&] { std::fprintf(stderr, "picbatch: %s\n", problem.c_str()); });
}

std::string OrEmpty(std::optional<std::string> converted, const std::string& problem) {
    if (converted)
        return std::move(*converted);
    ReportOnce(problem);
    return {};
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at `at`; answers the code point and advances,
// or answers U+FFFD and advances by one byte when the sequence is malformed
// (overlong forms and surrogates included), so the next sequence is found.
uint32_t NextCodePoint(std::string_view utf8, size_t& at) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    uint32_t code;
    size_t extra;
    uint32_t smallest;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        code = lead & 0x1F, extra = 1, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        code = lead & 0x0F, extra = 2, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        code = lead & 0x07, extra = 3, smallest = 0x10000;
    } else {
        ++at;
        return 0xFFFD;
    }
    // A sequence cut short (by the end or by a byte that cannot continue
    // it) is one replacement character.
    for (size_t k = 1; k <= extra; ++k) {
        if (at + k >= utf8.size() || (static_cast<unsigned char>(utf8[at + k]) & 0xC0) != 0x80) {
            at += k;
            return 0xFFFD;
        }
        code = (code << 6) | (static_cast<unsigned char>(utf8[at + k]) & 0x3F);
    }
    at += extra + 1;
    // Overlong forms, surrogates and values beyond Unicode are whole but
    // wrong sequences: one replacement character each.
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0xFFFD;
    return code;
}

}  // namespace

std::optional<std::string> ConvertText(std::string_view input, const char* to, const char* from,
                                       std::string_view replacement, std::string* problem) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (problem) {
            *problem = std::string("no converter from ") + from + " to " + to + " (" +
                       std::strerror(errno) + ")";
        }
        return std::nullopt;
    }
    std::string out;
    out.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // An invalid or cut-off sequence: replace one byte and go on.
            out.append(replacement);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

std::optional<std::string> TryRuntimeToUtf8(std::string_view runtimeText, std::string* problem) {
    if (IsAscii(runtimeText))
        return std::string(runtimeText);
    return ConvertText(runtimeText, "UTF-8", "GB18030", "\xEF\xBF\xBD", problem);
}

std::optional<std::string> TryUtf8ToRuntime(std::string_view utf8, std::string* problem) {
    if (IsAscii(utf8))
        return std::string(utf8);
    return ConvertText(utf8, "GB18030", "UTF-8", "?", problem);
}

std::string RuntimeToUtf8(std::string_view runtimeText) {
    std::string problem;
    auto converted = TryRuntimeToUtf8(runtimeText, &problem);
    return OrEmpty(std::move(converted), problem);
}

std::string Utf8ToRuntime(std::string_view utf8) {
    std::string problem;
    auto converted = TryUtf8ToRuntime(utf8, &problem);
    return OrEmpty(std::move(converted), problem);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        uint32_t code = NextCodePoint(utf8, at);
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(char16_t(0xD800 + (code >> 10)));
            out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(char16_t(code));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t c = wide[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string Utf16ToUtf8(const char16_t* wide) {
    return wide ? Utf16ToUtf8(std::u16string_view(wide)) : std::string();
}

}  // namespace platform
