#include "platform/dialogs/dialog_navigation.h"

#include <vector>

#include "platform/controls/controls.h"

namespace platform {
namespace {

bool CanFocus(HWND hwnd) {
    return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
           (GetWindowLong(hwnd, GWL_STYLE) & int32_t(WS_TABSTOP));
}

// The direct child of the dialog that holds `hwnd` (a combo box for its
// edit field).
HWND ControlOf(HWND dialog, HWND hwnd) {
    while (hwnd && GetParent(hwnd) != dialog)
        hwnd = GetParent(hwnd);
    return hwnd;
}

HWND DefaultButton(HWND dialog) {
    for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (SendMessage(w, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
            return w;
    }
    return GetDlgItem(dialog, IDOK);
}

bool Press(HWND dialog, HWND button, int id) {
    if (button && !IsWindowEnabled(button))
        return true;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND from, bool previous) {
    std::vector<HWND> stops;
    for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (CanFocus(w) || w == from)
            stops.push_back(w);
    }
    if (stops.empty())
        return nullptr;
    size_t n = stops.size();
    size_t at = 0;
    bool found = false;
    for (size_t i = 0; i < n; ++i) {
        if (stops[i] == from) {
            at = i;
            found = true;
        }
    }
    for (size_t step = found ? 1 : 0; step <= n; ++step) {
        size_t i = previous ? (at + n * 2 - step) % n : (at + step) % n;
        if (CanFocus(stops[i]))
            return stops[i];
    }
    return nullptr;
}

bool IsDialogMessage(HWND dialog, MSG* msg) {
    if (!dialog || !msg || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)))
        return false;
    if (msg->message != WM_KEYDOWN && msg->message != WM_CHAR)
        return false;
    HWND control = ControlOf(dialog, msg->hwnd);
    LRESULT wants = msg->hwnd ? SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, 0) : 0;
    auto key = uint8_t(msg->wParam);
    if (msg->message == WM_CHAR) {
        // The characters of the keys handled at key-down go no further.
        return (key == '\t' && !(wants & DLGC_WANTTAB)) || key == '\r' || key == 27;
    }
    switch (key) {
        case VK_TAB: {
            if (wants & DLGC_WANTTAB)
                return false;
            bool back = GetKeyState(VK_SHIFT) < 0;
            HWND next = GetNextDlgTabItem(dialog, control, back);
            if (next) {
                SetFocus(next);
                if (SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                    SendMessage(next, EM_SETSEL, 0, -1);
            }
            return true;
        }
        case VK_RETURN: {
            // A focused push button is pressed; otherwise the default one.
            LRESULT code = control ? SendMessage(control, WM_GETDLGCODE, 0, 0) : 0;
            if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
                return Press(dialog, control, GetDlgCtrlID(control));
            }
            HWND button = DefaultButton(dialog);
            return Press(dialog, button, button ? GetDlgCtrlID(button) : IDOK);
        }
        case VK_ESCAPE: {
            // An open combo box list takes Escape first.
            if (control && SendMessage(control, CB_GETDROPPEDSTATE, 0, 0) == 1)
                return false;
            return Press(dialog, GetDlgItem(dialog, IDCANCEL), IDCANCEL);
        }
        default:
            return false;
    }
}

}  // namespace platform
