// The window's keyboard conventions driven by injected keys: Tab order,
// Enter, Escape, option-button arrows, mnemonics, the free-key rule and
// the accelerator table.
#include <gtest/gtest.h>

#include "platform/menus/menus.h"
#include "runtime/input/unit_events.h"
#include "tests/input/test_form.h"

namespace {

using inputtest::Behave;
using inputtest::RaisedEvent;
using inputtest::TestForm;
using platform::HWND;

class KeyboardTest : public ::testing::Test {
protected:
    uint32_t Button(const char* caption, int32_t tabOrder, uint32_t style = platform::WS_VISIBLE) {
        return form_.AddUnit(inputtest::kButtonType, platform::kButtonClass, caption, style, 10,
                             30 + 30 * int(form_.Record().units.Count()), 80, 24, tabOrder);
    }
    uint32_t Text(int32_t tabOrder) {
        return form_.AddUnit(inputtest::kTextType, platform::kEditClass, "", platform::WS_VISIBLE,
                             120, 30 + 30 * int(form_.Record().units.Count()), 120, 24, tabOrder);
    }
    uint32_t Option(const char* caption, int32_t tabOrder, bool checked = false) {
        uint32_t unit =
            form_.AddUnit(inputtest::kOptionType, platform::kButtonClass, caption,
                          platform::WS_VISIBLE | platform::BS_AUTORADIOBUTTON, 260,
                          30 + 30 * int(form_.Record().units.Count()), 120, 24, tabOrder);
        if (checked)
            platform::SendMessage(form_.UnitWindow(unit), platform::BM_SETCHECK, 1, 0);
        return unit;
    }
    void Focus(uint32_t unit) {
        platform::SetFocus(form_.UnitWindow(unit));
        form_.Pump();
    }
    bool HasFocus(uint32_t unit) { return platform::GetFocus() == form_.UnitWindow(unit); }
    bool Checked(uint32_t unit) {
        return platform::SendMessage(form_.UnitWindow(unit), platform::BM_GETCHECK, 0, 0) == 1;
    }
    std::vector<uint32_t> Raised(int32_t event) {
        std::vector<uint32_t> units;
        for (const RaisedEvent& raised : Behave().log) {
            if (raised.event == event)
                units.push_back(raised.unitId);
        }
        return units;
    }

    rt::ApplicationObject app_;
    TestForm form_{app_};
};

TEST_F(KeyboardTest, TabOrderSkipsHiddenDisabledAndUnorderedUnitsAndWraps) {
    uint32_t first = Button("First", 0);
    uint32_t hidden = Button("Hidden", 1, 0);
    uint32_t disabled = Button("Disabled", 2, platform::WS_VISIBLE | platform::WS_DISABLED);
    uint32_t unordered = Button("Unordered", -1);
    uint32_t last = Text(3);
    (void)hidden;
    (void)disabled;
    (void)unordered;
    Focus(first);
    std::vector<uint32_t> consumed = form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(last));
    EXPECT_EQ(consumed.front(), platform::WM_KEYDOWN);
    form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(first));
    form_.Press({platform::VK_SHIFT, platform::VK_TAB});
    EXPECT_TRUE(HasFocus(last));
    // Tab order, not table order: a later unit with a smaller tab order
    // comes first.
    uint32_t early = Button("Early", 1);
    form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(first));
    form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(early));
    // Tab is consumed: no key event for it reaches the units.
    for (const RaisedEvent& raised : Behave().log)
        EXPECT_FALSE(raised.event == rt::EVENT_KEY_DOWN && raised.arguments[0] == 0x09);
}

TEST_F(KeyboardTest, AUnitThatClaimsTheKeyKeepsIt) {
    uint32_t text = Text(0);
    uint32_t button = Button("Next", 1);
    (void)button;
    Behave().claimedKeys = {0x0009};
    Focus(text);
    std::vector<uint32_t> consumed = form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(text));
    EXPECT_TRUE(consumed.empty());
    ASSERT_EQ(Raised(rt::EVENT_KEY_DOWN), std::vector<uint32_t>{text});
    // Shift+Tab is another key: not claimed, so the focus moves.
    form_.Press({platform::VK_SHIFT, platform::VK_TAB});
    EXPECT_TRUE(HasFocus(button));
}

