#include "runtime/input/mnemonics.h"

#include <string>

#include "platform/controls/controls.h"
#include "runtime/input/focus_navigation.h"
#include "runtime/input/runtime_text.h"

namespace rt {
namespace {

constexpr uint32_t kButtonKinds =
    TYPE_FLAG_OPTION_BUTTON | TYPE_FLAG_BUTTON | TYPE_FLAG_CHECK_BOX;  // 0x1C00

std::string CaptionOf(platform::HWND hwnd) {
    int length = platform::GetWindowTextLength(hwnd);
    std::string text(size_t(length) + 1, '\0');
    int copied = platform::GetWindowText(hwnd, text.data(), length + 1);
    text.resize(size_t(copied > 0 ? copied : 0));
    return text;
}

}  // namespace

bool CaptionHasMnemonic(std::string_view caption, char character) {
    char lower = (character >= 'A' && character <= 'Z') ? char(character - 'A' + 'a') : character;
    for (size_t at = 0; at < caption.size(); at += RuntimeCharacterLength(caption, at)) {
        if (caption[at] != '&' || at + 1 >= caption.size())
            continue;
        char next = caption[at + 1];
        if (next == '&') {
            ++at;  // a literal ampersand: the pair is skipped whole
            continue;
        }
        if (next == character || next == lower)
            return true;
    }
    return false;
}

int32_t FindMnemonicUnit(const FormInput& input, char character) {
    for (int32_t i = 1; i < input.UnitCount(); ++i) {
        uint32_t flags = input.TypeFlags(i);
        if ((flags & TYPE_FLAG_NO_MNEMONIC) || !(flags & TYPE_FLAGS_MNEMONIC))
            continue;
        if (!CanTakeFocus(input, i))
            continue;
        if (CaptionHasMnemonic(CaptionOf(input.UnitWindow(i)), character))
            return i;
    }
    return -1;
}

bool ActOnMnemonic(const FormInput& input, char character) {
    int32_t index = FindMnemonicUnit(input, character);
    if (index < 0)
        return false;
    uint32_t flags = input.TypeFlags(index);
    platform::HWND hwnd = input.UnitWindow(index);
    if (flags & TYPE_FLAG_CHECK_BOX) {
        platform::LRESULT state = platform::SendMessage(hwnd, platform::BM_GETCHECK, 0, 0);
        platform::SendMessage(
            hwnd, platform::BM_SETCHECK,
            state == platform::BST_CHECKED ? platform::BST_UNCHECKED : platform::BST_CHECKED, 0);
    } else if (flags & TYPE_FLAG_OPTION_BUTTON) {
        SelectOptionButton(input, index);
    }
    if (flags & kButtonKinds) {
        input.RaiseEvent(index, 0, nullptr, 0);
        return true;
    }
    int32_t target = index;
    if (flags & TYPE_FLAG_LABEL) {
        target = -1;
        for (int32_t i = index + 1; i < input.UnitCount() && target < 0; ++i) {
            if (CanTakeFocus(input, i) && !(input.TypeFlags(i) & TYPE_FLAG_LABEL))
                target = i;
        }
    }
    if (target > 0)
        FocusUnit(input, target);
    return true;
}

}  // namespace rt
