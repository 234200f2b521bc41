// The shared block cache hands a finished picture's block to the next one
// of about its size, keeps only a few blocks, and never lets a block serve
// a request larger than itself.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/imaging/block_cache.h"

namespace platform::imaging {
namespace {

constexpr size_t kMiB = size_t(1) << 20;

TEST(BlockCache, ABlockGoesToTheNextRequestOfAboutItsSizeAndNoFurther) {
    ReleaseKeptBlocks();
    EXPECT_EQ(KeptBlockBytes(), 0u);
    const size_t before = 0;
    uint8_t* block = TakeBlock(8 * kMiB);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5A, 8 * kMiB);  // every byte of it is ours
    GiveBlock(block, 8 * kMiB);
    EXPECT_EQ(KeptBlockBytes(), before + 8 * kMiB);

    // Larger requests, and much smaller ones, get a block of their own.
    uint8_t* larger = TakeBlock(8 * kMiB + 1);
    uint8_t* smaller = TakeBlock(4 * kMiB);
    EXPECT_NE(larger, block);
    EXPECT_NE(smaller, block);
    // A request a little smaller is served by the kept block, whole.
    uint8_t* again = TakeBlock(7 * kMiB);
    EXPECT_EQ(again, block);
    std::memset(again, 0xA5, 7 * kMiB);
    GiveBlock(again, 7 * kMiB);
    GiveBlock(larger, 8 * kMiB + 1);
    GiveBlock(smaller, 4 * kMiB);

    // Only kBlocksKept blocks stay, the largest ones.
    EXPECT_LE(KeptBlockBytes(), kBlocksKept * (8 * kMiB + 1));
    uint8_t* largest = TakeBlock(8 * kMiB + 1);
    EXPECT_EQ(largest, larger);
    GiveBlock(largest, 8 * kMiB + 1);
    ReleaseKeptBlocks();
    EXPECT_EQ(KeptBlockBytes(), 0u);
}

TEST(BlockCache, SmallAndHugeBlocksAreNeverKeptAndFreshBlocksAreUsable) {
    const size_t before = KeptBlockBytes();
    for (size_t size : {size_t(4096), size_t(65) * kMiB}) {
        uint8_t* block = TakeBlock(size);
        ASSERT_NE(block, nullptr);
        block[0] = block[size - 1] = 1;
        GiveBlock(block, size);
        EXPECT_EQ(KeptBlockBytes(), before) << size;
    }
    for (size_t size : {size_t(100), 3 * kMiB}) {
        uint8_t* fresh = TakeFreshBlock(size);
        ASSERT_NE(fresh, nullptr);
        fresh[0] = fresh[size - 1] = 1;
        GiveFreshBlock(fresh, size);
        EXPECT_EQ(KeptBlockBytes(), before) << size;
    }
    GiveBlock(nullptr, 8 * kMiB);  // ignored
}

}  // namespace
}  // namespace platform::imaging