TEST_F(KeyboardTest, KeysToADisabledWindowPassThroughUntouched) {
    uint32_t first = Button("First", 0);
    uint32_t off = Button("Off", 1, platform::WS_VISIBLE | platform::WS_DISABLED);
    Focus(first);
    platform::ACCEL tab{platform::FVIRTKEY, platform::VK_TAB, 20001};
    form_.Form().input.accelerators =
        reinterpret_cast<rt::NativeHandle>(platform::CreateAcceleratorTable(&tab, 1));
    platform::MSG key =
        inputtest::Message(form_.UnitWindow(off), platform::WM_KEYDOWN, platform::VK_TAB, 1);
    EXPECT_FALSE(form_.Translator().PreTranslate(&key));
    EXPECT_TRUE(HasFocus(first));
    EXPECT_TRUE(Behave().commands.empty());
    EXPECT_TRUE(Behave().log.empty());
    // The same key to an enabled window goes to the accelerator first.
    key.hwnd = form_.UnitWindow(first);
    EXPECT_TRUE(form_.Translator().PreTranslate(&key));
    EXPECT_EQ(Behave().commands,
              std::vector<platform::WPARAM>{platform::WPARAM(platform::MAKELPARAM(20001, 1))});
    platform::DestroyAcceleratorTable(
        reinterpret_cast<platform::HACCEL>(form_.Form().input.accelerators));
    form_.Form().input.accelerators = 0;
}

TEST_F(KeyboardTest, EnterOnAConfirmingUnitRaisesItsEventZero) {
    uint32_t ok = Button("OK", 0);
    Focus(ok);
    std::vector<uint32_t> consumed = form_.Press({platform::VK_RETURN});
    EXPECT_EQ(Raised(0), std::vector<uint32_t>{ok});
    EXPECT_EQ(consumed.front(), platform::WM_KEYDOWN);
    // A button that does not confirm leaves Enter to the window.
    Behave().log.clear();
    Behave().buttonsTakeEnter = 0;
    consumed = form_.Press({platform::VK_RETURN});
    EXPECT_TRUE(Raised(0).empty());
    EXPECT_TRUE(consumed.empty());
}

TEST_F(KeyboardTest, EnterGoesToTheFirstConfirmingUnitOrMovesTheFocus) {
    uint32_t text = Text(0);
    uint32_t other = Text(1);
    uint32_t ok = Button("OK", 2);
    uint32_t cancel = Button("Cancel", 3);
    (void)cancel;
    Focus(text);
    form_.Press({platform::VK_RETURN});
    EXPECT_EQ(Raised(0), std::vector<uint32_t>{ok});
    EXPECT_TRUE(HasFocus(text));

    Behave().log.clear();
    form_.Form().input.enterMovesFocus = 1;
    form_.Press({platform::VK_RETURN});
    EXPECT_TRUE(HasFocus(other));
    EXPECT_TRUE(Raised(0).empty());
}

TEST_F(KeyboardTest, WithNoUnitToTakeItEnterIsNotConsumed) {
    uint32_t text = Text(0);
    Focus(text);
    std::vector<uint32_t> consumed = form_.Press({platform::VK_RETURN});
    EXPECT_TRUE(consumed.empty());
    EXPECT_EQ(Raised(rt::EVENT_KEY_DOWN), std::vector<uint32_t>{text});
}

