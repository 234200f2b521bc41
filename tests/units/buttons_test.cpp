// Push buttons and check boxes: clamped alignment and style bits, the
// ticked state, and a user's click turned into unit events.
#include "tests/units/unit_test_support.h"

namespace {

using namespace unittest;

constexpr uint32_t kButton = 0x16010010;
constexpr uint32_t kCheck = 0x16011718;
constexpr uint32_t kButtonType = units::kPushButtonType;
constexpr uint32_t kCheckType = units::kCheckBoxType;

EventLog g_log;
uint64_t g_tickedDuringChange = 99;
rt::WindowObject* g_checkBox = nullptr;

void LogButtonClick(rt::EventInvocation*) {
    g_log.calls.push_back({kButton, 0});
}
void LogCheckClick(rt::EventInvocation*) {
    g_log.calls.push_back({kCheck, 0});
}
void LogCheckChange(rt::EventInvocation*) {
    g_log.calls.push_back({kCheck, 1});
    g_tickedDuringChange = rt::GetUnitProperty(kCheckType, g_checkBox, 18, -1);
}

class ButtonsTest : public UnitTest {
protected:
    void SetUp() override {
        UnitTest::SetUp();
        g_log = {};
        g_tickedDuringChange = 99;
    }
};

TEST_F(ButtonsTest, AClickOnAPushButtonRaisesItsEventZero) {
    rt::WindowObject* button =
        Make(kButtonType, kButton, BlockBuilder().Text(0, "Convert a folder").Finish(), 10, 10, 120,
             30, WS_VISIBLE | WS_TABSTOP, {{0, reinterpret_cast<uintptr_t>(&LogButtonClick)}});
    ASSERT_NE(button, nullptr);
    char caption[64] = {};
    GetWindowText(WindowOf(button), caption, sizeof caption);
    EXPECT_STREQ(caption, "Convert a folder");
    Click(button, 60, 15);
    EXPECT_EQ(g_log.CountOf(kButton, 0), 1);
    EXPECT_EQ(g_log.calls.size(), 1u);
    // An enabled button takes Enter; a disabled one does not.
    auto takesEnter = Entry<rt::UnitTakesEnterRoutine>(kButtonType, rt::UNIT_ENTRY_TAKES_ENTER);
    ASSERT_NE(takesEnter, nullptr);
    EXPECT_EQ(takesEnter(button), 1);
    EnableWindow(WindowOf(button), false);
    EXPECT_EQ(takesEnter(button), 0);
}

TEST_F(ButtonsTest, PushButtonStyleBitsFollowTheirProperties) {
    rt::WindowObject* button = Make(kButtonType, kButton, {}, 10, 10, 120, 30);
    EXPECT_EQ(StyleOf(button) & 0xF00, 0x300u | 0xC00u);  // centred both ways by default
    Set(kButtonType, button, 11, 7);                      // horizontal alignment
    EXPECT_EQ(Get(kButtonType, button, 11), 2u);
    EXPECT_EQ(StyleOf(button) & 0x300, 0x200u);
    Set(kButtonType, button, 12, uint32_t(-3));  // vertical alignment
    EXPECT_EQ(Get(kButtonType, button, 12), 0u);
    EXPECT_EQ(StyleOf(button) & 0xC00, 0x400u);
    Set(kButtonType, button, 9, 5);  // default button, clamped to 1
    EXPECT_EQ(Get(kButtonType, button, 9), 1u);
    EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    Set(kButtonType, button, 9, 0);
    EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_NE(StyleOf(button) & WS_VISIBLE, 0u);  // the window bits are left alone
}

TEST_F(ButtonsTest, ATickedStateOfTwoIsStoredButShowsNoTick) {
    rt::WindowObject* box = Make(kCheckType, kCheck, {}, 10, 50, 150, 20);
    Set(kCheckType, box, 18, 2);
    EXPECT_EQ(Get(kCheckType, box, 18), 2u);
    EXPECT_EQ(SendMessage(WindowOf(box), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Set(kCheckType, box, 18, 1);
    EXPECT_EQ(SendMessage(WindowOf(box), BM_GETCHECK, 0, 0), BST_CHECKED);
    Set(kCheckType, box, 18, 0);
    EXPECT_EQ(SendMessage(WindowOf(box), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // A tick made without the unit (a mnemonic) is what the property reads.
    SendMessage(WindowOf(box), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(Get(kCheckType, box, 18), 1u);
}

TEST_F(ButtonsTest, CheckBoxAlignmentAndSwitchesChangeOnlyTheirBits) {
    rt::WindowObject* box = Make(kCheckType, kCheck, {}, 10, 50, 150, 20);
    uint32_t before = StyleOf(box);
    Set(kCheckType, box, 13, 7);  // horizontal alignment
    EXPECT_EQ(Get(kCheckType, box, 13), 2u);
    EXPECT_EQ(StyleOf(box), (before & ~0x300u) | 0x200u);
    Set(kCheckType, box, 9, 2);  // push-like counts only when 1
    EXPECT_EQ(StyleOf(box) & BS_PUSHLIKE, 0u);
    EXPECT_EQ(Get(kCheckType, box, 9), 2u);
    Set(kCheckType, box, 9, 1);
    EXPECT_EQ(StyleOf(box) & BS_PUSHLIKE, BS_PUSHLIKE);
    Set(kCheckType, box, 12, 1);  // caption on the left
    EXPECT_EQ(StyleOf(box) & BS_LEFTTEXT, BS_LEFTTEXT);
    EXPECT_EQ(StyleOf(box) & BS_TYPEMASK, BS_AUTOCHECKBOX);
}

TEST_F(ButtonsTest, AUserClickRaisesClickThenChangeOnceWithTheNewStateStored) {
    g_checkBox = Make(kCheckType, kCheck, BlockBuilder().Text(0, "Keep on top").Finish(), 10, 50,
                      150, 20, WS_VISIBLE | WS_TABSTOP,
                      {{0, reinterpret_cast<uintptr_t>(&LogCheckClick)},
                       {1, reinterpret_cast<uintptr_t>(&LogCheckChange)}});
    ASSERT_NE(g_checkBox, nullptr);
    Click(g_checkBox, 8, 10);
    ASSERT_EQ(g_log.calls.size(), 2u);
    EXPECT_EQ(g_log.calls[0], std::make_pair(kCheck, 0));
    EXPECT_EQ(g_log.calls[1], std::make_pair(kCheck, 1));
    EXPECT_EQ(g_tickedDuringChange, 1u);
    EXPECT_EQ(Get(kCheckType, g_checkBox, 18), 1u);
    Click(g_checkBox, 8, 10);
    EXPECT_EQ(g_log.CountOf(kCheck, 1), 2);
    EXPECT_EQ(g_tickedDuringChange, 0u);
    // Written by the program, the state changes without an event.
    Set(kCheckType, g_checkBox, 18, 1);
    EXPECT_EQ(g_log.calls.size(), 4u);
    g_checkBox = nullptr;
}

TEST_F(ButtonsTest, SavedPropertiesMakeTheSameUnitAgain) {
    rt::WindowObject* box = Make(kCheckType, kCheck, {}, 10, 50, 150, 20);
    SetText(kCheckType, box, 8, "Option");
    Set(kCheckType, box, 14, 2);        // vertical alignment
    Set(kCheckType, box, 18, 2);        // ticked state
    SetText(kCheckType, box, 19, "x");  // a kept text
    auto save = Entry<rt::UnitSavePropertiesRoutine>(kCheckType, rt::UNIT_ENTRY_SAVE_PROPERTIES);
    uint32_t length = 0;
    uint8_t* block = save(box, &length);
    ASSERT_NE(block, nullptr);
    std::vector<uint8_t> saved(block, block + length);
    rt::RtFree(block);

    rt::WindowObject* copy = Make(kCheckType, 0x16011719, saved, 10, 80, 150, 20);
    EXPECT_EQ(GetText(kCheckType, copy, 8), "Option");
    EXPECT_EQ(Get(kCheckType, copy, 14), 2u);
    EXPECT_EQ(Get(kCheckType, copy, 18), 2u);
    EXPECT_EQ(GetText(kCheckType, copy, 19), "x");
    EXPECT_EQ(StyleOf(copy) & 0xC00, 0x800u);
    EXPECT_EQ(SendMessage(WindowOf(copy), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

}  // namespace
