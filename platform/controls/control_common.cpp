#include "platform/controls/control_common.h"

#include <algorithm>
#include <mutex>

namespace platform::controls {

void AttachState(HWND hwnd, ControlState* state) {
    SetWindowLongPtr(hwnd, 0, reinterpret_cast<intptr_t>(state));
}

void DetachState(HWND hwnd) {
    auto* state = reinterpret_cast<ControlState*>(GetWindowLongPtr(hwnd, 0));
    SetWindowLongPtr(hwnd, 0, 0);
    delete state;
}

bool HandleFontMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto* state = reinterpret_cast<ControlState*>(GetWindowLongPtr(hwnd, 0));
    if (!state)
        return false;
    if (message == WM_SETFONT) {
        state->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(uintptr_t(lParam)))
            InvalidateRect(hwnd, nullptr, true);
        *result = 0;
        return true;
    }
    if (message == WM_GETFONT) {
        *result = reinterpret_cast<LRESULT>(state->font);
        return true;
    }
    return false;
}

HFONT ControlFont(HWND hwnd) {
    auto* state = reinterpret_cast<ControlState*>(GetWindowLongPtr(hwnd, 0));
    if (state && state->font)
        return state->font;
    return GetStockObject(DEFAULT_GUI_FONT);
}

TEXTMETRIC ControlFontMetrics(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
    TEXTMETRIC metrics;
    GetTextMetrics(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return metrics;
}

LRESULT SetTextAndRedraw(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    LRESULT result = DefWindowProc(hwnd, WM_SETTEXT, wParam, lParam);
    InvalidateRect(hwnd, nullptr, true);
    return result;
}

HWND NotifyWindow(HWND hwnd) {
    auto* state = reinterpret_cast<ControlState*>(GetWindowLongPtr(hwnd, 0));
    if (state && state->notifyTarget)
        return state->notifyTarget;
    return GetParent(hwnd);
}

void NotifyParent(HWND hwnd, uint16_t code) {
    HWND target = NotifyWindow(hwnd);
    if (!target)
        return;
    SendMessage(target, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code),
                reinterpret_cast<LPARAM>(hwnd));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

bool PaintParentBackground(HWND hwnd, HDC dc, uint32_t ctlColorMessage, const RECT& rect,
                           COLORREF fallback) {
    SetTextColor(dc, colors::kText);
    HWND parent = GetParent(hwnd);
    HBRUSH brush = nullptr;
    if (parent) {
        brush = reinterpret_cast<HBRUSH>(SendMessage(
            parent, ctlColorMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    }
    if (brush) {
        FillRect(dc, &rect, brush);
        return true;
    }
    FillSolid(dc, rect, fallback);
    return false;
}

int DrawControlText(HWND hwnd, HDC dc, std::string_view text, RECT rect, uint32_t format,
                    COLORREF color) {
    HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    int height = DrawText(dc, text.data(), int(text.size()), &rect, format);
    SelectObject(dc, old);
    return height;
}

void DrawArrow(HDC dc, const RECT& box, Arrow direction, COLORREF color) {
    int cx = (box.left + box.right) / 2;
    int cy = (box.top + box.bottom) / 2;
    int size = std::max(2, std::min(box.right - box.left, box.bottom - box.top) / 4);
    HBRUSH brush = CreateSolidBrush(color);
    for (int i = 0; i < size; ++i) {
        RECT line;
        switch (direction) {
            case Arrow::Down:
                line = {cx - size + i + 1, cy - size / 2 + i, cx + size - i, cy - size / 2 + i + 1};
                break;
            case Arrow::Up:
                line = {cx - size + i + 1, cy + size / 2 - i, cx + size - i, cy + size / 2 - i + 1};
                break;
            case Arrow::Right:
                line = {cx - size / 2 + i, cy - size + i + 1, cx - size / 2 + i + 1, cy + size - i};
                break;
            case Arrow::Left:
                line = {cx + size / 2 - i, cy - size + i + 1, cx + size / 2 - i + 1, cy + size - i};
                break;
        }
        FillRect(dc, &line, brush);
    }
    DeleteObject(brush);
}

size_t NextCharBoundary(std::string_view text, size_t pos) {
    if (pos >= text.size())
        return text.size();
    auto lead = uint8_t(text[pos]);
    size_t width = 1;
    if (lead >= 0x81 && lead != 0xFF && pos + 1 < text.size()) {
        auto second = uint8_t(text[pos + 1]);
        width = (second >= 0x30 && second <= 0x39) ? 4 : 2;
    }
    return std::min(text.size(), pos + width);
}

size_t PreviousCharBoundary(std::string_view text, size_t pos) {
    // Runtime text cannot be walked backwards reliably, so walk forwards.
    size_t at = 0;
    size_t previous = 0;
    while (at < pos && at < text.size()) {
        previous = at;
        at = NextCharBoundary(text, at);
    }
    return previous;
}

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLength(hwnd);
    std::string text(size_t(length) + 1, '\0');
    int got = GetWindowText(hwnd, text.data(), length + 1);
    text.resize(size_t(std::max(0, got)));
    return text;
}

bool HasStyle(HWND hwnd, uint32_t bits) {
    return (uint32_t(GetWindowLong(hwnd, GWL_STYLE)) & bits) == bits;
}

std::string& ProgramClipboard() {
    static std::string clipboard;
    return clipboard;
}

}  // namespace platform::controls
