#include "platform/base/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace platform {
namespace {

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

std::string Convert(std::string_view input, const char* to, const char* from,
                    std::string_view replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(input);
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

}  // namespace

std::string RuntimeToUtf8(std::string_view runtimeText) {
    if (IsAscii(runtimeText))
        return std::string(runtimeText);
    return Convert(runtimeText, "UTF-8", "GB18030", "\xEF\xBF\xBD");
}

std::string Utf8ToRuntime(std::string_view utf8) {
    if (IsAscii(utf8))
        return std::string(utf8);
    return Convert(utf8, "GB18030", "UTF-8", "?");
}

}  // namespace platform
