#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/kernel/kernel.h"
#include "platform/messages/thread_message_queue.h"

namespace platform::kernel {
namespace {

Handle g_release = 0;
std::atomic<int> g_finished{0};

uintptr_t WaitForReleaseThenAnswer(uintptr_t answer) {
    WaitForSingleObject(g_release, kInfinite);
    g_finished.fetch_add(1);
    return answer;
}

TEST(Threads, ExitCodeIsStillActiveUntilTheRoutineReturns) {
    g_release = CreateEvent(/*manualReset*/ true, false);
    uint32_t id = 0;
    Handle thread = CreateThread(&WaitForReleaseThenAnswer, 42, &id);
    ASSERT_NE(thread, 0u);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(GetThreadId(thread), id);
    uint32_t code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, kStillActive);
    EXPECT_EQ(WaitForSingleObject(thread, 50), kWaitTimeout);

    SetEvent(g_release);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), kWaitObject0);
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 42u);
    // A thread's handle stays signalled: every later wait sees it.
    EXPECT_EQ(WaitForSingleObject(thread, 0), kWaitObject0);
    EXPECT_TRUE(CloseHandle(thread));
    CloseHandle(g_release);
}

TEST(Threads, ForcedEndReleasesWaitersAndKeepsItsExitCode) {
    g_release = CreateEvent(true, false);
    g_finished = 0;
    Handle thread = CreateThread(&WaitForReleaseThenAnswer, 5, nullptr);
    EXPECT_TRUE(TerminateThread(thread, 99));
    EXPECT_EQ(WaitForSingleObject(thread, 1000), kWaitObject0);
    uint32_t code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 99u);
    // The disowned routine still runs to its end, and cannot change the code.
    SetEvent(g_release);
    for (int i = 0; i < 200 && g_finished.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(g_finished.load(), 1);
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 99u);
    CloseHandle(thread);
    CloseHandle(g_release);
}

TEST(Waits, AutoResetObjectsReleaseOneWaitAndManualOnesStaySet) {
    Handle automatic = CreateEvent(false, true);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), kWaitObject0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), kWaitTimeout);
    Handle manual = CreateEvent(true, true);
    EXPECT_EQ(WaitForSingleObject(manual, 0), kWaitObject0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), kWaitObject0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), kWaitTimeout);

    Handle timer = CreateWaitableTimer(false);
    ASSERT_TRUE(SetWaitableTimer(timer, -20 * 10000, 0));  // 20 ms, relative
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(timer, 5000), kWaitObject0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(15));
    EXPECT_EQ(WaitForSingleObject(timer, 30), kWaitTimeout) << "one expiry, one wait";
    ASSERT_TRUE(SetWaitableTimer(timer, 0, 0));  // a due time long past fires at once
    EXPECT_EQ(WaitForSingleObject(timer, 1000), kWaitObject0);

    for (Handle h : {automatic, manual, timer})
        EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(WaitForSingleObject(timer, 0), kWaitFailed);
}

TEST(Waits, InputOnTheCallingThreadsQueueEndsAWaitThatWatchesIt) {
    Handle never = CreateEvent(true, false);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, 20, 0xFF), kWaitTimeout);
    std::thread poster([id = GetCurrentThreadId()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostThreadMessage(id, WM_USER, 1, 2);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, 5000, 0xFF), 1u);
    poster.join();
    // Without a wake mask the same input is ignored.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, 20, 0), kWaitTimeout);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    CloseHandle(never);
}

}  // namespace
}  // namespace platform::kernel
