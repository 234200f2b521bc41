// Runtime text to UTF-16, the wide text of the platform's file calls.
#include <string>

#include "platform/base/text_codec.h"
#include "platform/kernel/kernel.h"

namespace platform::kernel {

int32_t MultiByteToWide(const char* text, int32_t length, char16_t* buffer, int32_t capacity) {
    if (!text)
        text = "";
    bool withTerminator = length < 0;
    size_t bytes = withTerminator ? std::char_traits<char>::length(text) : size_t(length);
    // No converter means no translation: 0, as for a text that cannot be
    // converted at all, never the bytes taken for UTF-8.
    std::optional<std::string> utf8 = platform::TryRuntimeToUtf8(std::string_view(text, bytes));
    if (!utf8)
        return 0;
    std::u16string wide = platform::Utf8ToUtf16(*utf8);
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
