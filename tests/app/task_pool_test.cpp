#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "app/compiled.h"
#include "app/task_pool.h"
#include "app_test_support.h"
#include "runtime/services.h"

namespace app {
namespace {

using namespace std::chrono_literals;

std::mutex g_mutex;
std::vector<uint32_t> g_values;
std::vector<std::thread::id> g_threads;
std::vector<int> g_earlierTasksOnThread;  // thread ids get reused; this does not
std::atomic<bool> g_hold{false};
thread_local int t_tasksRun = 0;

uintptr_t Record(uintptr_t value) {
    while (g_hold.load() && value != 1000)
        std::this_thread::sleep_for(1ms);
    if (value == 999)
        std::this_thread::sleep_for(3s);  // overruns any small limit
    std::lock_guard lock(g_mutex);
    g_values.push_back(uint32_t(value));
    g_threads.push_back(std::this_thread::get_id());
    g_earlierTasksOnThread.push_back(t_tasksRun++);
    return 0;
}

class TaskPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::StartPlatformOnce();
        pool_ = NewTaskPool();
        std::lock_guard lock(g_mutex);
        g_values.clear();
        g_threads.clear();
        g_earlierTasksOnThread.clear();
        g_hold = false;
    }
    void TearDown() override {
        CallMethod<PoolCleanUp>(&pool_, POOL_CLEAN_UP);
        rt::RtFree(pool_);
    }
    int32_t Start(int32_t count, rt::ArgRecord limit = rt::ArgRecord::Omitted()) {
        return CallMethod<PoolStart>(&pool_, POOL_START, count,
                                     reinterpret_cast<uintptr_t>(&Record), limit);
    }
    int32_t Post(int32_t value) { return CallMethod<PoolPost>(&pool_, POOL_POST, value); }
    // Long enough for every worker to notice (they look every 100 ms).
    int32_t Stop(int32_t waitMs = 150) {
        return CallMethod<PoolStop>(&pool_, POOL_STOP, rt::ArgRecord::Int(waitMs),
                                    rt::ArgRecord::Omitted(), rt::ArgRecord::Omitted());
    }
    size_t Count() {
        std::lock_guard lock(g_mutex);
        return g_values.size();
    }
    bool WaitForCount(size_t n, std::chrono::milliseconds limit = 5s) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (Count() < n && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(2ms);
        return Count() >= n;
    }
    uint64_t WorkerCount() { return pool_->threads->elementCount(); }

    TaskPoolObject* pool_ = nullptr;
};

TEST_F(TaskPoolTest, PostingNeedsARunningPoolAndStoppingTwiceAnswersZero) {
    EXPECT_EQ(CallMethod<PoolIsRunning>(&pool_, POOL_IS_RUNNING), 0);
    EXPECT_EQ(Post(1), 0) << "before Start";
    ASSERT_EQ(Start(2), 1);
    EXPECT_EQ(Start(3), 0) << "already running";
    EXPECT_EQ(WorkerCount(), 3u) << "a refused Start still re-dimensions the handle array";
    EXPECT_EQ(CallMethod<PoolIsRunning>(&pool_, POOL_IS_RUNNING), 1);
    for (int32_t v = 1; v <= 20; ++v)
        EXPECT_EQ(Post(v), 1);
    ASSERT_TRUE(WaitForCount(20));
    EXPECT_EQ(Stop(), 1);
    EXPECT_EQ(Stop(), 0);
    EXPECT_EQ(Post(21), 0) << "after Stop";
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(Count(), 20u);
    std::set<uint32_t> seen(g_values.begin(), g_values.end());
    EXPECT_EQ(seen.size(), 20u);
}

TEST_F(TaskPoolTest, AZeroCountKeepsOneWorkerAndItsHandle) {
    ASSERT_EQ(Start(0), 1);
    ASSERT_EQ(WorkerCount(), 1u);
    EXPECT_NE(ReadElement<uintptr_t>(pool_->threads, 1), 0u);
    Post(5);
    Post(6);
    ASSERT_TRUE(WaitForCount(2));
    EXPECT_EQ(g_threads[0], g_threads[1]) << "without a limit tasks run on the worker itself";
    EXPECT_EQ(g_earlierTasksOnThread[1], 1);
    EXPECT_NE(g_threads[0], std::this_thread::get_id());
    Stop();
}

TEST_F(TaskPoolTest, ValuesStillQueuedAtStopAreDropped) {
    g_hold = true;
    ASSERT_EQ(Start(1), 1);
    for (int32_t v = 1; v <= 5; ++v)
        Post(v);
    std::this_thread::sleep_for(50ms);  // the worker is inside task 1, holding
    std::thread release([] {
        std::this_thread::sleep_for(100ms);
        g_hold = false;
    });
    EXPECT_EQ(Stop(300), 1);
    release.join();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Count(), 1u) << "only the task already running finishes";
}

TEST_F(TaskPoolTest, WithALimitEachTaskRunsOnItsOwnThreadAndOverrunsAreAbandoned) {
    ASSERT_EQ(Start(1, rt::ArgRecord::Int(200)), 1);
    Post(999);  // overruns its limit
    Post(7);
    Post(8);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitForCount(2, 2s)) << "the worker moved on after the limit";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    {
        std::lock_guard lock(g_mutex);
        EXPECT_EQ(g_values[0], 7u);
        EXPECT_EQ(g_values[1], 8u);
        EXPECT_EQ(g_earlierTasksOnThread[0], 0) << "a fresh thread for each task";
        EXPECT_EQ(g_earlierTasksOnThread[1], 0);
    }
    Stop();
}

TEST(TaskPoolDeath, ANegativeCountIsRuntimeError10) {
    testing::StartPlatformOnce();
    TaskPoolObject* pool = NewTaskPool();
    EXPECT_EXIT(CallMethod<PoolStart>(&pool, POOL_START, -1, reinterpret_cast<uintptr_t>(&Record),
                                      rt::ArgRecord::Omitted()),
                ::testing::ExitedWithCode(1), "runtime error 10");
    rt::RtFree(pool);
}

}  // namespace
}  // namespace app
