// The end of the program asked for from a worker thread: the request goes
// to the user-interface thread's hidden main window, which cleans up while
// the worker waits. Each case uses the process-wide object, so each runs
// once per process: the SN_EXIT cases in a child process of their own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "runtime/cleanup/cleanup_hooks.h"
#include "runtime/cleanup/main_hidden_window.h"
#include "runtime/exit_routines.h"
#include "tests/cleanup/cleanup_resources.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

std::atomic<int32_t> g_requestedCode{0};

// The end request without ending the process, so the test can look after.
void CleanUpWithoutEnding(int32_t exitCode) {
    g_requestedCode = exitCode;
    rt::ApplicationObject::Instance().ShutdownRuntime(exitCode);
}

void PumpUntil(const std::atomic<bool>& done) {
    platform::MSG msg;
    while (!done) {
        if (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE))
            platform::DispatchMessage(&msg);
        else
            platform::WaitMessage(5);
    }
}

TEST(InterfaceThreadTest, AWorkerPostsTheRequestAndWaitsForTheCleanUp) {
    rt::ApplicationObject& app = rt::ApplicationObject::Instance();
    cleanuptest::Provided provided = cleanuptest::Provide(app, false);
    rt::MainHiddenWindow* hidden = rt::MainHiddenWindow::Create(&CleanUpWithoutEnding);
    ASSERT_NE(hidden, nullptr);
    app.SetMainHiddenWindow(hidden->Handle(), hidden);
    ASSERT_TRUE(rt::InstallCleanupHooks());

    std::atomic<bool> workerDone{false};
    std::vector<std::string> seenByWorker;
    std::thread worker([&] {
        app.ShutdownRuntime(5);
        // Back here only once the interface thread has finished.
        seenByWorker = cleanuptest::Events();
        workerDone = true;
    });
    PumpUntil(workerDone);
    worker.join();

    EXPECT_EQ(g_requestedCode.load(), 5);
    std::vector<std::string> expected = cleanuptest::ExpectedOrder(false);
    EXPECT_EQ(seenByWorker, expected);
    EXPECT_EQ(cleanuptest::Events(), expected);
    EXPECT_EQ(cleanuptest::LiveWindowsOfThisThread(), 0);
    EXPECT_EQ(app.MainHiddenWindow(), 0u);
    cleanuptest::Release(provided);
    EXPECT_FALSE(cleanuptest::LibraryStillLoaded(provided.controlLibrary));
}

// In a child process: the interface thread runs its loop and a worker
// sends SN_EXIT or raises a fatal error; or the interface thread sends it
// itself. The clean-up's events go to standard error.
void RunProgramEnding(int32_t message, intptr_t parameter, bool onInterfaceThread) {
    rt::ApplicationObject& app = rt::ApplicationObject::Instance();
    cleanuptest::Provided provided = cleanuptest::Provide(app, false);
    if (!rt::InstallCleanupHooks())
        std::_Exit(90);
    // The last step of the clean-up reports what is left. (Facility 1 is now
    // the hidden window's class, which InstallCleanupHooks registered.)
    app.SetPlatformFacility(2, 77, [](intptr_t) {
        for (const std::string& event : cleanuptest::Events())
            std::fprintf(stderr, "%s\n", event.c_str());
        std::fprintf(stderr, "windows-left=%d\n", cleanuptest::LiveWindowsOfThisThread());
        platform::WNDCLASS unused;
        std::fprintf(stderr, "hidden-class-registered=%d\n",
                     platform::GetClassInfo(nullptr, rt::kMainHiddenWindowClass, &unused) ? 1 : 0);
        std::fflush(stderr);
    });
    if (onInterfaceThread) {
        app.Handle(message, parameter, 0);
        std::_Exit(92);  // SN_EXIT never returns
    }
    std::thread([message, parameter] {
        rt::ApplicationObject::Instance().Handle(message, parameter, 0);
    }).detach();
    platform::MSG msg;
    while (platform::GetMessage(&msg, nullptr, 0, 0) > 0)
        platform::DispatchMessage(&msg);
    std::_Exit(91);  // the loop must never end on its own here
}

class InterfaceThreadDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(InterfaceThreadDeathTest, ExitFromAWorkerEndsWithItsCodeAfterTheFullCleanUp) {
    EXPECT_EXIT(RunProgramEnding(rt::SN_EXIT, 7, false), ::testing::ExitedWithCode(7),
                AllOf(HasSubstr("exit-routine unit-window-gone=1\nlibrary-11\nlibrary-33"),
                      HasSubstr("picture\nunregister:Demo.Control\nwindows-left=0\n"
                                "hidden-class-registered=0"),
                      Not(HasSubstr("ThreadSanitizer")), Not(HasSubstr("LeakSanitizer"))));
}

TEST_F(InterfaceThreadDeathTest, AFatalErrorOnAWorkerSkipsTheExitRoutinesButTellsTheLibraries) {
    EXPECT_EXIT(
        RunProgramEnding(rt::SN_FATAL_ERROR, reinterpret_cast<intptr_t>("worker gave up"), false),
        ::testing::ExitedWithCode(255),
        AllOf(HasSubstr("worker gave up"), HasSubstr("unit-window\nlibrary-11\nlibrary-33"),
              Not(HasSubstr("exit-routine")), HasSubstr("windows-left=0"),
              Not(HasSubstr("ThreadSanitizer"))));
}

TEST_F(InterfaceThreadDeathTest, ExitOnTheInterfaceThreadCleansUpThere) {
    EXPECT_EXIT(RunProgramEnding(rt::SN_EXIT, 3, true), ::testing::ExitedWithCode(3),
                AllOf(HasSubstr("unit-window\nexit-routine unit-window-gone=1\nlibrary-11\n"
                                "library-33"),
                      HasSubstr("windows-left=0"), Not(HasSubstr("ThreadSanitizer"))));
}

}  // namespace
