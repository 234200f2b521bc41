// "msctls_updown32": two arrow buttons that step a position within a range,
// optionally attached to a buddy window (usually an edit field) that shows
// the position and that it sits beside.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"

namespace platform::controls {
namespace {

struct UpDownState : ControlState {
    int32_t lower = 0;
    int32_t upper = 100;
    int32_t position = 0;
    int base = 10;
    HWND buddy = nullptr;
    int pressed = 0;  // +1 the up (right) arrow, -1 the down (left) arrow
};

uint32_t Style(HWND hwnd) {
    return uint32_t(GetWindowLong(hwnd, GWL_STYLE));
}
bool Horizontal(HWND hwnd) {
    return Style(hwnd) & UDS_HORZ;
}

std::string FormatPosition(HWND hwnd, UpDownState* state, int32_t value) {
    if (state->base == 16) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%X", unsigned(value));
        return buffer;
    }
    std::string digits = std::to_string(value < 0 ? -int64_t(value) : int64_t(value));
    bool group = !(Style(hwnd) & UDS_NOTHOUSANDS);
    std::string out = value < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (group && i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

// The buddy's text as a position; false when it does not hold a number.
bool ReadBuddy(UpDownState* state, int32_t* out) {
    if (!state->buddy || !IsWindow(state->buddy))
        return false;
    std::string text = WindowText(state->buddy);
    std::string digits;
    for (char c : text) {
        if (c != ',')
            digits += c;
    }
    if (digits.empty())
        return false;
    char* end = nullptr;
    long value = std::strtol(digits.c_str(), &end, state->base == 16 ? 16 : 10);
    if (!end || *end)
        return false;
    *out = int32_t(value);
    return true;
}

int32_t Low(const UpDownState* s) {
    return std::min(s->lower, s->upper);
}
int32_t High(const UpDownState* s) {
    return std::max(s->lower, s->upper);
}

void SetPosition(HWND hwnd, UpDownState* state, int32_t value) {
    state->position = std::clamp(value, Low(state), High(state));
    if ((Style(hwnd) & UDS_SETBUDDYINT) && state->buddy && IsWindow(state->buddy)) {
        SetWindowText(state->buddy, FormatPosition(hwnd, state, state->position).c_str());
    }
}

// Places the control beside its buddy and narrows the buddy to make room.
void AttachBuddy(HWND hwnd, UpDownState* state, HWND buddy) {
    state->buddy = buddy;
    uint32_t style = Style(hwnd);
    if (!buddy || !(style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)))
        return;
    HWND parent = GetParent(hwnd);
    RECT buddyRect;
    GetWindowRect(buddy, &buddyRect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&buddyRect), 2);
    RECT own;
    GetWindowRect(hwnd, &own);
    int width = std::max(16, int(own.right - own.left));
    int height = buddyRect.bottom - buddyRect.top;
    if (style & UDS_ALIGNRIGHT) {
        MoveWindow(buddy, buddyRect.left, buddyRect.top,
                   buddyRect.right - buddyRect.left - width + 1, height, true);
        MoveWindow(hwnd, buddyRect.right - width, buddyRect.top, width, height, true);
    } else {
        MoveWindow(buddy, buddyRect.left + width - 1, buddyRect.top,
                   buddyRect.right - buddyRect.left - width + 1, height, true);
        MoveWindow(hwnd, buddyRect.left, buddyRect.top, width, height, true);
    }
}

// One step up (+1) or down (-1): the parent may change or refuse the
// step through UDN_DELTAPOS, then hears the new position as a scroll.
void Step(HWND hwnd, UpDownState* state, int direction) {
    int32_t current = state->position;
    ReadBuddy(state, &current);
    current = std::clamp(current, Low(state), High(state));
    // "Up" moves towards the upper end even when the range is reversed.
    int delta = state->upper >= state->lower ? direction : -direction;
    NMUPDOWN change;
    change.hdr.hwndFrom = hwnd;
    change.hdr.idFrom = uintptr_t(GetDlgCtrlID(hwnd));
    change.hdr.code = UDN_DELTAPOS;
    change.iPos = current;
    change.iDelta = delta;
    HWND parent = GetParent(hwnd);
    if (parent && SendMessage(parent, WM_NOTIFY, WPARAM(change.hdr.idFrom),
                              reinterpret_cast<LPARAM>(&change))) {
        return;  // the parent refused
    }
    int64_t next = int64_t(current) + change.iDelta;
    if (next > High(state) || next < Low(state)) {
        if (!(Style(hwnd) & UDS_WRAP)) {
            next = std::clamp<int64_t>(next, Low(state), High(state));
        } else {
            next = next > High(state) ? Low(state) : High(state);
        }
    }
    SetPosition(hwnd, state, int32_t(next));
    if (parent) {
        uint32_t scroll = Horizontal(hwnd) ? WM_HSCROLL : WM_VSCROLL;
        SendMessage(parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, uint16_t(state->position)),
                    reinterpret_cast<LPARAM>(hwnd));
        SendMessage(parent, scroll, MAKEWPARAM(SB_ENDSCROLL, uint16_t(state->position)),
                    reinterpret_cast<LPARAM>(hwnd));
    }
}

