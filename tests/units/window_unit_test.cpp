// The window unit and what every unit shares: the window's background and
// stay-on-top properties, its logical properties, its client size, the
// common properties of a unit, and a label's font through the font kind.
#include <cstring>

#include "platform/graphics/gdi.h"
#include "tests/units/unit_test_support.h"

namespace {

using namespace unittest;

constexpr uint32_t kFormType = units::kWindowUnitType;
constexpr uint32_t kLabel = 0x16010020;
constexpr uint32_t kLabelType = units::kLabelType;

// The colour of a form's client pixel as 0x00BBGGRR.
COLORREF ClientPixel(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HBITMAP shot = CaptureWindow(window);
    RECT outer{};
    GetWindowRect(window, &outer);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    uint32_t argb = BitmapPixels(shot).Row(origin.y - outer.top + y)[origin.x - outer.left + x];
    DeleteObject(shot);
    return RGB(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb));
}

using WindowUnitTest = UnitTest;

TEST_F(WindowUnitTest, TheDescriptionsSizeIsTheClientSize) {
    RECT client{};
    GetClientRect(WindowOf(form_), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    RECT outer{};
    GetWindowRect(WindowOf(form_), &outer);
    EXPECT_EQ(Get(kFormType, form_, 2), uint32_t(outer.right - outer.left));  // outer width
    EXPECT_EQ(Get(kFormType, form_, 0), uint32_t(outer.left));
}

TEST_F(WindowUnitTest, BackgroundColourPaintsTheWindowAndItsLabels) {
    rt::WindowObject* label =
        Make(kLabelType, kLabel, BlockBuilder().Text(0, "Format").Finish(), 200, 200, 80, 20);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(Get(kFormType, form_, 10), 0xff000000u);
    EXPECT_EQ(ClientPixel(WindowOf(form_), 5, 5), GetSysColor(COLOR_BTNFACE));
    Set(kFormType, form_, 10, 0x00204080);
    EXPECT_EQ(Get(kFormType, form_, 10), 0x00204080u);
    EXPECT_EQ(ClientPixel(WindowOf(form_), 5, 5), COLORREF(0x00204080));
    EXPECT_EQ(ClientPixel(WindowOf(form_), 278, 218), COLORREF(0x00204080));  // behind the label
    Set(kFormType, form_, 10, 0xff000000);
    EXPECT_EQ(ClientPixel(WindowOf(form_), 5, 5), GetSysColor(COLOR_BTNFACE));
}

TEST_F(WindowUnitTest, StayOnTopIsTheTopMostExtendedBit) {
    Set(kFormType, form_, 29, 1);
    EXPECT_NE(GetWindowLong(WindowOf(form_), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(Get(kFormType, form_, 29), 1u);
    Set(kFormType, form_, 29, 0);
    EXPECT_EQ(GetWindowLong(WindowOf(form_), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(Get(kFormType, form_, 29), 0u);
}

TEST_F(WindowUnitTest, LogicalPropertiesStoreOneAndReadTrueOnlyFromOne) {
    auto* form = dynamic_cast<rt::FormWindowObject*>(form_);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowId, kWindowId);
    Set(kFormType, form_, 13, 2);  // Enter moves the focus
    EXPECT_EQ(form->input.enterMovesFocus, 1);
    EXPECT_EQ(Get(kFormType, form_, 13), 1u);
    // A word of 2 that reached the unit some other way reads as false.
    auto set = Entry<rt::UnitSetPropertyRoutine>(kFormType, rt::UNIT_ENTRY_SET_PROPERTY);
    int32_t cleared = 0;
    rt::PropertyValue two{2, 0};
    set(form_, 5, &two, &cleared);
    EXPECT_EQ(form->input.enterMovesFocus, 2);
    EXPECT_EQ(Get(kFormType, form_, 13), 0u);
    SetText(kFormType, form_, 16, "guide.html");
    EXPECT_EQ(form->input.helpFile, "guide.html");
    Set(kFormType, form_, 20, 0);  // no resizable frame
    EXPECT_EQ(StyleOf(form_) & WS_THICKFRAME, 0u);
    EXPECT_EQ(Get(kFormType, form_, 20), 0u);
}

TEST_F(WindowUnitTest, TheCloseRequestDestroysTheWindow) {
    HWND window = WindowOf(form_);
    SendMessage(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowUnitTest, CommonPropertiesLiveOnTheUnitsWindow) {
    rt::WindowObject* label = Make(kLabelType, kLabel, {}, 30, 40, 100, 20);
    EXPECT_EQ(Get(kLabelType, label, 0), 30u);
    EXPECT_EQ(Get(kLabelType, label, 1), 40u);
    Set(kLabelType, label, 0, 50);
    Set(kLabelType, label, 3, uint32_t(-4));
    RECT rect{};
    GetWindowRect(WindowOf(label), &rect);
    POINT corner{rect.left, rect.top};
    ScreenToClient(WindowOf(form_), &corner);
    EXPECT_EQ(corner.x, 50);
    EXPECT_EQ(corner.y, 40);
    EXPECT_EQ(rect.bottom - rect.top, 0);
    EXPECT_EQ(Get(kLabelType, label, 2), 100u);

    EXPECT_EQ(Get(kLabelType, label, 4), 1u);
    Set(kLabelType, label, 4, 0);
    EXPECT_FALSE(StyleOf(label) & WS_VISIBLE);
    Set(kLabelType, label, 5, 0);
    EXPECT_FALSE(IsWindowEnabled(WindowOf(label)));
    EXPECT_EQ(Get(kLabelType, label, 5), 0u);
    Set(kLabelType, label, 6, 0);
    EXPECT_FALSE(StyleOf(label) & WS_TABSTOP);

    EXPECT_EQ(Get(kLabelType, label, 7), 0u);
    SetText(kLabelType, label, 7, "tag text");
    EXPECT_EQ(GetText(kLabelType, label, 7), "tag text");
    EXPECT_EQ(GetText(kFormType, form_, 7), "");
    SetText(kLabelType, label, 7, "");
    EXPECT_EQ(Get(kLabelType, label, 7), 0u);
}

TEST_F(WindowUnitTest, ALabelsFontTravelsAsAFontValue) {
    rt::WindowObject* label = Make(kLabelType, kLabel, {}, 30, 40, 100, 20);
    rt::FontValue value{0, 1, 0, 0, 1, 12, "DejaVu Serif"};
    auto bits = uint64_t(reinterpret_cast<uintptr_t>(&value));
    Set(kLabelType, label, 13, uint32_t(bits), uint32_t(bits >> 32), -1);
    auto font = reinterpret_cast<HFONT>(SendMessage(WindowOf(label), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONT shown;
    ASSERT_EQ(GetObject(font, sizeof shown, &shown), int(sizeof shown));
    EXPECT_STREQ(shown.lfFaceName, "DejaVu Serif");
    EXPECT_EQ(shown.lfHeight, -16);
    EXPECT_EQ(shown.lfWeight, 700);
    EXPECT_EQ(shown.lfUnderline, 1);

    Set(kLabelType, label, 13, 9, 0, 5);  // one field: the size
    EXPECT_EQ(Get(kLabelType, label, 13, 5), 9u);
    EXPECT_EQ(Get(kLabelType, label, 13, 1), 1u);
    char* face = reinterpret_cast<char*>(uintptr_t(Get(kLabelType, label, 13, 6)));
    ASSERT_NE(face, nullptr);
    EXPECT_STREQ(face, "DejaVu Serif");
    rt::RtFree(face);
}

}  // namespace
