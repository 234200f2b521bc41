// The single-line edit: typing, limits, selection, read-only and number
// styles, multi-byte characters, and the program clipboard.
#include "platform/base/text_codec.h"
#include "tests/controls/control_test_support.h"

using namespace ctltest;

namespace {

class EditTest : public ControlTest {
protected:
    HWND edit_ = nullptr;
    void MakeEdit(uint32_t style = 0, const char* text = "") {
        edit_ = Make(kEditClass, text, WS_TABSTOP | ES_AUTOHSCROLL | style, 10, 10, 200, 24, 5);
        SetFocus(edit_);
        Pump();
        Notes().clear();
    }
    void Chord(uint8_t modifier, uint8_t key) {
        InjectKey(modifier, true);
        InjectKey(key, true);
        InjectKey(key, false);
        InjectKey(modifier, false);
        Pump();
    }
    std::pair<uint32_t, uint32_t> Selection() {
        uint32_t start = 0, end = 0;
        SendMessage(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                    reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
};

TEST_F(EditTest, TypingEditsAtTheCaretAndReportsEachChange) {
    MakeEdit();
    Type("helo");
    Key(VK_LEFT);
    Type("l");
    Key(VK_END);
    Type("!");
    EXPECT_EQ(TextOf(edit_), "hello!");
    EXPECT_EQ(CountOf(5, EN_CHANGE), 6);
    Key(VK_BACK);
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(TextOf(edit_), "ello");
    EXPECT_EQ(SendMessage(edit_, EM_GETMODIFY, 0, 0), 1);
}

TEST_F(EditTest, LimitCutsTypingAndPastingAndReportsMaxText) {
    MakeEdit();
    SendMessage(edit_, EM_LIMITTEXT, 5, 0);
    Type("abcdefg");
    EXPECT_EQ(TextOf(edit_), "abcde");
    EXPECT_GE(CountOf(5, EN_MAXTEXT), 1);
    SendMessage(edit_, EM_SETSEL, 1, 3);
    SendMessage(edit_, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("XYZW"));
    EXPECT_EQ(TextOf(edit_), "aXYde");  // only two bytes had room
}

TEST_F(EditTest, ShiftSelectionIsReplacedByTypingAndCopiedByCtrlKeys) {
    MakeEdit(0, "");
    Type("one two");
    InjectKey(VK_SHIFT, true);
    for (int i = 0; i < 3; ++i)
        Key(VK_LEFT);
    InjectKey(VK_SHIFT, false);
    Pump();
    EXPECT_EQ(Selection(), std::make_pair(4u, 7u));
    Chord(VK_CONTROL, 'C');
    Type("2");
    EXPECT_EQ(TextOf(edit_), "one 2");
    Key(VK_HOME);
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(TextOf(edit_), "twoone 2");
    Chord(VK_CONTROL, 'A');
    Chord(VK_CONTROL, 'X');
    EXPECT_EQ(TextOf(edit_), "");
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(TextOf(edit_), "twoone 2");
}

TEST_F(EditTest, ReadOnlyAndNumberFieldsRefuseWhatTheyMust) {
    MakeEdit(ES_READONLY, "fixed");
    Type("x");
    Key(VK_BACK);
    Chord(VK_CONTROL, 'X');
    EXPECT_EQ(TextOf(edit_), "fixed");
    EXPECT_EQ(CountOf(5, EN_CHANGE), 0);
    SendMessage(edit_, EM_SETREADONLY, 0, 0);
    Key(VK_END);
    Type("!");
    EXPECT_EQ(TextOf(edit_), "fixed!");

    DestroyWindow(edit_);
    MakeEdit(ES_NUMBER);
    Type("4a2-");
    EXPECT_EQ(TextOf(edit_), "42");
}

TEST_F(EditTest, MultiByteCharactersMoveAndEraseWhole) {
    MakeEdit();
    Type(
        "a\xE4\xB8\xAD"
        "b");  // "a", a Chinese character, "b"
    std::string expected = "a" + Utf8ToRuntime("\xE4\xB8\xAD") + "b";
    EXPECT_EQ(TextOf(edit_), expected);
    Key(VK_LEFT);
    Key(VK_BACK);
    EXPECT_EQ(TextOf(edit_), "ab");
    // A selection set inside a character snaps to its start.
    SetWindowText(edit_, expected.c_str());
    SendMessage(edit_, EM_SETSEL, 2, 2);
    EXPECT_EQ(Selection(), std::make_pair(1u, 1u));
}

TEST_F(EditTest, PasswordFieldsKeepTheirTextOutOfTheClipboard) {
    MakeEdit(ES_PASSWORD);
    Type("secret");
    Chord(VK_CONTROL, 'A');
    SendMessage(edit_, WM_COPY, 0, 0);
    HWND plain = Make(kEditClass, "", 0, 10, 50, 200, 24, 6);
    SendMessage(plain, WM_PASTE, 0, 0);
    EXPECT_NE(TextOf(plain), "secret");
}

}  // namespace
