// "Button": push buttons, check boxes (two- and three-state), radio
// buttons, group boxes, and the owner-drawn and bitmap kinds.
#include <algorithm>

#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"

namespace platform::controls {
namespace {

struct ButtonState : ControlState {
    LRESULT check = BST_UNCHECKED;
    bool pushed = false;    // shown pressed (pointer or space held)
    bool tracking = false;  // left button went down on us
    bool spaceDown = false;
    HGDIOBJ image = nullptr;
    WPARAM imageType = IMAGE_BITMAP;
};

uint32_t Style(HWND hwnd) {
    return uint32_t(GetWindowLong(hwnd, GWL_STYLE));
}
uint32_t TypeOf(HWND hwnd) {
    return Style(hwnd) & BS_TYPEMASK;
}

bool IsCheckType(uint32_t type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
           type == BS_AUTO3STATE;
}
bool IsRadioType(uint32_t type) {
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// The siblings of a radio button's group: from the nearest WS_GROUP at or
// before it up to the next WS_GROUP.
std::vector<HWND> RadioGroup(HWND hwnd) {
    std::vector<HWND> siblings;
    HWND parent = GetParent(hwnd);
    if (!parent)
        return {hwnd};
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        siblings.push_back(w);
    }
    auto self = std::find(siblings.begin(), siblings.end(), hwnd);
    if (self == siblings.end())
        return {hwnd};
    auto first = self;
    while (first != siblings.begin() && !HasStyle(*first, WS_GROUP))
        --first;
    auto last = self + 1;
    while (last != siblings.end() && !HasStyle(*last, WS_GROUP))
        ++last;
    return {first, last};
}

void SetCheck(HWND hwnd, ButtonState* state, LRESULT check) {
    uint32_t type = TypeOf(hwnd);
    if (!IsCheckType(type) && !IsRadioType(type))
        return;
    if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) {
        check = BST_CHECKED;
    }
    if (check != BST_CHECKED && check != BST_INDETERMINATE)
        check = BST_UNCHECKED;
    if (state->check == check)
        return;
    state->check = check;
    InvalidateRect(hwnd, nullptr, true);
}

// The click: automatic kinds change their state first, then the parent
// hears BN_CLICKED.
void Click(HWND hwnd, ButtonState* state) {
    uint32_t type = TypeOf(hwnd);
    if (type == BS_AUTOCHECKBOX) {
        SetCheck(hwnd, state, state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    } else if (type == BS_AUTO3STATE) {
        SetCheck(hwnd, state, (state->check + 1) % 3);
    } else if (type == BS_AUTORADIOBUTTON) {
        for (HWND other : RadioGroup(hwnd)) {
            if (other == hwnd)
                continue;
            if (TypeOf(other) == BS_AUTORADIOBUTTON)
                SendMessage(other, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        SetCheck(hwnd, state, BST_CHECKED);
    }
    NotifyParent(hwnd, BN_CLICKED);
}

void SetPushed(HWND hwnd, ButtonState* state, bool pushed) {
    if (state->pushed == pushed)
        return;
    state->pushed = pushed;
    InvalidateRect(hwnd, nullptr, true);
}

uint32_t TextFormat(uint32_t style, uint32_t defaultHorizontal) {
    uint32_t format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (style & BS_CENTER) {
        case BS_LEFT:
            format |= DT_LEFT;
            break;
        case BS_RIGHT:
            format |= DT_RIGHT;
            break;
        case BS_CENTER:
            format |= DT_CENTER;
            break;
        default:
            format |= defaultHorizontal;
    }
    if (format & DT_SINGLELINE) {
        switch (style & BS_VCENTER) {
            case BS_TOP:
                break;
            case BS_BOTTOM:
                format |= DT_BOTTOM;
                break;
            default:
                format |= DT_VCENTER;
        }
    }
    return format;
}

void PaintPush(HWND hwnd, HDC dc, ButtonState* state, const RECT& client, bool focused) {
    uint32_t style = Style(hwnd);
    bool enabled = IsWindowEnabled(hwnd);
    bool isDefault = TypeOf(hwnd) == BS_DEFPUSHBUTTON;
    bool down = state->pushed || ((style & BS_PUSHLIKE) && state->check != BST_UNCHECKED);
    PaintParentBackground(hwnd, dc, WM_CTLCOLORBTN, client, colors::kFace);
    RECT face = client;
    COLORREF fill = down ? colors::kFacePushed : RGB(225, 225, 225);
    if (!enabled)
        fill = RGB(204, 204, 204);
    if (style & BS_FLAT)
        fill = down ? colors::kFacePushed : colors::kFace;
    FillSolid(dc, face, fill);
    FrameSolid(dc, face,
               (isDefault || focused || down) && enabled ? colors::kAccent : colors::kBorder);
    if (isDefault && enabled) {
        RECT inner = face;
        InflateRect(&inner, -1, -1);
        FrameSolid(dc, inner, colors::kAccent);
    }
    RECT content = client;
    InflateRect(&content, -4, -2);
    if (down)
        OffsetRect(&content, 1, 1);
    if ((style & BS_BITMAP) && state->image) {
        if (state->imageType == IMAGE_ICON) {
            SIZE size;
            GetIconSize(state->image, &size);
            DrawIconEx(dc, (content.left + content.right - size.cx) / 2,
                       (content.top + content.bottom - size.cy) / 2, state->image, size.cx, size.cy,
                       0, nullptr, DI_NORMAL);
        } else {
            BITMAP info;
            if (GetObject(state->image, sizeof(info), &info)) {
                HDC source = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(source, state->image);
                BitBlt(dc, (content.left + content.right - info.bmWidth) / 2,
                       (content.top + content.bottom - info.bmHeight) / 2, info.bmWidth,
                       info.bmHeight, source, 0, 0, SRCCOPY);
                SelectObject(source, old);
                DeleteDC(source);
            }
        }
    } else {
        std::string text = WindowText(hwnd);
        DrawControlText(hwnd, dc, text, content, TextFormat(style, DT_CENTER),
                        enabled ? colors::kText : colors::kGrayText);
    }
    if (focused) {
        RECT focus = client;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

void PaintCheckOrRadio(HWND hwnd, HDC dc, ButtonState* state, const RECT& client, bool focused) {
    uint32_t style = Style(hwnd);
    bool radio = IsRadioType(TypeOf(hwnd));
    bool enabled = IsWindowEnabled(hwnd);
    PaintParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, client, colors::kFace);
    COLORREF textColor = enabled ? GetTextColor(dc) : colors::kGrayText;
    const int box = 13;
    bool leftText = style & BS_LEFTTEXT;
    int top = (client.top + client.bottom - box) / 2;
    if ((style & BS_VCENTER) == BS_TOP)
        top = client.top + 2;
    if ((style & BS_VCENTER) == BS_BOTTOM)
        top = client.bottom - box - 2;
    int left = leftText ? client.right - box - 1 : client.left + 1;
    RECT mark{left, top, left + box, top + box};
    COLORREF edge =
        enabled ? (state->pushed ? colors::kAccent : RGB(51, 51, 51)) : colors::kGrayText;
    COLORREF inside = state->pushed ? colors::kFacePushed : colors::kField;
    if (radio) {
        HBRUSH brush = CreateSolidBrush(inside);
        HPEN pen = CreatePen(PS_SOLID, 1, edge);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Ellipse(dc, mark.left, mark.top, mark.right, mark.bottom);
        if (state->check == BST_CHECKED) {
            HBRUSH dot = CreateSolidBrush(enabled ? colors::kText : colors::kGrayText);
            SelectObject(dc, dot);
            SelectObject(dc, GetStockObject(NULL_PEN));
            Ellipse(dc, mark.left + 3, mark.top + 3, mark.right - 3, mark.bottom - 3);
            SelectObject(dc, brush);
            DeleteObject(dot);
        }
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(brush);
        DeleteObject(pen);
    } else {
        FillSolid(dc, mark, inside);
        FrameSolid(dc, mark, edge);
        COLORREF tick = enabled ? colors::kText : colors::kGrayText;
        if (state->check == BST_CHECKED) {
            // A tick drawn as two strokes, two pixels thick.
            HPEN pen = CreatePen(PS_SOLID, 2, tick);
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, mark.left + 3, mark.top + 6, nullptr);
            LineTo(dc, mark.left + 5, mark.top + 9);
            LineTo(dc, mark.left + 10, mark.top + 3);
            SelectObject(dc, old);
            DeleteObject(pen);
        } else if (state->check == BST_INDETERMINATE) {
            RECT square = mark;
            InflateRect(&square, -3, -3);
            FillSolid(dc, square, tick);
        }
    }
    RECT text = client;
    if (leftText) {
        text.right = mark.left - 4;
    } else {
        text.left = mark.right + 4;
    }
    std::string caption = WindowText(hwnd);
    DrawControlText(hwnd, dc, caption, text, TextFormat(style, leftText ? DT_RIGHT : DT_LEFT),
                    textColor);
    if (focused && !caption.empty()) {
        RECT measure = text;
        HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
        DrawText(dc, caption.data(), int(caption.size()), &measure, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, old);
        int height = measure.bottom - measure.top;
        RECT focus{text.left - 1, (client.top + client.bottom - height) / 2 - 1,
                   text.left + (measure.right - measure.left) + 1,
                   (client.top + client.bottom + height) / 2 + 1};
        if (leftText)
            OffsetRect(&focus, text.right - focus.right, 0);
        DrawFocusRect(dc, &focus);
    }
}

void PaintGroupBox(HWND hwnd, HDC dc, const RECT& client) {
    PaintParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, client, colors::kFace);
    COLORREF textColor = IsWindowEnabled(hwnd) ? GetTextColor(dc) : colors::kGrayText;
    std::string caption = WindowText(hwnd);
    RECT measure{0, 0, 1000, 100};
    HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
    DrawText(dc, caption.data(), int(caption.size()), &measure, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    int textHeight = measure.bottom - measure.top;
    RECT frame{client.left, client.top + textHeight / 2, client.right, client.bottom};
    FrameSolid(dc, frame, RGB(220, 220, 220));
    if (!caption.empty()) {
        RECT label{client.left + 8, client.top, client.left + 12 + measure.right,
                   client.top + textHeight};
        PaintParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, label, colors::kFace);
        label.left += 2;
        DrawControlText(hwnd, dc, caption, label, DT_SINGLELINE | DT_LEFT, textColor);
    }
}

void PaintOwnerDrawn(HWND hwnd, HDC dc, ButtonState* state, const RECT& client, bool focused) {
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_BUTTON;
    item.CtlID = uint32_t(GetDlgCtrlID(hwnd));
    item.itemAction = ODA_DRAWENTIRE;
    if (state->pushed)
        item.itemState |= ODS_SELECTED;
    if (!IsWindowEnabled(hwnd))
        item.itemState |= ODS_DISABLED;
    if (focused)
        item.itemState |= ODS_FOCUS;
    item.hwndItem = hwnd;
    item.hDC = dc;
    item.rcItem = client;
    if (HWND parent = GetParent(hwnd)) {
        SendMessage(parent, WM_DRAWITEM, WPARAM(item.CtlID), reinterpret_cast<LPARAM>(&item));
    }
}

void Paint(HWND hwnd, ButtonState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    bool focused = GetFocus() == hwnd;
    uint32_t type = TypeOf(hwnd);
    if (type == BS_OWNERDRAW) {
        PaintOwnerDrawn(hwnd, dc, state, client, focused);
    } else if (type == BS_GROUPBOX) {
        PaintGroupBox(hwnd, dc, client);
    } else if ((IsCheckType(type) || IsRadioType(type)) && !(Style(hwnd) & BS_PUSHLIKE)) {
        PaintCheckOrRadio(hwnd, dc, state, client, focused);
    } else {
        PaintPush(hwnd, dc, state, client, focused);
    }
    EndPaint(hwnd, &paint);
}

bool Inside(HWND hwnd, LPARAM lParam) {
    RECT client;
    GetClientRect(hwnd, &client);
    return PtInRect(client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

// Every message but the common ones and WM_PAINT (ControlWindowProcedure).
LRESULT ButtonMessage(HWND hwnd, ButtonState* state, uint32_t message, WPARAM wParam,
                      LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE: {
            uint32_t type = TypeOf(hwnd);
            if (type == BS_GROUPBOX)
                return DLGC_STATIC;
            if (IsRadioType(type))
                return DLGC_BUTTON | DLGC_RADIOBUTTON;
            if (type == BS_DEFPUSHBUTTON)
                return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            if (type == BS_PUSHBUTTON)
                return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            return DLGC_BUTTON;
        }
        case WM_SETTEXT:
            return SetTextAndRedraw(hwnd, wParam, lParam);
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (message == WM_KILLFOCUS) {
                state->spaceDown = false;
                if (!state->tracking)
                    SetPushed(hwnd, state, false);
            }
            InvalidateRect(hwnd, nullptr, true);
            if (HasStyle(hwnd, BS_NOTIFY)) {
                NotifyParent(hwnd, message == WM_SETFOCUS ? BN_SETFOCUS : BN_KILLFOCUS);
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (TypeOf(hwnd) == BS_GROUPBOX)
                return 0;
            SetFocus(hwnd);
            SetCapture(hwnd);
            state->tracking = true;
            SetPushed(hwnd, state, true);
            if (message == WM_LBUTTONDBLCLK && HasStyle(hwnd, BS_NOTIFY))
                NotifyParent(hwnd, BN_DBLCLK);
            return 0;
        case WM_MOUSEMOVE:
            if (state->tracking)
                SetPushed(hwnd, state, Inside(hwnd, lParam));
            return 0;
        case WM_LBUTTONUP:
            if (!state->tracking)
                return 0;
            state->tracking = false;
            ReleaseCapture();
            SetPushed(hwnd, state, false);
            if (Inside(hwnd, lParam))
                Click(hwnd, state);
            return 0;
        case WM_CAPTURECHANGED:
            if (state->tracking) {
                state->tracking = false;
                SetPushed(hwnd, state, false);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && TypeOf(hwnd) != BS_GROUPBOX) {
                state->spaceDown = true;
                SetPushed(hwnd, state, true);
                return 0;
            }
            if ((wParam == VK_DOWN || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_LEFT) &&
                IsRadioType(TypeOf(hwnd))) {
                // Arrows move through the radio group and choose as they go.
                std::vector<HWND> group = RadioGroup(hwnd);
                auto self = std::find(group.begin(), group.end(), hwnd);
                bool forward = wParam == VK_DOWN || wParam == VK_RIGHT;
                size_t n = group.size();
                size_t index = size_t(self - group.begin());
                for (size_t step = 1; step < n; ++step) {
                    HWND next = group[(index + (forward ? step : n - step)) % n];
                    if (IsRadioType(TypeOf(next)) && IsWindowEnabled(next) &&
                        IsWindowVisible(next)) {
                        SetFocus(next);
                        SendMessage(next, BM_CLICK, 0, 0);
                        break;
                    }
                }
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_KEYUP:
            if (wParam == VK_SPACE && state->spaceDown) {
                state->spaceDown = false;
                SetPushed(hwnd, state, false);
                Click(hwnd, state);
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_CHAR:
            return 0;
        case BM_GETCHECK:
            return state->check;
        case BM_SETCHECK:
            SetCheck(hwnd, state, LRESULT(wParam));
            return 0;
        case BM_GETSTATE:
            return state->check | (state->pushed ? BST_PUSHED : 0) |
                   (GetFocus() == hwnd ? BST_FOCUS : 0);
        case BM_SETSTATE:
            SetPushed(hwnd, state, wParam != 0);
            return 0;
        case BM_SETSTYLE: {
            uint32_t style = (Style(hwnd) & ~0xFFFFu) | uint32_t(wParam & 0xFFFF);
            SetWindowLong(hwnd, GWL_STYLE, int32_t(style));
            if (LOWORD(uintptr_t(lParam)))
                InvalidateRect(hwnd, nullptr, true);
            return 0;
        }
        case BM_CLICK:
            if (IsWindowEnabled(hwnd))
                Click(hwnd, state);
            return 0;
        case BM_GETIMAGE:
            return reinterpret_cast<LRESULT>(state->image);
        case BM_SETIMAGE: {
            HGDIOBJ previous = state->image;
            state->image = reinterpret_cast<HGDIOBJ>(lParam);
            state->imageType = wParam;
            InvalidateRect(hwnd, nullptr, true);
            return reinterpret_cast<LRESULT>(previous);
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC ButtonWindowProc() {
    return ControlWindowProcedure<ButtonState, Paint, ButtonMessage>;
}

}  // namespace platform::controls
