// Drop targets registered per window, and the drag sessions that find them.
#include <map>
#include <mutex>

#include "platform/dragdrop/data_object.h"
#include "platform/dragdrop/drag_session.h"

namespace platform::dragdrop {
namespace {

std::mutex g_lock;
std::map<HWND, IDropTarget*> g_targets;

// Drops registrations whose windows are gone (their targets are released).
void ForgetDeadWindows() {
    std::vector<IDropTarget*> released;
    {
        std::lock_guard guard(g_lock);
        for (auto it = g_targets.begin(); it != g_targets.end();) {
            if (!IsWindow(it->first)) {
                released.push_back(it->second);
                it = g_targets.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (IDropTarget* target : released)
        target->Release();
}

}  // namespace

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target) {
    if (!target)
        return E_INVALIDARG;
    if (!IsWindow(hwnd))
        return DRAGDROP_E_INVALIDHWND;
    ForgetDeadWindows();
    std::lock_guard guard(g_lock);
    if (g_targets.count(hwnd))
        return DRAGDROP_E_ALREADYREGISTERED;
    target->AddRef();
    g_targets[hwnd] = target;
    // From the first registration on, drops from other programs on display
    // windows come here too.
    SetDisplayDropHandler(&OnDisplayDropEvent);
    return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd) {
    IDropTarget* target = nullptr;
    {
        std::lock_guard guard(g_lock);
        auto it = g_targets.find(hwnd);
        if (it == g_targets.end())
            return DRAGDROP_E_NOTREGISTERED;
        target = it->second;
        g_targets.erase(it);
    }
    target->Release();
    return S_OK;
}

IDropTarget* FindDropTarget(HWND hwnd, HWND* window) {
    ForgetDeadWindows();
    std::lock_guard guard(g_lock);
    for (HWND w = hwnd; w; w = GetParent(w)) {
        auto it = g_targets.find(w);
        if (it != g_targets.end()) {
            if (window)
                *window = w;
            return it->second;
        }
        if (!(GetWindowLong(w, GWL_STYLE) & int32_t(WS_CHILD)))
            break;  // stop at the top level
    }
    if (window)
        *window = nullptr;
    return nullptr;
}

DragSession::DragSession(IDataObject* data, uint32_t allowedEffects)
    : data_(data), allowed_(allowedEffects) {
    if (data_)
        data_->AddRef();
}

DragSession::~DragSession() {
    Cancel();
    if (data_)
        data_->Release();
}

uint32_t DragSession::MoveTo(POINT screen, uint32_t keyState) {
    HWND under = WindowFromPoint(screen);
    HWND window = nullptr;
    IDropTarget* target = under ? FindDropTarget(under, &window) : nullptr;
    POINTL point{screen.x, screen.y};
    if (window != window_) {
        Cancel();
        window_ = window;
        target_ = target;
        if (!target_)
            return DROPEFFECT_NONE;
        target_->AddRef();
        uint32_t effect = allowed_;
        if (target_->DragEnter(data_, keyState, point, &effect) != S_OK)
            effect = DROPEFFECT_NONE;
        return effect & allowed_;
    }
    if (!target_)
        return DROPEFFECT_NONE;
    uint32_t effect = allowed_;
    if (target_->DragOver(keyState, point, &effect) != S_OK)
        effect = DROPEFFECT_NONE;
    return effect & allowed_;
}

void DragSession::Cancel() {
    if (target_) {
        IDropTarget* target = target_;
        target_ = nullptr;
        target->DragLeave();
        target->Release();
    }
    window_ = nullptr;
}

uint32_t DragSession::Drop(POINT screen, uint32_t keyState) {
    MoveTo(screen, keyState);
    if (!target_) {
        // A window that takes files the old way gets them posted.
        HWND under = WindowFromPoint(screen);
        FORMATETC files;
        files.cfFormat = CF_HDROP;
        for (HWND w = under; w; w = GetParent(w)) {
            if (!(GetWindowLong(w, GWL_EXSTYLE) & int32_t(WS_EX_ACCEPTFILES)))
                continue;
            STGMEDIUM medium;
            if (!data_ || data_->GetData(&files, &medium) != S_OK)
                break;
            if (auto* header = static_cast<DROPFILES*>(kernel::GlobalLock(medium.hGlobal))) {
                POINT client = screen;
                ScreenToClient(w, &client);
                header->pt = client;
                kernel::GlobalUnlock(medium.hGlobal);
            }
            constexpr uint32_t WM_DROPFILES = 0x0233;
            if (!PostMessage(w, WM_DROPFILES, WPARAM(medium.hGlobal), 0))
                ReleaseStgMedium(&medium);
            return DROPEFFECT_COPY & allowed_;
        }
        return DROPEFFECT_NONE;
    }
    IDropTarget* target = target_;
    target_ = nullptr;
    window_ = nullptr;
    uint32_t effect = allowed_;
    // The answer of Drop does not change what the target did: a target
    // may report failure after taking the data.
    target->Drop(data_, keyState, POINTL{screen.x, screen.y}, &effect);
    target->Release();
    return effect & allowed_;
}

}  // namespace platform::dragdrop
