// The fatal-error path and the end of the program, each run in a child
// process: the report, the exit status, and which clean-up steps ran.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "runtime/application_object.h"
#include "runtime/fatal_error.h"
#include "runtime/services.h"

namespace {

using rt::ApplicationObject;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

void NoisyExitRoutine() {
    std::fputs("exit-routine-ran\n", stderr);
}

intptr_t NoisyLibrary(int32_t message, intptr_t param1, intptr_t) {
    if (message == rt::LN_CLEANUP)
        std::fprintf(stderr, "library-cleanup-%ld\n", long(param1));
    return 0;
}
const rt::LibraryInfo kNoisyLibrary = {"noisy", 0, nullptr, &NoisyLibrary};
const rt::LibraryInfo kMuteLibrary = {"mute", 0, nullptr, nullptr};

// Sets up the process-wide object the way start-up does. Only ever called
// inside a death test's child.
ApplicationObject& PreparedApplication() {
    ApplicationObject& app = ApplicationObject::Instance();
    app.SetLibrary(1, &kMuteLibrary);
    app.SetLibrary(2, &kNoisyLibrary, 42);
    rt::StartRuntimeSystem();
    rt::RtAssist(rt::HELP_AT_EXIT, reinterpret_cast<uintptr_t>(&NoisyExitRoutine), 0, 0, 0);
    return app;
}

TEST(FatalPathDeathTest, ReportsThenCleansUpWithoutExitRoutinesAndEndsWithMinusOne) {
    EXPECT_EXIT(PreparedApplication().Handle(rt::SN_FATAL_ERROR,
                                             reinterpret_cast<intptr_t>("disk on fire"), 0),
                ::testing::ExitedWithCode(255),
                AllOf(HasSubstr(rt::kFatalErrorHeading), HasSubstr("Details: disk on fire"),
                      HasSubstr("library-cleanup-42"), Not(HasSubstr("exit-routine-ran"))));
}

TEST(FatalPathDeathTest, ExitRunsExitRoutinesBeforeLibrariesAreCleanedUp) {
    EXPECT_EXIT(PreparedApplication().Handle(rt::SN_EXIT, 3, 0), ::testing::ExitedWithCode(3),
                "exit-routine-ran\n(.|\n)*library-cleanup-42");
}

TEST(FatalPathDeathTest, RuntimeErrorsTakeTheSameRoadWithTheirCode) {
    EXPECT_EXIT((PreparedApplication(), rt::RtRaiseError(rt::ERR_INDEX_BELOW)),
                ::testing::ExitedWithCode(1),
                AllOf(HasSubstr("Error code: 4."), HasSubstr("library-cleanup-42"),
                      Not(HasSubstr("exit-routine-ran"))));
}

int32_t g_hookCalls = 0;
int32_t HandlingHook(uint32_t, const char*) {
    ++g_hookCalls;
    return 1;
}
int32_t ReenteringHook(uint32_t, const char*) {
    ApplicationObject::Instance().FatalError("raised inside the hook", 0);
    return 1;
}

TEST(FatalPathTest, HandledByTheApplicationItReturnsWithEventsBlocked) {
    ApplicationObject app;
    app.SetFatalErrorHook(&HandlingHook);
    g_hookCalls = 0;
    EXPECT_EQ(app.Handle(rt::SN_FATAL_ERROR, reinterpret_cast<intptr_t>("recoverable"), 0), 0);
    EXPECT_EQ(g_hookCalls, 1);
    EXPECT_EQ(app.EventBlockCount(), 1);
    // A strict allocation failure goes the same way and answers null.
    EXPECT_EQ(app.Handle(rt::SN_ALLOC, -1, 0), 0);
    EXPECT_EQ(g_hookCalls, 2);
    EXPECT_EQ(app.Handle(rt::SN_ALLOC, -1, 1), 0);
    EXPECT_EQ(g_hookCalls, 2);
}

TEST(FatalPathDeathTest, AFatalErrorInsideTheHookIsReportedNotReentered) {
    EXPECT_EXIT(
        {
            ApplicationObject::Instance().SetFatalErrorHook(&ReenteringHook);
            ApplicationObject::Instance().FatalError("first", 0);
        },
        ::testing::ExitedWithCode(255), HasSubstr("raised inside the hook"));
}

TEST(FatalReportTest, NamesCodeAndDetailsOnlyWhenPresent) {
    EXPECT_EQ(rt::BuildFatalReport("Heading.", 0, ""), "Heading.");
    EXPECT_EQ(rt::BuildFatalReport("Heading.", 7, "why"),
              "Heading.\n\nError code: 7.\n\nDetails: why");
}

}  // namespace
