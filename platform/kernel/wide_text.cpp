// Runtime text to UTF-16, the wide text of the platform's file calls.
#include <string>

#include "platform/base/text_codec.h"
#include "platform/kernel/kernel.h"

namespace platform::kernel {
namespace {

// UTF-8 from our own converter is well formed; anything odd still becomes
// U+FFFD rather than being dropped.
std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        uint32_t code;
        size_t extra;
        if (c < 0x80) {
            code = c, extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            code = c & 0x1F, extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            code = c & 0x0F, extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            code = c & 0x07, extra = 3;
        } else {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (i + extra >= utf8.size()) {  // cut off at the end
            out.push_back(u'\uFFFD');
            break;
        }
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += extra + 1;
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

}  // namespace

int32_t MultiByteToWide(const char* text, int32_t length, char16_t* buffer, int32_t capacity) {
    if (!text)
        text = "";
    bool withTerminator = length < 0;
    size_t bytes = withTerminator ? std::char_traits<char>::length(text) : size_t(length);
    std::u16string wide = Utf8ToUtf16(platform::RuntimeToUtf8(std::string_view(text, bytes)));
    if (withTerminator)
        wide.push_back(u'\0');
    auto needed = static_cast<int32_t>(wide.size());
    if (!buffer || capacity <= 0)
        return needed;
    if (capacity < needed)
        return 0;
    std::char_traits<char16_t>::copy(buffer, wide.data(), wide.size());
    return needed;
}

}  // namespace platform::kernel
