// The pure pieces of input handling: key codes, mnemonic captions and help
// file names.
#include <gtest/gtest.h>

#include "runtime/application_object.h"
#include "runtime/input/help_file.h"
#include "runtime/input/key_code.h"
#include "runtime/input/mnemonics.h"

namespace {

TEST(KeyCodeTest, ModifierBitsAndTheKeyItself) {
    EXPECT_EQ(rt::MakeKeyCode(0x09, false, false, false), 0x0009u);  // Tab
    EXPECT_EQ(rt::MakeKeyCode(0x09, false, true, false), 0x4009u);   // Shift+Tab
    EXPECT_EQ(rt::MakeKeyCode('A', false, false, true), 0x8041u);    // Alt+A
    EXPECT_EQ(rt::MakeKeyCode('S', true, true, true), 0xE053u);
    // A modifier key does not carry its own bit.
    EXPECT_EQ(rt::MakeKeyCode(0x11, true, false, false), 0x0011u);
    EXPECT_EQ(rt::MakeKeyCode(0x10, true, true, false), 0x2010u);
    EXPECT_EQ(rt::MakeKeyCode(0x12, false, false, true), 0x0012u);
}

TEST(KeyCodeTest, KeypadKeysBecomeTheMainKeyboardKeys) {
    for (uint32_t digit = 0; digit <= 9; ++digit)
        EXPECT_EQ(rt::MakeKeyCode(0x60 + digit, false, false, false), 0x30 + digit);
    EXPECT_EQ(rt::MakeKeyCode(0x6D, false, false, false), 0xBDu);  // subtract
    EXPECT_EQ(rt::MakeKeyCode(0x6E, false, false, false), 0xBEu);  // decimal
    EXPECT_EQ(rt::MakeKeyCode(0x6F, false, false, false), 0xBFu);  // divide
    // Multiply and add have no twin on the main keyboard and stay.
    EXPECT_EQ(rt::MakeKeyCode(0x6A, false, false, false), 0x6Au);
    EXPECT_EQ(rt::MakeKeyCode(0x6B, false, false, false), 0x6Bu);
    uint32_t code = rt::MakeKeyCode(0x65, true, true, false);
    EXPECT_EQ(code & rt::KEY_CODE_KEY_MASK, 0x35u);
    EXPECT_EQ(rt::ShiftStateOfKeyCode(code), 3);
    EXPECT_EQ(rt::ShiftStateOfKeyCode(0xE000), 7);
}

TEST(MnemonicCaptionTest, MatchesEitherLetterCaseAndSkipsLiteralAmpersands) {
    EXPECT_TRUE(rt::CaptionHasMnemonic("&Save", 'S'));
    EXPECT_TRUE(rt::CaptionHasMnemonic("&save", 'S'));
    EXPECT_TRUE(rt::CaptionHasMnemonic("Page &3", '3'));
    EXPECT_FALSE(rt::CaptionHasMnemonic("Save", 'S'));
    EXPECT_FALSE(rt::CaptionHasMnemonic("Salt && &Pepper", 'S'));
    EXPECT_TRUE(rt::CaptionHasMnemonic("Salt && &Pepper", 'P'));
    EXPECT_FALSE(rt::CaptionHasMnemonic("Trailing &", 'S'));
    // 0x81 0x26 is one double-byte character whose trail byte happens to be
    // an ampersand; the S after it is no mnemonic.
    EXPECT_FALSE(
        rt::CaptionHasMnemonic("\x81"
                               "&S",
                               'S'));
    EXPECT_TRUE(
        rt::CaptionHasMnemonic("\x81"
                               "A&S",
                               'S'));
}

TEST(HelpFileNameTest, ExtensionIsTheLastDotAfterTheLastSeparator) {
    EXPECT_EQ(rt::WithoutExtension("picbatch.bin"), "picbatch");
    EXPECT_EQ(rt::WithoutExtension("picbatch"), "picbatch");
    EXPECT_EQ(rt::WithoutExtension("/opt/v1.2/picbatch"), "/opt/v1.2/picbatch");
    EXPECT_EQ(rt::WithoutExtension("/opt/v1.2/pic.batch.x"), "/opt/v1.2/pic.batch");
    // A trail byte that looks like a dot or a separator is part of its
    // character.
    EXPECT_EQ(rt::WithoutExtension("a\x81."
                                   "b"),
              "a\x81."
              "b");
    EXPECT_EQ(rt::WithoutExtension("x.y\x81/z"), "x");
}

TEST(HelpFileNameTest, DerivedFromTheProgramAndPlacedInItsDirectory) {
    rt::ApplicationObject app;
    app.SetProgramLocation("/opt/picbatch", "picbatch.bin");
    EXPECT_EQ(rt::HelpFilePath(app, ""), "/opt/picbatch/picbatch.html");
    EXPECT_EQ(rt::HelpFilePath(app, "manual.html"), "/opt/picbatch/manual.html");
    EXPECT_EQ(rt::HelpFilePath(app, "/usr/share/doc/x.html"), "/usr/share/doc/x.html");
    EXPECT_EQ(rt::HelpTarget("/opt/p q/a#b.html", rt::HELP_COMMAND_CONTEXT, 42),
              "file:///opt/p%20q/a%23b.html#context-42");
    EXPECT_EQ(rt::HelpTarget("/opt/a.html", rt::HELP_COMMAND_CONTENTS, 0), "/opt/a.html");
}

}  // namespace
