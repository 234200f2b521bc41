// Invalidation and painting, window device contexts, and composing a window
// with its children for the screen and for screenshots. Every window draws
// on a surface of its own client size; children are laid over their parent
// when the window is composed.
#include <algorithm>
#include <set>

#include "platform/graphics/png_writer.h"
#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

// Top-level windows whose pixels changed since the display last showed
// them. Never destroyed: the display thread may still look at them while
// the process exits.
std::mutex& DirtyMutex() {
    static auto* mutex = new std::mutex();
    return *mutex;
}
std::set<HWND>& Dirty() {
    static auto* dirty = new std::set<HWND>();
    return *dirty;
}

bool VisibleLocked(const Window* w) {
    while (w) {
        if (!w->Visible())
            return false;
        if (!w->IsChildWindow())
            return true;
        w = FindLocked(w->parent);
    }
    return false;
}

bool WantsPaint(const Window& w) {
    return !IsRectEmpty(w.update) || w.internalPaint;
}

void ComposeInto(const Window& w, const PixelView& out, POINT origin, RECT clip) {
    PixelView own = BitmapPixels(w.surface);
    RECT area =
        IntersectRects(clip, RECT{origin.x, origin.y, origin.x + w.Width(), origin.y + w.Height()});
    if (IsRectEmpty(area) || !own.pixels)
        return;
    {
        // Another thread may be drawing on this window right now.
        auto hold = LockBitmap(w.surface);
        for (int y = area.top; y < area.bottom; ++y) {
            const uint32_t* from = own.Row(y - origin.y) + (area.left - origin.x);
            std::copy(from, from + (area.right - area.left), out.Row(y) + area.left);
        }
    }
    // Children lower in the z-order first, so the top one ends up in front.
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
        Window* child = FindLocked(*it);
        if (!child || !child->Visible())
            continue;
        ComposeInto(*child, out, POINT{origin.x + child->rect.left, origin.y + child->rect.top},
                    area);
    }
}

HBITMAP ScreenSurface() {
    static HBITMAP surface = CreateBitmap(1, 1, 1, 32, nullptr);
    return surface;
}

}  // namespace

void InvalidateTree(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CreateSurfaceLocked(Window& w) {
    w.surface = CreateBitmap(std::max(1, w.Width()), std::max(1, w.Height()), 1, 32, nullptr);
}

void ResizeSurfaceLocked(Window& w) {
    HBITMAP old = w.surface;
    CreateSurfaceLocked(w);
    PixelView from = BitmapPixels(old), to = BitmapPixels(w.surface);
    int width = std::min(from.width, to.width), height = std::min(from.height, to.height);
    {
        auto hold = LockBitmap(old);
        for (int y = 0; y < height; ++y)
            std::copy(from.Row(y), from.Row(y) + width, to.Row(y));
    }
    // A context still drawing on the old surface keeps it alive until later.
    if (!DeleteObject(old))
        w.retiredSurfaces.push_back(old);
    std::vector<HBITMAP> keep;
    for (HBITMAP retired : w.retiredSurfaces) {
        if (!DeleteObject(retired))
            keep.push_back(retired);
    }
    w.retiredSurfaces = std::move(keep);
}

void ReleaseSurfacesLocked(Window& w) {
    DeleteObject(w.surface);
    for (HBITMAP retired : w.retiredSurfaces)
        DeleteObject(retired);
    w.surface = nullptr;
    w.retiredSurfaces.clear();
}

void MarkDirty(HWND hwnd) {
    HWND root;
    {
        std::lock_guard lock(RegistryLock());
        root = RootLocked(hwnd);
    }
    if (!root)
        return;
    {
        std::lock_guard lock(DirtyMutex());
        Dirty().insert(root);
    }
    PresenterContentChanged();
}

bool TakeDirty(HWND topLevel) {
    std::lock_guard lock(DirtyMutex());
    return Dirty().erase(topLevel) > 0;
}

HWND FindWindowToPaint(HWND filter) {
    std::lock_guard lock(RegistryLock());
    ThreadId thread = GetCurrentThreadId();
    if (filter) {
        Window* w = FindLocked(filter);
        return w && w->thread == thread && WantsPaint(*w) && VisibleLocked(w) ? filter : nullptr;
    }
    for (HWND top : TopLevelOrderLocked()) {
        Window* w = FindLocked(top);
        if (!w || w->thread != thread || !w->Visible())
            continue;
        if (WantsPaint(*w))
            return top;
        std::vector<HWND> descendants;
        CollectDescendantsLocked(top, descendants);
        for (HWND d : descendants) {
            Window* dw = FindLocked(d);
            if (dw && dw->thread == thread && WantsPaint(*dw) && VisibleLocked(dw))
                return d;
        }
    }
    return nullptr;
}

HBITMAP ComposeWindow(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    HBITMAP result =
        CreateBitmap(std::max(1, w->Width()), std::max(1, w->Height()), 1, 32, nullptr);
    PixelView out = BitmapPixels(result);
    ComposeInto(*w, out, POINT{0, 0}, RECT{0, 0, out.width, out.height});
    return result;
}

}  // namespace win

