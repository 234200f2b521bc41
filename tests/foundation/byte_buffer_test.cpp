#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "corelib/buffer/byte_buffer.h"

namespace corelib {
namespace {

std::vector<uint8_t> Contents(const ByteBuffer& b) {
    return std::vector<uint8_t>(b.Data(), b.Data() + b.Length());
}

std::vector<uint8_t> Sequence(size_t n, uint8_t start = 0) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), start);
    return v;
}

TEST(ByteBuffer, PoolAndHeapPlacement) {
    ByteBuffer small, large;
    ASSERT_NE(small.Allocate(512), nullptr);
    EXPECT_TRUE(small.InPool());
    EXPECT_EQ(small.Capacity(), 512u);
    ASSERT_NE(large.Allocate(513), nullptr);
    EXPECT_FALSE(large.InPool());
    EXPECT_EQ(large.Capacity(), 641u);
}

TEST(ByteBuffer, PoolToHeapMoveKeepsBytesAndFreesTheSlot) {
    ByteBuffer b;
    auto bytes = Sequence(300);
    ASSERT_EQ(b.Append(bytes.data(), 300), 1);
    ASSERT_TRUE(b.InPool());
    uint32_t inUse = SmallBlockPool::Instance().InUse();
    ASSERT_NE(b.Resize(600), nullptr);
    EXPECT_FALSE(b.InPool());
    EXPECT_EQ(b.Capacity(), 728u);
    EXPECT_EQ(SmallBlockPool::Instance().InUse(), inUse - 1);
    EXPECT_EQ(std::memcmp(b.Data(), bytes.data(), 300), 0);
    b.Resize(10);  // a heap buffer never returns to the pool
    EXPECT_FALSE(b.InPool());
}

TEST(ByteBuffer, ShrinkRule) {
    ByteBuffer b;
    b.Allocate(1000);
    ASSERT_EQ(b.Capacity(), 1128u);
    uint8_t* before = b.Data();
    b.Resize(900);  // 228 spare: stays
    EXPECT_EQ(b.Data(), before);
    EXPECT_EQ(b.Capacity(), 1128u);
    b.Resize(800);  // 328 spare: reallocated to 928
    EXPECT_EQ(b.Capacity(), 928u);
    EXPECT_EQ(b.Length(), 800u);
}

TEST(ByteBuffer, FullPoolFallsBackToTheHeap) {
    std::vector<std::unique_ptr<ByteBuffer>> hold;
    while (SmallBlockPool::Instance().InUse() < SmallBlockPool::kSlotCount) {
        hold.push_back(std::make_unique<ByteBuffer>());
        ASSERT_NE(hold.back()->Allocate(8), nullptr);
    }
    ByteBuffer extra;
    extra.Allocate(8);
    EXPECT_FALSE(extra.InPool());
    EXPECT_EQ(extra.Capacity(), 136u);
    hold.clear();
    EXPECT_EQ(SmallBlockPool::Instance().InUse(), 0u);
}

TEST(ByteBuffer, PoolDisabledUsesTheHeap) {
    PoolEnabled = false;
    ByteBuffer b;
    b.Allocate(16);
    EXPECT_FALSE(b.InPool());
    PoolEnabled = true;
}

TEST(ByteBuffer, InsertReplaceRemove) {
    ByteBuffer b;
    b.Append("abcdef", 6);
    ASSERT_EQ(b.Insert(2, "XY", 2), 1);
    EXPECT_EQ(Contents(b), (std::vector<uint8_t>{'a', 'b', 'X', 'Y', 'c', 'd', 'e', 'f'}));
    ASSERT_EQ(b.Replace(2, 2, "123", 3), 1);  // grow
    EXPECT_EQ(std::string(b.Data(), b.Data() + b.Length()), "ab123cdef");
    ASSERT_EQ(b.Replace(2, 3, "Z", 1), 1);  // shrink
    EXPECT_EQ(std::string(b.Data(), b.Data() + b.Length()), "abZcdef");
    ASSERT_EQ(b.Replace(5, 100, nullptr, 1), 1);  // old count clamped, zeros in
    EXPECT_EQ(b.Length(), 6u);
    EXPECT_EQ(b.Data()[5], 0);
    EXPECT_EQ(b.Remove(1, 2), 1);
    EXPECT_EQ(std::string(b.Data(), b.Data() + 3), "acd");
    EXPECT_EQ(b.Remove(10, 1), 0);  // past the end fails
    EXPECT_EQ(b.Remove(-1, 2), 1);  // from the end
    EXPECT_EQ(b.Length(), 2u);
    EXPECT_EQ(b.Remove(-1, 50), 1);
    EXPECT_EQ(b.Length(), 0u);
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(b.Capacity(), 0u);
}

TEST(ByteBuffer, SmallAppendsAreLittleEndian) {
    ByteBuffer b;
    EXPECT_EQ(b.AppendWord(0x04030201), 4u);
    EXPECT_EQ(b.AppendShort(0x0605), 6u);
    EXPECT_EQ(b.AppendByte(7), 7u);
    EXPECT_EQ(Contents(b), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(ByteBuffer, SwapAndSerializeRoundTrip) {
    ByteBuffer a, b;
    a.Append("hello", 5);
    a.Swap(b);
    EXPECT_EQ(a.Length(), 0u);
    EXPECT_EQ(b.Length(), 5u);
    MemoryArchive out(true);
    ASSERT_TRUE(b.Serialize(out));
    EXPECT_EQ(out.Bytes().size(), 9u);
    MemoryArchive in(out.Bytes());
    ASSERT_TRUE(a.Serialize(in));
    EXPECT_EQ(Contents(a), Contents(b));
    // An archive that cannot supply the announced bytes leaves the buffer empty.
    std::vector<uint8_t> cut = out.Bytes();
    cut.resize(6);
    MemoryArchive shortIn(cut);
    EXPECT_FALSE(a.Serialize(shortIn));
    EXPECT_EQ(a.Length(), 0u);
}

TEST(ByteBuffer, FindWord) {
    uint32_t words[] = {5, 7, 7};
    EXPECT_EQ(FindWord(words, 3, 7), 1);
    EXPECT_EQ(FindWord(words, 0, 5), -1);
    EXPECT_EQ(FindWord(words, 3, 9), -1);
}

// Six threads building buffers at once share the pool without losing or
// double-claiming a slot.
TEST(ByteBuffer, PoolIsSafeAcrossThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([t] {
            for (int round = 0; round < 2000; ++round) {
                ByteBuffer b;
                uint8_t mark = uint8_t(t * 31 + round);
                std::vector<uint8_t> bytes(64 + round % 400, mark);
                ASSERT_EQ(b.Append(bytes.data(), int32_t(bytes.size())), 1);
                if (round % 7 == 0)
                    b.Resize(700);
                for (size_t i = 0; i < bytes.size(); ++i)
                    ASSERT_EQ(b.Data()[i], mark);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(SmallBlockPool::Instance().InUse(), 0u);
}

}  // namespace
}  // namespace corelib
