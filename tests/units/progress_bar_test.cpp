// The progress bar: clamping, the range message's order, and a position
// beyond the range stored as written but drawn at the range's end.
#include "platform/graphics/gdi.h"
#include "tests/units/unit_test_support.h"

namespace {

using namespace unittest;

constexpr uint32_t kBar = 0x160116f3;
constexpr uint32_t kType = units::kProgressBarType;
// Property numbers (own index + 8).
constexpr uint32_t kVertical = 9, kMinimum = 11, kMaximum = 12, kPosition = 13;

class ProgressBarTest : public UnitTest {
protected:
    void SetUp() override {
        UnitTest::SetUp();
        bar_ = Make(kType, kBar, {}, 10, 10, 102, 12);
        ASSERT_NE(bar_, nullptr);
    }
    PBRANGE Range() {
        PBRANGE range;
        SendMessage(WindowOf(bar_), PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    LRESULT Shown() { return SendMessage(WindowOf(bar_), PBM_GETPOS, 0, 0); }
    // The colour of the bar's last inner column, as drawn.
    uint32_t EndPixel() {
        UpdateWindow(WindowOf(form_));
        UpdateWindow(WindowOf(bar_));
        HBITMAP shot = CaptureWindow(WindowOf(bar_));
        uint32_t pixel = BitmapPixels(shot).Row(6)[100] & 0xFFFFFF;
        DeleteObject(shot);
        return pixel;
    }
    rt::WindowObject* bar_ = nullptr;
};

TEST_F(ProgressBarTest, RangeValuesAreClampedAndStored) {
    Set(kType, bar_, kMaximum, 40000);
    EXPECT_EQ(Get(kType, bar_, kMaximum), 32767u);
    EXPECT_EQ(Range().iHigh, 32767);
    Set(kType, bar_, kMaximum, uint32_t(-5));
    EXPECT_EQ(Get(kType, bar_, kMaximum), 0u);
    Set(kType, bar_, kMinimum, 70000);
    EXPECT_EQ(Get(kType, bar_, kMinimum), 32767u);
    Set(kType, bar_, kPosition, uint32_t(-1));
    EXPECT_EQ(Get(kType, bar_, kPosition), 0u);
}

TEST_F(ProgressBarTest, TheRangeMessageNamesTheSmallerEndFirst) {
    Set(kType, bar_, kMinimum, 50);
    Set(kType, bar_, kMaximum, 10);
    EXPECT_EQ(Range().iLow, 10);
    EXPECT_EQ(Range().iHigh, 50);
    EXPECT_EQ(Get(kType, bar_, kMinimum), 50u);
    EXPECT_EQ(Get(kType, bar_, kMaximum), 10u);
    Set(kType, bar_, kPosition, 5);
    EXPECT_EQ(Shown(), 10);  // held inside the range, below it too
}

TEST_F(ProgressBarTest, APositionBeyondTheMaximumIsStoredButShownAtTheEnd) {
    Set(kType, bar_, kMaximum, 50);
    Set(kType, bar_, kPosition, 25);
    uint32_t empty = EndPixel();
    Set(kType, bar_, kPosition, 80);
    EXPECT_EQ(Get(kType, bar_, kPosition), 80u);
    EXPECT_EQ(Shown(), 50);
    uint32_t full = EndPixel();
    EXPECT_NE(full, empty);
    Set(kType, bar_, kPosition, 50);
    EXPECT_EQ(EndPixel(), full);  // exactly as at the maximum
    // Widening the range shows the stored position where it is.
    Set(kType, bar_, kPosition, 80);
    Set(kType, bar_, kMaximum, 160);
    EXPECT_EQ(Shown(), 80);
    EXPECT_EQ(EndPixel(), empty);
}

TEST_F(ProgressBarTest, RefreshShowsTheStoredStateAgain) {
    Set(kType, bar_, kMaximum, 200);
    Set(kType, bar_, kPosition, 120);
    SendMessage(WindowOf(bar_), PBM_SETRANGE, 0, MAKELPARAM(0, 10));
    SendMessage(WindowOf(bar_), PBM_SETPOS, 3, 0);
    rt::RefreshUnitProperties(kType, bar_);
    EXPECT_EQ(Range().iHigh, 200);
    EXPECT_EQ(Shown(), 120);
}

TEST_F(ProgressBarTest, StyleSwitchesAnswerOneOnlyWhenTheyChange) {
    auto set = Entry<rt::UnitSetPropertyRoutine>(kType, rt::UNIT_ENTRY_SET_PROPERTY);
    int32_t cleared = 0;
    rt::PropertyValue on{1, 0}, two{2, 0};
    EXPECT_EQ(set(bar_, 1, &on, &cleared), 1);
    EXPECT_EQ(StyleOf(bar_) & PBS_VERTICAL, PBS_VERTICAL);
    EXPECT_EQ(set(bar_, 1, &two, &cleared), 0);  // clamped to 1: no change
    EXPECT_EQ(Get(kType, bar_, kVertical), 1u);
    EXPECT_EQ(set(bar_, 2, &on, &cleared), 1);
    EXPECT_EQ(StyleOf(bar_) & PBS_SMOOTH, PBS_SMOOTH);
}

TEST_F(ProgressBarTest, AnIndexBeyondTheTableIsRefusedByBothEntries) {
    auto get = Entry<rt::UnitGetPropertyRoutine>(kType, rt::UNIT_ENTRY_GET_PROPERTY);
    auto set = Entry<rt::UnitSetPropertyRoutine>(kType, rt::UNIT_ENTRY_SET_PROPERTY);
    rt::PropertyValue result{0xdeadbeef, 0xfeed};
    EXPECT_EQ(get(bar_, 6, &result), 0);
    EXPECT_EQ(result.w0, 0xdeadbeefu);
    EXPECT_EQ(result.w1, 0xfeedu);
    EXPECT_EQ(get(bar_, -1, &result), 0);
    EXPECT_EQ(get(bar_, 5, &result), 1);
    EXPECT_EQ(result.w0, 0u);
    int32_t cleared = 0;
    rt::PropertyValue value{7, 0};
    EXPECT_EQ(set(bar_, 6, &value, &cleared), 0);
    EXPECT_EQ(Get(kType, bar_, 8 + 6), 0u);
}

}  // namespace
