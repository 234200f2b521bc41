#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/kernel/kernel.h"

namespace platform::kernel {
namespace {

std::string ReadAll(PlatformStream* stream) {
    std::string text;
    char buffer[3];  // small on purpose: reads that end mid-buffer
    uint32_t got = 0;
    do {
        EXPECT_EQ(stream->methods->read(stream, buffer, sizeof buffer, &got), kStreamOk);
        text.append(buffer, got);
    } while (got == sizeof buffer);
    return text;
}

TEST(MemoryStream, WritesGrowTheBlockToExactlyTheBytesWritten) {
    MemoryHandle block = GlobalAlloc(kMemMoveable, 0);
    EXPECT_EQ(GlobalLock(block), nullptr) << "nothing to point at yet";
    PlatformStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnGlobal(block, false, &stream), kStreamOk);
    std::string payload(10000, 'x');
    payload += "end";
    uint32_t done = 0;
    ASSERT_EQ(stream->methods->write(stream, payload.data(), uint32_t(payload.size()), &done),
              kStreamOk);
    EXPECT_EQ(done, payload.size());
    EXPECT_EQ(GlobalSize(block), payload.size());

    uint64_t position = 1;
    ASSERT_EQ(stream->methods->seek(stream, 0, kStreamFromStart, &position), kStreamOk);
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(ReadAll(stream), payload);
    EXPECT_EQ(stream->methods->seek(stream, -1, kStreamFromStart, nullptr), kStreamFailed);

    // The stream does not own the block: it outlives the stream's release.
    EXPECT_EQ(stream->methods->release(stream), 0u);
    auto* bytes = static_cast<const char*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes + payload.size() - 3, 3), "end");
    GlobalUnlock(block);
    GlobalFree(block);
}

TEST(MemoryStream, ReadsTheBytesOfAnExistingBlock) {
    MemoryHandle block = GlobalAlloc(kMemMoveable, 5);
    std::memcpy(GlobalLock(block), "hello", 5);
    GlobalUnlock(block);
    PlatformStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnGlobal(block, true, &stream), kStreamOk);
    stream->methods->addRef(stream);
    EXPECT_EQ(ReadAll(stream), "hello");
    EXPECT_EQ(stream->methods->release(stream), 1u);
    EXPECT_EQ(stream->methods->release(stream), 0u);  // frees the block too (ASan would tell)
}

TEST(WideText, ConvertsRuntimeTextToUtf16AndCountsLikeThePlatform) {
    const char text[] = "a\xD6\xD0";  // "a" and U+4E2D in GB18030
    EXPECT_EQ(MultiByteToWide(text, -1, nullptr, 0), 3) << "two characters and the terminator";
    EXPECT_EQ(MultiByteToWide(text, 3, nullptr, 0), 2);
    char16_t buffer[4] = {1, 1, 1, 1};
    EXPECT_EQ(MultiByteToWide(text, -1, buffer, 4), 3);
    EXPECT_EQ(buffer[0], u'a');
    EXPECT_EQ(buffer[1], u'\u4E2D');
    EXPECT_EQ(buffer[2], 0);
    EXPECT_EQ(MultiByteToWide(text, -1, buffer, 2), 0) << "too small a buffer is refused";
}

}  // namespace
}  // namespace platform::kernel
