// "ComboBox": an edit field or a selection field over a list. The simple
// kind shows its list below the field all the time; the drop-down kinds
// show it in a pop-up window below the control while it is open. The
// items live in the list box; the combo box forwards its item messages.
#include <algorithm>

#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"
#include "platform/controls/listbox_internal.h"

namespace platform::controls {
namespace {

constexpr int kButtonWidth = 18;

struct ComboState : ControlState {
    HWND edit = nullptr;
    HWND list = nullptr;
    int fieldHeight = 0;
    int listHeight = 0;
    bool dropped = false;
    int selectionBeforeDrop = -1;
    bool focusReturning = false;
};

uint32_t Kind(HWND hwnd) {
    return uint32_t(GetWindowLong(hwnd, GWL_STYLE)) & CBS_KINDMASK;
}
bool IsSimple(HWND hwnd) {
    return Kind(hwnd) == CBS_SIMPLE;
}
bool IsDropList(HWND hwnd) {
    return Kind(hwnd) == CBS_DROPDOWNLIST;
}

int Current(ComboState* state) {
    return int(SendMessage(state->list, LB_GETCURSEL, 0, 0));
}

std::string ItemText(ComboState* state, int index) {
    LRESULT length = SendMessage(state->list, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length < 0)
        return {};
    std::string text(size_t(length) + 1, '\0');
    SendMessage(state->list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(size_t(length));
    return text;
}

// Shows the current item in the field.
void ShowCurrent(HWND hwnd, ComboState* state) {
    int current = Current(state);
    std::string text = current >= 0 ? ItemText(state, current) : std::string();
    DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (state->edit) {
        SetWindowText(state->edit, text.c_str());
        SendMessage(state->edit, EM_SETSEL, 0, -1);
    }
    InvalidateRect(hwnd, nullptr, true);
}

void CloseUp(HWND hwnd, ComboState* state) {
    if (!state->dropped)
        return;
    state->dropped = false;
    SendMessage(state->list, kListSetDropMode, 0, 0);
    if (GetCapture() == state->list)
        ReleaseCapture();
    ShowWindow(state->list, SW_HIDE);
    // A click on the list may have activated it; the focus comes home.
    HWND focus = GetFocus();
    if (!focus || focus == state->list) {
        HWND root = GetAncestor(hwnd, GA_ROOT);
        if (root && GetActiveWindow() != root)
            SetActiveWindow(root);
        state->focusReturning = true;
        SetFocus(state->edit ? state->edit : hwnd);
        state->focusReturning = false;
    }
    InvalidateRect(hwnd, nullptr, true);
    NotifyParent(hwnd, CBN_CLOSEUP);
}

void RunDropLoop(HWND hwnd, ComboState* state);

void DropDown(HWND hwnd, ComboState* state) {
    if (state->dropped || IsSimple(hwnd) || !IsWindowEnabled(hwnd))
        return;
    NotifyParent(hwnd, CBN_DROPDOWN);
    RECT client;
    GetClientRect(hwnd, &client);
    POINT below{0, client.bottom};
    ClientToScreen(hwnd, &below);
    int rows = int(SendMessage(state->list, LB_GETCOUNT, 0, 0));
    int itemHeight = int(SendMessage(state->list, LB_GETITEMHEIGHT, 0, 0));
    int height = std::min(state->listHeight, std::max(1, rows) * itemHeight + 2);
    MoveWindow(state->list, below.x, below.y, client.right, height, true);
    state->selectionBeforeDrop = Current(state);
    state->dropped = true;
    SendMessage(state->list, kListSetDropMode, 1, reinterpret_cast<LPARAM>(hwnd));
    ShowWindow(state->list, SW_SHOWNA);
    SetCapture(state->list);
    InvalidateRect(hwnd, nullptr, true);
    RunDropLoop(hwnd, state);
}

// With a display the open list is modal: a click outside it closes it.
// The list is a window of its own, so its mouse capture cannot see such
// clicks; without a display, injected input reaches the list directly.
void RunDropLoop(HWND hwnd, ComboState* state) {
    if (CurrentPresentationMode() != PresentationMode::Display)
        return;
    MSG msg;
    while (IsWindow(hwnd) && state->dropped) {
        if (!GetMessage(&msg, nullptr, 0, 0)) {
            PostQuitMessage(int(msg.wParam));
            SendMessage(hwnd, kComboListCancelled, 0, 0);
            break;
        }
        bool buttonDown = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
                          msg.message == WM_NCLBUTTONDOWN;
        if (buttonDown && msg.hwnd != state->list) {
            SendMessage(hwnd, kComboListCancelled, 0, 0);
            if (msg.hwnd == hwnd)
                continue;  // the click that closes goes no further
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

// A user's change of the current item, by keys or by the list.
void UserSelect(HWND hwnd, ComboState* state, int index) {
    if (index == Current(state))
        return;
    SendMessage(state->list, LB_SETCURSEL, WPARAM(index), 0);
    ShowCurrent(hwnd, state);
    NotifyParent(hwnd, CBN_SELCHANGE);
}

void Chosen(HWND hwnd, ComboState* state, int index) {
    // The list already shows the tracked item: compare against the item
    // current when the list opened.
    SendMessage(state->list, LB_SETCURSEL, WPARAM(state->selectionBeforeDrop), 0);
    CloseUp(hwnd, state);
    NotifyParent(hwnd, CBN_SELENDOK);
    UserSelect(hwnd, state, index);
}

void Cancelled(HWND hwnd, ComboState* state) {
    SendMessage(state->list, LB_SETCURSEL, WPARAM(state->selectionBeforeDrop), 0);
    CloseUp(hwnd, state);
    NotifyParent(hwnd, CBN_SELENDCANCEL);
}

bool KeyDown(HWND hwnd, ComboState* state, WPARAM key) {
    bool alt = GetKeyState(VK_MENU) < 0;
    if (key == VK_F1 + 3 || ((key == VK_DOWN || key == VK_UP) && alt)) {  // F4, Alt+arrows
        if (state->dropped) {
            Chosen(hwnd, state, Current(state));
        } else {
            DropDown(hwnd, state);
        }
        return true;
    }
    if (state->dropped) {
        if (key == VK_RETURN) {
            Chosen(hwnd, state, Current(state));
            return true;
        }
        if (key == VK_ESCAPE) {
            Cancelled(hwnd, state);
            return true;
        }
        SendMessage(state->list, WM_KEYDOWN, key, 0);
        return true;
    }
    int count = int(SendMessage(state->list, LB_GETCOUNT, 0, 0));
    if (count == 0)
        return false;
    int current = Current(state);
    switch (key) {
        case VK_UP:
            UserSelect(hwnd, state, std::max(0, current - 1));
            return true;
        case VK_DOWN:
            UserSelect(hwnd, state, std::min(count - 1, current + 1));
            return true;
        case VK_HOME:
            if (IsDropList(hwnd))
                UserSelect(hwnd, state, 0);
            return IsDropList(hwnd);
        case VK_END:
            if (IsDropList(hwnd))
                UserSelect(hwnd, state, count - 1);
            return IsDropList(hwnd);
        default:
            return false;
    }
}

// The edit field of a combo box passes the list keys to the combo box.
LRESULT ComboEditProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    HWND combo = GetParent(hwnd);
    if (message == WM_KEYDOWN && combo) {
        if (auto* state = StateOf<ComboState>(combo)) {
            if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_F1 + 3 ||
                (state->dropped && (wParam == VK_RETURN || wParam == VK_ESCAPE))) {
                if (KeyDown(combo, state, wParam))
                    return 0;
            }
        }
    }
    return CallWindowProc(EditWindowProc(), hwnd, message, wParam, lParam);
}

void Layout(HWND hwnd, ComboState* state) {
    RECT client;
    GetClientRect(hwnd, &client);
    int field = state->fieldHeight;
    if (IsSimple(hwnd)) {
        if (state->edit)
            MoveWindow(state->edit, 0, 0, client.right, field, true);
        MoveWindow(state->list, 0, field, client.right, std::max(0, int(client.bottom) - field),
                   true);
    } else if (state->edit) {
        MoveWindow(state->edit, 0, 0, std::max(0, int(client.right) - kButtonWidth), client.bottom,
                   true);
    }
}

void Create(HWND hwnd, ComboState* state, const CREATESTRUCT* create) {
    uint32_t style = create->style;
    const TEXTMETRIC metrics = ControlFontMetrics(hwnd);
    state->fieldHeight = int(metrics.tmHeight) + 8;
    uint32_t kind = style & CBS_KINDMASK;
    void* instance = create->hInstance;
    if (kind != CBS_DROPDOWNLIST) {
        uint32_t editStyle = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
        state->edit =
            CreateWindowEx(0, kEditClass, "", editStyle, 0, 0, 10, 10, hwnd,
                           reinterpret_cast<void*>(intptr_t(kComboEditId)), instance, nullptr);
        if (state->edit)
            SetWindowLongPtr(state->edit, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&ComboEditProc));
    }
    uint32_t listStyle = LBS_NOTIFY | WS_VSCROLL | ((style & CBS_SORT) ? LBS_SORT : 0);
    if (kind == CBS_SIMPLE) {
        state->list = CreateWindowEx(0, kListBoxClass, "", listStyle | WS_CHILD | WS_VISIBLE, 0, 0,
                                     10, 10, hwnd, reinterpret_cast<void*>(intptr_t(kComboListId)),
                                     instance, nullptr);
    } else {
        // The creation height is the height with the list open.
        state->listHeight =
            std::max(create->cy - state->fieldHeight, 3 * (int(metrics.tmHeight) + 4) + 2);
        state->list = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kListBoxClass, "",
                                     listStyle | WS_POPUP, 0, 0, create->cx, state->listHeight,
                                     nullptr, nullptr, instance, nullptr);
        if (state->list) {
            if (auto* listState = StateOf<ControlState>(state->list))
                listState->notifyTarget = hwnd;
        }
        SetWindowPos(hwnd, nullptr, 0, 0, create->cx, state->fieldHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Layout(hwnd, state);
}

void Paint(HWND hwnd, ComboState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    bool enabled = IsWindowEnabled(hwnd);
    if (IsSimple(hwnd)) {
        PaintParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, client, colors::kFace);
        EndPaint(hwnd, &paint);
        return;
    }
    bool dropList = IsDropList(hwnd);
    PaintParentBackground(hwnd, dc, dropList ? WM_CTLCOLORBTN : WM_CTLCOLOREDIT, client,
                          dropList ? RGB(225, 225, 225) : colors::kField);
    COLORREF textColor = enabled ? GetTextColor(dc) : colors::kGrayText;
    bool focused = GetFocus() == hwnd;
    RECT button{client.right - kButtonWidth, client.top, client.right, client.bottom};
    if (state->dropped)
        FillSolid(dc, button, colors::kFacePushed);
    DrawArrow(dc, button, Arrow::Down, enabled ? colors::kText : colors::kGrayText);
    if (dropList) {
        RECT text{client.left + 2, client.top + 2, button.left - 1, client.bottom - 2};
        std::string current = WindowText(hwnd);
        if (focused && !state->dropped) {
            FillSolid(dc, text, colors::kSelection);
            textColor = colors::kSelectionText;
        }
        RECT inset = text;
        inset.left += 3;
        DrawControlText(hwnd, dc, current, inset, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX,
                        textColor);
        if (focused)
            DrawFocusRect(dc, &text);
    }
    FrameSolid(dc, client,
               (focused || state->dropped) && enabled ? colors::kAccent : colors::kBorder);
    EndPaint(hwnd, &paint);
}

LRESULT ForwardToList(ComboState* state, uint32_t message, WPARAM wParam, LPARAM lParam) {
    static constexpr struct {
        uint32_t combo, list;
    } kMap[] = {{CB_ADDSTRING, LB_ADDSTRING},
                {CB_DELETESTRING, LB_DELETESTRING},
                {CB_GETCOUNT, LB_GETCOUNT},
                {CB_GETCURSEL, LB_GETCURSEL},
                {CB_GETLBTEXT, LB_GETTEXT},
                {CB_GETLBTEXTLEN, LB_GETTEXTLEN},
                {CB_INSERTSTRING, LB_INSERTSTRING},
                {CB_FINDSTRING, LB_FINDSTRING},
                {CB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT},
                {CB_GETITEMDATA, LB_GETITEMDATA},
                {CB_SETITEMDATA, LB_SETITEMDATA}};
    for (const auto& entry : kMap) {
        if (entry.combo == message)
            return SendMessage(state->list, entry.list, wParam, lParam);
    }
    return CB_ERR;
}

LRESULT ComboProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    auto* state = StateOf<ComboState>(hwnd);
    if (!state && message != WM_NCCREATE)
        return DefWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_NCCREATE:
            AttachState(hwnd, new ComboState);
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_CREATE:
            Create(hwnd, state, reinterpret_cast<const CREATESTRUCT*>(lParam));
            return 0;
        case WM_DESTROY:
            // The drop-down list is a window of its own, not a child.
            if (state->list && !IsSimple(hwnd) && IsWindow(state->list))
                DestroyWindow(state->list);
            state->list = nullptr;
            return 0;
        case WM_NCDESTROY:
            DetachState(hwnd);
            return 0;
        case WM_SETFONT:
            state->font = reinterpret_cast<HFONT>(wParam);
            if (state->edit)
                SendMessage(state->edit, WM_SETFONT, wParam, lParam);
            if (state->list)
                SendMessage(state->list, WM_SETFONT, wParam, lParam);
            if (LOWORD(uintptr_t(lParam)))
                InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(state->font);
        case WM_PAINT:
            Paint(hwnd, state);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            Layout(hwnd, state);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_ENABLE:
            if (state->edit)
                EnableWindow(state->edit, wParam != 0);
            if (state->list && IsSimple(hwnd))
                EnableWindow(state->list, wParam != 0);
            if (!wParam)
                CloseUp(hwnd, state);
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_SETFOCUS:
            if (state->edit) {
                SetFocus(state->edit);
                SendMessage(state->edit, EM_SETSEL, 0, -1);
            } else {
                InvalidateRect(hwnd, nullptr, true);
                if (!state->focusReturning)
                    NotifyParent(hwnd, CBN_SETFOCUS);
            }
            return 0;
        case WM_KILLFOCUS:
            // While the list is open the focus may pass to it (or to no
            // window while it is activated): that is not leaving the control.
            if (!state->edit && !state->dropped) {
                InvalidateRect(hwnd, nullptr, true);
                NotifyParent(hwnd, CBN_KILLFOCUS);
            }
            return 0;
        case WM_SETTEXT:
            if (state->edit) {
                DefWindowProc(hwnd, message, wParam, lParam);
                return SetWindowText(state->edit, reinterpret_cast<const char*>(lParam)) ? 1 : 0;
            } else {
                // A selection field shows only items.
                LRESULT found = SendMessage(state->list, LB_FINDSTRINGEXACT, WPARAM(-1), lParam);
                if (found == LB_ERR)
                    return CB_ERR;
                SendMessage(state->list, LB_SETCURSEL, WPARAM(found), 0);
                ShowCurrent(hwnd, state);
                return 1;
            }
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            if (state->edit)
                return SendMessage(state->edit, message, wParam, lParam);
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (IsSimple(hwnd))
                return 0;
            if (!state->edit && GetFocus() != hwnd)
                SetFocus(hwnd);
            if (state->dropped) {
                Cancelled(hwnd, state);
            } else {
                DropDown(hwnd, state);
            }
            return 0;
        case WM_KEYDOWN:
            if (!KeyDown(hwnd, state, wParam))
                return DefWindowProc(hwnd, message, wParam, lParam);
            return 0;
        case WM_SYSKEYDOWN:
            if ((wParam == VK_DOWN || wParam == VK_UP) && KeyDown(hwnd, state, wParam))
                return 0;
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_CHAR:
            if (state->edit)
                return SendMessage(state->edit, message, wParam, lParam);
            if (wParam >= 0x20 && wParam <= 0x7E) {
                char prefix[2] = {char(wParam), 0};
                LRESULT found = SendMessage(state->list, LB_FINDSTRING, WPARAM(Current(state)),
                                            reinterpret_cast<LPARAM>(prefix));
                if (found != LB_ERR)
                    UserSelect(hwnd, state, int(found));
            }
            return 0;
        case WM_MOUSEWHEEL:
            if (!state->dropped && GetFocus() == hwnd) {
                auto delta = int16_t(HIWORD(wParam));
                KeyDown(hwnd, state, delta > 0 ? VK_UP : VK_DOWN);
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_COMMAND: {
            auto from = reinterpret_cast<HWND>(lParam);
            uint16_t code = HIWORD(wParam);
            if (from == state->edit && state->edit) {
                if (code == EN_CHANGE)
                    NotifyParent(hwnd, CBN_EDITCHANGE);
                if (code == EN_UPDATE)
                    NotifyParent(hwnd, CBN_EDITUPDATE);
                if (code == EN_SETFOCUS && !state->focusReturning)
                    NotifyParent(hwnd, CBN_SETFOCUS);
                if (code == EN_KILLFOCUS && !state->dropped)
                    NotifyParent(hwnd, CBN_KILLFOCUS);
            } else if (from == state->list && IsSimple(hwnd)) {
                if (code == LBN_SELCHANGE) {
                    ShowCurrent(hwnd, state);
                    NotifyParent(hwnd, CBN_SELCHANGE);
                }
                if (code == LBN_DBLCLK)
                    NotifyParent(hwnd, CBN_DBLCLK);
            }
            return 0;
        }
        case kComboListChosen:
            Chosen(hwnd, state, int(wParam));
            return 0;
        case kComboListCancelled:
            Cancelled(hwnd, state);
            return 0;
        case CB_SETCURSEL: {
            LRESULT r = SendMessage(state->list, LB_SETCURSEL, wParam, 0);
            ShowCurrent(hwnd, state);
            return r;
        }
        case CB_SELECTSTRING: {
            LRESULT found = SendMessage(state->list, LB_FINDSTRING, wParam, lParam);
            if (found != LB_ERR) {
                SendMessage(state->list, LB_SETCURSEL, WPARAM(found), 0);
                ShowCurrent(hwnd, state);
            }
            return found;
        }
        case CB_RESETCONTENT:
            SendMessage(state->list, LB_RESETCONTENT, 0, 0);
            ShowCurrent(hwnd, state);
            return 0;
        case CB_DELETESTRING: {
            LRESULT r = SendMessage(state->list, LB_DELETESTRING, wParam, lParam);
            if (!state->edit)
                ShowCurrent(hwnd, state);
            return r;
        }
        case CB_SHOWDROPDOWN:
            if (wParam) {
                DropDown(hwnd, state);
            } else if (state->dropped) {
                Cancelled(hwnd, state);
            }
            return 1;
        case CB_GETDROPPEDSTATE:
            return state->dropped ? 1 : 0;
        case CB_LIMITTEXT:
            if (!state->edit)
                return 0;
            SendMessage(state->edit, EM_LIMITTEXT, wParam, 0);
            return 1;
        case CB_SETEDITSEL:
            if (!state->edit)
                return CB_ERR;
            SendMessage(state->edit, EM_SETSEL,
                        WPARAM(intptr_t(int16_t(LOWORD(uintptr_t(lParam))))),
                        LPARAM(int16_t(HIWORD(uintptr_t(lParam)))));
            return 1;
        case CB_GETEDITSEL:
            if (!state->edit)
                return CB_ERR;
            return SendMessage(state->edit, EM_GETSEL, wParam, lParam);
        case CB_SETITEMHEIGHT:
            if (intptr_t(wParam) == -1) {
                if (lParam <= 0 || lParam > 255)
                    return CB_ERR;
                state->fieldHeight = int(lParam);
                if (!IsSimple(hwnd)) {
                    RECT client;
                    GetClientRect(hwnd, &client);
                    SetWindowPos(hwnd, nullptr, 0, 0, client.right, state->fieldHeight,
                                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                }
                Layout(hwnd, state);
                return 0;
            }
            return SendMessage(state->list, LB_SETITEMHEIGHT, 0, lParam);
        case CB_GETITEMHEIGHT:
            if (intptr_t(wParam) == -1)
                return state->fieldHeight;
            return SendMessage(state->list, LB_GETITEMHEIGHT, 0, 0);
        default:
            if (message >= CB_GETEDITSEL && message <= CB_FINDSTRINGEXACT) {
                return ForwardToList(state, message, wParam, lParam);
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC ComboBoxWindowProc() {
    return ComboProc;
}

}  // namespace platform::controls
