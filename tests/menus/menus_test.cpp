// Menus as data, the menu bar and its pop-ups driven by clicks, pop-up
// menus at a point, and accelerator tables.
#include "platform/menus/menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

std::vector<std::pair<uint32_t, WPARAM>>& Heard() {
    static std::vector<std::pair<uint32_t, WPARAM>> heard;
    return heard;
}

LRESULT OwnerProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_INITMENUPOPUP)
        Heard().push_back({message, wParam});
    return DefWindowProc(hwnd, message, wParam, lParam);
}

std::vector<WPARAM> Commands() {
    std::vector<WPARAM> out;
    for (auto& [message, wParam] : Heard()) {
        if (message == WM_COMMAND)
            out.push_back(wParam);
    }
    return out;
}

void Pump() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPresentationMode(PresentationMode::Memory);
        static bool registered = [] {
            WNDCLASS c;
            c.lpfnWndProc = OwnerProc;
            c.lpszClassName = "MenuTestOwner";
            return RegisterClass(&c) != 0;
        }();
        ASSERT_TRUE(registered);
        owner_ = CreateWindowEx(0, "MenuTestOwner", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                400, 300, nullptr, nullptr, nullptr, nullptr);
        // File: Open (Ctrl+O), Recent > one, two; separator; Exit (grey). View: Grid (checked).
        file_ = CreatePopupMenu();
        recent_ = CreatePopupMenu();
        AppendMenu(recent_, MF_STRING, 201, "one");
        AppendMenu(recent_, MF_STRING, 202, "two");
        AppendMenu(file_, MF_STRING, 101, "&Open...\tCtrl+O");
        AppendMenu(file_, MF_POPUP, reinterpret_cast<uintptr_t>(recent_), "&Recent");
        AppendMenu(file_, MF_SEPARATOR, 0, nullptr);
        AppendMenu(file_, MF_STRING | MF_GRAYED, 102, "E&xit");
        view_ = CreatePopupMenu();
        AppendMenu(view_, MF_STRING | MF_CHECKED, 301, "&Grid");
        bar_ = CreateMenu();
        AppendMenu(bar_, MF_POPUP, reinterpret_cast<uintptr_t>(file_), "&File");
        AppendMenu(bar_, MF_POPUP, reinterpret_cast<uintptr_t>(view_), "&View");
        Heard().clear();
    }
    void TearDown() override {
        EndMenu();
        if (IsWindow(owner_))
            DestroyWindow(owner_);
        DestroyMenu(bar_);
        Pump();
    }
    std::vector<HWND> Open() {
        HWND windows[8];
        int n = OpenMenuWindows(windows, 8);
        return std::vector<HWND>(windows, windows + n);
    }
    // A click at row `row` (22 pixels each, separators 9) of a pop-up.
    void ClickRow(HWND popup, int y) {
        InjectClick(popup, 30, y);
        Pump();
    }
    HWND owner_ = nullptr;
    HMENU bar_ = nullptr, file_ = nullptr, recent_ = nullptr, view_ = nullptr;
};

