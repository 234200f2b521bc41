// Unit input events raised from real input on in-memory windows: their
// numbers and arguments, and what a handler's result does to the message.
#include <gtest/gtest.h>

#include "runtime/input/unit_events.h"
#include "tests/input/test_form.h"

namespace {

using inputtest::Behave;
using inputtest::RaisedEvent;
using inputtest::TestForm;
using platform::HWND;

class UnitEventTest : public ::testing::Test {
protected:
    std::vector<RaisedEvent> EventsOf(uint32_t unit, int32_t event) {
        std::vector<RaisedEvent> found;
        for (const RaisedEvent& raised : Behave().log) {
            if (raised.unitId == unit && raised.event == event)
                found.push_back(raised);
        }
        return found;
    }
    bool Contains(const std::vector<uint32_t>& messages, uint32_t message) {
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }

    rt::ApplicationObject app_;
    TestForm form_{app_};
};

TEST_F(UnitEventTest, ClicksRaiseDownAndUpWithClientCoordinates) {
    uint32_t button = form_.AddUnit(inputtest::kButtonType, platform::kButtonClass, "Go",
                                    platform::WS_VISIBLE, 10, 40, 80, 24, 0);
    form_.Pump();
    platform::InjectClick(form_.UnitWindow(button), 7, 5);
    form_.Pump();
    EXPECT_EQ(EventsOf(button, rt::EVENT_LEFT_DOWN),
              (std::vector<RaisedEvent>{{button, -1, {7, 5, 0}}}));
    EXPECT_EQ(EventsOf(button, rt::EVENT_LEFT_UP),
              (std::vector<RaisedEvent>{{button, -2, {7, 5, 0}}}));
    // Left alone, the click reached the control: it was clicked (event 0
    // comes from the button's own notification, which these units do not
    // route, so the form sees BN_CLICKED).
    ASSERT_EQ(Behave().notifications.size(), 1u);
    EXPECT_EQ(platform::HIWORD(Behave().notifications[0]), platform::BN_CLICKED);
}

TEST_F(UnitEventTest, AResultOfZeroCancelsTheClickAndNoResultLeavesIt) {
    uint32_t button = form_.AddUnit(inputtest::kButtonType, platform::kButtonClass, "Go",
                                    platform::WS_VISIBLE, 10, 40, 80, 24, 0);
    Behave().results[{button, rt::EVENT_LEFT_DOWN}] = 0;
    Behave().results[{button, rt::EVENT_LEFT_UP}] = 0;
    form_.Pump();
    platform::InjectClick(form_.UnitWindow(button), 7, 5);
    std::vector<uint32_t> consumed = form_.Pump();
    EXPECT_TRUE(Contains(consumed, platform::WM_LBUTTONDOWN));
    EXPECT_TRUE(Contains(consumed, platform::WM_LBUTTONUP));
    EXPECT_TRUE(Behave().notifications.empty());

    // A handler that reports a non-zero result does not cancel.
    Behave().results[{button, rt::EVENT_LEFT_DOWN}] = 1;
    Behave().results.erase({button, rt::EVENT_LEFT_UP});
    platform::InjectClick(form_.UnitWindow(button), 7, 5);
    consumed = form_.Pump();
    EXPECT_FALSE(Contains(consumed, platform::WM_LBUTTONDOWN));
    EXPECT_EQ(Behave().notifications.size(), 1u);
}

TEST_F(UnitEventTest, InputOnTheWindowItselfNeverRunsItsLoadHandler) {
    form_.Pump();
    platform::InjectClick(form_.Window(), 200, 150);
    std::vector<uint32_t> consumed = form_.Pump();
    platform::MSG key = inputtest::Message(form_.Window(), platform::WM_KEYDOWN, 'A', 1);
    EXPECT_FALSE(form_.Translator().PreTranslate(&key));
    EXPECT_TRUE(consumed.empty());
    EXPECT_TRUE(Behave().log.empty());
}

TEST_F(UnitEventTest, CharacterHandlerReplacesOrSwallowsTheCharacter) {
    uint32_t text = form_.AddUnit(inputtest::kTextType, platform::kEditClass, "",
                                  platform::WS_VISIBLE, 10, 40, 200, 24, 0);
    HWND edit = form_.UnitWindow(text);
    platform::SetFocus(edit);
    Behave().results[{text, rt::EVENT_CHARACTER}] = 0x41;
    form_.Press({'A'});  // a lower-case a
    char buffer[16] = {};
    platform::GetWindowText(edit, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "A");
    EXPECT_EQ(EventsOf(text, rt::EVENT_CHARACTER), (std::vector<RaisedEvent>{{text, -11, {0x61}}}));

    Behave().results[{text, rt::EVENT_CHARACTER}] = 0;
    form_.Press({'B'});
    platform::GetWindowText(edit, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "A");
}

TEST_F(UnitEventTest, KeyEventsCarryTheKeyCodeSplitIntoKeyAndShiftState) {
    uint32_t text = form_.AddUnit(inputtest::kTextType, platform::kEditClass, "",
                                  platform::WS_VISIBLE, 10, 40, 200, 24, 0);
    platform::SetFocus(form_.UnitWindow(text));
    form_.Pump();
    form_.Press({0x65});  // keypad 5
    form_.Press({platform::VK_CONTROL, platform::VK_SHIFT, 0x65});
    std::vector<RaisedEvent> downs = EventsOf(text, rt::EVENT_KEY_DOWN);
    ASSERT_EQ(downs.size(), 4u);
    EXPECT_EQ(downs[0].arguments, (std::vector<intptr_t>{0x35, 0}));
    EXPECT_EQ(downs[1].arguments, (std::vector<intptr_t>{0x11, 0}));  // Ctrl alone
    EXPECT_EQ(downs[2].arguments, (std::vector<intptr_t>{0x10, 1}));  // Shift under Ctrl
    EXPECT_EQ(downs[3].arguments, (std::vector<intptr_t>{0x35, 3}));
    std::vector<RaisedEvent> ups = EventsOf(text, rt::EVENT_KEY_UP);
    ASSERT_EQ(ups.size(), 4u);
    EXPECT_EQ(ups[0].arguments, (std::vector<intptr_t>{0x35, 0}));
    EXPECT_EQ(ups[1].arguments, (std::vector<intptr_t>{0x35, 3}));
}

TEST_F(UnitEventTest, WheelNotchesRoundTowardZero) {
    uint32_t text = form_.AddUnit(inputtest::kTextType, platform::kEditClass, "",
                                  platform::WS_VISIBLE, 10, 40, 200, 24, 0);
    platform::SetFocus(form_.UnitWindow(text));
    form_.Pump();
    platform::MSG wheel =
        inputtest::Message(form_.UnitWindow(text), platform::WM_MOUSEWHEEL,
                           platform::WPARAM(uint32_t(uint16_t(int16_t(-120))) << 16), 0);
    form_.Translator().PreTranslate(&wheel);
    wheel.wParam = platform::WPARAM(uint32_t(uint16_t(int16_t(-119))) << 16);
    form_.Translator().PreTranslate(&wheel);
    wheel.wParam = platform::WPARAM(uint32_t(uint16_t(int16_t(360))) << 16);
    form_.Translator().PreTranslate(&wheel);
    std::vector<RaisedEvent> turns = EventsOf(text, rt::EVENT_WHEEL);
    ASSERT_EQ(turns.size(), 3u);
    EXPECT_EQ(turns[0].arguments, (std::vector<intptr_t>{-1, 0}));
    EXPECT_EQ(turns[1].arguments, (std::vector<intptr_t>{0, 0}));
    EXPECT_EQ(turns[2].arguments, (std::vector<intptr_t>{3, 0}));
}

TEST_F(UnitEventTest, UnitsWithoutEventsAndMessagesWithoutEventsRaiseNothing) {
    uint32_t quiet = form_.AddUnit(inputtest::kQuietType, platform::kButtonClass, "Quiet",
                                   platform::WS_VISIBLE, 10, 40, 80, 24, 0);
    form_.Pump();
    platform::InjectClick(form_.UnitWindow(quiet), 3, 3);
    platform::MSG middle =
        inputtest::Message(form_.UnitWindow(quiet), platform::WM_MBUTTONDOWN, 0, 0);
    EXPECT_FALSE(form_.Translator().PreTranslate(&middle));
    form_.Pump();
    EXPECT_TRUE(EventsOf(quiet, rt::EVENT_LEFT_DOWN).empty());
    EXPECT_EQ(Behave().notifications.size(), 1u);  // the click itself went through
}

}  // namespace
