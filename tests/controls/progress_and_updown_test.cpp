// Progress bar clamping and the up-down control with its buddy.
#include <vector>

#include "tests/controls/control_test_support.h"

using namespace ctltest;

namespace {

TEST_F(ControlTest, ProgressPositionsAreHeldInsideTheRange) {
    HWND bar = Make(kProgressClass, "", 0, 10, 10, 200, 16, 50);
    EXPECT_EQ(SendMessage(bar, 0x401, 0, MAKELPARAM(0, 200)), MAKELPARAM(0, 100));
    EXPECT_EQ(SendMessage(bar, 0x402, 150, 0), 0);  // answers the previous position
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 150);
    SendMessage(bar, 0x402, 5000, 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 200);
    // Narrowing the range pulls the position in.
    SendMessage(bar, 0x401, 0, MAKELPARAM(10, 50));
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 50);
    SendMessage(bar, PBM_SETPOS, 0, 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 10);
    PBRANGE range;
    SendMessage(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 10);
    EXPECT_EQ(range.iHigh, 50);
    SendMessage(bar, PBM_SETSTEP, 30, 0);
    SendMessage(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 40);
    SendMessage(bar, PBM_STEPIT, 0, 0);  // past the end: starts over
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 10);
}

// The fill ends at the pixel the position gives: inside the one-pixel
// frame of a 102-pixel bar, 50 of 100 fills columns 1 to 50 exactly.
TEST_F(ControlTest, ProgressBarFillEndsWhereThePositionSays) {
    constexpr uint32_t kFrame = 0xBCBCBC, kFill = 0x06B025, kEmpty = 0xE6E6E6;
    HWND bar = Make(kProgressClass, "", 0, 0, 0, 102, 10, 51);
    for (int position : {0, 50, 100}) {
        SCOPED_TRACE(position);
        SendMessage(bar, PBM_SETPOS, position, 0);
        UpdateWindow(parent_);
        UpdateWindow(bar);
        HBITMAP shot = CaptureWindow(bar);
        PixelView pixels = BitmapPixels(shot);
        std::vector<uint32_t> row(pixels.Row(5), pixels.Row(5) + 102);
        DeleteObject(shot);
        for (uint32_t& pixel : row)
            pixel &= 0xFFFFFF;
        std::vector<uint32_t> expected(102, kEmpty);
        expected.front() = expected.back() = kFrame;
        for (int x = 1; x <= position; ++x)
            expected[size_t(x)] = kFill;
        EXPECT_EQ(row, expected);
    }
}

class UpDownTest : public ControlTest {
protected:
    HWND buddy_ = nullptr;
    HWND spin_ = nullptr;
    void MakePair(uint32_t style) {
        buddy_ = Make(kEditClass, "", 0, 10, 10, 100, 24, 60);
        spin_ = Make(kUpDownClass, "", UDS_AUTOBUDDY | UDS_SETBUDDYINT | style, 0, 0, 16, 24, 61);
        Notes().clear();
    }
    void ClickArrow(bool up) {
        RECT client;
        GetClientRect(spin_, &client);
        Click(spin_, client.right / 2, up ? 2 : client.bottom - 2);
    }
};

TEST_F(UpDownTest, ArrowsStepTheBuddyAndStopAtTheEnds) {
    MakePair(UDS_ALIGNRIGHT | UDS_ARROWKEYS);
    EXPECT_EQ(SendMessage(spin_, UDM_GETBUDDY, 0, 0), reinterpret_cast<LRESULT>(buddy_));
    RECT buddyRect, spinRect;
    GetWindowRect(buddy_, &buddyRect);
    GetWindowRect(spin_, &spinRect);
    EXPECT_EQ(spinRect.left, buddyRect.right - 1);  // sits at the buddy's right edge
    EXPECT_EQ(TextOf(buddy_), "0");

    SendMessage(spin_, UDM_SETRANGE32, 0, 2);
    ClickArrow(true);
    ClickArrow(true);
    ClickArrow(true);
    EXPECT_EQ(TextOf(buddy_), "2");
    EXPECT_EQ(LOWORD(uintptr_t(SendMessage(spin_, UDM_GETPOS, 0, 0))), 2);
    ClickArrow(false);
    EXPECT_EQ(TextOf(buddy_), "1");
    int deltas = 0, scrolls = 0;
    for (const auto& n : Notes()) {
        deltas += n.message == WM_NOTIFY && n.code == uint16_t(UDN_DELTAPOS);
        scrolls += n.message == WM_VSCROLL && n.code == SB_THUMBPOSITION;
    }
    EXPECT_EQ(deltas, 4);
    EXPECT_EQ(scrolls, 4);

    // The buddy's arrow keys step too, and its typed text is the position.
    SetFocus(buddy_);
    Key(VK_UP);
    EXPECT_EQ(TextOf(buddy_), "2");
    SetWindowText(buddy_, "1");
    EXPECT_EQ(LOWORD(uintptr_t(SendMessage(spin_, UDM_GETPOS, 0, 0))), 1);
    SetWindowText(buddy_, "many");
    EXPECT_NE(HIWORD(uintptr_t(SendMessage(spin_, UDM_GETPOS, 0, 0))), 0);
}

TEST_F(UpDownTest, WrapThousandsAndTheParentsVeto) {
    MakePair(UDS_WRAP);
    SendMessage(spin_, UDM_SETRANGE32, 998, 1000);
    SendMessage(spin_, UDM_SETPOS32, 0, 1000);
    EXPECT_EQ(TextOf(buddy_), "1,000");
    ClickArrow(true);
    EXPECT_EQ(TextOf(buddy_), "998");
    RefuseDelta() = 1;
    ClickArrow(true);
    EXPECT_EQ(TextOf(buddy_), "998");
}

TEST_F(UpDownTest, HorizontalStyleStepsWithLeftAndRightHalves) {
    buddy_ = Make(kEditClass, "", 0, 10, 10, 100, 24, 60);
    spin_ = Make(kUpDownClass, "", UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_HORZ, 120, 10, 32, 16, 61);
    Notes().clear();
    Click(spin_, 28, 8);
    Click(spin_, 28, 8);
    Click(spin_, 3, 8);
    EXPECT_EQ(TextOf(buddy_), "1");
    bool horizontal = false;
    for (const auto& n : Notes())
        horizontal |= n.message == WM_HSCROLL;
    EXPECT_TRUE(horizontal);
}

}  // namespace
