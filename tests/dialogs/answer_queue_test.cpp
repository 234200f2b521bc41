// The answer texts and the command-line form.
#include "platform/dialogs/answer_queue.h"

#include <gtest/gtest.h>

using namespace platform::dialogs;

namespace {

TEST(AnswerQueue, ParsesEveryKindAndRefusesTheRest) {
    auto press = ParseAnswer("  Press   OK ");
    ASSERT_TRUE(press);
    EXPECT_EQ(press->kind, AnswerKind::Press);
    EXPECT_EQ(press->button, "OK");
    auto choose = ParseAnswer("choose /tmp/a folder/x.png");
    ASSERT_TRUE(choose);
    EXPECT_EQ(choose->path, "/tmp/a folder/x.png");
    EXPECT_EQ(ParseAnswer("CANCEL")->kind, AnswerKind::Cancel);
    auto font = ParseAnswer("font DejaVu Sans Mono 11 italic #102030");
    ASSERT_TRUE(font);
    EXPECT_EQ(font->font.face, "DejaVu Sans Mono");
    EXPECT_EQ(font->font.pointSize, 11);
    EXPECT_TRUE(font->font.italic);
    EXPECT_FALSE(font->font.bold);
    EXPECT_EQ(font->font.color, 0x302010u);  // COLORREF order

    std::string error;
    for (const char* bad : {"", "press", "choose", "maybe later", "font Serif", "font 12",
                            "font Serif 12 wavy", "font Serif 0", "cancel now"}) {
        error.clear();
        EXPECT_FALSE(ParseAnswer(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(AnswerQueue, CommandLineAnswersAreTakenOutInOrder) {
    ClearAnswers();
    char a0[] = "prog", a1[] = "--answer", a2[] = "press Yes", a3[] = "input.png",
         a4[] = "--answer=choose /tmp";
    char* argv[] = {a0, a1, a2, a3, a4, nullptr};
    int argc = 5;
    ASSERT_TRUE(TakeAnswerArguments(&argc, argv));
    ASSERT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "input.png");
    EXPECT_EQ(argv[2], nullptr);
    EXPECT_EQ(TakeNextAnswer()->button, "Yes");
    EXPECT_EQ(TakeNextAnswer()->path, "/tmp");
    EXPECT_FALSE(TakeNextAnswer());

    // One bad answer queues none of them and leaves the arguments alone.
    char b1[] = "--answer", b2[] = "press OK", b3[] = "--answer", b4[] = "jump";
    char* bad[] = {a0, b1, b2, b3, b4, nullptr};
    int badCount = 5;
    std::string error;
    EXPECT_FALSE(TakeAnswerArguments(&badCount, bad, &error));
    EXPECT_EQ(badCount, 5);
    EXPECT_EQ(PendingAnswers(), 0u);
    char* dangling[] = {a0, b1, nullptr};
    int danglingCount = 2;
    EXPECT_FALSE(TakeAnswerArguments(&danglingCount, dangling, &error));
}

}  // namespace
