// BrowseForFolder over the platform's folder chooser, answered from the
// answer queue: the path chosen, cancelling, the files-shown option, and
// the program's windows disabled while it runs and restored exactly after.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "libs/desktop/shell/modal_guard.h"
#include "libs/desktop/shell/shell_library.h"
#include "platform/dialogs/answer_queue.h"
#include "tests/desktop/test_system.h"

namespace {

using namespace platform;

// Every WM_ENABLE a guarded window receives, in order.
struct EnableChange {
    HWND window;
    bool enabled;
};
std::vector<EnableChange> g_enableChanges;

LRESULT RecordingProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENABLE)
        g_enableChanges.push_back({hwnd, wParam != 0});
    return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND NewRecordingWindow(const char* title, HWND parent = nullptr) {
    static bool registered = [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.lpszClassName = "GuardTestWindow";
        return RegisterClass(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    uint32_t style = parent ? WS_CHILD | WS_VISIBLE | WS_TABSTOP : WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    return CreateWindowEx(0, "GuardTestWindow", title, style, 10, 10, 200, 100, parent, nullptr,
                          nullptr, nullptr);
}

std::vector<bool> ChangesOf(HWND window) {
    std::vector<bool> changes;
    for (const EnableChange& change : g_enableChanges) {
        if (change.window == window)
            changes.push_back(change.enabled);
    }
    return changes;
}

class BrowseForFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialogs::ClearAnswers();
        g_enableChanges.clear();
        folder_ = std::filesystem::temp_directory_path() /
                  ("picbatch-browse-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_ / "pictures");
        std::ofstream(folder_ / "photo.jpg") << "x";

        main_ = NewRecordingWindow("main");
        field_ = NewRecordingWindow("field", main_);
        disabled_ = NewRecordingWindow("was disabled");
        other_ = NewRecordingWindow("other");
        EnableWindow(disabled_, false);
        system_.AddWindow(0x52010001, main_);
        system_.AddWindow(0x52010002, disabled_);
        system_.AddWindow(0x52010003, other_);
        SetActiveWindow(main_);
        SetFocus(field_);
        g_enableChanges.clear();
    }
    void TearDown() override {
        EXPECT_EQ(dialogs::PendingAnswers(), 0u) << "an answer was left unused";
        dialogs::ClearAnswers();
        system_.App().Windows().Clear();
        for (HWND window : {main_, disabled_, other_}) {
            if (IsWindow(window))
                DestroyWindow(window);
        }
        std::filesystem::remove_all(folder_);
    }

    // Calls the command; answers the text (or "<null>") and frees it.
    std::string Browse(std::vector<rt::ArgRecord> args) {
        rt::ResultSlot result{};
        desktop::BrowseForFolder(&result, int32_t(args.size()), args.data());
        EXPECT_EQ(result.type, rt::TYPE_TEXT);
        const char* text = result.asText();
        if (!text)
            return "<null>";
        std::string copy = text;
        system_.Send(rt::SN_FREE, reinterpret_cast<intptr_t>(text));
        return copy;
    }
    void Answer(const std::string& answer) { ASSERT_TRUE(dialogs::QueueAnswer(answer)) << answer; }
    void ExpectRestored() {
        EXPECT_TRUE(IsWindowEnabled(main_));
        EXPECT_FALSE(IsWindowEnabled(disabled_));
        EXPECT_TRUE(IsWindowEnabled(other_));
        EXPECT_EQ(GetFocus(), field_);
        EXPECT_EQ(GetActiveWindow(), main_);
    }

    desktoptest::TestSystem system_{{{4, &desktop::ShellLibraryInfo()}}};
    std::filesystem::path folder_;
    HWND main_ = nullptr;
    HWND field_ = nullptr;
    HWND disabled_ = nullptr;
    HWND other_ = nullptr;
};

TEST_F(BrowseForFolderTest, TheChosenFolderComesBackAndEveryWindowGetsItsStateBack) {
    std::string chosen = (folder_ / "pictures").string();
    Answer("choose " + chosen);
    EXPECT_EQ(Browse({rt::ArgRecord::TextArg("Choose the pictures"), rt::ArgRecord::Omitted()}),
              chosen);
    // Each enabled window was disabled for the dialog, then enabled again;
    // the one disabled before was never touched and stays disabled.
    EXPECT_EQ(ChangesOf(main_), (std::vector<bool>{false, true}));
    EXPECT_EQ(ChangesOf(other_), (std::vector<bool>{false, true}));
    EXPECT_EQ(ChangesOf(disabled_), std::vector<bool>{});
    ExpectRestored();
}

TEST_F(BrowseForFolderTest, CancellingGivesNullAndRestoresTheWindows) {
    Answer("cancel");
    EXPECT_EQ(Browse({rt::ArgRecord::TextArg("Choose")}), "<null>");
    EXPECT_EQ(ChangesOf(main_), (std::vector<bool>{false, true}));
    ExpectRestored();
}

TEST_F(BrowseForFolderTest, UnansweredWithoutADisplayItIsCancelledAtOnce) {
    EXPECT_EQ(Browse({rt::ArgRecord::TextArg("Choose")}), "<null>");
    ExpectRestored();
}

TEST_F(BrowseForFolderTest, FilesCanBeChosenOnlyWhenTheSecondArgumentIsTrue) {
    std::string file = (folder_ / "photo.jpg").string();
    // Omitted and false both list folders only (flags 0x10): the file is
    // refused and the dialog, left open, is cancelled.
    Answer("choose " + file);
    EXPECT_EQ(Browse({rt::ArgRecord::TextArg("Choose")}), "<null>");
    Answer("choose " + file);
    EXPECT_EQ(Browse({rt::ArgRecord::TextArg("Choose"), rt::ArgRecord::Int(0, rt::TYPE_BOOL)}),
              "<null>");
    // True lists files as well (0x4010).
    Answer("choose " + file);
    EXPECT_EQ(Browse({rt::ArgRecord::TextArg("Choose"), rt::ArgRecord::Int(1, rt::TYPE_BOOL)}),
              file);
    ExpectRestored();
}

TEST_F(BrowseForFolderTest, TheGuardSkipsChildrenAndVanishedWindows) {
    // A child window described as a window of its own is not top-level,
    // and a window that is gone cannot be disabled or restored.
    HWND gone = NewRecordingWindow("gone");
    system_.AddWindow(0x52010004, field_);
    system_.AddWindow(0x52010005, gone);
    DestroyWindow(gone);
    // Showing and destroying a window moved the activation: set it again.
    SetActiveWindow(main_);
    SetFocus(field_);
    desktop::BlockPool pool;
    {
        desktop::ModalGuard guard(desktop::ShellSystem(), &pool);
        EXPECT_EQ(guard.Owner(), main_);
        EXPECT_EQ(guard.GuardedCount(), 3u);
        EXPECT_EQ(pool.InUse(), 1u);
        EXPECT_FALSE(IsWindowEnabled(main_));
        EXPECT_FALSE(IsWindowEnabled(other_));
        EXPECT_TRUE(IsWindowEnabled(field_));
        // Destroying a guarded window meanwhile leaves the rest to restore.
        DestroyWindow(other_);
    }
    EXPECT_EQ(pool.InUse(), 0u);
    EXPECT_TRUE(IsWindowEnabled(main_));
    EXPECT_FALSE(IsWindowEnabled(disabled_));
    EXPECT_EQ(GetFocus(), field_);
}

}  // namespace
