// The start window in this process, without a display: loaded from its
// description, its properties read and written from any thread, a batch
// request while one runs, and the event loop's end. The runtime starts once
// per process, so each test runs in a process of its own (as CTest runs
// them); a second test in the same process is skipped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "app/constants.h"
#include "app/globals.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/answer_queue.h"
#include "platform/messages/thread_message_queue.h"
#include "platform/msgbox/message_box.h"
#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/framework/window_framework.h"
#include "runtime/framework/window_services.h"
#include "runtime/services.h"
#include "tools/picbatch/launcher.h"

namespace {

namespace fs = std::filesystem;

std::atomic<bool> g_started{false};
std::mutex g_messagesMutex;
std::vector<std::string> g_messages;
std::function<void()> g_scenario;

int RecordMessage(uintptr_t, std::string_view text, std::string_view, uint32_t flags) {
    std::lock_guard lock(g_messagesMutex);
    g_messages.emplace_back(text);
    return platform::FirstButtonOf(flags);
}

std::vector<std::string> Messages() {
    std::lock_guard lock(g_messagesMutex);
    return g_messages;
}

void RunScenario(rt::NativeHandle) {
    g_scenario();
    platform::PostMessage(reinterpret_cast<platform::HWND>(rt::StartWindowHandle()),
                          platform::WM_CLOSE, 0, 0);
}

// Starts the program with the start window in memory and runs `scenario`
// on the interface thread once the window is shown; answers once the event
// loop has ended.
bool RunProgram(std::function<void()> scenario) {
    if (g_started.exchange(true))
        return false;
    platform::SetPresentationMode(platform::PresentationMode::Memory);
    platform::SetMessageBoxPresenter(&RecordMessage);
    g_scenario = std::move(scenario);
    rt::SetStartWindowShownObserver(&RunScenario);
    picbatch::StartRuntime(picbatch::MessageBoxes::Custom);
    app::StartRoutine();
    return true;
}

platform::HWND UnitWindow(uint32_t unit) {
    auto* object = reinterpret_cast<rt::WindowObject*>(
        rt::ApplicationObject::Instance().Handle(rt::SN_FIND_UNIT_OBJECT, app::START_WINDOW, unit));
    return object ? reinterpret_cast<platform::HWND>(object->Handle()) : nullptr;
}

// Runs the interface thread's messages until `done` or 60 s pass.
bool PumpUntil(const std::function<bool()>& done) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        rt::ProcessPendingWindowMessages();
        platform::WaitMessage(20);
    }
    return true;
}

std::string MakePictures(const std::string& name, int count, const char* size) {
    std::string folder = testing::TempDir() + name + "_" + std::to_string(::getpid());
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        std::string command = "convert -size " + std::string(size) + " gradient:red-blue -rotate " +
                              std::to_string(i) + " '" + folder + "/p" + std::to_string(i) +
                              ".png' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    return folder;
}

#define START_OR_SKIP(scenario) \
    if (!RunProgram(scenario))  \
    GTEST_SKIP() << "the runtime starts once per process; run this test alone"

TEST(StartWindow, LoadsEveryUnitAndRunsTheLoadHandlerFirst) {
    START_OR_SKIP([] {
        for (uint32_t unit : {app::UNIT_MAIN_WINDOW, app::UNIT_OPTION_BOX, app::UNIT_FORMAT_BOX,
                              app::UNIT_PROGRESS_BAR, app::UNIT_FILE_DIALOG, app::UNIT_DROP_TARGET,
                              app::UNIT_FOLDER_BUTTON, app::UNIT_FILE_BUTTON}) {
            platform::HWND window = UnitWindow(unit);
            EXPECT_TRUE(window && platform::IsWindow(window)) << std::hex << unit;
        }
        EXPECT_TRUE(platform::IsWindowVisible(UnitWindow(app::UNIT_MAIN_WINDOW)));
        // The load handler ran before the window was shown: the greeting was
        // its last step.
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0], app::MSG_START);
        EXPECT_STREQ(app::AcceptedExtensions, app::EXT_LIST);
        EXPECT_EQ(
            rt::RtGetProperty(app::START_WINDOW, app::UNIT_DROP_TARGET, app::PROP_ACCEPT_FILES, -1),
            1u);
        EXPECT_EQ(uint32_t(rt::RtGetProperty(app::START_WINDOW, app::UNIT_MAIN_WINDOW,
                                             app::PROP_WINDOW_COLOUR, -1)),
                  app::DEFAULT_COLOUR);
        auto* chosen = reinterpret_cast<char*>(uintptr_t(rt::RtGetProperty(
            app::START_WINDOW, app::UNIT_FORMAT_BOX, app::PROP_CONTENT_TEXT, -1)));
        EXPECT_STREQ(chosen, app::FMT_A);
        rt::RtFree(chosen);
    });
}

