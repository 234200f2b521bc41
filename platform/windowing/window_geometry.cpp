// Window geometry: client and window rectangles, moving, sizing and
// z-order, coordinate mapping and finding the window under a point.
#include <algorithm>

#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

// Carries out SetWindowPos's z-order request; answers whether the window
// gained or lost WS_EX_TOPMOST. Only top-level windows can be topmost;
// sending a topmost window to the bottom ends its topmost standing.
bool ReorderLocked(Window& w, HWND insertAfter) {
    bool wasTopmost = w.exStyle & WS_EX_TOPMOST;
    HWND after = insertAfter;
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        if (!w.IsChildWindow()) {
            if (insertAfter == HWND_TOPMOST) {
                w.exStyle |= WS_EX_TOPMOST;
            } else {
                w.exStyle &= ~WS_EX_TOPMOST;
            }
        }
        after = HWND_TOP;
    } else if (insertAfter == HWND_BOTTOM && !w.IsChildWindow()) {
        w.exStyle &= ~WS_EX_TOPMOST;
    }
    PlaceInZOrderLocked(w.handle, after);
    return wasTopmost != bool(w.exStyle & WS_EX_TOPMOST);
}

}  // namespace
}  // namespace win

using namespace win;

bool GetClientRect(HWND hwnd, RECT* rect) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !rect)
        return false;
    *rect = RECT{0, 0, w->Width(), w->Height()};
    return true;
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !rect)
        return false;
    POINT origin = ScreenOriginLocked(*w);
    *rect = RECT{origin.x, origin.y, origin.x + w->Width(), origin.y + w->Height()};
    return true;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height,
                  uint32_t flags) {
    bool moved = false, resized = false, topmostChanged = false, topLevel;
    int newWidth, newHeight;
    RECT newRect;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        topLevel = !w->IsChildWindow();
        RECT r = w->rect;
        if (!(flags & SWP_NOMOVE)) {
            OffsetRect(&r, x - r.left, y - r.top);
        }
        if (!(flags & SWP_NOSIZE)) {
            r.right = r.left + std::max(0, width);
            r.bottom = r.top + std::max(0, height);
        }
        moved = r.left != w->rect.left || r.top != w->rect.top;
        resized = r.right - r.left != w->Width() || r.bottom - r.top != w->Height();
        w->rect = r;
        newRect = r;
        newWidth = w->Width();
        newHeight = w->Height();
        if (resized)
            ResizeSurfaceLocked(*w);
        if (!(flags & SWP_NOZORDER))
            topmostChanged = ReorderLocked(*w, insertAfter);
    }
    if (topmostChanged)
        PresenterTopmostChanged(hwnd);
    if (flags & SWP_FRAMECHANGED) {
        SendMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&newRect));
        RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
    if (moved || resized)
        SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, 0);
    if (moved)
        SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(newRect.left, newRect.top));
    if (resized) {
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(newWidth, newHeight));
        if (!(flags & SWP_NOREDRAW))
            InvalidateTree(hwnd);
    }
    if (moved || resized)
        MarkDirty(hwnd);
    if (topLevel && (moved || resized))
        PresenterGeometryChanged(hwnd);
    if (flags & SWP_SHOWWINDOW) {
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    } else if (flags & SWP_HIDEWINDOW) {
        ShowWindow(hwnd, SW_HIDE);
    }
    return true;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !point)
        return false;
    POINT origin = ScreenOriginLocked(*w);
    point->x += origin.x;
    point->y += origin.y;
    return true;
}

bool ScreenToClient(HWND hwnd, POINT* point) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !point)
        return false;
    POINT origin = ScreenOriginLocked(*w);
    point->x -= origin.x;
    point->y -= origin.y;
    return true;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, unsigned count) {
    POINT a{}, b{};
    {
        std::lock_guard lock(RegistryLock());
        if (from) {
            Window* w = FindLocked(from);
            if (!w)
                return 0;
            a = ScreenOriginLocked(*w);
        }
        if (to) {
            Window* w = FindLocked(to);
            if (!w)
                return 0;
            b = ScreenOriginLocked(*w);
        }
    }
    int dx = a.x - b.x, dy = a.y - b.y;
    for (unsigned i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return int(uint32_t(uint16_t(dx)) | (uint32_t(uint16_t(dy)) << 16));
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(parent);
    if (!w)
        return nullptr;
    // Deepest visible, enabled child under the point.
    for (;;) {
        Window* hit = nullptr;
        for (HWND child : w->children) {
            Window* c = FindLocked(child);
            if (c && c->Visible() && !(c->style & WS_DISABLED) && PtInRect(c->rect, point)) {
                hit = c;
                break;
            }
        }
        if (!hit)
            return w->handle;
        point.x -= hit->rect.left;
        point.y -= hit->rect.top;
        w = hit;
    }
}

HWND WindowFromPoint(POINT screenPoint) {
    HWND top = nullptr;
    POINT local{};
    {
        std::lock_guard lock(RegistryLock());
        for (HWND hwnd : TopLevelOrderLocked()) {
            Window* w = FindLocked(hwnd);
            if (w && w->Visible() && PtInRect(w->rect, screenPoint)) {
                top = hwnd;
                local = POINT{screenPoint.x - w->rect.left, screenPoint.y - w->rect.top};
                break;
            }
        }
    }
    return top ? ChildWindowFromPoint(top, local) : nullptr;
}

}  // namespace platform
