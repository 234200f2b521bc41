// Top-level order with topmost windows, and a window disabled from another
// thread (the owner of another thread's modal dialog) taking no input.
#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/windowing/window_test_support.h"

using namespace wintest;

namespace {

class OrderAndModality : public WindowTest {
protected:
    std::vector<HWND> Order() {
        std::vector<HWND> order;
        EnumWindows(
            [](HWND hwnd, LPARAM lParam) {
                reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
                return true;
            },
            reinterpret_cast<LPARAM>(&order));
        return order;
    }
    // Where two windows stand in the top-level order (-1 when absent).
    int Rank(HWND hwnd) {
        std::vector<HWND> order = Order();
        auto it = std::find(order.begin(), order.end(), hwnd);
        return it == order.end() ? -1 : int(it - order.begin());
    }
};

TEST_F(OrderAndModality, TopmostWindowsStayAboveOthersUntilTakenOutOfTheBand) {
    HWND topmost =
        CreateWindowEx(WS_EX_TOPMOST, RecordingClass(), "topmost", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                       10, 10, 100, 100, nullptr, nullptr, nullptr, nullptr);
    created_.push_back(topmost);
    HWND plain = Top(100, 100);  // made later and activated, still below
    SetActiveWindow(plain);
    EXPECT_LT(Rank(topmost), Rank(plain));
    POINT overlap{50, 50};
    EXPECT_EQ(WindowFromPoint(overlap), topmost);
    SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_LT(Rank(topmost), Rank(plain));

    // Out of the band: the other window can come ahead of it.
    SetWindowPos(topmost, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(GetWindowLong(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_LT(Rank(plain), Rank(topmost));
    EXPECT_EQ(WindowFromPoint(overlap), plain);

    // Into the band by placement, and out of it by going to the bottom.
    SetWindowPos(topmost, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(GetWindowLong(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_LT(Rank(topmost), Rank(plain));
    SetWindowPos(topmost, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(GetWindowLong(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_LT(Rank(plain), Rank(topmost));
}

TEST_F(OrderAndModality, WindowDisabledFromAnotherThreadTakesNoInput) {
    HWND owner = Top();
    HWND field = MakeWindow(10, 10, 50, 20, owner, 1);
    SetFocus(field);
    Pump();

    // Another thread disables it, as a modal dialog over it does.
    std::atomic<bool> disabled{false};
    std::thread dialogThread([&] {
        EnableWindow(owner, false);  // waits for this thread to hear of it
        disabled = true;
    });
    while (!disabled)
        WaitMessage(10);
    dialogThread.join();
    Pump();
    EXPECT_EQ(For(owner, WM_ENABLE).size(), 1u);
    Log().clear();
    InjectClick(owner, 20, 15);
    InjectClick(owner, 80, 80);
    InjectKey('A', true);
    InjectKey('A', false);
    InjectText("\xE4\xB8\xAD");
    Pump();
    EXPECT_TRUE(For(field, WM_LBUTTONDOWN).empty());
    EXPECT_TRUE(For(owner, WM_LBUTTONDOWN).empty());
    EXPECT_TRUE(For(field, WM_KEYDOWN).empty());
    EXPECT_TRUE(For(field, WM_CHAR).empty());

    // Enabled again, it takes input as before.
    EnableWindow(owner, true);
    Log().clear();
    InjectClick(owner, 20, 15);
    InjectKey('A', true);
    InjectKey('A', false);
    Pump();
    EXPECT_EQ(For(field, WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(For(field, WM_KEYDOWN).size(), 1u);
}

}  // namespace
