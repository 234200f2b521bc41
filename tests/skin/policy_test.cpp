// The message policy: state flags kept in step with the control, the
// number of times the control's own procedure runs, and the up-down
// control's halves.
#include <map>

#include "libs/desktop/skin/message_policy.h"
#include "tests/skin/skin_test_support.h"

using namespace skintest;
using namespace desktop::skin;

namespace {

// Sits between a control and its class procedure and counts what reaches
// it, so the skin (attached later) sees it as the original procedure.
struct Counter {
    WNDPROC classProc = nullptr;
    std::map<uint32_t, int> calls;
};
Counter g_counter;

LRESULT CountingProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    ++g_counter.calls[message];
    return CallWindowProc(g_counter.classProc, hwnd, message, wParam, lParam);
}

void CountCalls(HWND window) {
    g_counter = Counter{};
    g_counter.classProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&CountingProc)));
}

TEST_F(SkinTest, SetCheckTwoMakesAThreeStateBoxIndeterminate) {
    HWND box = Make(kButtonClass, "Three", BS_AUTO3STATE, 10, 10, 120, 22);
    SendMessage(box, BM_SETCHECK, BST_CHECKED, 0);
    CallSetSkinScheme(2);
    ASSERT_EQ(RecordOf(box)->flags & (SK_CHECKED | SK_INDETERMINATE), SK_CHECKED);
    SendMessage(box, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(RecordOf(box)->flags & (SK_CHECKED | SK_INDETERMINATE), SK_INDETERMINATE);
    SendMessage(box, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(RecordOf(box)->flags & (SK_CHECKED | SK_INDETERMINATE), 0u);
    // A two-state box turns a request for the third state into checked,
    // and the record follows the box.
    HWND two = Make(kButtonClass, "Two", BS_AUTOCHECKBOX, 10, 40, 120, 22);
    SendMessage(two, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(RecordOf(two)->flags & (SK_CHECKED | SK_INDETERMINATE), SK_CHECKED);
}

TEST_F(SkinTest, AMouseMoveOverAnAlreadyHotButtonReachesTheOriginalTwice) {
    HWND button = Make(kButtonClass, "Go", BS_PUSHBUTTON, 10, 10, 80, 26);
    CountCalls(button);
    CallSetSkinScheme(2);
    ASSERT_EQ(RecordOf(button)->originalProc, &CountingProc);

    SendMessage(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(RecordOf(button)->flags & SK_HOT);
    EXPECT_EQ(g_counter.calls[WM_MOUSEMOVE], 1);
    g_counter.calls.clear();
    SendMessage(button, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_EQ(g_counter.calls[WM_MOUSEMOVE], 2);

    // Leaving clears the hot state once; a second leave only passes on.
    g_counter.calls.clear();
    SendMessage(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(RecordOf(button)->flags & SK_HOT);
    EXPECT_EQ(g_counter.calls[WM_MOUSELEAVE], 1);
    SendMessage(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(g_counter.calls[WM_MOUSELEAVE], 3);
    // A move with the left button down does not make it hot.
    SendMessage(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(RecordOf(button)->flags & SK_HOT);
}

TEST_F(SkinTest, EraseBackgroundOnAnUpDownAnswersOneWithoutTheOriginal) {
    HWND spin = Make(kUpDownClass, "", 0, 10, 10, 18, 30);
    CountCalls(spin);
    CallSetSkinScheme(3);
    HDC dc = GetDC(spin);
    EXPECT_EQ(SendMessage(spin, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ReleaseDC(spin, dc);
    EXPECT_EQ(g_counter.calls[WM_ERASEBKGND], 0);
    // Its paint goes to the default procedure, never to the original.
    g_counter.calls.clear();
    InvalidateRect(spin, nullptr, true);
    UpdateWindow(spin);
    EXPECT_EQ(g_counter.calls[WM_PAINT], 0);
    EXPECT_EQ(g_counter.calls[WM_ERASEBKGND], 0);
}

TEST_F(SkinTest, UpDownHitTestTracksTheHalfUnderThePointer) {
    HWND spin = Make(kUpDownClass, "", 0, 10, 10, 18, 31);  // halves split at y = 15
    HWND across = Make(kUpDownClass, "", UDS_HORZ, 40, 10, 41, 20);
    CallSetSkinScheme(1);
    SkinRecord& vertical = *RecordOf(spin);
    vertical.flags &= ~SK_FIRST_HALF;
    EXPECT_EQ(UpDownHitTest(vertical, MAKELPARAM(3, 15)), ACT_COMMON_ORIGINAL_PAINT);
    EXPECT_TRUE(vertical.flags & SK_FIRST_HALF);
    EXPECT_EQ(UpDownHitTest(vertical, MAKELPARAM(3, 2)), ACT_COMMON);
    EXPECT_EQ(UpDownHitTest(vertical, MAKELPARAM(3, 16)), ACT_COMMON_ORIGINAL_PAINT);
    EXPECT_FALSE(vertical.flags & SK_FIRST_HALF);
    EXPECT_EQ(UpDownHitTest(vertical, MAKELPARAM(3, 30)), ACT_COMMON);

    SkinRecord& horizontal = *RecordOf(across);
    horizontal.flags &= ~SK_FIRST_HALF;
    EXPECT_EQ(UpDownHitTest(horizontal, MAKELPARAM(20, 18)), ACT_COMMON_ORIGINAL_PAINT);
    EXPECT_EQ(UpDownHitTest(horizontal, MAKELPARAM(21, 2)), ACT_COMMON_ORIGINAL_PAINT);
    EXPECT_FALSE(horizontal.flags & SK_FIRST_HALF);
}

TEST_F(SkinTest, PolicyActionWordsFollowTheKindTable) {
    HWND button = Make(kButtonClass, "Go", BS_PUSHBUTTON, 10, 10, 80, 26);
    HWND edit = Make(kEditClass, "", WS_BORDER, 10, 40, 80, 24);
    HWND combo = Make(kComboBoxClass, "", CBS_DROPDOWNLIST, 10, 70, 100, 80);
    HWND spin = Make(kUpDownClass, "", 0, 150, 10, 18, 30);
    HWND group = Make(kButtonClass, "Group", BS_GROUPBOX, 200, 10, 150, 100);
    CallSetSkinScheme(2);
    SkinRecord& b = *RecordOf(button);
    EXPECT_EQ(MessagePolicy(b, WM_PAINT, 0, 0), 0xC0000u);
    EXPECT_EQ(MessagePolicy(b, WM_SETTEXT, 0, 0), 0xC0000u);
    EXPECT_EQ(MessagePolicy(b, WM_ERASEBKGND, 0, 0), 0x20000u);
    EXPECT_EQ(MessagePolicy(b, BM_SETSTATE, 1, 0), 0xA0000u);
    EXPECT_TRUE(b.flags & SK_PUSHED);
    EXPECT_EQ(MessagePolicy(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, 0), 0xA0000u);
    EXPECT_TRUE(b.flags & SK_DEFAULT);
    EXPECT_EQ(MessagePolicy(b, WM_KEYDOWN, 0, 0), 0x30000u);

    SkinRecord& e = *RecordOf(edit);
    for (uint32_t m : {WM_PAINT, WM_NCPAINT, WM_HSCROLL, WM_VSCROLL})
        EXPECT_EQ(MessagePolicy(e, m, 0, 0), 0xA0000u) << m;
    e.flags &= ~SK_HOT;
    EXPECT_EQ(MessagePolicy(e, WM_NCMOUSEMOVE, 0, 0), 0xC0000u);
    EXPECT_EQ(MessagePolicy(e, WM_NCMOUSEMOVE, 0, 0), 0x30000u);
    EXPECT_EQ(MessagePolicy(e, WM_MOUSELEAVE, 0, 0), 0xC0000u);
    EXPECT_EQ(MessagePolicy(e, WM_MOUSELEAVE, 0, 0), 0x30000u);

    SkinRecord& c = *RecordOf(combo);
    EXPECT_EQ(MessagePolicy(c, WM_NCPAINT, 0, 0), 0xA0000u);
    EXPECT_EQ(MessagePolicy(c, WM_LBUTTONDOWN, 0, 0), 0xA0000u);
    EXPECT_TRUE(c.flags & SK_PUSHED);
    EXPECT_EQ(MessagePolicy(c, WM_LBUTTONUP, 0, 0), 0xA0000u);
    EXPECT_FALSE(c.flags & SK_PUSHED);

    SkinRecord& s = *RecordOf(spin);
    EXPECT_EQ(MessagePolicy(s, WM_PAINT, 0, 0), 0xC0000u);
    EXPECT_EQ(MessagePolicy(s, WM_ERASEBKGND, 0, 0), 0x800001u);
    EXPECT_EQ(MessagePolicy(*RecordOf(group), WM_NCPAINT, 0, 0), 0xC0000u);

    // The common handler.
    b.flags = 0;
    EXPECT_EQ(CommonStateHandler(b, WM_SETFOCUS, 0), 0xA0000u);
    EXPECT_EQ(b.flags, SK_FOCUSED);
    EXPECT_EQ(CommonStateHandler(b, WM_KILLFOCUS, 0), 0xA0000u);
    EXPECT_EQ(CommonStateHandler(b, WM_ENABLE, 0), 0xA0000u);
    EXPECT_EQ(b.flags, SK_DISABLED);
    EXPECT_EQ(CommonStateHandler(b, WM_ENABLE, 1), 0xA0000u);
    EXPECT_EQ(b.flags, 0u);
    EXPECT_EQ(CommonStateHandler(b, WM_CHAR, 0), 0x20000u);
}

TEST_F(SkinTest, ClicksAndKeysOnTheControlsReachTheRecord) {
    HWND box = Make(kButtonClass, "Box", BS_AUTOCHECKBOX, 10, 10, 120, 22);
    HWND button = Make(kButtonClass, "Go", BS_PUSHBUTTON, 10, 40, 80, 26);
    HWND combo = Make(kComboBoxClass, "", CBS_DROPDOWNLIST, 10, 80, 100, 100);
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    CallSetSkinScheme(2);

    auto clickAt = [&](HWND control, int x, int y) {
        POINT p{x, y};
        MapWindowPoints(control, parent_, &p, 1);
        InjectClick(parent_, p.x, p.y);
        Pump();
    };
    clickAt(box, 5, 10);
    EXPECT_TRUE(RecordOf(box)->flags & SK_CHECKED);
    EXPECT_TRUE(RecordOf(box)->flags & SK_FOCUSED);
    clickAt(box, 5, 10);
    EXPECT_FALSE(RecordOf(box)->flags & SK_CHECKED);

    POINT p{10, 10};
    MapWindowPoints(button, parent_, &p, 1);
    InjectMouseButton(parent_, p.x, p.y, MouseButton::Left, true);
    Pump();
    EXPECT_TRUE(RecordOf(button)->flags & SK_PUSHED);
    InjectMouseButton(parent_, p.x, p.y, MouseButton::Left, false);
    Pump();
    EXPECT_FALSE(RecordOf(button)->flags & SK_PUSHED);

    // The combo box shows pressed while its list is open.
    clickAt(combo, 50, 8);
    EXPECT_EQ(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0), 1);
    EXPECT_TRUE(RecordOf(combo)->flags & SK_PUSHED);
    SendMessage(combo, CB_SHOWDROPDOWN, 0, 0);
    EXPECT_FALSE(RecordOf(combo)->flags & SK_PUSHED);

    // An up-down control shows the arrow under the pressed pointer.
    HWND spin = Make(kUpDownClass, "", 0, 200, 10, 18, 30);
    SendMessage(spin, UDM_SETRANGE32, 0, 10);
    auto press = [&](int y, bool down) {
        POINT at{5, y};
        MapWindowPoints(spin, parent_, &at, 1);
        InjectMouseButton(parent_, at.x, at.y, MouseButton::Left, down);
        Pump();
    };
    press(25, true);
    EXPECT_EQ(RecordOf(spin)->flags & (SK_PUSHED | SK_FIRST_HALF), SK_PUSHED);
    press(25, false);
    EXPECT_FALSE(RecordOf(spin)->flags & SK_PUSHED);
    press(4, true);
    EXPECT_EQ(RecordOf(spin)->flags & (SK_PUSHED | SK_FIRST_HALF), SK_PUSHED | SK_FIRST_HALF);
    EXPECT_EQ(SendMessage(spin, UDM_GETPOS32, 0, 0), 1);  // the press still stepped up
    press(4, false);
    EXPECT_FALSE(RecordOf(spin)->flags & SK_PUSHED);

    EnableWindow(button, false);
    EXPECT_TRUE(RecordOf(button)->flags & SK_DISABLED);
    EnableWindow(button, true);
    EXPECT_FALSE(RecordOf(button)->flags & SK_DISABLED);
}

}  // namespace