TEST_F(MenuTest, ItemsAreFoundByPositionOrByCommandInsidePopups) {
    EXPECT_EQ(GetMenuItemCount(file_), 4);
    EXPECT_EQ(GetMenuItemID(file_, 0), 101u);
    EXPECT_EQ(GetMenuItemID(file_, 1), kMenuNotFound);
    EXPECT_EQ(GetSubMenu(file_, 1), recent_);
    EXPECT_EQ(GetMenuState(bar_, 202, MF_BYCOMMAND), 0u);
    EXPECT_EQ(CheckMenuItem(bar_, 202, MF_BYCOMMAND | MF_CHECKED), 0u);
    EXPECT_EQ(GetMenuState(recent_, 1, MF_BYPOSITION), MF_CHECKED);
    EXPECT_EQ(EnableMenuItem(bar_, 102, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(GetMenuState(file_, 2, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    EXPECT_EQ(CheckMenuItem(bar_, 999, MF_CHECKED), kMenuNotFound);
    char text[32];
    GetMenuString(bar_, 101, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Open...\tCtrl+O");
    // Removing keeps the pop-up alive; deleting destroys it.
    EXPECT_TRUE(RemoveMenu(file_, 1, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(recent_));
    EXPECT_TRUE(InsertMenu(file_, 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<uintptr_t>(recent_),
                           "&Recent"));
    EXPECT_TRUE(DeleteMenu(file_, 1, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(recent_));
    EXPECT_FALSE(AppendMenu(file_, MF_POPUP, reinterpret_cast<uintptr_t>(file_), "self"));
}

TEST_F(MenuTest, TheBarOpensNestedPopupsAndSendsTheChosenCommand) {
    ASSERT_TRUE(SetMenu(owner_, bar_));
    EXPECT_EQ(GetMenu(owner_), bar_);
    HWND band = MenuBarWindow(owner_);
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(MenuBarHeight(owner_), 22);
    InjectClick(band, 12, 10);  // "File"
    Pump();
    std::vector<HWND> open = Open();
    ASSERT_EQ(open.size(), 1u);
    ASSERT_FALSE(Heard().empty());
    EXPECT_EQ(Heard().front().first, uint32_t(WM_INITMENUPOPUP));

    // Over "Recent" its pop-up opens beside; a click there chooses "two".
    InjectMouseMove(open[0], 30, 3 + 22 + 10);
    Pump();
    open = Open();
    ASSERT_EQ(open.size(), 2u);
    ClickRow(open[1], 3 + 22 + 10);
    EXPECT_EQ(Commands(), (std::vector<WPARAM>{202}));
    EXPECT_TRUE(Open().empty());

    // Grey items and separators do nothing and leave the menu open.
    InjectClick(band, 12, 10);
    Pump();
    open = Open();
    ASSERT_EQ(open.size(), 1u);
    ClickRow(open[0], 3 + 44 + 4);       // the separator
    ClickRow(open[0], 3 + 44 + 9 + 10);  // "Exit", grey
    EXPECT_EQ(Open().size(), 1u);
    EXPECT_EQ(Commands().size(), 1u);
    // A second click on the open title closes it without a command.
    InjectClick(open[0], 30, -10);
    Pump();
    EXPECT_TRUE(Open().empty());
    EXPECT_EQ(Commands().size(), 1u);
}

TEST_F(MenuTest, PopupMenuAtAPointWithoutADisplayStaysOpenForClicks) {
    EXPECT_EQ(TrackPopupMenu(view_, 0, 100, 100, owner_), 0);
    std::vector<HWND> open = Open();
    ASSERT_EQ(open.size(), 1u);
    RECT where;
    GetWindowRect(open[0], &where);
    EXPECT_EQ(where.left, 100);
    ClickRow(open[0], 3 + 10);
    EXPECT_EQ(Commands(), (std::vector<WPARAM>{301}));
}

TEST_F(MenuTest, AcceleratorsMatchKeysAndModifiersExactly) {
    SetMenu(owner_, bar_);
    ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'O', 101},
                       {FVIRTKEY, VK_F1 + 4, 301},
                       {FVIRTKEY | FCONTROL, 'Q', 102}};
    HACCEL table = CreateAcceleratorTable(entries, 3);
    ASSERT_NE(table, nullptr);
    auto press = [&](std::initializer_list<uint8_t> held, uint8_t key) {
        for (uint8_t k : held)
            InjectKey(k, true);
        InjectKey(key, true);
        int translated = 0;
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_KEYDOWN && msg.wParam == key) {
                translated = TranslateAccelerator(owner_, table, &msg);
                if (translated)
                    continue;
            }
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        InjectKey(key, false);
        for (uint8_t k : held)
            InjectKey(k, false);
        Pump();
        return translated;
    };
    SetFocus(owner_);
    EXPECT_EQ(press({VK_CONTROL}, 'O'), 1);
    EXPECT_EQ(press({}, 'O'), 0);
    EXPECT_EQ(press({VK_CONTROL, VK_SHIFT}, 'O'), 0);
    EXPECT_EQ(press({}, VK_F1 + 4), 1);
    EXPECT_EQ(press({VK_CONTROL}, 'Q'), 1);  // grey "Exit": swallowed, not sent
    EXPECT_EQ(Commands(), (std::vector<WPARAM>{MAKELPARAM(101, 1), MAKELPARAM(301, 1)}));
    EXPECT_EQ(CopyAcceleratorTable(table, nullptr, 0), 3);
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
}

}  // namespace
