// "ListBox": a scrolling list of texts with single or multiple selection;
// also the list of a combo box, where it tracks the pointer and reports the
// choice to the combo box instead of its parent.
#include <strings.h>
#include <algorithm>
#include <cstring>

#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"
#include "platform/controls/listbox_internal.h"

namespace platform::controls {
namespace {

constexpr int kScrollBarWidth = 14;

struct Item {
    std::string text;
    uintptr_t data = 0;
    bool selected = false;  // multiple selection only
};

struct ListState : ControlState {
    std::vector<Item> items;
    int current = -1;  // the selection (single) or the focused item (multiple)
    int top = 0;
    int itemHeight = 0;  // 0: from the font
    HWND dropOwner = nullptr;
};

uint32_t Style(HWND hwnd) {
    return uint32_t(GetWindowLong(hwnd, GWL_STYLE));
}
bool Multiple(HWND hwnd) {
    return Style(hwnd) & LBS_MULTIPLESEL;
}
int Count(const ListState* s) {
    return int(s->items.size());
}

int ItemHeight(HWND hwnd, ListState* state) {
    if (state->itemHeight > 0)
        return state->itemHeight;
    state->itemHeight = std::max(1, int(ControlFontMetrics(hwnd).tmHeight) + 4);
    return state->itemHeight;
}

int VisibleRows(HWND hwnd, ListState* state) {
    RECT client;
    GetClientRect(hwnd, &client);
    return std::max(1, int(client.bottom - 2) / ItemHeight(hwnd, state));
}

bool HasScrollBar(HWND hwnd, ListState* state) {
    return (Style(hwnd) & WS_VSCROLL) && Count(state) > VisibleRows(hwnd, state);
}

void SetTop(HWND hwnd, ListState* state, int top) {
    top = std::clamp(top, 0, std::max(0, Count(state) - VisibleRows(hwnd, state)));
    if (top == state->top)
        return;
    state->top = top;
    InvalidateRect(hwnd, nullptr, true);
}

void EnsureVisible(HWND hwnd, ListState* state, int index) {
    if (index < 0)
        return;
    int rows = VisibleRows(hwnd, state);
    if (index < state->top)
        SetTop(hwnd, state, index);
    if (index >= state->top + rows)
        SetTop(hwnd, state, index - rows + 1);
}

void Notify(HWND hwnd, ListState* state, uint16_t code) {
    if (state->dropOwner)
        return;  // a drop-down list reports through its combo box
    if (Style(hwnd) & LBS_NOTIFY)
        NotifyParent(hwnd, code);
}

// Moves the selection (single) or focus (multiple) to `index`; answers
// whether it changed.
bool Select(HWND hwnd, ListState* state, int index) {
    if (index < -1 || index >= Count(state))
        index = -1;
    if (index == state->current)
        return false;
    state->current = index;
    EnsureVisible(hwnd, state, index);
    InvalidateRect(hwnd, nullptr, true);
    return true;
}

int IndexAt(HWND hwnd, ListState* state, int y) {
    if (y < 1)
        return -1;
    int index = state->top + (y - 1) / ItemHeight(hwnd, state);
    return index < Count(state) ? index : -1;
}

int InsertSorted(ListState* state, const std::string& text) {
    auto at = std::find_if(state->items.begin(), state->items.end(), [&](const Item& item) {
        return strcasecmp(item.text.c_str(), text.c_str()) > 0;
    });
    int index = int(at - state->items.begin());
    state->items.insert(at, Item{text});
    return index;
}

int Find(ListState* state, intptr_t after, const char* text, bool exact) {
    if (!text)
        return LB_ERR;
    size_t length = std::strlen(text);
    int n = Count(state);
    int start = (after < -1 || after >= n) ? -1 : int(after);
    for (int step = 1; step <= n; ++step) {
        int i = (start + step) % n;
        const std::string& item = state->items[size_t(i)].text;
        bool match = exact ? strcasecmp(item.c_str(), text) == 0
                           : strncasecmp(item.c_str(), text, length) == 0;
        if (match)
            return i;
    }
    return LB_ERR;
}

void Paint(HWND hwnd, ListState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    bool enabled = IsWindowEnabled(hwnd);
    PaintParentBackground(hwnd, dc, WM_CTLCOLORLISTBOX, client, colors::kField);
    COLORREF textColor = enabled ? GetTextColor(dc) : colors::kGrayText;
    bool focused = GetFocus() == hwnd;
    bool scroll = HasScrollBar(hwnd, state);
    int right = client.right - 1 - (scroll ? kScrollBarWidth : 0);
    int height = ItemHeight(hwnd, state);
    for (int i = state->top; i < Count(state); ++i) {
        int y = 1 + (i - state->top) * height;
        if (y >= client.bottom - 1)
            break;
        RECT row{1, y, right, y + height};
        const Item& item = state->items[size_t(i)];
        bool selected = Multiple(hwnd) ? item.selected : i == state->current;
        if (selected)
            FillSolid(dc, row, enabled ? colors::kSelection : colors::kBorder);
        RECT text = row;
        text.left += 4;
        DrawControlText(hwnd, dc, item.text, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX,
                        selected ? colors::kSelectionText : textColor);
        if (focused && i == state->current)
            DrawFocusRect(dc, &row);
    }
    if (scroll) {
        RECT track{right, 1, client.right - 1, client.bottom - 1};
        FillSolid(dc, track, RGB(240, 240, 240));
        int rows = VisibleRows(hwnd, state);
        int span = track.bottom - track.top;
        int thumbHeight = std::max(10, span * rows / Count(state));
        int range = std::max(1, Count(state) - rows);
        int thumbTop = track.top + (span - thumbHeight) * state->top / range;
        RECT thumb{track.left + 3, thumbTop, track.right - 3, thumbTop + thumbHeight};
        FillSolid(dc, thumb, RGB(192, 192, 192));
    }
    FrameSolid(dc, client, focused && !state->dropOwner ? colors::kAccent : colors::kBorder);
    EndPaint(hwnd, &paint);
}

void UserSelect(HWND hwnd, ListState* state, int index) {
    if (index < 0)
        return;
    if (Select(hwnd, state, index))
        Notify(hwnd, state, LBN_SELCHANGE);
}

void KeyDown(HWND hwnd, ListState* state, WPARAM key) {
    int n = Count(state);
    if (n == 0)
        return;
    int rows = VisibleRows(hwnd, state);
    int target = state->current;
    switch (key) {
        case VK_UP:
            target = std::max(0, state->current - 1);
            break;
        case VK_DOWN:
            target = std::min(n - 1, state->current + 1);
            break;
        case VK_PRIOR:
            target = std::max(0, state->current - rows + 1);
            break;
        case VK_NEXT:
            target = std::min(n - 1, std::max(0, state->current) + rows - 1);
            break;
        case VK_HOME:
            target = 0;
            break;
        case VK_END:
            target = n - 1;
            break;
        case VK_SPACE:
            if (Multiple(hwnd) && state->current >= 0) {
                Item& item = state->items[size_t(state->current)];
                item.selected = !item.selected;
                InvalidateRect(hwnd, nullptr, true);
                Notify(hwnd, state, LBN_SELCHANGE);
            }
            return;
        case VK_RETURN:
            if (state->dropOwner)
                SendMessage(state->dropOwner, kComboListChosen, WPARAM(state->current), 0);
            return;
        case VK_ESCAPE:
            if (state->dropOwner)
                SendMessage(state->dropOwner, kComboListCancelled, 0, 0);
            return;
        default:
            return;
    }
    if (Multiple(hwnd)) {
        Select(hwnd, state, target);
    } else {
        UserSelect(hwnd, state, target);
    }
}

void Click(HWND hwnd, ListState* state, int index) {
    if (index < 0)
        return;
    if (Multiple(hwnd)) {
        Item& item = state->items[size_t(index)];
        item.selected = !item.selected;
        Select(hwnd, state, index);
        InvalidateRect(hwnd, nullptr, true);
        Notify(hwnd, state, LBN_SELCHANGE);
    } else {
        UserSelect(hwnd, state, index);
    }
}

// A click on the scroll bar pages up or down.
bool ScrollBarClick(HWND hwnd, ListState* state, int x, int y) {
    if (!HasScrollBar(hwnd, state))
        return false;
    RECT client;
    GetClientRect(hwnd, &client);
    if (x < client.right - 1 - kScrollBarWidth)
        return false;
    int rows = VisibleRows(hwnd, state);
    SetTop(hwnd, state, state->top + (y < client.bottom / 2 ? -rows : rows));
    return true;
}

LRESULT ItemMessage(HWND hwnd, ListState* state, uint32_t message, WPARAM wParam, LPARAM lParam) {
    int n = Count(state);
    auto index = int(intptr_t(wParam));
    bool valid = index >= 0 && index < n;
    switch (message) {
        case LB_ADDSTRING:
        case LB_INSERTSTRING: {
            std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            int at;
            if (message == LB_ADDSTRING && (Style(hwnd) & LBS_SORT)) {
                at = InsertSorted(state, text);
            } else {
                at = (message == LB_ADDSTRING || index < 0 || index > n) ? n : index;
                state->items.insert(state->items.begin() + at, Item{text});
            }
            if (state->current >= at && state->current >= 0)
                ++state->current;
            InvalidateRect(hwnd, nullptr, true);
            return at;
        }
        case LB_DELETESTRING:
            if (!valid)
                return LB_ERR;
            state->items.erase(state->items.begin() + index);
            if (state->current == index) {
                state->current = -1;
            } else if (state->current > index) {
                --state->current;
            }
            SetTop(hwnd, state, state->top);
            InvalidateRect(hwnd, nullptr, true);
            return Count(state);
        case LB_RESETCONTENT:
            state->items.clear();
            state->current = -1;
            state->top = 0;
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case LB_GETCOUNT:
            return n;
        case LB_GETTEXT:
            if (!valid)
                return LB_ERR;
            if (lParam) {
                const std::string& text = state->items[size_t(index)].text;
                std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
            }
            return LRESULT(state->items[size_t(index)].text.size());
        case LB_GETTEXTLEN:
            return valid ? LRESULT(state->items[size_t(index)].text.size()) : LB_ERR;
        case LB_GETITEMDATA:
            return valid ? LRESULT(state->items[size_t(index)].data) : LB_ERR;
        case LB_SETITEMDATA:
            if (!valid)
                return LB_ERR;
            state->items[size_t(index)].data = uintptr_t(lParam);
            return 1;
        case LB_SETCURSEL:
            if (Multiple(hwnd))
                return LB_ERR;
            Select(hwnd, state, valid ? index : -1);
            return valid ? index : LB_ERR;
        case LB_GETCURSEL:
            return state->current;
        case LB_SETSEL: {
            if (!Multiple(hwnd))
                return LB_ERR;
            auto which = int(lParam);
            for (int i = 0; i < n; ++i) {
                if (which == -1 || which == i)
                    state->items[size_t(i)].selected = wParam != 0;
            }
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        }
        case LB_GETSEL: {
            auto which = int(wParam);
            if (which < 0 || which >= n)
                return LB_ERR;
            return Multiple(hwnd) ? state->items[size_t(which)].selected : which == state->current;
        }
        case LB_GETSELCOUNT: {
            if (!Multiple(hwnd))
                return LB_ERR;
            return std::count_if(state->items.begin(), state->items.end(),
                                 [](const Item& i) { return i.selected; });
        }
        case LB_FINDSTRING:
        case LB_FINDSTRINGEXACT:
            return Find(state, intptr_t(wParam), reinterpret_cast<const char*>(lParam),
                        message == LB_FINDSTRINGEXACT);
        case LB_SELECTSTRING: {
            int found = Find(state, intptr_t(wParam), reinterpret_cast<const char*>(lParam), false);
            if (found != LB_ERR && !Multiple(hwnd))
                Select(hwnd, state, found);
            return found;
        }
        case LB_GETTOPINDEX:
            return state->top;
        case LB_SETTOPINDEX:
            if (!valid)
                return LB_ERR;
            SetTop(hwnd, state, index);
            return 0;
        case LB_SETITEMHEIGHT:
            if (LOWORD(uintptr_t(lParam)) == 0 || LOWORD(uintptr_t(lParam)) > 255)
                return LB_ERR;
            state->itemHeight = LOWORD(uintptr_t(lParam));
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case LB_GETITEMHEIGHT:
            return ItemHeight(hwnd, state);
        default:
            return LB_ERR;
    }
}

// Every message but the common ones and WM_PAINT (ControlWindowProcedure).
LRESULT ListMessage(HWND hwnd, ListState* state, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message >= LB_ADDSTRING && message <= LB_FINDSTRINGEXACT) {
        return ItemMessage(hwnd, state, message, wParam, lParam);
    }
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, true);
            Notify(hwnd, state, message == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN: {
            int x = GET_X_LPARAM(lParam);
            int y = GET_Y_LPARAM(lParam);
            if (state->dropOwner) {
                RECT client;
                GetClientRect(hwnd, &client);
                if (!PtInRect(client, POINT{x, y})) {
                    SendMessage(state->dropOwner, kComboListCancelled, 0, 0);
                    return 0;
                }
                if (ScrollBarClick(hwnd, state, x, y))
                    return 0;
                Select(hwnd, state, IndexAt(hwnd, state, y));
                return 0;
            }
            if (GetFocus() != hwnd)
                SetFocus(hwnd);
            if (!ScrollBarClick(hwnd, state, x, y))
                Click(hwnd, state, IndexAt(hwnd, state, y));
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            if (state->dropOwner)
                return 0;
            if (IndexAt(hwnd, state, GET_Y_LPARAM(lParam)) >= 0)
                Notify(hwnd, state, LBN_DBLCLK);
            return 0;
        case WM_MOUSEMOVE:
            if (state->dropOwner) {
                int index = IndexAt(hwnd, state, GET_Y_LPARAM(lParam));
                if (index >= 0)
                    Select(hwnd, state, index);
            }
            return 0;
        case WM_LBUTTONUP:
            if (state->dropOwner) {
                RECT client;
                GetClientRect(hwnd, &client);
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                int index = PtInRect(client, at) ? IndexAt(hwnd, state, at.y) : -1;
                if (index >= 0)
                    SendMessage(state->dropOwner, kComboListChosen, WPARAM(index), 0);
            }
            return 0;
        case WM_MOUSEWHEEL: {
            auto delta = int16_t(HIWORD(wParam));
            SetTop(hwnd, state, state->top - delta / WHEEL_DELTA * 3);
            return 0;
        }
        case WM_KEYDOWN:
            KeyDown(hwnd, state, wParam);
            return 0;
        case WM_CHAR: {
            // A letter moves to the next item that starts with it.
            if (wParam < 0x20 || wParam > 0x7E)
                return 0;
            char prefix[2] = {char(wParam), 0};
            int found = Find(state, state->current, prefix, false);
            if (found != LB_ERR) {
                if (Multiple(hwnd)) {
                    Select(hwnd, state, found);
                } else {
                    UserSelect(hwnd, state, found);
                }
            }
            return 0;
        }
        case kListSetDropMode:
            state->dropOwner = wParam ? reinterpret_cast<HWND>(lParam) : nullptr;
            return 0;
        case WM_SIZE:
            SetTop(hwnd, state, state->top);
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC ListBoxWindowProc() {
    return ControlWindowProcedure<ListState, Paint, ListMessage>;
}

}  // namespace platform::controls