void Paint(HWND hwnd, UpDownState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    bool enabled = IsWindowEnabled(hwnd);
    bool horizontal = Horizontal(hwnd);
    RECT first = client, second = client;  // up/left, down/right halves
    if (horizontal) {
        first.right = second.left = client.right / 2;
    } else {
        first.bottom = second.top = client.bottom / 2;
    }
    COLORREF arrow = enabled ? colors::kText : colors::kGrayText;
    for (int half = 0; half < 2; ++half) {
        RECT& r = half == 0 ? first : second;
        // The first half steps down when horizontal (left), up when vertical.
        int direction = horizontal ? (half == 0 ? -1 : 1) : (half == 0 ? 1 : -1);
        FillSolid(dc, r, state->pressed == direction ? colors::kFacePushed : RGB(225, 225, 225));
        FrameSolid(dc, r, colors::kBorder);
        Arrow a = horizontal ? (half == 0 ? Arrow::Left : Arrow::Right)
                             : (half == 0 ? Arrow::Up : Arrow::Down);
        DrawArrow(dc, r, a, arrow);
    }
    EndPaint(hwnd, &paint);
}

int DirectionAt(HWND hwnd, LPARAM lParam) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (Horizontal(hwnd))
        return GET_X_LPARAM(lParam) < client.right / 2 ? -1 : 1;
    return GET_Y_LPARAM(lParam) < client.bottom / 2 ? 1 : -1;
}

// The buddy gets the arrow keys when UDS_ARROWKEYS is set.
LRESULT BuddyKeysProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    auto upDown = reinterpret_cast<HWND>(GetProp(hwnd, "PicbatchUpDown"));
    auto original = reinterpret_cast<WNDPROC>(GetProp(hwnd, "PicbatchUpDownProc"));
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN) && upDown &&
        IsWindow(upDown)) {
        if (auto* state = StateOf<UpDownState>(upDown)) {
            Step(upDown, state, wParam == VK_UP ? 1 : -1);
            return 0;
        }
    }
    if (message == WM_NCDESTROY) {
        RemoveProp(hwnd, "PicbatchUpDown");
        RemoveProp(hwnd, "PicbatchUpDownProc");
    }
    return original ? CallWindowProc(original, hwnd, message, wParam, lParam)
                    : DefWindowProc(hwnd, message, wParam, lParam);
}

void HookBuddyKeys(HWND hwnd, HWND buddy) {
    if (!buddy || !(Style(hwnd) & UDS_ARROWKEYS) || GetProp(buddy, "PicbatchUpDownProc"))
        return;
    SetProp(buddy, "PicbatchUpDown", hwnd);
    auto original =
        SetWindowLongPtr(buddy, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&BuddyKeysProc));
    SetProp(buddy, "PicbatchUpDownProc", reinterpret_cast<void*>(original));
}

