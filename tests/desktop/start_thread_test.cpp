// StartThread: the routine runs on a new thread with its parameter, the
// handle goes to the variable or is closed at once, and a thread that
// cannot start answers false.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <latch>
#include <mutex>
#include <string>
#include <vector>

#include "libs/desktop/threads/thread_library.h"
#include "platform/kernel/kernel.h"
#include "platform/messages/thread_message_queue.h"

namespace {

namespace kernel = platform::kernel;

std::atomic<uintptr_t> g_parameterSeen{0};
std::latch* g_ran = nullptr;

// The system ids of the threads the tests started.
std::mutex g_startedLock;
std::vector<pid_t> g_started;

uintptr_t RecordParameter(uintptr_t parameter) {
    {
        std::lock_guard guard(g_startedLock);
        g_started.push_back(gettid());
    }
    g_parameterSeen.store(parameter);
    g_ran->count_down();
    return parameter + 1;
}

// Threads whose handles were closed cannot be waited for, yet one still
// ending while the program exits would meet the platform's per-thread
// state already torn down. So the program ends only when every thread the
// tests started is gone.
class AllThreadsEnded : public ::testing::Environment {
public:
    void TearDown() override {
        std::lock_guard guard(g_startedLock);
        for (pid_t thread : g_started) {
            while (std::filesystem::exists("/proc/self/task/" + std::to_string(thread)))
                usleep(1000);
        }
        // The ended threads left the message-queue registry under its lock;
        // a post to a thread that never exists takes that lock too, so the
        // registry's removal is seen to come before the program's exit.
        platform::PostThreadMessage(0, 0, 0, 0);
    }
};
[[maybe_unused]] auto* const g_allThreadsEnded =
    ::testing::AddGlobalTestEnvironment(new AllThreadsEnded);

rt::ArgRecord Routine() {
    return rt::ArgRecord::Pointer(reinterpret_cast<const void*>(&RecordParameter), rt::TYPE_SUBPTR);
}

rt::ResultSlot Call(const std::vector<rt::ArgRecord>& args) {
    rt::ResultSlot result{};
    desktop::StartThread(&result, int32_t(args.size()), args.data());
    return result;
}

TEST(StartThreadTest, OnlyTheRoutineRunsItWithZeroAndClosesTheHandle) {
    std::latch ran(1);
    g_ran = &ran;
    g_parameterSeen = 99;
    // Handles are never reused and counted up in steps of 4, so the thread's
    // handle lies between these two.
    kernel::Handle before = kernel::CreateEvent(true, false);
    rt::ResultSlot result = Call({Routine()});
    kernel::Handle after = kernel::CreateEvent(true, false);
    ran.wait();

    EXPECT_EQ(result.type, rt::TYPE_BOOL);
    EXPECT_EQ(result.low, 1u);
    EXPECT_EQ(result.high, 0u);
    EXPECT_EQ(g_parameterSeen.load(), 0u);
    ASSERT_EQ(after, before + 8);
    uint32_t exitCode = 0;
    EXPECT_FALSE(kernel::GetExitCodeThread(before + 4, &exitCode)) << "the handle was left open";
    kernel::CloseHandle(before);
    kernel::CloseHandle(after);
}

TEST(StartThreadTest, TheHandleVariableGetsAHandleToWaitOn) {
    std::latch ran(1);
    g_ran = &ran;
    int32_t handle = 0;
    rt::ResultSlot result =
        Call({Routine(), rt::ArgRecord::Int(41), rt::ArgRecord::Pointer(&handle, rt::TYPE_INT)});
    ASSERT_EQ(result.low, 1u);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(kernel::WaitForSingleObject(kernel::Handle(uint32_t(handle)), kernel::kInfinite),
              kernel::kWaitObject0);
    ran.wait();
    EXPECT_EQ(g_parameterSeen.load(), 41u);
    uint32_t exitCode = 0;
    ASSERT_TRUE(kernel::GetExitCodeThread(kernel::Handle(uint32_t(handle)), &exitCode));
    EXPECT_EQ(exitCode, 42u);
    EXPECT_TRUE(kernel::CloseHandle(kernel::Handle(uint32_t(handle))));
}

TEST(StartThreadTest, TheParameterIsOneWordNotSignExtended) {
    std::latch ran(1);
    g_ran = &ran;
    int32_t handle = 0;
    rt::ResultSlot result = Call({Routine(), rt::ArgRecord::Int(int32_t(0x80000001)),
                                  rt::ArgRecord::Pointer(&handle, rt::TYPE_INT)});
    ASSERT_EQ(result.low, 1u);
    ran.wait();
    EXPECT_EQ(g_parameterSeen.load(), uintptr_t(0x80000001u));
    kernel::WaitForSingleObject(kernel::Handle(uint32_t(handle)), kernel::kInfinite);
    kernel::CloseHandle(kernel::Handle(uint32_t(handle)));

    std::latch ranAgain(1);
    g_ran = &ranAgain;
    g_parameterSeen = 7;
    // Omitted records count as absent: the parameter is 0, the handle closed.
    result = Call({Routine(), rt::ArgRecord::Omitted(), rt::ArgRecord::Omitted()});
    ASSERT_EQ(result.low, 1u);
    ranAgain.wait();
    EXPECT_EQ(g_parameterSeen.load(), 0u);
}

TEST(StartThreadTest, NoRoutineStartsNothingAndStoresNoHandle) {
    int32_t handle = -5;
    rt::ResultSlot result = Call({rt::ArgRecord::Omitted(), rt::ArgRecord::Int(1),
                                  rt::ArgRecord::Pointer(&handle, rt::TYPE_INT)});
    EXPECT_EQ(result.type, rt::TYPE_BOOL);
    EXPECT_EQ(result.low, 0u);
    EXPECT_EQ(handle, -5);

    result = Call({rt::ArgRecord::Pointer(nullptr, rt::TYPE_SUBPTR)});
    EXPECT_EQ(result.low, 0u);
    result = Call({});
    EXPECT_EQ(result.low, 0u);
}

// Library 3 keeps the system's entry, has nothing to release at unload, and
// takes no other message.
TEST(ThreadLibraryTest, NotifyAnswersSetSystemAndUnloadAndRefusesTheRest) {
    const rt::LibraryInfo& info = desktop::ThreadLibraryInfo();
    ASSERT_EQ(info.notify, &desktop::ThreadLibraryNotify);
    EXPECT_EQ(info.notify(rt::LN_SET_SYSTEM, 0, 0), 0);
    EXPECT_EQ(info.notify(rt::LN_CLEANUP, 0, 0), 0);
    EXPECT_EQ(info.notify(rt::LN_TYPE_QUERY, 0, 0), -1);
    EXPECT_EQ(info.notify(2, 0, 0), -1);
}

}  // namespace
