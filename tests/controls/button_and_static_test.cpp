// Buttons: clicks, the automatic check kinds, radio groups, keyboard
// presses, a press dragged off the button, and owner drawing.
#include "tests/controls/control_test_support.h"

using namespace ctltest;

namespace {

TEST_F(ControlTest, CheckBoxesChangeStateBeforeTheParentHearsTheClick) {
    HWND two = Make(kButtonClass, "Two", BS_AUTOCHECKBOX, 10, 10, 100, 20, 1);
    HWND three = Make(kButtonClass, "Three", BS_AUTO3STATE, 10, 40, 100, 20, 2);
    HWND manual = Make(kButtonClass, "Manual", BS_CHECKBOX, 10, 70, 100, 20, 3);

    Click(two, 5, 10);
    EXPECT_EQ(SendMessage(two, BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(two, 5, 10);
    EXPECT_EQ(SendMessage(two, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(CountOf(1, BN_CLICKED), 2);

    std::vector<LRESULT> cycle;
    for (int i = 0; i < 3; ++i) {
        Click(three, 5, 10);
        cycle.push_back(SendMessage(three, BM_GETCHECK, 0, 0));
    }
    EXPECT_EQ(cycle, (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));

    // A plain check box only reports; its owner decides the state.
    Click(manual, 5, 10);
    EXPECT_EQ(SendMessage(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(CountOf(3, BN_CLICKED), 1);
    // Only three-state kinds hold the third state.
    SendMessage(two, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(SendMessage(two, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessage(three, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(SendMessage(three, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
}

TEST_F(ControlTest, RadioButtonsAreExclusiveWithinTheirGroupOnly) {
    HWND a = Make(kButtonClass, "A", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 80, 20, 1);
    HWND b = Make(kButtonClass, "B", BS_AUTORADIOBUTTON, 10, 35, 80, 20, 2);
    HWND c = Make(kButtonClass, "C", BS_AUTORADIOBUTTON, 10, 60, 80, 20, 3);
    HWND other = Make(kButtonClass, "X", BS_AUTORADIOBUTTON | WS_GROUP, 150, 10, 80, 20, 4);
    SendMessage(other, BM_SETCHECK, BST_CHECKED, 0);

    Click(a, 5, 10);
    Click(c, 5, 10);
    EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(other, BM_GETCHECK, 0, 0), BST_CHECKED);

    // Arrows move the choice through the group, wrapping at its end.
    Key(VK_DOWN);
    EXPECT_EQ(GetFocus(), a);
    EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(other, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ControlTest, PushButtonClicksOnlyWhenReleasedOverIt) {
    HWND button = Make(kButtonClass, "Go", BS_PUSHBUTTON, 10, 10, 80, 24, 7);
    InjectMouseButton(button, 10, 10, MouseButton::Left, true);
    Pump();
    EXPECT_TRUE(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_EQ(GetFocus(), button);
    // Dragged off and released elsewhere: no click.
    InjectMouseMove(button, 200, 200);
    InjectMouseButton(button, 200, 200, MouseButton::Left, false);
    Pump();
    EXPECT_FALSE(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_EQ(CountOf(7, BN_CLICKED), 0);

    // The space bar clicks on release.
    InjectKey(VK_SPACE, true);
    Pump();
    EXPECT_EQ(CountOf(7, BN_CLICKED), 0);
    InjectKey(VK_SPACE, false);
    Pump();
    EXPECT_EQ(CountOf(7, BN_CLICKED), 1);

    // Disabled buttons neither click nor take BM_CLICK.
    EnableWindow(button, false);
    Click(button, 10, 10);
    SendMessage(button, BM_CLICK, 0, 0);
    EXPECT_EQ(CountOf(7, BN_CLICKED), 1);
}

TEST_F(ControlTest, PushLikeCheckBoxAndNotifyStyleFocusReports) {
    HWND toggle =
        Make(kButtonClass, "Bold", BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_NOTIFY, 10, 10, 80, 24, 9);
    Click(toggle, 5, 5);
    EXPECT_EQ(SendMessage(toggle, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(CodesFrom(9), (std::vector<uint16_t>{BN_SETFOCUS, BN_CLICKED}));
    HWND next = Make(kButtonClass, "Next", BS_PUSHBUTTON, 10, 40, 80, 24, 10);
    SetFocus(next);
    EXPECT_EQ(CodesFrom(9).back(), BN_KILLFOCUS);
}

TEST_F(ControlTest, OwnerDrawnButtonsAskTheirParentToPaint) {
    HWND drawn = Make(kButtonClass, "", BS_OWNERDRAW, 10, 10, 80, 24, 11);
    DrawItemCount() = 0;
    InvalidateRect(drawn, nullptr, true);
    UpdateWindow(drawn);
    EXPECT_GE(DrawItemCount(), 1);
    EXPECT_EQ(GetWindowLong(drawn, GWL_STYLE) & BS_TYPEMASK, int32_t(BS_OWNERDRAW));
}

TEST_F(ControlTest, StaticReportsClicksOnlyWithNotifyStyle) {
    HWND quiet = Make(kStaticClass, "Quiet", SS_LEFT, 10, 10, 80, 20, 20);
    HWND loud = Make(kStaticClass, "Loud", SS_NOTIFY, 10, 40, 80, 20, 21);
    Click(quiet, 5, 5);
    Click(loud, 5, 5);
    EXPECT_TRUE(CodesFrom(20).empty());
    EXPECT_EQ(CodesFrom(21), (std::vector<uint16_t>{STN_CLICKED}));
    SetWindowText(loud, "Changed");
    EXPECT_EQ(TextOf(loud), "Changed");
}

}  // namespace