TEST_F(KeyboardTest, EscapeClosesOnlyWhenTheWindowSaysSo) {
    uint32_t text = Text(0);
    Focus(text);
    form_.Press({platform::VK_ESCAPE});
    EXPECT_FALSE(Behave().closeRequested);
    EXPECT_TRUE(platform::IsWindow(form_.Window()));
    EXPECT_EQ(Raised(rt::EVENT_KEY_DOWN), std::vector<uint32_t>{text});

    form_.Form().input.escapeCloses = 1;
    form_.Press({platform::VK_ESCAPE});
    EXPECT_TRUE(Behave().closeRequested);
    EXPECT_FALSE(platform::IsWindow(form_.Window()));
}

TEST_F(KeyboardTest, OptionButtonsAreOneTabStopAndArrowsSelectWithinTheGroup) {
    uint32_t before = Text(0);
    uint32_t small = Option("&Small", 1);
    uint32_t medium = Option("&Medium", 2, true);
    uint32_t large = Option("&Large", 3);
    uint32_t after = Text(4);
    Focus(before);
    form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(medium));
    form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(after));
    form_.Press({platform::VK_SHIFT, platform::VK_TAB});
    EXPECT_TRUE(HasFocus(medium));

    form_.Press({platform::VK_DOWN});
    EXPECT_TRUE(HasFocus(large));
    EXPECT_TRUE(Checked(large));
    EXPECT_FALSE(Checked(medium));
    form_.Press({platform::VK_RIGHT});  // wraps
    EXPECT_TRUE(HasFocus(small));
    EXPECT_TRUE(Checked(small));
    EXPECT_FALSE(Checked(large));
    form_.Press({platform::VK_UP});
    EXPECT_TRUE(HasFocus(large));
    EXPECT_EQ(Raised(0), (std::vector<uint32_t>{large, small, large}));
    // Arrows elsewhere are the control's.
    Focus(after);
    EXPECT_TRUE(form_.Press({platform::VK_DOWN}).empty());
}

TEST_F(KeyboardTest, AltMnemonicsMatchEitherLetterCase) {
    uint32_t label = form_.AddUnit(inputtest::kLabelType, platform::kStaticClass,
                                   "&Lower:", platform::WS_VISIBLE, 10, 40, 60, 20, -1);
    uint32_t text = Text(0);
    uint32_t save = Button("&save", 1);
    uint32_t check =
        form_.AddUnit(inputtest::kCheckBoxType, platform::kButtonClass, "&Keep",
                      platform::WS_VISIBLE | platform::BS_AUTOCHECKBOX, 10, 200, 90, 20, 2);
    Focus(save);
    std::vector<uint32_t> consumed = form_.Press({platform::VK_MENU, 'L'});
    EXPECT_TRUE(HasFocus(text));  // a label hands the focus to the unit after it
    EXPECT_NE(std::find(consumed.begin(), consumed.end(), platform::WM_SYSKEYDOWN), consumed.end());
    (void)label;

    form_.Press({platform::VK_MENU, 'S'});
    EXPECT_EQ(Raised(0), std::vector<uint32_t>{save});
    EXPECT_TRUE(HasFocus(text));  // a button is pressed, not focused

    form_.Press({platform::VK_MENU, 'K'});
    EXPECT_TRUE(Checked(check));
    form_.Press({platform::VK_MENU, 'K'});
    EXPECT_FALSE(Checked(check));
    EXPECT_EQ(Raised(0), (std::vector<uint32_t>{save, check, check}));

    // With Ctrl held it is no mnemonic.
    Behave().log.clear();
    form_.Press({platform::VK_CONTROL, platform::VK_MENU, 'S'});
    EXPECT_TRUE(Raised(0).empty());
}

TEST_F(KeyboardTest, HiddenAndDisabledUnitsHaveNoMnemonic) {
    uint32_t hidden = Button("&Hidden", 0, 0);
    uint32_t off = Button("&Off", 1, platform::WS_VISIBLE | platform::WS_DISABLED);
    uint32_t text = Text(2);
    (void)hidden;
    (void)off;
    Focus(text);
    form_.Press({platform::VK_MENU, 'H'});
    form_.Press({platform::VK_MENU, 'O'});
    EXPECT_TRUE(Raised(0).empty());
}

