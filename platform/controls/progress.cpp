// "msctls_progress32": a bar filled in proportion to a position within a
// range. Positions outside the range are shown at its ends.
#include <algorithm>

#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"

namespace platform::controls {
namespace {

struct ProgressState : ControlState {
    int32_t low = 0;
    int32_t high = 100;
    int32_t position = 0;
    int32_t step = 10;
    COLORREF bar = CLR_INVALID;
    COLORREF background = CLR_INVALID;
};

int32_t Clamp(const ProgressState* s, int64_t value) {
    int64_t lo = std::min(s->low, s->high);
    int64_t hi = std::max(s->low, s->high);
    return int32_t(std::clamp(value, lo, hi));
}

// Every change answers the previous position and redraws only when the
// position moved.
LRESULT MoveTo(HWND hwnd, ProgressState* state, int64_t position) {
    int32_t previous = state->position;
    state->position = Clamp(state, position);
    if (state->position != previous)
        InvalidateRect(hwnd, nullptr, false);
    return previous;
}

void Paint(HWND hwnd, ProgressState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    FillSolid(dc, client,
              state->background == CLR_INVALID ? RGB(230, 230, 230) : state->background);
    FrameSolid(dc, client, RGB(188, 188, 188));
    RECT inner = client;
    InflateRect(&inner, -1, -1);
    int64_t span = int64_t(state->high) - state->low;
    int64_t done = int64_t(state->position) - state->low;
    bool vertical = GetWindowLong(hwnd, GWL_STYLE) & PBS_VERTICAL;
    int extent = vertical ? inner.bottom - inner.top : inner.right - inner.left;
    int filled = span == 0 ? 0 : int(std::clamp<int64_t>(done * extent / span, 0, extent));
    RECT bar = inner;
    if (vertical) {
        bar.top = bar.bottom - filled;
    } else {
        bar.right = bar.left + filled;
    }
    COLORREF color = state->bar == CLR_INVALID ? RGB(6, 176, 37) : state->bar;
    if (!IsWindowEnabled(hwnd))
        color = colors::kBorder;
    if (filled > 0)
        FillSolid(dc, bar, color);
    EndPaint(hwnd, &paint);
}

// Every message but the common ones and WM_PAINT (ControlWindowProcedure).
LRESULT ProgressMessage(HWND hwnd, ProgressState* state, uint32_t message, WPARAM wParam,
                        LPARAM lParam) {
    switch (message) {
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, false);
            return 0;
        case PBM_SETRANGE:
        case PBM_SETRANGE32: {
            LRESULT previous = MAKELPARAM(state->low, state->high);
            if (message == PBM_SETRANGE) {
                state->low = LOWORD(uintptr_t(lParam));
                state->high = HIWORD(uintptr_t(lParam));
            } else {
                state->low = int32_t(wParam);
                state->high = int32_t(lParam);
            }
            state->position = Clamp(state, state->position);
            InvalidateRect(hwnd, nullptr, false);
            return previous;
        }
        case PBM_GETRANGE: {
            if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
                range->iLow = state->low;
                range->iHigh = state->high;
            }
            return wParam ? state->low : state->high;
        }
        case PBM_SETPOS:
            return MoveTo(hwnd, state, int32_t(wParam));
        case PBM_DELTAPOS:
            return MoveTo(hwnd, state, int64_t(state->position) + int32_t(wParam));
        case PBM_GETPOS:
            return state->position;
        case PBM_SETSTEP: {
            int32_t previous = state->step;
            state->step = int32_t(wParam);
            return previous;
        }
        case PBM_STEPIT: {
            // Stepping past the end starts again from the other end.
            int64_t next = int64_t(state->position) + state->step;
            if (next > std::max(state->low, state->high))
                next = std::min(state->low, state->high);
            if (next < std::min(state->low, state->high))
                next = std::max(state->low, state->high);
            return MoveTo(hwnd, state, next);
        }
        case PBM_SETBARCOLOR:
        case PBM_SETBKCOLOR: {
            COLORREF& slot = message == PBM_SETBARCOLOR ? state->bar : state->background;
            COLORREF previous = slot;
            slot = COLORREF(lParam);
            InvalidateRect(hwnd, nullptr, false);
            return LRESULT(previous);
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC ProgressWindowProc() {
    return ControlWindowProcedure<ProgressState, Paint, ProgressMessage>;
}

}  // namespace platform::controls
