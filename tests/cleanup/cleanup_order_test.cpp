// The end of the program on the calling thread: the fixed order of the
// steps, what a fatal error leaves out, and that nothing is left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "runtime/cleanup/cleanup_hooks.h"
#include "runtime/cleanup/embedded_controls.h"
#include "runtime/exit_routines.h"
#include "runtime/system_hooks.h"
#include "tests/cleanup/cleanup_resources.h"

namespace {

using cleanuptest::Events;
using cleanuptest::ExpectedOrder;

TEST(CleanupOrderTest, EverythingGoesInTheFixedOrderAndNothingIsLeft) {
    rt::ApplicationObject app;
    cleanuptest::Provided provided = cleanuptest::Provide(app, true);
    ASSERT_NE(provided.keepLibraryLoaded, nullptr) << provided.controlLibrary;
    ASSERT_EQ(cleanuptest::LiveWindowsOfThisThread(), 2);
    app.ShutdownRuntime(0);
    EXPECT_EQ(Events(), ExpectedOrder(true));
    EXPECT_EQ(app.EventBlockCount(), 1);
    EXPECT_TRUE(app.CleanupFinished());
    EXPECT_EQ(app.Windows().Count(), 0u);
    EXPECT_EQ(app.LibraryCount(), 0u);
    EXPECT_EQ(app.MainHiddenWindow(), 0u);
    EXPECT_EQ(app.PlatformMarker(1), 0);
    EXPECT_EQ(app.PlatformMarker(2), 0);
    EXPECT_EQ(rt::ExitRoutineCount(), 0u);
    EXPECT_EQ(cleanuptest::LiveWindowsOfThisThread(), 0);
    cleanuptest::Release(provided);
    EXPECT_FALSE(cleanuptest::LibraryStillLoaded(provided.controlLibrary));
}

TEST(CleanupOrderTest, ASecondRequestDoesNotCleanUpTwice) {
    rt::ApplicationObject app;
    cleanuptest::Provided provided = cleanuptest::Provide(app, false);
    app.ShutdownRuntime(0);
    size_t events = Events().size();
    app.ShutdownRuntime(3);
    EXPECT_EQ(Events().size(), events);
    EXPECT_EQ(app.EventBlockCount(), 2);
    cleanuptest::Release(provided);
}

TEST(CleanupOrderTest, AfterAFatalErrorNoExitRoutineRunsButLibrariesAreTold) {
    rt::ApplicationObject app;
    cleanuptest::Provided provided = cleanuptest::Provide(app, false);
    // The fatal path forgets the exit routines before the clean-up.
    rt::DiscardExitRoutines();
    app.ShutdownRuntime(-1);
    std::vector<std::string> expected = ExpectedOrder(false);
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(Events(), expected);
    cleanuptest::Release(provided);
}

TEST(CleanupOrderTest, UnderTheDebuggerRegistrationsStay) {
    rt::ApplicationObject app;
    cleanuptest::Provided provided = cleanuptest::Provide(app, false);
    app.SetRunMode(2);
    app.ShutdownRuntime(0);
    std::vector<std::string> events = Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "unregister:Demo.Control"), 0);
    EXPECT_EQ(events.back(), "facility-2:77");
    cleanuptest::Release(provided);
}

TEST(CleanupOrderTest, WithoutAnInterfaceThreadAnyThreadCleansUp) {
    // The process-wide object has no user-interface thread recorded here,
    // so the hand-off leaves the clean-up to whichever thread asks.
    rt::CleanupHooks hooks;
    hooks.handOffToInterfaceThread = &rt::HandOffToInterfaceThread;
    rt::SetCleanupHooks(hooks);
    rt::ApplicationObject app;
    app.SetPlatformFacility(2, 5, [](intptr_t) { cleanuptest::Record("facility-2"); });
    cleanuptest::ClearEvents();
    std::thread worker([&] { app.ShutdownRuntime(4); });
    worker.join();
    EXPECT_EQ(Events(), std::vector<std::string>{"facility-2"});
    EXPECT_TRUE(app.CleanupFinished());
    rt::SetCleanupHooks({});
}

TEST(EmbeddedControlTest, RegistrationIsRecordedOnlyWhenTheLibraryAgrees) {
    rt::ApplicationObject app;
    cleanuptest::Provided provided = cleanuptest::Provide(app, false);
    EXPECT_EQ(
        rt::RegisterEmbeddedControl(app, "Extra.Control", "libpicbatch_test_embedded_control.so"),
        rt::EmbeddedControlResult::Registered);
    EXPECT_EQ(
        rt::RegisterEmbeddedControl(app, "Refused.Control", "libpicbatch_test_embedded_control.so"),
        rt::EmbeddedControlResult::Refused);
    EXPECT_EQ(rt::RegisterEmbeddedControl(app, "Gone.Control", "libpicbatch_no_such_library.so"),
              rt::EmbeddedControlResult::LibraryNotFound);
    cleanuptest::ClearEvents();
    app.ShutdownRuntime(0);
    std::vector<std::string> events = Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "unregister:Demo.Control"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "unregister:Extra.Control"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "unregister:Refused.Control"), 0);
    cleanuptest::Release(provided);
}

}  // namespace
