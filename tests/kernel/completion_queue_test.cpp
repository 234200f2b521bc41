#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/kernel/kernel.h"

namespace platform::kernel {
namespace {

TEST(CompletionQueue, HandsOutValuesInPostingOrderAndTimesOutWhenEmpty) {
    Handle queue = CreateCompletionQueue(2);
    ASSERT_NE(queue, 0u);
    for (uint32_t v : {7u, 8u, 9u})
        EXPECT_TRUE(PostCompletion(queue, v, 0, 0));
    uint32_t value = 0;
    uintptr_t key = 1, overlapped = 1;
    for (uint32_t expected : {7u, 8u, 9u}) {
        ASSERT_TRUE(TakeCompletion(queue, &value, &key, &overlapped, 100));
        EXPECT_EQ(value, expected);
    }
    EXPECT_FALSE(TakeCompletion(queue, &value, &key, &overlapped, 100));
    EXPECT_EQ(overlapped, 0u);
    EXPECT_TRUE(CloseHandle(queue));
}

TEST(CompletionQueue, ClosingWakesWaitersAndDropsQueuedValues) {
    Handle queue = CreateCompletionQueue(1);
    std::atomic<int> answer{-1};
    std::thread waiter([&] {
        uint32_t value;
        answer = TakeCompletion(queue, &value, nullptr, nullptr, kInfinite) ? 1 : 0;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(CloseHandle(queue));
    waiter.join();  // would hang if closing did not wake it
    EXPECT_EQ(answer.load(), 0);
    EXPECT_FALSE(PostCompletion(queue, 3, 0, 0));
    EXPECT_FALSE(CloseHandle(queue)) << "a handle closes once";

    Handle second = CreateCompletionQueue(1);
    EXPECT_NE(second, queue) << "handles are never reused";
    PostCompletion(second, 1, 0, 0);
    PostCompletion(second, 2, 0, 0);
    auto object = FindObject(second);  // as a waiter inside a take would hold it
    CloseHandle(second);
    uint32_t value;
    EXPECT_FALSE(TakeCompletion(second, &value, nullptr, nullptr, 0));
}

TEST(CompletionQueue, ConcurrencyBoundsThreadsHoldingValues) {
    Handle queue = CreateCompletionQueue(1);
    PostCompletion(queue, 1, 0, 0);
    PostCompletion(queue, 2, 0, 0);
    uint32_t value;
    ASSERT_TRUE(TakeCompletion(queue, &value, nullptr, nullptr, 100));
    // This thread holds a value: another thread may not take one...
    std::atomic<int> other{-1};
    std::thread([&] {
        uint32_t v;
        other = TakeCompletion(queue, &v, nullptr, nullptr, 100) ? 1 : 0;
    }).join();
    EXPECT_EQ(other.load(), 0);
    // ...but this thread asking again gives its place back and gets the next.
    ASSERT_TRUE(TakeCompletion(queue, &value, nullptr, nullptr, 100));
    EXPECT_EQ(value, 2u);
    CloseHandle(queue);
}

TEST(CompletionQueue, ManyProducersAndConsumersLoseNothing) {
    Handle queue = CreateCompletionQueue(4);
    constexpr uint32_t kPerProducer = 500;
    std::atomic<uint64_t> sum{0};
    std::atomic<uint32_t> taken{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < 4; ++c) {
        threads.emplace_back([&] {
            uint32_t value;
            while (taken.load() < 3 * kPerProducer) {
                if (TakeCompletion(queue, &value, nullptr, nullptr, 20)) {
                    sum += value;
                    ++taken;
                }
            }
        });
    }
    for (int p = 0; p < 3; ++p) {
        threads.emplace_back([&] {
            for (uint32_t v = 1; v <= kPerProducer; ++v)
                PostCompletion(queue, v, 0, 0);
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(sum.load(), 3ull * kPerProducer * (kPerProducer + 1) / 2);
    CloseHandle(queue);
}

}  // namespace
}  // namespace platform::kernel
