// Internal: what every standard control shares: its state object kept in
// the window's first extra word, notifications to the parent, the font,
// the colours of the plain look, and stepping through runtime text.
#pragma once

#include <string>
#include <string_view>

#include "platform/controls/controls.h"

namespace platform::controls {

// Every control's state starts with this.
struct ControlState {
    virtual ~ControlState() = default;
    HFONT font = nullptr;
    // Where notifications go when not to the parent (a combo box's list).
    HWND notifyTarget = nullptr;
};

inline constexpr int kStateBytes = int(sizeof(void*));

template <typename State>
State* StateOf(HWND hwnd) {
    return dynamic_cast<State*>(reinterpret_cast<ControlState*>(GetWindowLongPtr(hwnd, 0)));
}
void AttachState(HWND hwnd, ControlState* state);
// Deletes the state at WM_NCDESTROY.
void DetachState(HWND hwnd);

// WM_SETFONT / WM_GETFONT for every control; answers true when handled.
bool HandleFontMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The messages every control answers alike: its state is made at
// WM_NCCREATE and deleted at WM_NCDESTROY, the font is kept in the state,
// and the background is left alone because painting covers the whole
// client area. `state` is the procedure's own look-up, null before
// WM_NCCREATE. Answers true when handled, with the answer in `result`.
template <typename State>
bool HandleCommonMessage(HWND hwnd, State* state, uint32_t message, WPARAM wParam, LPARAM lParam,
                         LRESULT* result) {
    switch (message) {
        case WM_NCCREATE:
            AttachState(hwnd, new State);
            *result = DefWindowProc(hwnd, message, wParam, lParam);
            return true;
        case WM_NCDESTROY:
            DetachState(hwnd);
            *result = 0;
            return true;
        case WM_ERASEBKGND:
            *result = 1;
            return true;
        default:
            return state && HandleFontMessage(hwnd, message, wParam, lParam, result);
    }
}

// Every control's window procedure begins alike, so it is written once:
// without a state (a message before WM_NCCREATE) the window answers as a
// plain one; then come the common messages above and WM_PAINT, which paints
// with `Paint`; every other message goes to `Own`, with the state present.
template <typename State, void (*Paint)(HWND, State*),
          LRESULT (*Own)(HWND, State*, uint32_t, WPARAM, LPARAM)>
LRESULT ControlWindowProcedure(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    auto* state = StateOf<State>(hwnd);
    if (!state && message != WM_NCCREATE)
        return DefWindowProc(hwnd, message, wParam, lParam);
    LRESULT handled = 0;
    if (HandleCommonMessage(hwnd, state, message, wParam, lParam, &handled))
        return handled;
    if (message == WM_PAINT) {
        Paint(hwnd, state);
        return 0;
    }
    return Own(hwnd, state, message, wParam, lParam);
}

// WM_SETTEXT for a control that paints its text itself: keeps the text and
// redraws the whole control with it.
LRESULT SetTextAndRedraw(HWND hwnd, WPARAM wParam, LPARAM lParam);

HFONT ControlFont(HWND hwnd);
// The metrics of the control's font, from which the controls size their
// rows and fields.
TEXTMETRIC ControlFontMetrics(HWND hwnd);

// WM_COMMAND with the control's id and `code` to its parent (or target).
void NotifyParent(HWND hwnd, uint16_t code);
HWND NotifyWindow(HWND hwnd);

// The plain look.
namespace colors {
inline constexpr COLORREF kFace = RGB(240, 240, 240);
inline constexpr COLORREF kFaceHot = RGB(229, 241, 251);
inline constexpr COLORREF kFacePushed = RGB(204, 228, 247);
inline constexpr COLORREF kBorder = RGB(173, 173, 173);
inline constexpr COLORREF kAccent = RGB(0, 120, 215);
inline constexpr COLORREF kField = RGB(255, 255, 255);
inline constexpr COLORREF kText = RGB(32, 32, 32);
inline constexpr COLORREF kGrayText = RGB(160, 160, 160);
inline constexpr COLORREF kSelection = RGB(0, 120, 215);
inline constexpr COLORREF kSelectionText = RGB(255, 255, 255);
}  // namespace colors

void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);
// Asks the parent for the background (WM_CTLCOLOR*) so that a parent or a
// skin can colour the control; fills the rectangle with it and leaves the
// parent's text colour in the context. Answers whether the parent chose.
bool PaintParentBackground(HWND hwnd, HDC dc, uint32_t ctlColorMessage, const RECT& rect,
                           COLORREF fallback);
// Draws runtime text in `color` with the control's font (transparent).
int DrawControlText(HWND hwnd, HDC dc, std::string_view text, RECT rect, uint32_t format,
                    COLORREF color);
// A small filled triangle pointing down (or up/left/right).
enum class Arrow { Up, Down, Left, Right };
void DrawArrow(HDC dc, const RECT& box, Arrow direction, COLORREF color);

// Runtime text (GB18030): a byte from 0x81 starts a character of two bytes,
// or of four when the second byte is a digit.
size_t NextCharBoundary(std::string_view text, size_t pos);
size_t PreviousCharBoundary(std::string_view text, size_t pos);

std::string WindowText(HWND hwnd);
bool HasStyle(HWND hwnd, uint32_t bits);
// The thread-wide clipboard the edit fields share (runtime text).
std::string& ProgramClipboard();

}  // namespace platform::controls
