#include "runtime/input/unit_events.h"

#include "runtime/input/key_code.h"

namespace rt {

int32_t UnitInputEventOf(uint32_t message) {
    switch (message) {
        case platform::WM_LBUTTONDOWN:
            return EVENT_LEFT_DOWN;
        case platform::WM_LBUTTONUP:
            return EVENT_LEFT_UP;
        case platform::WM_LBUTTONDBLCLK:
            return EVENT_LEFT_DOUBLE_CLICK;
        case platform::WM_RBUTTONDOWN:
            return EVENT_RIGHT_DOWN;
        case platform::WM_RBUTTONUP:
            return EVENT_RIGHT_UP;
        case platform::WM_MOUSEMOVE:
            return EVENT_MOUSE_MOVE;
        case platform::WM_KEYDOWN:
        case platform::WM_SYSKEYDOWN:
            return EVENT_KEY_DOWN;
        case platform::WM_KEYUP:
        case platform::WM_SYSKEYUP:
            return EVENT_KEY_UP;
        case platform::WM_CHAR:
            return EVENT_CHARACTER;
        case platform::WM_MOUSEWHEEL:
            return EVENT_WHEEL;
        default:
            return 0;
    }
}

bool RaiseUnitInputEvent(const FormInput& input, platform::MSG* msg) {
    int32_t event = UnitInputEventOf(msg->message);
    if (event == 0 || !input.Record())
        return false;
    int32_t unit = msg->hwnd == input.Window() ? 0 : input.UnitOfWindow(msg->hwnd);
    if (unit < 0)
        return false;
    // A window unit has one handler for all its events, its load handler,
    // and is not told which event it runs for: a mouse move must not load
    // the window again.
    if (input.Unit(unit).TypeId() == WINDOW_UNIT_TYPE)
        return false;

    uintptr_t arguments[3] = {};
    int32_t count = 0;
    switch (event) {
        case EVENT_KEY_DOWN:
        case EVENT_KEY_UP: {
            uint32_t code = event == EVENT_KEY_DOWN ? KeyCodeOf(*msg) : KeyUpCodeOf(*msg);
            arguments[0] = code & KEY_CODE_KEY_MASK;
            arguments[1] = uintptr_t(ShiftStateOfKeyCode(code));
            count = 2;
            break;
        }
        case EVENT_CHARACTER:
            arguments[0] = msg->wParam;
            count = 1;
            break;
        case EVENT_WHEEL: {
            // C++ division rounds toward zero, as the notch count must.
            int32_t delta = int16_t(platform::HIWORD(msg->wParam));
            arguments[0] = uintptr_t(intptr_t(delta / platform::WHEEL_DELTA));
            arguments[1] = uintptr_t(CurrentShiftState());
            count = 2;
            break;
        }
        default:
            arguments[0] = platform::LOWORD(uintptr_t(msg->lParam));
            arguments[1] = platform::HIWORD(uintptr_t(msg->lParam));
            arguments[2] = uintptr_t(CurrentShiftState());
            count = 3;
            break;
    }

    bool hasResult = false;
    intptr_t result = 0;
    if (!input.RaiseEvent(unit, event, arguments, count, &hasResult, &result) || !hasResult)
        return false;
    if (result == 0)
        return true;
    if (event == EVENT_CHARACTER)
        msg->wParam = platform::WPARAM(result);
    return false;
}

}  // namespace rt
