// "Static": text, icons, bitmaps, filled and etched rectangles.
#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"

namespace platform::controls {
namespace {

struct StaticState : ControlState {
    HGDIOBJ image = nullptr;
};

void Paint(HWND hwnd, StaticState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    uint32_t style = uint32_t(GetWindowLong(hwnd, GWL_STYLE));
    uint32_t type = style & SS_TYPEMASK;
    switch (type) {
        case SS_BLACKRECT:
            FillSolid(dc, client, RGB(0, 0, 0));
            break;
        case SS_GRAYRECT:
            FillSolid(dc, client, RGB(128, 128, 128));
            break;
        case SS_WHITERECT:
            FillSolid(dc, client, RGB(255, 255, 255));
            break;
        case SS_ETCHEDHORZ: {
            PaintParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, client, colors::kFace);
            RECT line{client.left, client.top, client.right, client.top + 1};
            FillSolid(dc, line, colors::kBorder);
            OffsetRect(&line, 0, 1);
            FillSolid(dc, line, colors::kField);
            break;
        }
        case SS_ICON:
        case SS_BITMAP: {
            PaintParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, client, colors::kFace);
            if (!state->image)
                break;
            SIZE size{};
            if (type == SS_ICON) {
                GetIconSize(state->image, &size);
            } else {
                BITMAP info;
                if (GetObject(state->image, sizeof(info), &info))
                    size = {info.bmWidth, info.bmHeight};
            }
            int x = client.left;
            int y = client.top;
            if (style & SS_CENTERIMAGE) {
                x = (client.right - size.cx) / 2;
                y = (client.bottom - size.cy) / 2;
            }
            if (type == SS_ICON) {
                DrawIconEx(dc, x, y, state->image, size.cx, size.cy, 0, nullptr, DI_NORMAL);
            } else {
                HDC source = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(source, state->image);
                BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCCOPY);
                SelectObject(source, old);
                DeleteDC(source);
            }
            break;
        }
        default: {
            PaintParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, client, colors::kFace);
            COLORREF color = IsWindowEnabled(hwnd) ? GetTextColor(dc) : colors::kGrayText;
            uint32_t format = DT_WORDBREAK;
            if (type == SS_CENTER)
                format |= DT_CENTER;
            if (type == SS_RIGHT)
                format |= DT_RIGHT;
            if (style & SS_NOPREFIX)
                format |= DT_NOPREFIX;
            if (style & SS_CENTERIMAGE)
                format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
            DrawControlText(hwnd, dc, WindowText(hwnd), client, format, color);
        }
    }
    if (style & SS_SUNKEN)
        FrameSolid(dc, client, colors::kBorder);
    EndPaint(hwnd, &paint);
}

// Every message but the common ones and WM_PAINT (ControlWindowProcedure).
LRESULT StaticMessage(HWND hwnd, StaticState* state, uint32_t message, WPARAM wParam,
                      LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_SETTEXT:
            return SetTextAndRedraw(hwnd, wParam, lParam);
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, true);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if ((uint32_t(GetWindowLong(hwnd, GWL_STYLE)) & SS_NOTIFY) != 0) {
                NotifyParent(hwnd, message == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
            }
            return 0;
        case STM_SETICON:
        case STM_SETIMAGE: {
            HGDIOBJ previous = state->image;
            state->image =
                reinterpret_cast<HGDIOBJ>(message == STM_SETICON ? LPARAM(wParam) : lParam);
            InvalidateRect(hwnd, nullptr, true);
            return reinterpret_cast<LRESULT>(previous);
        }
        case STM_GETICON:
        case STM_GETIMAGE:
            return reinterpret_cast<LRESULT>(state->image);
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC StaticWindowProc() {
    return ControlWindowProcedure<StaticState, Paint, StaticMessage>;
}

}  // namespace platform::controls
