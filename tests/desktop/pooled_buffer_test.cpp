// PooledBuffer over a pool of its own: where requests land at the pool's
// boundaries (block size, block count), when a heap block moves, and that
// moving keeps the bytes.
#include "libs/desktop/shell/pooled_buffer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using desktop::BlockPool;
using desktop::PooledBuffer;

class PooledBufferTest : public ::testing::Test {
protected:
    BlockPool pool_;
};

TEST_F(PooledBufferTest, FiveHundredTwelveBytesTakeABlockFiveHundredThirteenTheHeap) {
    PooledBuffer small(&pool_);
    ASSERT_NE(small.Allocate(512), nullptr);
    EXPECT_TRUE(small.InPool());
    EXPECT_EQ(small.Capacity(), 512u);
    EXPECT_EQ(small.Length(), 512u);
    EXPECT_EQ(pool_.InUse(), 1u);

    PooledBuffer large(&pool_);
    ASSERT_NE(large.Allocate(513), nullptr);
    EXPECT_FALSE(large.InPool());
    EXPECT_EQ(large.Capacity(), 641u);
    EXPECT_EQ(pool_.InUse(), 1u);

    EXPECT_EQ(PooledBuffer(&pool_).Allocate(0), nullptr);
    small.Clear();
    EXPECT_EQ(pool_.InUse(), 0u);
    EXPECT_EQ(small.Data(), nullptr);
    EXPECT_EQ(small.Capacity(), 0u);
}

TEST_F(PooledBufferTest, TheFortyNinthBlockComesFromTheHeap) {
    std::vector<std::unique_ptr<PooledBuffer>> buffers;
    for (int i = 0; i < 48; ++i) {
        buffers.push_back(std::make_unique<PooledBuffer>(&pool_));
        ASSERT_NE(buffers.back()->Allocate(1), nullptr);
        ASSERT_TRUE(buffers.back()->InPool()) << "buffer " << i;
    }
    EXPECT_EQ(pool_.InUse(), 48u);
    PooledBuffer fortyNinth(&pool_);
    ASSERT_NE(fortyNinth.Allocate(1), nullptr);
    EXPECT_FALSE(fortyNinth.InPool());
    EXPECT_EQ(fortyNinth.Capacity(), 129u);

    // A block given back is taken again by the next small request.
    uint8_t* freed = buffers[17]->Data();
    buffers[17].reset();
    EXPECT_EQ(pool_.InUse(), 47u);
    PooledBuffer next(&pool_);
    EXPECT_EQ(next.Allocate(300), freed);
    EXPECT_EQ(pool_.InUse(), 48u);
}

TEST_F(PooledBufferTest, ASwitchedOffPoolSendsSmallRequestsToTheHeap) {
    pool_.SetEnabled(false);
    PooledBuffer buffer(&pool_);
    ASSERT_NE(buffer.Allocate(10), nullptr);
    EXPECT_FALSE(buffer.InPool());
    EXPECT_EQ(buffer.Capacity(), 138u);
    EXPECT_EQ(pool_.InUse(), 0u);
}

TEST_F(PooledBufferTest, AHeapBlockMovesOnlyWhenMoreThan256BytesWouldLieUnused) {
    PooledBuffer buffer(&pool_);
    ASSERT_NE(buffer.Allocate(1000), nullptr);
    ASSERT_EQ(buffer.Capacity(), 1128u);
    for (uint32_t i = 0; i < 1000; ++i)
        buffer.Data()[i] = uint8_t(i * 7);
    uint8_t* before = buffer.Data();

    // 1128 - 872 = 256 bytes unused: kept in place.
    ASSERT_EQ(buffer.Resize(872), before);
    EXPECT_EQ(buffer.Capacity(), 1128u);
    EXPECT_EQ(buffer.Length(), 872u);
    // 1128 - 871 = 257: reallocated with the usual slack.
    ASSERT_NE(buffer.Resize(871), nullptr);
    EXPECT_EQ(buffer.Capacity(), 999u);
    EXPECT_EQ(buffer.Length(), 871u);
    for (uint32_t i = 0; i < 871; ++i)
        ASSERT_EQ(buffer.Data()[i], uint8_t(i * 7)) << "byte " << i;
    // Growing within the capacity stays; beyond it moves.
    EXPECT_EQ(buffer.Resize(999), buffer.Data());
    EXPECT_EQ(buffer.Capacity(), 999u);
    ASSERT_NE(buffer.Resize(1000), nullptr);
    EXPECT_EQ(buffer.Capacity(), 1128u);
    // A heap buffer never goes back to the pool, however small it gets.
    ASSERT_NE(buffer.Resize(4), nullptr);
    EXPECT_FALSE(buffer.InPool());
    EXPECT_EQ(buffer.Capacity(), 132u);
    EXPECT_EQ(buffer.Resize(0), nullptr);
    EXPECT_EQ(buffer.Data(), nullptr);
}

TEST_F(PooledBufferTest, GrowingPastTheBlockMovesToTheHeapKeepingTheBytes) {
    PooledBuffer buffer(&pool_);
    ASSERT_NE(buffer.Allocate(300), nullptr);
    ASSERT_TRUE(buffer.InPool());
    for (uint32_t i = 0; i < 300; ++i)
        buffer.Data()[i] = uint8_t(255 - i);
    // Within the block nothing moves, however much of it is unused.
    uint8_t* block = buffer.Data();
    EXPECT_EQ(buffer.Resize(512), block);
    EXPECT_EQ(buffer.Resize(1), block);
    EXPECT_EQ(buffer.Resize(300), block);

    ASSERT_NE(buffer.Resize(600), nullptr);
    EXPECT_FALSE(buffer.InPool());
    EXPECT_EQ(buffer.Capacity(), 728u);
    EXPECT_EQ(buffer.Length(), 600u);
    EXPECT_EQ(pool_.InUse(), 0u);
    for (uint32_t i = 0; i < 300; ++i)
        ASSERT_EQ(buffer.Data()[i], uint8_t(255 - i)) << "byte " << i;
}

TEST_F(PooledBufferTest, AppendAnswersTheOldLengthAndCopiesOrZeroes) {
    PooledBuffer buffer(&pool_);
    const char abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(buffer.Append(abc, 3), 0);
    EXPECT_EQ(buffer.Append(nullptr, 2), 3);
    EXPECT_EQ(buffer.Append(abc, 0), 5);
    ASSERT_EQ(buffer.Length(), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()), 5),
              std::string("abc\0\0", 5));
    // Appending across the block's end moves the whole run to the heap.
    std::vector<uint8_t> run(600, 0x5a);
    EXPECT_EQ(buffer.Append(run.data(), 600), 5);
    EXPECT_FALSE(buffer.InPool());
    EXPECT_EQ(buffer.Length(), 605u);
    EXPECT_EQ(buffer.Data()[0], 'a');
    EXPECT_EQ(buffer.Data()[604], 0x5a);
    // A length past 32 bits cannot be reached: the buffer is left alone.
    EXPECT_EQ(buffer.Append(nullptr, UINT32_MAX), -1);
    EXPECT_EQ(buffer.Length(), 605u);
}

}  // namespace
