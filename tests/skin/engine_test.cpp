// Turning skinning on and off, which windows are subclassed, the creation
// hook, and the record's life with its window.
#include "libs/desktop/skin/classify.h"
#include "tests/skin/skin_test_support.h"

using namespace skintest;
using namespace desktop::skin;

namespace {

TEST_F(SkinTest, SchemesOneToThreeTurnSkinningOnAndOthersTurnItOff) {
    HWND button = Make(kButtonClass, "Go", BS_PUSHBUTTON, 10, 10, 80, 26);
    HWND edit = Make(kEditClass, "text", WS_BORDER, 10, 50, 120, 24);
    auto buttonProc = GetWindowLongPtr(button, GWLP_WNDPROC);
    auto editProc = GetWindowLongPtr(edit, GWLP_WNDPROC);

    rt::ResultSlot on = CallSetSkinScheme(2);
    EXPECT_EQ(on.type, rt::TYPE_BOOL);
    EXPECT_EQ(on.asInt(), 1);
    EXPECT_EQ(Engine().Scheme(), 2);
    EXPECT_TRUE(Engine().IsOn());
    EXPECT_TRUE(IsSubclassed(button));
    EXPECT_TRUE(IsSubclassed(edit));
    EXPECT_EQ(Engine().RecordCount(), 2u);

    for (int off : {0, 4, -1}) {
        CallSetSkinScheme(2);
        rt::ResultSlot result = CallSetSkinScheme(off);
        EXPECT_EQ(result.asInt(), 0) << off;
        EXPECT_FALSE(Engine().IsOn());
        EXPECT_EQ(Engine().RecordCount(), 0u);
        EXPECT_EQ(GetWindowLongPtr(button, GWLP_WNDPROC), buttonProc);
        EXPECT_EQ(GetWindowLongPtr(edit, GWLP_WNDPROC), editProc);
    }

    // A repeated call re-attaches every control exactly once.
    CallSetSkinScheme(1);
    CallSetSkinScheme(3);
    EXPECT_EQ(Engine().Scheme(), 3);
    EXPECT_EQ(Engine().RecordCount(), 2u);
    EXPECT_EQ(RecordOf(button)->originalProc, reinterpret_cast<WNDPROC>(buttonProc));

    // An omitted argument turns skinning off.
    rt::ResultSlot result;
    rt::ArgRecord omitted = rt::ArgRecord::Omitted();
    desktop::SetSkinScheme(&result, 1, &omitted);
    EXPECT_EQ(result.asInt(), 0);
    EXPECT_EQ(Engine().RecordCount(), 0u);
}

TEST_F(SkinTest, ControlsThatMustKeepTheirOwnLookAreNeverSubclassed) {
    HWND simple = Make(kComboBoxClass, "", CBS_SIMPLE, 10, 10, 120, 90);
    HWND ownerDrawn = Make(kButtonClass, "", BS_OWNERDRAW, 10, 110, 80, 26);
    HWND bitmap = Make(kButtonClass, "", BS_BITMAP, 10, 140, 80, 26);
    HWND user = Make(kButtonClass, "", BS_USERBUTTON, 10, 170, 80, 26);
    HWND label = Make(kStaticClass, "label", SS_LEFT, 10, 200, 80, 20);
    HWND progress = Make(kProgressClass, "", 0, 10, 230, 80, 16);
    HWND dropDown = Make(kComboBoxClass, "", CBS_DROPDOWN, 200, 10, 120, 90);
    HWND standalone = Make(kEditClass, "", 0, 200, 60, 120, 24);
    // The combo box's own edit field is its first child.
    HWND inner = GetWindow(dropDown, GW_CHILD);
    ASSERT_NE(inner, nullptr);
    char name[64] = {};
    GetClassName(inner, name, sizeof name);
    ASSERT_STREQ(name, kEditClass);

    CallSetSkinScheme(2);
    for (HWND never : {simple, ownerDrawn, bitmap, user, label, progress, inner}) {
        EXPECT_FALSE(IsSubclassed(never));
        EXPECT_EQ(RecordOf(never), nullptr);
    }
    EXPECT_TRUE(IsSubclassed(dropDown));
    EXPECT_TRUE(IsSubclassed(standalone));
    EXPECT_EQ(RecordOf(dropDown)->flags & (SK_DROPDOWN | SK_DROPDOWNLIST), SK_DROPDOWN);
}

TEST_F(SkinTest, ClassificationFollowsClassNamesAndButtonStyles) {
    EXPECT_EQ(ClassTablePosition("button"), 0);
    EXPECT_EQ(ClassTablePosition("COMBOBOX"), 7);
    EXPECT_EQ(ClassTablePosition("msctls_updown32"), 9);
    EXPECT_EQ(ClassTablePosition("ListBox"), -1);  // compared after the table
    EXPECT_EQ(ClassTablePosition("NoSuchClass"), -1);

    EXPECT_EQ(ClassifyButtonStyle(BS_PUSHBUTTON | WS_VISIBLE, 0), KIND_PUSH_BUTTON);
    EXPECT_EQ(ClassifyButtonStyle(BS_DEFPUSHBUTTON, 2), KIND_PUSH_BUTTON);
    EXPECT_EQ(ClassifyButtonStyle(BS_AUTOCHECKBOX, 2), KIND_CHECK_BOX);
    EXPECT_EQ(ClassifyButtonStyle(BS_AUTO3STATE, 2), KIND_CHECK_BOX);
    EXPECT_EQ(ClassifyButtonStyle(BS_AUTOCHECKBOX | BS_PUSHLIKE, 2), KIND_PUSH_BUTTON);
    EXPECT_EQ(ClassifyButtonStyle(BS_RADIOBUTTON, 2), KIND_RADIO_BUTTON);
    EXPECT_EQ(ClassifyButtonStyle(BS_AUTORADIOBUTTON | BS_PUSHLIKE, 2), KIND_PUSH_BUTTON);
    EXPECT_EQ(ClassifyButtonStyle(BS_GROUPBOX, 2), KIND_GROUP_BOX);
    EXPECT_EQ(ClassifyButtonStyle(BS_PUSHBUTTON | BS_BITMAP, 2), KIND_NOT_SKINNED);
    EXPECT_EQ(ClassifyButtonStyle(BS_USERBUTTON, 2), KIND_NOT_SKINNED);
    for (uint32_t type = 10; type < 32; ++type)
        EXPECT_EQ(ClassifyButtonStyle(type, 2), KIND_NOT_SKINNED) << type;
    // A hidden push button without a caption is the framework's helper.
    EXPECT_EQ(ClassifyButtonStyle(0x40010000, 0), KIND_NOT_SKINNED);
    EXPECT_EQ(ClassifyButtonStyle(0x40010000, 1), KIND_PUSH_BUTTON);
    EXPECT_EQ(ClassifyButtonStyle(0x50010000, 0), KIND_PUSH_BUTTON);

    HWND list = Make(kListBoxClass, "", WS_BORDER, 10, 10, 100, 60);
    HWND spin = Make(kUpDownClass, "", 0, 120, 10, 18, 24);
    HWND simple = Make(kComboBoxClass, "", CBS_SIMPLE, 150, 10, 100, 80);
    EXPECT_EQ(Classify(list), KIND_LIST_BOX);
    EXPECT_EQ(Classify(spin), KIND_UP_DOWN);
    EXPECT_EQ(Classify(simple), KIND_NOT_SKINNED);
    EXPECT_EQ(Classify(parent_), KIND_NOT_SKINNED);
}

TEST_F(SkinTest, WindowsCreatedAfterTurningOnAreAttachedByTheHook) {
    CallSetSkinScheme(1);
    HWND later = Make(kButtonClass, "Later", BS_AUTOCHECKBOX, 10, 10, 120, 22);
    ASSERT_NE(RecordOf(later), nullptr);
    EXPECT_EQ(RecordOf(later)->kind, KIND_CHECK_BOX);
    EXPECT_TRUE(IsSubclassed(later));
    // The record was made while the control was being created and it
    // still works as a check box.
    SendMessage(later, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessage(later, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(RecordOf(later)->flags & SK_CHECKED);

    CallSetSkinScheme(0);
    HWND afterOff = Make(kButtonClass, "Off", BS_PUSHBUTTON, 10, 40, 120, 22);
    EXPECT_EQ(RecordOf(afterOff), nullptr);
}

// Watches WM_NCDESTROY, the last message a window gets before the window
// system forgets its handle.
HWND g_watched = nullptr;
bool g_recordGoneAtLastMessage = false;
bool g_sawLastMessage = false;
HHOOK g_watchHook = nullptr;
LRESULT WatchLastMessage(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && call->hwnd == g_watched && call->message == WM_NCDESTROY) {
        g_sawLastMessage = true;
        g_recordGoneAtLastMessage = IsWindow(g_watched) && RecordOf(g_watched) == nullptr;
    }
    return CallNextHookEx(g_watchHook, code, wParam, lParam);
}

TEST_F(SkinTest, DestroyingASkinnedWindowRemovesItsRecordWhileTheHandleIsValid) {
    HWND button = Make(kButtonClass, "Go", BS_PUSHBUTTON, 10, 10, 80, 26);
    HWND edit = Make(kEditClass, "", WS_BORDER, 10, 40, 80, 24);
    CallSetSkinScheme(2);
    ASSERT_EQ(Engine().RecordCount(), 2u);
    g_watched = button;
    g_sawLastMessage = g_recordGoneAtLastMessage = false;
    g_watchHook = SetWindowsHookEx(WH_CALLWNDPROC, WatchLastMessage, nullptr, GetCurrentThreadId());
    DestroyWindow(button);
    UnhookWindowsHookEx(g_watchHook);
    EXPECT_TRUE(g_sawLastMessage);
    EXPECT_TRUE(g_recordGoneAtLastMessage);
    EXPECT_EQ(Engine().RecordCount(), 1u);
    EXPECT_NE(RecordOf(edit), nullptr);
}

TEST_F(SkinTest, AControlSubclassedAgainAfterTheSkinKeepsWorkingAcrossOffAndOn) {
    // The up-down control hooks its buddy's procedure for the arrow keys,
    // after the skin attached to the buddy.
    CallSetSkinScheme(2);
    HWND buddy = Make(kEditClass, "5", WS_BORDER, 10, 10, 80, 24);
    HWND spin =
        Make(kUpDownClass, "", UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT, 0,
             0, 18, 24);
    SendMessage(spin, UDM_SETRANGE32, 0, 100);
    SendMessage(spin, UDM_SETPOS32, 0, 5);
    ASSERT_FALSE(IsSubclassed(buddy));  // the up-down's procedure is in front
    ASSERT_NE(RecordOf(buddy), nullptr);
    // The up-down control found its buddy while being created, after the
    // hook attached it.
    EXPECT_TRUE(RecordOf(spin)->flags & SK_ALIGN_RIGHT);
    EXPECT_TRUE(RecordOf(buddy)->flags & SK_BUDDY_RIGHT);

    auto stepUp = [&] {
        SetFocus(buddy);
        InjectKey(VK_UP, true);
        InjectKey(VK_UP, false);
        Pump();
        char text[16] = {};
        GetWindowText(buddy, text, sizeof text);
        return std::string(text);
    };
    EXPECT_EQ(stepUp(), "6");
    CallSetSkinScheme(0);
    EXPECT_EQ(RecordOf(buddy), nullptr);
    EXPECT_EQ(stepUp(), "7");  // the arrow keys still reach the up-down
    CallSetSkinScheme(3);
    ASSERT_NE(RecordOf(buddy), nullptr);
    EXPECT_EQ(stepUp(), "8");
    // Attached again after its buddy, the up-down control tells it again.
    EXPECT_TRUE(RecordOf(spin)->flags & SK_ALIGN_RIGHT);
    EXPECT_TRUE(RecordOf(buddy)->flags & SK_BUDDY_RIGHT);
    CallSetSkinScheme(0);
    DestroyWindow(buddy);
    EXPECT_FALSE(IsWindow(buddy));
}

TEST_F(SkinTest, AttachTakesTheControlsStateAtThatMoment) {
    HWND def = Make(kButtonClass, "OK", BS_DEFPUSHBUTTON, 10, 10, 80, 26);
    HWND checked = Make(kButtonClass, "On", BS_AUTOCHECKBOX | WS_DISABLED, 10, 40, 80, 22);
    HWND mixed = Make(kButtonClass, "Mixed", BS_AUTO3STATE, 10, 70, 80, 22);
    HWND readOnly = Make(kEditClass, "", ES_READONLY | WS_BORDER, 10, 100, 80, 24);
    HWND dropList = Make(kComboBoxClass, "", CBS_DROPDOWNLIST, 10, 130, 100, 80);
    HWND across = Make(kUpDownClass, "", UDS_HORZ, 150, 10, 32, 20);
    SendMessage(checked, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(mixed, BM_SETCHECK, BST_INDETERMINATE, 0);
    SetFocus(def);

    CallSetSkinScheme(1);
    EXPECT_EQ(RecordOf(def)->flags, SK_DEFAULT | SK_FOCUSED);
    EXPECT_EQ(RecordOf(checked)->flags, SK_DISABLED | SK_CHECKED);
    EXPECT_EQ(RecordOf(mixed)->flags, SK_INDETERMINATE);
    EXPECT_EQ(RecordOf(readOnly)->flags, SK_READONLY);
    EXPECT_EQ(RecordOf(dropList)->flags, SK_DROPDOWNLIST);
    EXPECT_EQ(RecordOf(across)->flags, SK_HORIZONTAL);

    // Read-only goes straight to the field; the record follows its style.
    EXPECT_EQ(SendMessage(readOnly, EM_SETREADONLY, 0, 0), 1);
    EXPECT_EQ(RecordOf(readOnly)->flags, 0u);
    SendMessage(readOnly, EM_SETREADONLY, 1, 0);
    EXPECT_EQ(RecordOf(readOnly)->flags, SK_READONLY);
}

}  // namespace
