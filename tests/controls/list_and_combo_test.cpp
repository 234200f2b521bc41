// List boxes and the three combo box kinds: clicks, keys, sorting, and the
// selection notifications.
#include "tests/controls/control_test_support.h"

using namespace ctltest;

namespace {

void Fill(HWND hwnd, uint32_t add, std::initializer_list<const char*> items) {
    for (const char* item : items)
        SendMessage(hwnd, add, 0, reinterpret_cast<LPARAM>(item));
}

std::string ListText(HWND list, int index) {
    char buffer[128] = {};
    SendMessage(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

TEST_F(ControlTest, ListBoxSelectsByClickAndKeysAndReportsChanges) {
    HWND list = Make(kListBoxClass, "", LBS_NOTIFY | WS_VSCROLL, 10, 10, 150, 100, 30);
    Fill(list, LB_ADDSTRING, {"alpha", "beta", "gamma", "delta"});
    int row = int(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
    Click(list, 20, 1 + row + row / 2);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);
    Key(VK_END);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 3);
    Type("a");  // the next item starting with "a"
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(CountOf(30, LBN_SELCHANGE), 4);
    // Choosing the item already chosen is not a change; set by program is silent.
    Click(list, 20, 1 + row / 2);
    SendMessage(list, LB_SETCURSEL, 2, 0);
    EXPECT_EQ(CountOf(30, LBN_SELCHANGE), 4);
    // Deleting before the selection keeps the same item selected.
    SendMessage(list, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(ListText(list, 1), "gamma");
    EXPECT_EQ(SendMessage(list, LB_GETTEXT, 9, 0), LB_ERR);
}

TEST_F(ControlTest, SortedAndMultipleSelectionLists) {
    HWND sorted = Make(kListBoxClass, "", LBS_SORT, 10, 10, 150, 100, 31);
    Fill(sorted, LB_ADDSTRING, {"pear", "Apple", "fig"});
    EXPECT_EQ(ListText(sorted, 0), "Apple");
    EXPECT_EQ(ListText(sorted, 2), "pear");
    EXPECT_EQ(SendMessage(sorted, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>("FIG")),
              1);
    EXPECT_EQ(SendMessage(sorted, LB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("pe")), 2);

    HWND multi = Make(kListBoxClass, "", LBS_MULTIPLESEL | LBS_NOTIFY, 200, 10, 150, 100, 32);
    Fill(multi, LB_ADDSTRING, {"a", "b", "c"});
    int row = int(SendMessage(multi, LB_GETITEMHEIGHT, 0, 0));
    Click(multi, 10, 1 + row / 2);
    Click(multi, 10, 1 + 2 * row + row / 2);
    EXPECT_EQ(SendMessage(multi, LB_GETSELCOUNT, 0, 0), 2);
    Click(multi, 10, 1 + row / 2);
    EXPECT_EQ(SendMessage(multi, LB_GETSEL, 0, 0), 0);
    EXPECT_EQ(SendMessage(multi, LB_GETSEL, 2, 0), 1);
    EXPECT_EQ(SendMessage(multi, LB_SETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ControlTest, DropDownListOpensChoosesAndCancels) {
    HWND combo = Make(kComboBoxClass, "", CBS_DROPDOWNLIST, 10, 10, 150, 120, 40);
    Fill(combo, CB_ADDSTRING, {"JPEG", "TIFF", "PNG"});
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    RECT rect;
    GetWindowRect(combo, &rect);
    EXPECT_LT(rect.bottom - rect.top, 60);  // the creation height is the open height

    Click(combo, 140, 5);
    ASSERT_EQ(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0), 1);
    HWND list = nullptr;
    EnumWindows(
        [](HWND w, LPARAM out) {
            char name[32] = {};
            GetClassName(w, name, sizeof name);
            if (std::string(name) == kListBoxClass && IsWindowVisible(w)) {
                *reinterpret_cast<HWND*>(out) = w;
                return false;
            }
            return true;
        },
        reinterpret_cast<LPARAM>(&list));
    ASSERT_NE(list, nullptr);
    int row = int(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
    InjectClick(list, 10, 1 + 2 * row + row / 2);
    Pump();
    EXPECT_EQ(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0), 0);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(TextOf(combo), "PNG");
    auto codes = CodesFrom(40);
    EXPECT_EQ(codes, (std::vector<uint16_t>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELENDOK,
                                            CBN_SELCHANGE}));

    // Keys move the choice while closed; Escape undoes tracking while open.
    Notes().clear();
    Key(VK_UP);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
    SendMessage(combo, CB_SHOWDROPDOWN, 1, 0);
    Key(VK_DOWN);
    Key(VK_ESCAPE);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(CountOf(40, CBN_SELCHANGE), 1);
    EXPECT_EQ(CountOf(40, CBN_SELENDCANCEL), 1);
    // Typing a letter picks the item that starts with it.
    Type("j");
    EXPECT_EQ(TextOf(combo), "JPEG");
}

TEST_F(ControlTest, EditableCombosReportEditsAndSelections) {
    HWND simple = Make(kComboBoxClass, "", CBS_SIMPLE, 10, 10, 150, 120, 41);
    Fill(simple, CB_ADDSTRING, {"one", "two"});
    HWND edit = GetDlgItem(simple, kComboEditId);
    HWND list = GetDlgItem(simple, kComboListId);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(list, nullptr);
    int row = int(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
    InjectClick(list, 10, 1 + row + row / 2);
    Pump();
    EXPECT_EQ(TextOf(simple), "two");
    EXPECT_EQ(CountOf(41, CBN_SELCHANGE), 1);

    HWND drop = Make(kComboBoxClass, "", CBS_DROPDOWN, 200, 10, 150, 120, 42);
    Fill(drop, CB_ADDSTRING, {"red", "green"});
    SetFocus(GetDlgItem(drop, kComboEditId));
    Type("blue");
    EXPECT_EQ(TextOf(drop), "blue");
    EXPECT_EQ(CountOf(42, CBN_EDITCHANGE), 4);
    Key(VK_DOWN);  // arrows in the field walk the list
    EXPECT_EQ(TextOf(drop), "red");
    EXPECT_EQ(SendMessage(drop, CB_GETCURSEL, 0, 0), 0);
    SendMessage(drop, CB_SETEDITSEL, 0, MAKELPARAM(1, 2));
    uint32_t start = 0, end = 0;
    SendMessage(drop, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 2u);
}

}  // namespace
