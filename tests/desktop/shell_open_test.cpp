// ShellOpen's tables as the shell sees them: without a display the shell
// says on standard error what it would have opened, with which operation
// and show mode.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "libs/desktop/shell/shell_library.h"
#include "platform/shell/shell_open.h"

namespace {

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("picbatch-shellopen-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        platform::shell::SetLauncher(nullptr);
        // No display: the shell describes instead of launching.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // What the shell says for ShellOpen with these arguments.
    std::string Open(std::vector<rt::ArgRecord> args) {
        rt::ResultSlot result = rt::ArgRecord::Int(77, rt::TYPE_INT);
        ::testing::internal::CaptureStderr();
        desktop::ShellOpen(&result, int32_t(args.size()), args.data());
        std::string said = ::testing::internal::GetCapturedStderr();
        // The result slot is left as the caller had it.
        EXPECT_EQ(result.low, 77u);
        EXPECT_EQ(result.type, rt::TYPE_INT);
        return said;
    }
    std::string Expected(const char* operation, const char* program, int showMode) {
        return std::string("picbatch: would ") + operation + ": \"" + program + "\" \"" +
               folder_.string() + "\" in \".\" (show mode " + std::to_string(showMode) + ")\n";
    }
    rt::ArgRecord Folder() { return rt::ArgRecord::TextArg(folder_.c_str()); }

    std::filesystem::path folder_;
};

TEST_F(ShellOpenTest, OperationsOutsideOneToFiveUseTheDefault) {
    EXPECT_EQ(Open({rt::ArgRecord::Int(0), Folder()}), Expected("open", "xdg-open", 1));
    EXPECT_EQ(Open({rt::ArgRecord::Int(6), Folder()}), Expected("open", "xdg-open", 1));
    EXPECT_EQ(Open({rt::ArgRecord::Int(-1), Folder()}), Expected("open", "xdg-open", 1));
}

TEST_F(ShellOpenTest, EachOperationNumberNamesItsOperation) {
    EXPECT_EQ(Open({rt::ArgRecord::Int(1), Folder()}), Expected("open", "xdg-open", 1));
    // 2 is what the batch uses to show its output folder.
    EXPECT_EQ(Open({rt::ArgRecord::Int(2), Folder(), rt::ArgRecord::Omitted(),
                    rt::ArgRecord::Omitted(), rt::ArgRecord::Omitted()}),
              Expected("explore", "xdg-open", 1));
    EXPECT_EQ(Open({rt::ArgRecord::Int(3), Folder()}), Expected("edit", "xdg-open", 1));
    EXPECT_EQ(Open({rt::ArgRecord::Int(4), Folder()}), Expected("print", "lp", 1));
    EXPECT_EQ(Open({rt::ArgRecord::Int(5), Folder()}), Expected("find", "xdg-open", 1));
    for (int n = 1; n <= 5; ++n)
        EXPECT_LE(std::string(desktop::ShellOperationText(n)).size(), 7u);
}

TEST_F(ShellOpenTest, ShowModesMapThroughTheTableAndFallBackToNormal) {
    auto withMode = [&](int mode) {
        return Open({rt::ArgRecord::Int(1), Folder(), rt::ArgRecord::Omitted(),
                     rt::ArgRecord::Omitted(), rt::ArgRecord::Int(mode)});
    };
    EXPECT_EQ(withMode(7), Expected("open", "xdg-open", 1));
    EXPECT_EQ(withMode(0), Expected("open", "xdg-open", 1));
    EXPECT_EQ(withMode(3), Expected("open", "xdg-open", 3));
    EXPECT_EQ(withMode(6), Expected("open", "xdg-open", 0));
}

TEST_F(ShellOpenTest, AGivenDirectoryAndParametersReachTheShell) {
    std::filesystem::create_directories(folder_ / "out");
    std::string said =
        Open({rt::ArgRecord::Int(1), rt::ArgRecord::TextArg("out"), rt::ArgRecord::TextArg("-x"),
              rt::ArgRecord::TextArg(folder_.c_str())});
    EXPECT_EQ(said, "picbatch: would open: \"xdg-open\" \"" + (folder_ / "out").string() +
                        "\" in \"" + folder_.string() + "\" (show mode 1)\n");
}

intptr_t AnswerSeven(int32_t, intptr_t, intptr_t) {
    return 7;
}

// Library 4 keeps the system's entry (its commands reach the system through
// it), has nothing to release at unload, and takes no other message.
TEST(ShellLibraryTest, NotifyKeepsTheSystemEntryAnswersUnloadAndRefusesTheRest) {
    const rt::LibraryInfo& info = desktop::ShellLibraryInfo();
    ASSERT_EQ(info.notify, &desktop::ShellLibraryNotify);
    EXPECT_EQ(info.notify(rt::LN_SET_SYSTEM, reinterpret_cast<intptr_t>(&AnswerSeven), 0), 0);
    EXPECT_EQ(desktop::ShellSystem().Get(), &AnswerSeven);
    EXPECT_EQ(info.notify(rt::LN_CLEANUP, 0, 0), 0);
    EXPECT_EQ(info.notify(rt::LN_TYPE_QUERY, 0, 0), -1);
    EXPECT_EQ(info.notify(2, 0, 0), -1);
    EXPECT_EQ(desktop::ShellSystem().Get(), &AnswerSeven);
    info.notify(rt::LN_SET_SYSTEM, 0, 0);
    EXPECT_EQ(desktop::ShellSystem().Get(), nullptr);
}

}  // namespace
