// The one text conversion: GB18030, UTF-8 and UTF-16 each way, replacement
// of what cannot be converted, and a clear failure (never the input passed
// through) when no converter can even be opened.
#include <gtest/gtest.h>

#include "platform/base/byte_order.h"
#include "platform/base/text_codec.h"

namespace {

using namespace platform;

// "照片.jpg" in GB18030 and in UTF-8.
const std::string kRuntime = "\xD5\xD5\xC6\xAC.jpg";
const std::string kUtf8 = "\xE7\x85\xA7\xE7\x89\x87.jpg";

TEST(TextCodec, RuntimeTextsBecomeUtf8AndBack) {
    EXPECT_EQ(TryRuntimeToUtf8(kRuntime), kUtf8);
    EXPECT_EQ(TryUtf8ToRuntime(kUtf8), kRuntime);
    EXPECT_EQ(RuntimeToUtf8(kRuntime), kUtf8);
    EXPECT_EQ(Utf8ToRuntime(kUtf8), kRuntime);
    // A byte that starts no GB18030 character becomes U+FFFD; one that no
    // GB18030 character is made of becomes '?'.
    EXPECT_EQ(RuntimeToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Utf8ToRuntime("a\xFF" "b"), "a?b");
}

TEST(TextCodec, AConverterThatCannotBeOpenedFailsAndSaysWhy) {
    std::string problem;
    EXPECT_EQ(ConvertText(kRuntime, "UTF-8", "NO-SUCH-ENCODING", "?", &problem), std::nullopt);
    EXPECT_EQ(problem, "no converter from NO-SUCH-ENCODING to UTF-8 (Invalid argument)");
    EXPECT_EQ(ConvertText(kRuntime, "UTF-8", "GB18030", "?", &problem), kUtf8);
}

TEST(TextCodec, Utf16HoldsEveryCharacterAndReplacesWhatIsMalformed) {
    const std::u16string wide = Utf8ToUtf16(kUtf8 + "\xF0\x9F\x98\x80");  // and U+1F600
    EXPECT_EQ(wide, u"\u7167\u7247.jpg\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), kUtf8 + "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(wide.c_str()), kUtf8 + "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(static_cast<const char16_t*>(nullptr)), "");
    // A cut-off sequence is one replacement; a stray continuation byte, an
    // overlong form and a surrogate each are one too.
    EXPECT_EQ(Utf8ToUtf16("a\xE7\x85"), u"a\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\x85x"), u"\uFFFDx");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF" "b"), u"\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");
    // A lone surrogate in UTF-16 becomes U+FFFD in UTF-8.
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(u"\xD800x", 2)), "\xEF\xBF\xBDx");
}

TEST(ByteOrder, FieldsReadAndWriteInTheirOrder) {
    uint8_t bytes[4] = {0x01, 0x02, 0x03, 0x84};
    EXPECT_EQ(ReadLe16(bytes), 0x0201);
    EXPECT_EQ(ReadLe32(bytes), 0x84030201u);
    EXPECT_EQ(ReadLeS32(bytes), int32_t(0x84030201u));
    EXPECT_EQ(ReadBe16(bytes), 0x0102);
    EXPECT_EQ(ReadBe32(bytes), 0x01020384u);
    EXPECT_EQ(ReadLeS16(bytes + 2), int16_t(0x8403));
    uint8_t out[4] = {};
    WriteLeS32(out, -2);
    EXPECT_EQ(ReadLe32(out), 0xFFFFFFFEu);
    WriteBe32(out, 0x0A0B0C0D);
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[3], 0x0D);
    static constexpr uint8_t kWord[2] = {0x34, 0x12};
    static_assert(ReadLe16(kWord) == 0x1234);  // usable in constants
}

}  // namespace