TEST_F(KeyboardTest, AcceleratorsTurnKeysIntoCommands) {
    uint32_t text = Text(0);
    Focus(text);
    platform::ACCEL open{platform::FVIRTKEY | platform::FCONTROL, 'O', 20001};
    form_.Form().input.accelerators =
        reinterpret_cast<rt::NativeHandle>(platform::CreateAcceleratorTable(&open, 1));
    form_.Press({platform::VK_CONTROL, 'O'});
    EXPECT_EQ(Behave().commands,
              std::vector<platform::WPARAM>{platform::WPARAM(platform::MAKELPARAM(20001, 1))});
    // The accelerator took the key before any unit event.
    for (const RaisedEvent& raised : Behave().log)
        EXPECT_FALSE(raised.event == rt::EVENT_KEY_DOWN && raised.arguments[0] == 'O');
    platform::DestroyAcceleratorTable(
        reinterpret_cast<platform::HACCEL>(form_.Form().input.accelerators));
    form_.Form().input.accelerators = 0;
}

TEST_F(KeyboardTest, InputDisabledWindowsKeepOnlyTheirAccelerators) {
    uint32_t first = Button("&First", 0);
    uint32_t second = Button("Second", 1);
    (void)second;
    Focus(first);
    form_.Form().input.inputDisabled = 1;
    form_.Press({platform::VK_TAB});
    form_.Press({platform::VK_MENU, 'F'});
    EXPECT_TRUE(HasFocus(first));
    EXPECT_TRUE(Behave().log.empty());
}

TEST_F(KeyboardTest, PreFiltersSeeMessagesFirstAndMayConsumeThem) {
    uint32_t filtered = form_.AddUnit(inputtest::kFilteredType, platform::kStaticClass, "",
                                      platform::WS_VISIBLE, 10, 40, 60, 20, -1);
    uint32_t first = Button("First", 0);
    uint32_t second = Button("Second", 1);
    (void)filtered;
    (void)second;
    Focus(first);
    Behave().filterConsumes = true;
    form_.Press({platform::VK_TAB});
    EXPECT_TRUE(HasFocus(first));
    EXPECT_NE(std::find(Behave().filtered.begin(), Behave().filtered.end(), platform::WM_KEYDOWN),
              Behave().filtered.end());
    EXPECT_TRUE(Behave().log.empty());
}

TEST_F(KeyboardTest, AltLetterWithoutAUnitOpensTheMenuBar) {
    uint32_t text = Text(0);
    platform::HMENU file = platform::CreatePopupMenu();
    platform::AppendMenu(file, platform::MF_STRING, 20001, "&Open");
    platform::AppendMenu(file, platform::MF_STRING, 20002, "&Close");
    platform::HMENU bar = platform::CreateMenu();
    platform::AppendMenu(bar, platform::MF_POPUP, reinterpret_cast<uintptr_t>(file), "&File");
    platform::SetMenu(form_.Window(), bar);
    Focus(text);
    form_.Press({platform::VK_MENU, 'F'});
    EXPECT_EQ(platform::OpenMenuWindows(nullptr, 0), 1);
    form_.Press({platform::VK_DOWN});
    form_.Press({platform::VK_RETURN});
    EXPECT_EQ(platform::OpenMenuWindows(nullptr, 0), 0);
    EXPECT_EQ(Behave().commands, std::vector<platform::WPARAM>{20002});
    // Keys taken by the menu never reached the unit.
    for (const RaisedEvent& raised : Behave().log)
        EXPECT_FALSE(raised.event == rt::EVENT_KEY_DOWN && raised.arguments[0] == 0x28);
    // The letter of an item chooses it.
    form_.Press({platform::VK_MENU, 'F'});
    form_.Press({'O'});
    EXPECT_EQ(Behave().commands, (std::vector<platform::WPARAM>{20002, 20001}));
}

}  // namespace
