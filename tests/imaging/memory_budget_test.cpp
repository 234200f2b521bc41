// The memory budget keeps the images alive at once within its bound: a
// worker whose picture does not fit waits for another to be disposed, and
// no arrangement of pictures can make the workers wait for each other for
// ever.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/imaging/image.h"
#include "platform/imaging/memory_budget.h"

namespace platform::imaging {
namespace {

constexpr uint32_t kSide = 512;
const uint64_t kCost = ImageCost(size_t(kSide) * kSide * 3);

class MemoryBudgetTest : public ::testing::Test {
protected:
    void SetUp() override { SetMemoryBudget(2 * kCost); }
    void TearDown() override { SetMemoryBudget(0); }
};

void WaitUntil(const std::function<bool()>& condition) {
    while (!condition())
        std::this_thread::yield();
}

TEST_F(MemoryBudgetTest, APictureThatDoesNotFitWaitsForAnotherToBeDisposed) {
    auto first = Image::Create(kSide, kSide, PixelLayout::Bgr24);
    auto second = Image::Create(kSide, kSide, PixelLayout::Bgr24);  // same thread: never waits
    ASSERT_TRUE(first && second);
    EXPECT_EQ(MemoryBudgetNow().reserved, 2 * kCost);

    std::atomic<bool> created{false};
    std::thread worker([&] {
        auto third = Image::Create(kSide, kSide, PixelLayout::Bgr24);
        created = third != nullptr;
        EXPECT_LE(MemoryBudgetNow().reserved, 2 * kCost);
    });
    WaitUntil([] { return MemoryBudgetNow().waits == 1; });
    EXPECT_FALSE(created);
    first.reset();
    worker.join();
    EXPECT_TRUE(created);
    EXPECT_EQ(MemoryBudgetNow().peakReserved, 2 * kCost);
    second.reset();
    EXPECT_EQ(MemoryBudgetNow().reserved, 0u);
}

TEST_F(MemoryBudgetTest, APictureLargerThanTheWholeBudgetGoesAheadAlone) {
    SetMemoryBudget(kCost / 2);
    auto small = Image::Create(16, 16, PixelLayout::Bgr24);
    std::atomic<bool> created{false};
    std::thread worker(
        [&] { created = Image::Create(kSide, kSide, PixelLayout::Bgr24) != nullptr; });
    WaitUntil([] { return MemoryBudgetNow().waits == 1; });
    EXPECT_FALSE(created);
    small.reset();
    worker.join();
    EXPECT_TRUE(created);
    EXPECT_EQ(MemoryBudgetNow().reserved, 0u);
}

TEST_F(MemoryBudgetTest, SixWorkersStayWithinTheBudgetAndAllFinish) {
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 6; ++w) {
        workers.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                auto picture = Image::Create(kSide, kSide, PixelLayout::Bgr24);
                ASSERT_TRUE(picture);
                picture->row(kSide - 1)[0] = 1;
                // A conversion makes its result while it holds the source.
                auto result = Image::Create(kSide, kSide, PixelLayout::Bgra32);
                ASSERT_TRUE(result);
            }
            ++finished;
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(finished, 6);
    const MemoryBudgetState state = MemoryBudgetNow();
    // A worker's source waits for room; its result never does. Sources fit
    // two at a time, so at most two results ever go over the budget.
    EXPECT_LE(state.peakReserved, 2 * kCost + 2 * ImageCost(size_t(kSide) * kSide * 4));
    EXPECT_EQ(state.reserved, 0u);
}

}  // namespace
}  // namespace platform::imaging
