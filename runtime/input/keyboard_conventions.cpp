#include "runtime/input/keyboard_conventions.h"

#include "runtime/input/focus_navigation.h"
#include "runtime/input/help_file.h"
#include "runtime/input/key_code.h"
#include "runtime/input/mnemonics.h"

namespace rt {
namespace {

// A button unit that confirms it takes Enter (type operation 10).
bool TakesEnter(const FormInput& input, int32_t index) {
    if (!(input.TypeFlags(index) & TYPE_FLAG_BUTTON) || !CanTakeFocus(input, index))
        return false;
    auto takes =
        reinterpret_cast<UnitTakesEnterRoutine>(input.TypeOperation(index, UNIT_ENTRY_TAKES_ENTER));
    return takes && takes(input.Unit(index).Object()) == 1;
}

bool Enter(const FormInput& input) {
    int32_t focused = input.UnitContaining(platform::GetFocus());
    if (focused > 0 && TakesEnter(input, focused)) {
        input.RaiseEvent(focused, 0, nullptr, 0);
        return true;
    }
    if (input.Form().input.enterMovesFocus == 1) {
        MoveFocus(input, false);
        return true;
    }
    for (int32_t i = 1; i < input.UnitCount(); ++i) {
        if (TakesEnter(input, i)) {
            input.RaiseEvent(i, 0, nullptr, 0);
            return true;
        }
    }
    return false;
}

bool Arrow(const FormInput& input, platform::HWND target, uint32_t keyCode) {
    int32_t unit = target == input.Window() ? -1 : input.UnitOfWindow(target);
    if (unit <= 0 || !(input.TypeFlags(unit) & TYPE_FLAG_OPTION_BUTTON))
        return false;
    bool forward = keyCode == platform::VK_RIGHT || keyCode == platform::VK_DOWN;
    int32_t next = OptionGroupNeighbour(input, unit, forward ? 1 : -1);
    if (next != unit) {
        FocusUnit(input, next);
        SelectOptionButton(input, next);
        input.RaiseEvent(next, 0, nullptr, 0);
    }
    return true;
}

void Help(const FormInput& input) {
    FormInputSettings& settings = input.Form().input;
    if (ShowHelp(input.App(), settings.helpFile, settings.helpContext))
        settings.helpShown = 1;
}

bool IsMnemonicKey(uint32_t keyCode) {
    uint32_t key = keyCode & 0xFF;
    bool letterOrDigit = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    return letterOrDigit && (keyCode & 0xE000) == KEY_CODE_ALT;
}

}  // namespace

bool KeyIsFree(const FormInput& input, uint32_t keyCode) {
    int32_t focused = input.UnitContaining(platform::GetFocus());
    if (focused <= 0)
        return true;
    auto claims =
        reinterpret_cast<UnitClaimsKeyRoutine>(input.TypeOperation(focused, UNIT_ENTRY_CLAIMS_KEY));
    return !(claims && claims(input.Unit(focused).Object(), keyCode) == 1);
}

bool ApplyKeyboardConventions(const FormInput& input, platform::MSG* msg, uint32_t keyCode) {
    const FormInputSettings& settings = input.Form().input;
    switch (keyCode) {
        case KEY_TAB:
        case KEY_SHIFT_TAB:
            if (!KeyIsFree(input, keyCode))
                return false;
            MoveFocus(input, keyCode == KEY_SHIFT_TAB);
            return true;
        case KEY_ENTER:
            return KeyIsFree(input, keyCode) && Enter(input);
        case KEY_ESCAPE:
            if (settings.escapeCloses != 1 || !KeyIsFree(input, keyCode))
                return false;
            platform::SendMessage(input.Window(), platform::WM_CLOSE, 0, 0);
            return true;
        case platform::VK_LEFT:
        case platform::VK_UP:
        case platform::VK_RIGHT:
        case platform::VK_DOWN:
            return Arrow(input, msg->hwnd, keyCode);
        case KEY_F1:
            if (settings.f1Help != 1 || !KeyIsFree(input, keyCode))
                return false;
            Help(input);
            return true;
        default:
            break;
    }
    if (IsMnemonicKey(keyCode) && KeyIsFree(input, keyCode))
        return ActOnMnemonic(input, char(keyCode & 0xFF));
    return false;
}

}  // namespace rt
