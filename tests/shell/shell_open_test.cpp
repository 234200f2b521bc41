// What the shell opens, and how, for each operation, and what it refuses.
#include "platform/shell/shell_open.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace platform;
using namespace platform::shell;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("picbatch-shell-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_ / "out");
        std::ofstream(folder_ / "doc.txt") << "x";
        std::ofstream(folder_ / "tool.sh") << "#!/bin/sh\n";
        std::filesystem::permissions(folder_ / "tool.sh", std::filesystem::perms::owner_all);
        SetLauncher([this](const Launch& launch) {
            launches_.push_back(launch);
            return true;
        });
    }
    void TearDown() override {
        SetLauncher(nullptr);
        std::filesystem::remove_all(folder_);
    }
    std::string Path(const char* name) { return (folder_ / name).string(); }
    std::filesystem::path folder_;
    std::vector<Launch> launches_;
};

TEST_F(ShellTest, OperationAndShowModeTables) {
    EXPECT_STREQ(OperationText(1), "open");
    EXPECT_EQ(OperationText(0), nullptr);
    EXPECT_EQ(OperationText(6), nullptr);
    for (int n = 1; n <= 5; ++n)
        EXPECT_LE(std::strlen(OperationText(n)), 7u);
    EXPECT_EQ(ShowModeFor(7), SW_SHOWNORMAL);
    EXPECT_EQ(ShowModeFor(0), SW_SHOWNORMAL);
    EXPECT_EQ(ShowModeFor(3), SW_SHOWMAXIMIZED);
}

TEST_F(ShellTest, FoldersAndDocumentsGoToTheOpenerProgramsRunThemselves) {
    EXPECT_GT(ShellExecute(nullptr, nullptr, Path("out").c_str(), nullptr, nullptr, 1), 32);
    EXPECT_GT(ShellExecute(nullptr, "explore", Path("doc.txt").c_str(), nullptr, nullptr, 1), 32);
    EXPECT_GT(ShellExecute(nullptr, "open", "tool.sh", "-a \"two words\"", folder_.c_str(), 1), 32);
    ASSERT_EQ(launches_.size(), 3u);
    EXPECT_EQ(launches_[0].argv, (std::vector<std::string>{"xdg-open", Path("out")}));
    EXPECT_EQ(launches_[1].argv, (std::vector<std::string>{"xdg-open", folder_.string()}));
    EXPECT_EQ(launches_[2].argv, (std::vector<std::string>{Path("tool.sh"), "-a", "two words"}));
    EXPECT_EQ(launches_[2].workingDirectory, folder_.string());
}

TEST_F(ShellTest, MissingTargetsAndUnknownOperationsAreRefused) {
    EXPECT_EQ(ShellExecute(nullptr, "open", Path("gone.txt").c_str(), nullptr, nullptr, 1),
              kShellFileNotFound);
    EXPECT_EQ(ShellExecute(nullptr, "open", "", nullptr, nullptr, 1), kShellFileNotFound);
    EXPECT_LE(ShellExecute(nullptr, "fly", Path("doc.txt").c_str(), nullptr, nullptr, 1), 32);
    EXPECT_TRUE(launches_.empty());
}

TEST_F(ShellTest, WithoutADisplayItSaysWhatWouldOpen) {
    SetLauncher(nullptr);
    const char* display = std::getenv("DISPLAY");
    std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::string savedWayland = wayland ? wayland : "";
    unsetenv("WAYLAND_DISPLAY");
    ::testing::internal::CaptureStderr();
    EXPECT_GT(ShellExecute(nullptr, nullptr, Path("out").c_str(), nullptr, nullptr, 1), 32);
    std::string said = ::testing::internal::GetCapturedStderr();
    if (!saved.empty())
        setenv("DISPLAY", saved.c_str(), 1);
    if (!savedWayland.empty())
        setenv("WAYLAND_DISPLAY", savedWayland.c_str(), 1);
    EXPECT_NE(said.find("would open: \"xdg-open\" \"" + Path("out") + "\""), std::string::npos)
        << said;
}

}  // namespace
