#include "runtime/input/key_code.h"

namespace rt {
namespace {

bool KeyDown(int virtualKey) {
    return platform::GetKeyState(virtualKey) < 0;
}

uint32_t FromMessage(const platform::MSG& msg) {
    return MakeKeyCode(uint32_t(msg.wParam & 0xFF), KeyDown(platform::VK_CONTROL),
                       KeyDown(platform::VK_SHIFT), KeyDown(platform::VK_MENU));
}

}  // namespace

uint32_t MakeKeyCode(uint32_t virtualKey, bool ctrl, bool shift, bool alt) {
    uint32_t key = virtualKey & 0xFF;
    if (key >= platform::VK_NUMPAD0 && key <= platform::VK_NUMPAD0 + 9) {
        key = key - platform::VK_NUMPAD0 + '0';
    } else if (key == platform::VK_SUBTRACT || key == platform::VK_DECIMAL ||
               key == platform::VK_DIVIDE) {
        // 0x6D, 0x6E, 0x6F -> 0xBD, 0xBE, 0xBF: the same keys of the main
        // keyboard.
        key += 0x50;
    }
    uint32_t code = key;
    if (ctrl && virtualKey != platform::VK_CONTROL)
        code += KEY_CODE_CTRL;
    if (shift && virtualKey != platform::VK_SHIFT)
        code += KEY_CODE_SHIFT;
    if (alt && virtualKey != platform::VK_MENU)
        code += KEY_CODE_ALT;
    return code;
}

uint32_t KeyCodeOf(const platform::MSG& msg) {
    if (msg.message != platform::WM_KEYDOWN && msg.message != platform::WM_SYSKEYDOWN)
        return 0;
    return FromMessage(msg);
}

uint32_t KeyUpCodeOf(const platform::MSG& msg) {
    if (msg.message != platform::WM_KEYUP && msg.message != platform::WM_SYSKEYUP)
        return 0;
    return FromMessage(msg);
}

int32_t ShiftStateOfKeyCode(uint32_t keyCode) {
    int32_t state = 0;
    if (keyCode & KEY_CODE_CTRL)
        state += SHIFT_STATE_CTRL;
    if (keyCode & KEY_CODE_SHIFT)
        state += SHIFT_STATE_SHIFT;
    if (keyCode & KEY_CODE_ALT)
        state += SHIFT_STATE_ALT;
    return state;
}

int32_t CurrentShiftState() {
    int32_t state = 0;
    if (KeyDown(platform::VK_CONTROL))
        state += SHIFT_STATE_CTRL;
    if (KeyDown(platform::VK_SHIFT))
        state += SHIFT_STATE_SHIFT;
    if (KeyDown(platform::VK_MENU))
        state += SHIFT_STATE_ALT;
    return state;
}

}  // namespace rt
