#include "libs/desktop/skin/message_policy.h"

#include "platform/controls/controls.h"

namespace desktop::skin {
namespace {

using namespace platform;

// The request size of a pointer-leave tracking request, and its flag.
constexpr uint32_t kTrackRequestSize = 16;

void TrackLeaving(HWND window) {
    TRACKMOUSEEVENT request;
    request.cbSize = kTrackRequestSize;
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = window;
    TrackMouseEvent(&request);
}

void SetFlag(SkinRecord& record, uint32_t flag, bool on) {
    if (on) {
        record.flags |= flag;
    } else {
        record.flags &= ~flag;
    }
}

uint32_t ButtonPolicy(SkinRecord& record, uint32_t message, WPARAM wParam) {
    switch (message) {
        case WM_SETTEXT:
        case WM_PAINT:
            return ACT_DEFAULT_THEN_PAINT;
        case WM_ERASEBKGND:
            return ACT_ORIGINAL;
        case BM_SETCHECK:
            SetFlag(record, SK_CHECKED, wParam == 1);
            SetFlag(record, SK_INDETERMINATE, wParam == 2);
            return ACT_ORIGINAL_THEN_PAINT;
        case BM_SETSTATE:
            SetFlag(record, SK_PUSHED, wParam != 0);
            return ACT_ORIGINAL_THEN_PAINT;
        case BM_SETSTYLE:
            SetFlag(record, SK_DEFAULT, wParam & 1);
            return ACT_ORIGINAL_THEN_PAINT;
        default:
            return ACT_COMMON_THEN_ORIGINAL;
    }
}

// Edit fields and list boxes share the edge frame and so the policy.
uint32_t FieldPolicy(SkinRecord& record, uint32_t message) {
    switch (message) {
        case WM_PAINT:
        case WM_NCPAINT:
        case WM_HSCROLL:
        case WM_VSCROLL:
            return ACT_ORIGINAL_THEN_PAINT;
        case WM_NCMOUSEMOVE:
            if (!(record.flags & SK_HOT)) {
                record.flags |= SK_HOT;
                return ACT_DEFAULT_THEN_PAINT;
            }
            return ACT_COMMON_THEN_ORIGINAL;
        case WM_MOUSELEAVE:
            if (record.flags & SK_HOT) {
                record.flags &= ~SK_HOT;
                return ACT_DEFAULT_THEN_PAINT;
            }
            return ACT_COMMON_THEN_ORIGINAL;
        default:
            return ACT_COMMON_THEN_ORIGINAL;
    }
}

uint32_t ComboPolicy(SkinRecord& record, uint32_t message) {
    switch (message) {
        case WM_PAINT:
        case WM_NCPAINT:
            return ACT_ORIGINAL_THEN_PAINT;
        case WM_LBUTTONDOWN:
            record.flags |= SK_PUSHED;
            return ACT_ORIGINAL_THEN_PAINT;
        case WM_LBUTTONUP:
            record.flags &= ~SK_PUSHED;
            return ACT_ORIGINAL_THEN_PAINT;
        default:
            return ACT_COMMON_THEN_ORIGINAL;
    }
}

uint32_t UpDownPolicy(SkinRecord& record, uint32_t message, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
        case WM_NCPAINT:
            return ACT_DEFAULT_THEN_PAINT;
        case WM_ERASEBKGND:
            return ACT_RETURN_LOW | 1;
        case WM_LBUTTONUP:
            record.flags &= ~SK_PUSHED;
            return ACT_ORIGINAL_THEN_PAINT;
        case WM_MOUSEMOVE:
            return UpDownHitTest(record, lParam);
        default:
            return ACT_COMMON_THEN_ORIGINAL;
    }
}

}  // namespace

uint32_t CommonStateHandler(SkinRecord& record, uint32_t message, WPARAM wParam) {
    switch (message) {
        case WM_SETFOCUS:
            record.flags |= SK_FOCUSED;
            return ACT_ORIGINAL_THEN_PAINT;
        case WM_KILLFOCUS:
            record.flags &= ~SK_FOCUSED;
            return ACT_ORIGINAL_THEN_PAINT;
        case WM_ENABLE:
            SetFlag(record, SK_DISABLED, wParam == 0);
            return ACT_ORIGINAL_THEN_PAINT;
        case WM_MOUSEMOVE:
            if (!(record.flags & SK_HOT) && !(wParam & MK_LBUTTON)) {
                TrackLeaving(record.window);
                record.flags |= SK_HOT;
                return ACT_ORIGINAL_THEN_PAINT;
            }
            return ACT_ORIGINAL_AFTER;
        case WM_MOUSELEAVE:
            if (record.flags & SK_HOT) {
                record.flags &= ~SK_HOT;
                return ACT_ORIGINAL_THEN_PAINT;
            }
            return ACT_ORIGINAL_AFTER;
        default:
            return ACT_ORIGINAL;
    }
}

uint32_t MessagePolicy(SkinRecord& record, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (record.kind) {
        case KIND_PUSH_BUTTON:
        case KIND_CHECK_BOX:
        case KIND_RADIO_BUTTON:
            return ButtonPolicy(record, message, wParam);
        case KIND_EDIT:
        case KIND_LIST_BOX:
            return FieldPolicy(record, message);
        case KIND_COMBO_BOX:
            return ComboPolicy(record, message);
        case KIND_UP_DOWN:
            return UpDownPolicy(record, message, lParam);
        case KIND_RECOGNISED_FIRST:
        case KIND_GROUP_BOX:
            if (message == WM_PAINT || message == WM_NCPAINT)
                return ACT_DEFAULT_THEN_PAINT;
            return ACT_COMMON_THEN_ORIGINAL;
        default:
            return ACT_COMMON_THEN_ORIGINAL;
    }
}

bool PointInFirstHalf(HWND window, bool horizontal, LPARAM lParam) {
    RECT client;
    GetClientRect(window, &client);
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    return horizontal ? x <= client.right / 2 : y <= client.bottom / 2;
}

uint32_t UpDownHitTest(SkinRecord& record, LPARAM lParam) {
    bool first = PointInFirstHalf(record.window, record.flags & SK_HORIZONTAL, lParam);
    if (first == bool(record.flags & SK_FIRST_HALF))
        return ACT_COMMON;
    SetFlag(record, SK_FIRST_HALF, first);
    return ACT_COMMON_ORIGINAL_PAINT;
}

}  // namespace desktop::skin
