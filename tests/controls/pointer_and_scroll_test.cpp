// Pointer selection in the edit field, list scrolling that keeps the
// selection in view, and combo box selection by program.
#include "tests/controls/control_test_support.h"

using namespace ctltest;

namespace {

TEST_F(ControlTest, DraggingInAnEditSelectsAndAClickPlacesTheCaret) {
    HWND edit = Make(kEditClass, "abcdefghij", ES_AUTOHSCROLL, 10, 10, 200, 24, 70);
    InjectMouseButton(edit, 2, 12, MouseButton::Left, true);
    InjectMouseMove(edit, 195, 12);
    InjectMouseButton(edit, 195, 12, MouseButton::Left, false);
    Pump();
    uint32_t start = 99, end = 99;
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 10u);
    EXPECT_EQ(GetFocus(), edit);
    // A click in the middle of the text lands between characters.
    Click(edit, 40, 12);
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);
    EXPECT_GT(start, 0u);
    EXPECT_LT(start, 10u);
    Type("X");
    std::string text = TextOf(edit);
    EXPECT_EQ(text.size(), 11u);
    EXPECT_EQ(text[start], 'X');
}

TEST_F(ControlTest, ListKeepsTheSelectionInViewAndScrollsByWheel) {
    HWND list = Make(kListBoxClass, "", WS_VSCROLL | LBS_NOTIFY, 10, 10, 150, 100, 71);
    for (int i = 0; i < 30; ++i) {
        SendMessage(list, LB_ADDSTRING, 0,
                    reinterpret_cast<LPARAM>(("item " + std::to_string(i)).c_str()));
    }
    SetFocus(list);
    Key(VK_END);
    int top = int(SendMessage(list, LB_GETTOPINDEX, 0, 0));
    int rows = 98 / int(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(top, 30 - rows);
    Key(VK_HOME);
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 0);
    InjectWheel(list, 20, 20, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 3);
    InjectWheel(list, 20, 20, 10 * WHEEL_DELTA);  // never above the first item
    Pump();
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 0);
    // Deleting the selected item leaves no selection rather than a wrong one.
    SendMessage(list, LB_SETCURSEL, 5, 0);
    SendMessage(list, LB_DELETESTRING, 5, 0);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ControlTest, ComboSelectionByProgramShowsOnlyRealItems) {
    HWND combo = Make(kComboBoxClass, "", CBS_DROPDOWNLIST, 10, 10, 150, 120, 72);
    for (const char* item : {"JPEG", "TIFF", "PNG"}) {
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(TextOf(combo), "TIFF");
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(TextOf(combo), "");
    EXPECT_EQ(SendMessage(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("png")), 1);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessage(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("GIF")), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(CodesFrom(72).empty());  // changes by program are not reported
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(TextOf(combo), "");
}

}  // namespace