void SetBuddy(HWND hwnd, UpDownState* state, HWND buddy) {
    AttachBuddy(hwnd, state, buddy);
    HookBuddyKeys(hwnd, buddy);
    if (buddy && (Style(hwnd) & UDS_SETBUDDYINT))
        SetPosition(hwnd, state, state->position);
}

// Every message but the common ones and WM_PAINT (ControlWindowProcedure).
LRESULT UpDownMessage(HWND hwnd, UpDownState* state, uint32_t message, WPARAM wParam,
                      LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            // An automatic buddy is the sibling created just before.
            if (Style(hwnd) & UDS_AUTOBUDDY)
                SetBuddy(hwnd, state, GetWindow(hwnd, GW_HWNDPREV));
            return 0;
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, false);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!IsWindowEnabled(hwnd))
                return 0;
            state->pressed = DirectionAt(hwnd, lParam);
            InvalidateRect(hwnd, nullptr, false);
            SetCapture(hwnd);
            Step(hwnd, state, state->pressed);
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (state->pressed) {
                state->pressed = 0;
                InvalidateRect(hwnd, nullptr, false);
                if (message == WM_LBUTTONUP)
                    ReleaseCapture();
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_UP || wParam == VK_RIGHT)
                Step(hwnd, state, 1);
            if (wParam == VK_DOWN || wParam == VK_LEFT)
                Step(hwnd, state, -1);
            return 0;
        case UDM_SETRANGE:
            state->upper = int16_t(LOWORD(uintptr_t(lParam)));
            state->lower = int16_t(HIWORD(uintptr_t(lParam)));
            state->position = std::clamp(state->position, Low(state), High(state));
            return 0;
        case UDM_GETRANGE:
            return MAKELPARAM(state->upper, state->lower);
        case UDM_SETRANGE32:
            state->lower = int32_t(wParam);
            state->upper = int32_t(lParam);
            state->position = std::clamp(state->position, Low(state), High(state));
            return 0;
        case UDM_GETRANGE32:
            if (wParam)
                *reinterpret_cast<int32_t*>(wParam) = state->lower;
            if (lParam)
                *reinterpret_cast<int32_t*>(lParam) = state->upper;
            return 0;
        case UDM_SETPOS:
        case UDM_SETPOS32: {
            int32_t previous = state->position;
            SetPosition(
                hwnd, state,
                message == UDM_SETPOS ? int16_t(LOWORD(uintptr_t(lParam))) : int32_t(lParam));
            return previous;
        }
        case UDM_GETPOS:
        case UDM_GETPOS32: {
            // With a buddy the position is what the buddy shows; a buddy
            // text that is not a number reports an error.
            bool error = false;
            if (state->buddy && (Style(hwnd) & UDS_SETBUDDYINT)) {
                int32_t value;
                if (ReadBuddy(state, &value)) {
                    state->position = std::clamp(value, Low(state), High(state));
                } else {
                    error = true;
                }
            }
            if (message == UDM_GETPOS32) {
                if (lParam)
                    *reinterpret_cast<int32_t*>(lParam) = error ? 1 : 0;
                return state->position;
            }
            return MAKELPARAM(state->position, error ? 1 : 0);
        }
        case UDM_SETBUDDY: {
            HWND previous = state->buddy;
            SetBuddy(hwnd, state, reinterpret_cast<HWND>(wParam));
            return reinterpret_cast<LRESULT>(previous);
        }
        case UDM_GETBUDDY:
            return reinterpret_cast<LRESULT>(state->buddy);
        case UDM_SETBASE: {
            if (wParam != 10 && wParam != 16)
                return 0;
            int previous = state->base;
            state->base = int(wParam);
            return previous;
        }
        case UDM_GETBASE:
            return state->base;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC UpDownWindowProc() {
    return ControlWindowProcedure<UpDownState, Paint, UpDownMessage>;
}

}  // namespace platform::controls
