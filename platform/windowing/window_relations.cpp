// Relations between windows (parent, owner, siblings, ancestors) and
// enumeration of windows.
#include <algorithm>

#include <unistd.h>

#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

// Calls `proc` for the windows `collectLocked` lists under the registry
// lock. The list is a snapshot so that `proc` may create or destroy
// windows; those destroyed meanwhile are skipped. Stops when `proc`
// answers false.
template <typename Collect>
bool EnumerateSnapshot(WNDENUMPROC proc, LPARAM lParam, Collect collectLocked) {
    if (!proc)
        return false;
    std::vector<HWND> snapshot;
    {
        std::lock_guard lock(RegistryLock());
        collectLocked(snapshot);
    }
    for (HWND hwnd : snapshot) {
        if (IsWindow(hwnd) && !proc(hwnd, lParam))
            return false;
    }
    return true;
}

}  // namespace
}  // namespace win

using namespace win;

HWND GetParent(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    return w->IsChildWindow() ? w->parent : w->owner;
}

HWND GetAncestor(HWND hwnd, uint32_t flags) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    if (flags == GA_PARENT)
        return w->IsChildWindow() ? w->parent : nullptr;
    return RootLocked(hwnd);
}

HWND GetWindow(HWND hwnd, uint32_t relation) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER)
        return w->owner;
    Window* parent = w->IsChildWindow() ? FindLocked(w->parent) : nullptr;
    const std::vector<HWND>& siblings = parent ? parent->children : TopLevelOrderLocked();
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    if (it == siblings.end())
        return nullptr;
    switch (relation) {
        case GW_HWNDFIRST:
            return siblings.front();
        case GW_HWNDLAST:
            return siblings.back();
        case GW_HWNDNEXT:
            return it + 1 == siblings.end() ? nullptr : *(it + 1);
        case GW_HWNDPREV:
            return it == siblings.begin() ? nullptr : *(it - 1);
        default:
            return nullptr;
    }
}

bool IsChild(HWND parent, HWND hwnd) {
    if (!parent || parent == hwnd)
        return false;
    std::lock_guard lock(RegistryLock());
    return IsSelfOrDescendantLocked(parent, hwnd);
}

HWND GetDlgItem(HWND parent, int id) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(parent);
    if (!w)
        return nullptr;
    for (HWND child : w->children) {
        Window* c = FindLocked(child);
        if (c && int(c->id) == id)
            return child;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w && w->IsChildWindow() ? int(w->id) : 0;
}

ThreadId GetWindowThreadProcessId(HWND hwnd, uint32_t* processId) {
    if (processId)
        *processId = uint32_t(getpid());
    return ThreadOf(hwnd);
}

bool EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    return EnumerateSnapshot(proc, lParam,
                             [](std::vector<HWND>& out) { out = TopLevelOrderLocked(); });
}

bool EnumThreadWindows(ThreadId thread, WNDENUMPROC proc, LPARAM lParam) {
    return EnumerateSnapshot(proc, lParam, [thread](std::vector<HWND>& out) {
        for (HWND hwnd : TopLevelOrderLocked()) {
            Window* w = FindLocked(hwnd);
            if (w && w->thread == thread)
                out.push_back(hwnd);
        }
    });
}

bool EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    return EnumerateSnapshot(
        proc, lParam, [parent](std::vector<HWND>& out) { CollectDescendantsLocked(parent, out); });
}

}  // namespace platform
