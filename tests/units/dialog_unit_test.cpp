// The dialog unit: clamped kinds, options that count only as 1, file and
// font dialogs answered from the answer queue, and help through the
// desktop's opener.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "corelib/commands/core_commands.h"
#include "corelib/units/dialog_unit.h"
#include "platform/dialogs/answer_queue.h"
#include "platform/shell/shell_open.h"
#include "tests/units/unit_test_support.h"

namespace {

using namespace unittest;
namespace fs = std::filesystem;

constexpr uint32_t kDialog = 0x16010006;
constexpr uint32_t kType = units::kDialogType;
// Property numbers (own index + 8).
constexpr uint32_t kKind = 8, kFileName = 10, kFilterIndex = 12, kFileMustExist = 16;
constexpr uint32_t kFontColour = 20, kFontBold = 21, kFontItalic = 22, kFontFace = 25;
constexpr uint32_t kFontSize = 26, kHelpFile = 27, kHelpCommand = 28, kHelpTopic = 29;

class DialogUnitTest : public UnitTest {
protected:
    void SetUp() override {
        UnitTest::SetUp();
        dialogs::ClearAnswers();
        dialog_ = Make(kType, kDialog, {}, 0, 0, 10, 10);
        ASSERT_NE(dialog_, nullptr);
        dir_ = fs::temp_directory_path() / ("picbatch-dialog-unit-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        dialogs::ClearAnswers();
        shell::SetLauncher(nullptr);
        fs::remove_all(dir_);
        UnitTest::TearDown();
    }
    // OpenFileDialog as the application calls it.
    int32_t Open() {
        rt::ArgRecord unit = rt::ArgRecord::Unit(kWindowId, kDialog, kType);
        rt::CommandResult result = rt::RtCallCoreCommand(&corelib::OpenFileDialog, 1, &unit);
        return int32_t(result.low);
    }
    std::string Touch(const char* name) {
        fs::path path = dir_ / name;
        std::ofstream(path) << "x";
        return path.string();
    }
    rt::WindowObject* dialog_ = nullptr;
    fs::path dir_;
};

TEST_F(DialogUnitTest, KindAndNumbersAreClampedAsStored) {
    EXPECT_FALSE(StyleOf(dialog_) & WS_VISIBLE);  // nothing to see
    Set(kType, dialog_, kKind, 7);
    EXPECT_EQ(Get(kType, dialog_, kKind), 3u);
    Set(kType, dialog_, kKind, uint32_t(-1));
    EXPECT_EQ(Get(kType, dialog_, kKind), 0u);
    Set(kType, dialog_, kHelpCommand, 9);
    EXPECT_EQ(Get(kType, dialog_, kHelpCommand), 5u);
    Set(kType, dialog_, kFilterIndex, uint32_t(-2));
    EXPECT_EQ(Get(kType, dialog_, kFilterIndex), 0u);

    auto get = Entry<rt::UnitGetPropertyRoutine>(kType, rt::UNIT_ENTRY_GET_PROPERTY);
    rt::PropertyValue result{0x5a5a5a5a, 0x77};
    EXPECT_EQ(get(dialog_, 22, &result), 0);
    EXPECT_EQ(result.w0, 0x5a5a5a5au);
    EXPECT_EQ(result.w1, 0x77u);
    EXPECT_EQ(Get(kType, dialog_, 8 + 22), 0u);
}

TEST_F(DialogUnitTest, AConfirmedOpenStoresThePathAndACancelKeepsTheOld) {
    std::string chosen = Touch("photo one.png");
    ASSERT_TRUE(dialogs::QueueAnswer("choose " + chosen));
    EXPECT_EQ(Open(), 1);
    EXPECT_EQ(GetText(kType, dialog_, kFileName), chosen);

    SetText(kType, dialog_, kFileName, "keep.png");
    ASSERT_TRUE(dialogs::QueueAnswer("cancel"));
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(GetText(kType, dialog_, kFileName), "keep.png");
}

TEST_F(DialogUnitTest, AnOptionWordOfTwoDoesNotCountAsSet) {
    std::string missing = (dir_ / "missing.png").string();
    Set(kType, dialog_, kFileMustExist, 1);
    ASSERT_TRUE(dialogs::QueueAnswer("choose " + missing));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Open(), 0);  // refused, then cancelled for want of answers
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(GetText(kType, dialog_, kFileName), "");