TEST(StartWindow, ProgressBarMaximumIsClampedAt32767) {
    START_OR_SKIP([] {
        rt::RtSetProperty(app::START_WINDOW, app::UNIT_PROGRESS_BAR, app::PROP_MAXIMUM, -1, 40000,
                          0);
        EXPECT_EQ(
            rt::RtGetProperty(app::START_WINDOW, app::UNIT_PROGRESS_BAR, app::PROP_MAXIMUM, -1),
            32767u);
        platform::HWND bar = UnitWindow(app::UNIT_PROGRESS_BAR);
        EXPECT_EQ(platform::SendMessage(bar, platform::PBM_GETRANGE, 0, 0), 32767);
        rt::RtSetProperty(app::START_WINDOW, app::UNIT_PROGRESS_BAR, app::PROP_POSITION, -1, 40000,
                          0);
        EXPECT_EQ(platform::SendMessage(bar, platform::PBM_GETPOS, 0, 0), 32767);
    });
}

TEST(StartWindow, PropertyAccessFromAWorkerRunsOnTheInterfaceThread) {
    START_OR_SKIP([] {
        static std::atomic<uint32_t> writerThread{0};
        rt::SetPropertyWriteObserver(
            [](uint32_t, uint32_t unit, uint32_t, int32_t, uint32_t, uint32_t) {
                if (unit == app::UNIT_PROGRESS_BAR)
                    writerThread.store(platform::GetCurrentThreadId());
            });
        std::atomic<bool> done{false};
        uint64_t readBack = 0;
        std::thread worker([&] {
            rt::RtSetProperty(app::START_WINDOW, app::UNIT_PROGRESS_BAR, app::PROP_MAXIMUM, -1, 77,
                              0);
            readBack =
                rt::RtGetProperty(app::START_WINDOW, app::UNIT_PROGRESS_BAR, app::PROP_MAXIMUM, -1);
            done.store(true);
        });
        EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
        worker.join();
        EXPECT_EQ(readBack, 77u);
        EXPECT_EQ(writerThread.load(), platform::GetCurrentThreadId());
        rt::SetPropertyWriteObserver(nullptr);
    });
}

TEST(StartWindow, ABatchRequestWhileOneRunsIsRefused) {
    std::string folder = MakePictures("busy", 6, "64x48");
    START_OR_SKIP([folder] {
        platform::dialogs::QueueAnswer("choose " + folder);
        platform::SendMessage(UnitWindow(app::UNIT_FOLDER_BUTTON), platform::BM_CLICK, 0, 0);
        ASSERT_EQ(app::BatchRunning.load(), 1);
        rt::ArrayBlock* listed = app::FileList;
        // The second press finds the batch running: it is refused, and the
        // list the workers read is left alone.
        platform::dialogs::QueueAnswer("choose " + folder);
        platform::SendMessage(UnitWindow(app::UNIT_FOLDER_BUTTON), platform::BM_CLICK, 0, 0);
        EXPECT_EQ(app::FileList, listed);
        EXPECT_EQ(platform::dialogs::PendingAnswers(), 1u);
        platform::dialogs::ClearAnswers();
        ASSERT_TRUE(PumpUntil([] {
            for (const std::string& message : Messages())
                if (message.find(app::DONE_B) != std::string::npos)
                    return true;
            return false;
        }));
        std::vector<std::string> messages = Messages();
        ASSERT_GE(messages.size(), 3u);
        EXPECT_EQ(messages[1], app::MSG_BUSY);
        EXPECT_EQ(messages.back().rfind("All 6 files done, ", 0), 0u) << messages.back();
        EXPECT_EQ(std::distance(fs::directory_iterator(folder + "/jpg"), fs::directory_iterator()),
                  6);
    });
    fs::remove_all(folder);
}

TEST(StartWindow, TheOptionBoxKeepsTheWindowOnTop) {
    START_OR_SKIP([] {
        platform::HWND box = UnitWindow(app::UNIT_OPTION_BOX);
        platform::SendMessage(box, platform::BM_CLICK, 0, 0);
        EXPECT_EQ(rt::RtGetProperty(app::START_WINDOW, app::UNIT_MAIN_WINDOW,
                                    app::PROP_WINDOW_ON_TOP, -1),
                  1u);
        platform::HWND window = UnitWindow(app::UNIT_MAIN_WINDOW);
        EXPECT_TRUE(platform::GetWindowLong(window, platform::GWL_EXSTYLE) &
                    platform::WS_EX_TOPMOST);
        platform::SendMessage(box, platform::BM_CLICK, 0, 0);
        EXPECT_EQ(rt::RtGetProperty(app::START_WINDOW, app::UNIT_MAIN_WINDOW,
                                    app::PROP_WINDOW_ON_TOP, -1),
                  0u);
        EXPECT_FALSE(platform::GetWindowLong(window, platform::GWL_EXSTYLE) &
                     platform::WS_EX_TOPMOST);
    });
}

TEST(StartWindow, TheEventLoopEndsWhenTheWindowCloses) {
    // The scenario posts the close; RunProgram returns only once the loop
    // has seen the window go.
    START_OR_SKIP([] {});
    EXPECT_EQ(rt::StartWindowHandle(), 0u);
}

}  // namespace
