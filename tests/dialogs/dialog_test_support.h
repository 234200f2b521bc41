// Test helpers: memory-only presentation, an owner window, an empty answer
// queue before and after every case, and a scratch folder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/dialogs/answer_queue.h"
#include "platform/windowing/windows.h"

namespace dlgtest {

using namespace platform;

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPresentationMode(PresentationMode::Memory);
        dialogs::ClearAnswers();
        static bool registered = [] {
            WNDCLASS c;
            c.lpfnWndProc = DefWindowProc;
            c.lpszClassName = "DialogTestOwner";
            return RegisterClass(&c) != 0;
        }();
        ASSERT_TRUE(registered);
        owner_ = CreateWindowEx(0, "DialogTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                0, 600, 500, nullptr, nullptr, nullptr, nullptr);
        folder_ = std::filesystem::temp_directory_path() /
                  ("picbatch-dialogs-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_ / "sub");
    }
    void TearDown() override {
        EXPECT_EQ(dialogs::PendingAnswers(), 0u) << "a dialog left answers unused";
        dialogs::ClearAnswers();
        if (IsWindow(owner_))
            DestroyWindow(owner_);
        std::filesystem::remove_all(folder_);
    }
    void Touch(const std::string& name) { std::ofstream(folder_ / name) << "x"; }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    void Queue(const char* answer) { ASSERT_TRUE(dialogs::QueueAnswer(answer)) << answer; }

    HWND owner_ = nullptr;
    std::filesystem::path folder_;
};

}  // namespace dlgtest