    Set(kType, dialog_, kFileMustExist, 2);
    ASSERT_TRUE(dialogs::QueueAnswer("choose " + missing));
    EXPECT_EQ(Open(), 1);
    EXPECT_EQ(GetText(kType, dialog_, kFileName), missing);
}

TEST_F(DialogUnitTest, AnOpenFromAnotherThreadStoresOnTheUnitsThread) {
    std::string chosen = Touch("picked.jpg");
    ASSERT_TRUE(dialogs::QueueAnswer("choose " + chosen));
    std::atomic<int32_t> answer{-1};
    std::thread worker([&] { answer = Open(); });
    // The unit's thread answers the worker's store while it waits.
    while (answer == -1) {
        Pump();
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(GetText(kType, dialog_, kFileName), chosen);
}

TEST_F(DialogUnitTest, TheFontDialogReadsAndStoresTheFontProperties) {
    Set(kType, dialog_, kKind, 2);
    SetText(kType, dialog_, kFontFace, "DejaVu Sans");
    Set(kType, dialog_, kFontSize, 10);
    Set(kType, dialog_, kFontItalic, 1);
    ASSERT_TRUE(dialogs::QueueAnswer("font DejaVu Serif 14 bold #FF0000"));
    EXPECT_EQ(Open(), 1);
    EXPECT_EQ(GetText(kType, dialog_, kFontFace), "DejaVu Serif");
    EXPECT_EQ(Get(kType, dialog_, kFontSize), 14u);
    EXPECT_EQ(Get(kType, dialog_, kFontBold), 1u);
    EXPECT_EQ(Get(kType, dialog_, kFontItalic), 0u);
    EXPECT_EQ(Get(kType, dialog_, kFontColour), 0x0000ffu);
    ASSERT_TRUE(dialogs::QueueAnswer("cancel"));
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(Get(kType, dialog_, kFontSize), 14u);
}

TEST_F(DialogUnitTest, HelpOpensTheFileOrItsTopicThroughTheDesktop) {
    std::vector<std::string> opened;
    shell::SetLauncher([&](const shell::Launch& launch) {
        opened.push_back(launch.argv.back());
        return true;
    });
    Set(kType, dialog_, kKind, 3);
    std::string help = Touch("guide book.html");
    SetText(kType, dialog_, kHelpFile, help.c_str());
    EXPECT_EQ(Open(), 1);
    Set(kType, dialog_, kHelpCommand, 1);
    Set(kType, dialog_, kHelpTopic, 7);
    EXPECT_EQ(Open(), 1);
    Set(kType, dialog_, kHelpTopic, 0);
    EXPECT_EQ(Open(), 1);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], help);
    EXPECT_EQ(opened[1], "file://" + (dir_ / "guide%20book.html").string() + "#topic-7");
    EXPECT_EQ(opened[2], help);

    Set(kType, dialog_, kHelpCommand, 4);  // closing help: nothing to do
    EXPECT_EQ(Open(), 1);
    Set(kType, dialog_, kHelpCommand, 5);  // help on help: not offered
    EXPECT_EQ(Open(), 0);
    Set(kType, dialog_, kHelpCommand, 0);
    SetText(kType, dialog_, kHelpFile, (dir_ / "missing.html").c_str());
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(opened.size(), 3u);
}

TEST(DerivedHelpFile, IsTheProgramsNameWithTheHelpSuffix) {
    AnnounceCoreUnits();
    rt::ApplicationObject& app = rt::ApplicationObject::Instance();
    std::string directory = app.ProgramDirectory(), name = app.ProgramFileName();
    app.SetProgramLocation("/opt/pic batch", "picbatch.bin");
    EXPECT_EQ(units::DerivedHelpFile(), "/opt/pic batch/picbatch.html");
    app.SetProgramLocation("/opt/pic.batch", "picbatch");
    EXPECT_EQ(units::DerivedHelpFile(), "/opt/pic.batch/picbatch.html");
    app.SetProgramLocation(directory, name);
}

}  // namespace
