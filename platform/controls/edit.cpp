// "Edit": a single-line text field with a selection, a length limit, a
// read-only mode, a caret, and cut, copy and paste within the program.
// The text is the window text, so WM_GETTEXT and WM_SETTEXT behave as for
// any window.
#include <algorithm>
#include <cctype>

#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"

namespace platform::controls {
namespace {

constexpr size_t kDefaultLimit = 30000;

struct EditState : ControlState {
    size_t anchor = 0;  // the fixed end of the selection
    size_t caret = 0;   // the moving end, where the caret is
    size_t limit = kDefaultLimit;
    int scrollX = 0;  // pixels of text hidden at the left
    bool modified = false;
    bool selecting = false;  // left button held
    char passwordChar = '*';
    std::string pendingLead;  // first bytes of a multi-byte character being typed
};

uint32_t Style(HWND hwnd) {
    return uint32_t(GetWindowLong(hwnd, GWL_STYLE));
}
size_t SelStart(const EditState* s) {
    return std::min(s->anchor, s->caret);
}
size_t SelEnd(const EditState* s) {
    return std::max(s->anchor, s->caret);
}

// What is drawn: the text, or one mask character per character.
std::string Shown(HWND hwnd, const EditState* state, const std::string& text) {
    if (!(Style(hwnd) & ES_PASSWORD))
        return text;
    std::string masked;
    for (size_t at = 0; at < text.size(); at = NextCharBoundary(text, at))
        masked += state->passwordChar;
    return masked;
}

// Byte offset in the shown text of byte offset `pos` of the text.
size_t ShownOffset(HWND hwnd, const std::string& text, size_t pos) {
    if (!(Style(hwnd) & ES_PASSWORD))
        return pos;
    size_t count = 0;
    for (size_t at = 0; at < pos && at < text.size(); at = NextCharBoundary(text, at))
        ++count;
    return count;
}

int TextWidth(HWND hwnd, HDC dc, std::string_view text) {
    HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
    SIZE size{};
    GetTextExtentPoint32(dc, text.data(), int(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

int TextLeft(HWND hwnd, HDC dc, const std::string& shown, const RECT& client) {
    uint32_t align = Style(hwnd) & (ES_CENTER | ES_RIGHT);
    int width = client.right - client.left - 6;
    int textWidth = TextWidth(hwnd, dc, shown);
    if (textWidth < width) {
        if (align == ES_CENTER)
            return 3 + (width - textWidth) / 2;
        if (align == ES_RIGHT)
            return 3 + width - textWidth;
    }
    return 3;
}

// Keeps the caret inside the visible part of the field.
void ScrollToCaret(HWND hwnd, EditState* state) {
    HDC dc = GetDC(hwnd);
    std::string text = WindowText(hwnd);
    std::string shown = Shown(hwnd, state, text);
    int caretX = TextWidth(
        hwnd, dc, std::string_view(shown).substr(0, ShownOffset(hwnd, text, state->caret)));
    ReleaseDC(hwnd, dc);
    RECT client;
    GetClientRect(hwnd, &client);
    int visible = std::max(1, int(client.right - client.left) - 8);
    if (caretX - state->scrollX > visible)
        state->scrollX = caretX - visible;
    if (caretX < state->scrollX)
        state->scrollX = std::max(0, caretX - visible / 3);
}

void Changed(HWND hwnd, EditState* state) {
    ScrollToCaret(hwnd, state);
    InvalidateRect(hwnd, nullptr, true);
}

void SetSelection(HWND hwnd, EditState* state, size_t anchor, size_t caret) {
    std::string text = WindowText(hwnd);
    auto snap = [&](size_t pos) {
        pos = std::min(pos, text.size());
        size_t boundary = PreviousCharBoundary(text, pos);
        return NextCharBoundary(text, boundary) == pos ? pos : boundary;
    };
    state->anchor = snap(anchor);
    state->caret = snap(caret);
    Changed(hwnd, state);
}

// Replaces the selection with `insert` (runtime text), keeping the limit;
// answers whether anything changed.
bool ReplaceSelection(HWND hwnd, EditState* state, std::string insert, bool notify) {
    std::string text = WindowText(hwnd);
    size_t start = std::min(SelStart(state), text.size());
    size_t end = std::min(SelEnd(state), text.size());
    size_t room = state->limit - std::min(state->limit, text.size() - (end - start));
    bool cut = false;
    if (insert.size() > room) {
        size_t keep = 0;
        while (NextCharBoundary(insert, keep) <= room && keep < insert.size())
            keep = NextCharBoundary(insert, keep);
        insert.resize(keep);
        cut = true;
    }
    if (start == end && insert.empty()) {
        if (cut && notify)
            NotifyParent(hwnd, EN_MAXTEXT);
        return false;
    }
    text = text.substr(0, start) + insert + text.substr(end);
    DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    state->caret = state->anchor = start + insert.size();
    state->modified = true;
    Changed(hwnd, state);
    if (notify) {
        NotifyParent(hwnd, EN_UPDATE);
        NotifyParent(hwnd, EN_CHANGE);
        if (cut)
            NotifyParent(hwnd, EN_MAXTEXT);
    }
    return true;
}

bool ReadOnly(HWND hwnd) {
    return Style(hwnd) & ES_READONLY;
}

void CopySelection(HWND hwnd, EditState* state) {
    if (Style(hwnd) & ES_PASSWORD)
        return;  // a password never leaves the field
    std::string text = WindowText(hwnd);
    if (SelStart(state) == SelEnd(state))
        return;
    ProgramClipboard() = text.substr(SelStart(state), SelEnd(state) - SelStart(state));
}

// The byte offset whose caret position is nearest to x (client pixels).
size_t OffsetAt(HWND hwnd, EditState* state, int x) {
    std::string text = WindowText(hwnd);
    std::string shown = Shown(hwnd, state, text);
    HDC dc = GetDC(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    int origin = TextLeft(hwnd, dc, shown, client) - state->scrollX;
    size_t best = 0;
    int bestDistance = std::abs(x - origin);
    for (size_t at = NextCharBoundary(text, 0); at <= text.size() && at > 0;) {
        int px = origin + TextWidth(hwnd, dc,
                                    std::string_view(shown).substr(0, ShownOffset(hwnd, text, at)));
        if (std::abs(x - px) < bestDistance) {
            bestDistance = std::abs(x - px);
            best = at;
        }
        if (at == text.size())
            break;
        at = NextCharBoundary(text, at);
    }
    ReleaseDC(hwnd, dc);
    return best;
}

void Paint(HWND hwnd, EditState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    bool enabled = IsWindowEnabled(hwnd);
    bool readOnly = ReadOnly(hwnd);
    uint32_t ctl = (!enabled || readOnly) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    PaintParentBackground(hwnd, dc, ctl, client,
                          enabled && !readOnly ? colors::kField : colors::kFace);
    COLORREF textColor = enabled ? GetTextColor(dc) : colors::kGrayText;
    bool focused = GetFocus() == hwnd;
    FrameSolid(dc, client, focused ? colors::kAccent : colors::kBorder);

    std::string text = WindowText(hwnd);
    std::string shown = Shown(hwnd, state, text);
    int left = TextLeft(hwnd, dc, shown, client) - state->scrollX;
    RECT inner = client;
    InflateRect(&inner, -2, -2);
    SaveDC(dc);
    IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(hwnd));
    TEXTMETRIC metrics;
    GetTextMetrics(dc, &metrics);
    int top = (client.bottom - metrics.tmHeight) / 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColor);
    TextOut(dc, left, top, shown.data(), int(shown.size()));
    size_t s = ShownOffset(hwnd, text, SelStart(state));
    size_t e = ShownOffset(hwnd, text, SelEnd(state));
    if (s != e && (focused || !enabled)) {
        SIZE before{}, through{};
        GetTextExtentPoint32(dc, shown.data(), int(s), &before);
        GetTextExtentPoint32(dc, shown.data(), int(e), &through);
        RECT band{left + before.cx, top, left + through.cx, top + metrics.tmHeight};
        FillSolid(dc, band, colors::kSelection);
        SetTextColor(dc, colors::kSelectionText);
        TextOut(dc, left + before.cx, top, shown.data() + s, int(e - s));
    }
    if (focused) {
        SIZE before{};
        size_t c = ShownOffset(hwnd, text, state->caret);
        GetTextExtentPoint32(dc, shown.data(), int(c), &before);
        RECT caret{left + before.cx, top, left + before.cx + 1, top + metrics.tmHeight};
        FillSolid(dc, caret, colors::kText);
    }
    SelectObject(dc, oldFont);
    RestoreDC(dc, -1);
    EndPaint(hwnd, &paint);
}

void TypeCharacter(HWND hwnd, EditState* state, uint8_t byte) {
    // Multi-byte characters arrive byte by byte: gather them first.
    state->pendingLead += char(byte);
    const std::string& gathered = state->pendingLead;
    auto lead = uint8_t(gathered[0]);
    size_t need = 1;
    if (lead >= 0x81 && lead != 0xFF) {
        need = 2;
        if (gathered.size() >= 2 && gathered[1] >= '0' && gathered[1] <= '9')
            need = 4;
    }
    if (gathered.size() < need)
        return;
    std::string piece = gathered;
    state->pendingLead.clear();
    uint32_t style = Style(hwnd);
    if (piece.size() == 1) {
        char c = piece[0];
        if ((style & ES_NUMBER) && !std::isdigit(uint8_t(c)))
            return;
        if (style & ES_UPPERCASE)
            c = char(std::toupper(uint8_t(c)));
        if (style & ES_LOWERCASE)
            c = char(std::tolower(uint8_t(c)));
        piece[0] = c;
    } else if (style & ES_NUMBER) {
        return;
    }
    ReplaceSelection(hwnd, state, piece, true);
}

bool Shift() {
    return GetKeyState(VK_SHIFT) < 0;
}

void MoveCaret(HWND hwnd, EditState* state, size_t to) {
    if (Shift()) {
        SetSelection(hwnd, state, state->anchor, to);
    } else {
        SetSelection(hwnd, state, to, to);
    }
}

void KeyDown(HWND hwnd, EditState* state, WPARAM key) {
    std::string text = WindowText(hwnd);
    switch (key) {
        case VK_LEFT:
            if (!Shift() && SelStart(state) != SelEnd(state)) {
                SetSelection(hwnd, state, SelStart(state), SelStart(state));
            } else {
                MoveCaret(hwnd, state, PreviousCharBoundary(text, state->caret));
            }
            break;
        case VK_RIGHT:
            if (!Shift() && SelStart(state) != SelEnd(state)) {
                SetSelection(hwnd, state, SelEnd(state), SelEnd(state));
            } else {
                MoveCaret(hwnd, state, NextCharBoundary(text, state->caret));
            }
            break;
        case VK_HOME:
            MoveCaret(hwnd, state, 0);
            break;
        case VK_END:
            MoveCaret(hwnd, state, text.size());
            break;
        case VK_DELETE:
            if (ReadOnly(hwnd))
                break;
            if (SelStart(state) == SelEnd(state)) {
                state->caret = NextCharBoundary(text, state->caret);
            } else if (Shift()) {
                CopySelection(hwnd, state);  // Shift+Delete cuts
            }
            ReplaceSelection(hwnd, state, "", true);
            break;
        default:
            break;
    }
}

void Character(HWND hwnd, EditState* state, WPARAM ch) {
    switch (ch) {
        case 1:
            SetSelection(hwnd, state, 0, WindowText(hwnd).size());
            return;  // Ctrl+A
        case 3:
            CopySelection(hwnd, state);
            return;  // Ctrl+C
        case 24:     // Ctrl+X
            if (!ReadOnly(hwnd))
                SendMessage(hwnd, WM_CUT, 0, 0);
            return;
        case 22:  // Ctrl+V
            if (!ReadOnly(hwnd))
                SendMessage(hwnd, WM_PASTE, 0, 0);
            return;
        case '\b': {
            if (ReadOnly(hwnd))
                return;
            if (SelStart(state) == SelEnd(state)) {
                state->caret = PreviousCharBoundary(WindowText(hwnd), state->caret);
            }
            ReplaceSelection(hwnd, state, "", true);
            return;
        }
        default:
            if (ch < 0x20 || ch > 0xFF || ReadOnly(hwnd))
                return;
            TypeCharacter(hwnd, state, uint8_t(ch));
    }
}

// Every message but the common ones and WM_PAINT (ControlWindowProcedure).
LRESULT EditMessage(HWND hwnd, EditState* state, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        case WM_SETTEXT: {
            std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            if (text.size() > state->limit)
                text.resize(PreviousCharBoundary(text, state->limit + 1));
            DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            state->anchor = state->caret = 0;
            state->scrollX = 0;
            state->modified = false;
            InvalidateRect(hwnd, nullptr, true);
            NotifyParent(hwnd, EN_UPDATE);
            NotifyParent(hwnd, EN_CHANGE);
            return 1;
        }
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_SETFOCUS:
            InvalidateRect(hwnd, nullptr, true);
            NotifyParent(hwnd, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            state->pendingLead.clear();
            InvalidateRect(hwnd, nullptr, true);
            NotifyParent(hwnd, EN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN: {
            if (GetFocus() != hwnd)
                SetFocus(hwnd);
            size_t at = OffsetAt(hwnd, state, GET_X_LPARAM(lParam));
            if (wParam & MK_SHIFT) {
                SetSelection(hwnd, state, state->anchor, at);
            } else {
                SetSelection(hwnd, state, at, at);
            }
            state->selecting = true;
            SetCapture(hwnd);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            SetSelection(hwnd, state, 0, WindowText(hwnd).size());
            return 0;
        case WM_MOUSEMOVE:
            if (state->selecting)
                SetSelection(hwnd, state, state->anchor,
                             OffsetAt(hwnd, state, GET_X_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONUP:
            if (state->selecting) {
                state->selecting = false;
                ReleaseCapture();
            }
            return 0;
        case WM_CAPTURECHANGED:
            state->selecting = false;
            return 0;
        case WM_KEYDOWN:
            KeyDown(hwnd, state, wParam);
            return 0;
        case WM_CHAR:
            Character(hwnd, state, wParam);
            return 0;
        case EM_GETSEL: {
            auto* start = reinterpret_cast<uint32_t*>(wParam);
            auto* end = reinterpret_cast<uint32_t*>(lParam);
            if (start)
                *start = uint32_t(SelStart(state));
            if (end)
                *end = uint32_t(SelEnd(state));
            return LRESULT(MAKELPARAM(int(std::min<size_t>(SelStart(state), 0xFFFF)),
                                      int(std::min<size_t>(SelEnd(state), 0xFFFF))));
        }
        case EM_SETSEL: {
            // A start of -1 removes the selection; an end of -1 means the end.
            size_t length = WindowText(hwnd).size();
            auto start = intptr_t(wParam);
            intptr_t end = lParam;
            if (int32_t(start) == -1) {
                SetSelection(hwnd, state, state->caret, state->caret);
                return 1;
            }
            size_t s = std::min(size_t(std::max<intptr_t>(0, int32_t(start))), length);
            size_t e = int32_t(end) < 0 ? length : std::min(size_t(end), length);
            SetSelection(hwnd, state, s, e);
            return 1;
        }
        case EM_REPLACESEL:
            ReplaceSelection(hwnd, state, lParam ? reinterpret_cast<const char*>(lParam) : "",
                             true);
            return 0;
        case EM_SETLIMITTEXT:
            state->limit = wParam == 0 ? 0x7FFFFFFE : size_t(wParam);
            return 0;
        case EM_GETLIMITTEXT:
            return LRESULT(state->limit);
        case EM_GETMODIFY:
            return state->modified ? 1 : 0;
        case EM_SETMODIFY:
            state->modified = wParam != 0;
            return 0;
        case EM_SETREADONLY: {
            uint32_t style = Style(hwnd);
            style = wParam ? (style | ES_READONLY) : (style & ~ES_READONLY);
            SetWindowLong(hwnd, GWL_STYLE, int32_t(style));
            InvalidateRect(hwnd, nullptr, true);
            return 1;
        }
        case EM_SETPASSWORDCHAR:
            state->passwordChar = wParam ? char(wParam) : '*';
            if (wParam) {
                SetWindowLong(hwnd, GWL_STYLE, int32_t(Style(hwnd) | ES_PASSWORD));
            } else {
                SetWindowLong(hwnd, GWL_STYLE, int32_t(Style(hwnd) & ~ES_PASSWORD));
            }
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_COPY:
            CopySelection(hwnd, state);
            return 0;
        case WM_CUT:
            if (ReadOnly(hwnd))
                return 0;
            CopySelection(hwnd, state);
            if (!(Style(hwnd) & ES_PASSWORD))
                ReplaceSelection(hwnd, state, "", true);
            return 0;
        case WM_CLEAR:
            if (!ReadOnly(hwnd))
                ReplaceSelection(hwnd, state, "", true);
            return 0;
        case WM_PASTE: {
            if (ReadOnly(hwnd))
                return 0;
            // One line only: a pasted text stops at its first line break.
            std::string text = ProgramClipboard();
            text = text.substr(0, text.find_first_of("\r\n"));
            ReplaceSelection(hwnd, state, text, true);
            return 0;
        }
        case WM_SIZE:
            ScrollToCaret(hwnd, state);
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC EditWindowProc() {
    return ControlWindowProcedure<EditState, Paint, EditMessage>;
}

}  // namespace platform::controls