using namespace win;

bool RedrawWindow(HWND hwnd, const RECT* rect, HRGN, uint32_t flags) {
    std::vector<HWND> targets{hwnd};
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        if ((flags & RDW_ALLCHILDREN) && !(flags & RDW_NOCHILDREN))
            CollectDescendantsLocked(hwnd, targets);
        for (HWND t : targets) {
            Window* tw = FindLocked(t);
            if (!tw)
                continue;
            RECT client{0, 0, tw->Width(), tw->Height()};
            RECT area = (t == hwnd && rect) ? IntersectRects(*rect, client) : client;
            if (flags & RDW_INVALIDATE) {
                tw->update = UnionRects(tw->update, area);
                if (flags & RDW_ERASE)
                    tw->erasePending = true;
                if (flags & RDW_FRAME)
                    tw->framePending = true;
            }
            if (flags & RDW_INTERNALPAINT)
                tw->internalPaint = true;
            if (flags & RDW_VALIDATE) {
                // Rectangles only: validating part of the area keeps the rest.
                RECT& u = tw->update;
                if (!rect || (area.left <= u.left && area.top <= u.top && area.right >= u.right &&
                              area.bottom >= u.bottom)) {
                    u = RECT{};
                }
                if (flags & RDW_NOINTERNALPAINT)
                    tw->internalPaint = false;
            }
            if (flags & RDW_NOERASE)
                tw->erasePending = false;
            if (flags & RDW_NOFRAME)
                tw->framePending = false;
        }
    }
    if (!(flags & (RDW_UPDATENOW | RDW_ERASENOW)))
        return true;
    for (HWND t : targets) {
        bool frame, erase, paint;
        {
            std::lock_guard lock(RegistryLock());
            Window* tw = FindLocked(t);
            if (!tw || tw->thread != GetCurrentThreadId() || !VisibleLocked(tw))
                continue;
            frame = tw->framePending;
            erase = tw->erasePending && !IsRectEmpty(tw->update);
            paint = (flags & RDW_UPDATENOW) && WantsPaint(*tw);
            tw->framePending = false;
            if (erase)
                tw->erasePending = false;
        }
        if (frame)
            SendLocalMessage(t, WM_NCPAINT, 1, 0);
        if (erase) {
            HDC dc = GetDC(t);
            SendLocalMessage(t, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            ReleaseDC(t, dc);
        }
        if (paint && IsWindow(t))
            SendLocalMessage(t, WM_PAINT, 0, 0);
    }
    return true;
}

bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase) {
    return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

bool ValidateRect(HWND hwnd, const RECT* rect) {
    return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE);
}

bool GetUpdateRect(HWND hwnd, RECT* rect, bool erase) {
    bool pending;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        if (rect)
            *rect = w->update;
        pending = !IsRectEmpty(w->update);
    }
    if (pending && erase)
        RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW);
    return pending;
}

bool UpdateWindow(HWND hwnd) {
    return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    if (!paint)
        return nullptr;
    bool frame;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || w->thread != GetCurrentThreadId())
            return nullptr;
        frame = w->framePending;
        w->framePending = false;
    }
    if (frame)
        SendLocalMessage(hwnd, WM_NCPAINT, 1, 0);
    HDC dc;
    bool erase;
    RECT update;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return nullptr;
        update = w->update;
        erase = w->erasePending;
        w->update = RECT{};
        w->erasePending = false;
        w->internalPaint = false;
        dc = CreateSurfaceDC(w->surface, RECT{0, 0, w->Width(), w->Height()});
    }
    // Drawing is limited to what was invalid.
    IntersectClipRect(dc, update.left, update.top, update.right, update.bottom);
    paint->hdc = dc;
    paint->rcPaint = update;
    paint->fErase = false;
    if (erase) {
        paint->fErase = SendLocalMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    }
    return dc;
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (!paint)
        return false;
    DeleteDC(paint->hdc);
    MarkDirty(hwnd);
    return true;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd)
        return CreateSurfaceDC(ScreenSurface(), RECT{0, 0, 1, 1});
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    return CreateSurfaceDC(w->surface, RECT{0, 0, w->Width(), w->Height()});
}

HDC GetWindowDC(HWND hwnd) {
    return GetDC(hwnd);
}

int ReleaseDC(HWND hwnd, HDC dc) {
    if (!DeleteDC(dc))
        return 0;
    if (hwnd)
        MarkDirty(hwnd);
    return 1;
}

HBITMAP CaptureWindow(HWND hwnd) {
    return ComposeWindow(hwnd);
}

bool SaveWindowScreenshot(HWND hwnd, const std::string& utf8Path, std::string* error) {
    HBITMAP picture = ComposeWindow(hwnd);
    if (!picture) {
        if (error)
            *error = "no such window";
        return false;
    }
    bool ok = WritePng(BitmapPixels(picture), utf8Path, error);
    DeleteObject(picture);
    return ok;
}

}  // namespace platform
