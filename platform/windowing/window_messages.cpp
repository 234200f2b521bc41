// Sending, posting and dispatching messages; hooks on window-procedure
// calls; the default window procedure.
#include <algorithm>
#include <cstring>

#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

struct Hook {
    int type;
    HOOKPROC proc;
};

// Hooks of the calling thread per type, most recently installed first.
thread_local std::vector<Hook*> t_hooks[16];

std::vector<Hook*>* ChainFor(int type) {
    if (type < 0 || type >= 16)
        return nullptr;
    return &t_hooks[type];
}

LRESULT CallChainFrom(int type, size_t index, int code, WPARAM wParam, LPARAM lParam) {
    std::vector<Hook*>* chain = ChainFor(type);
    if (!chain || index >= chain->size())
        return 0;
    return (*chain)[index]->proc(code, wParam, lParam);
}

bool HasHooks(int type) {
    std::vector<Hook*>* chain = ChainFor(type);
    return chain && !chain->empty();
}

WNDPROC ProcOf(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w ? w->proc : nullptr;
}

}  // namespace

bool HasThreadHooks(int type) {
    return HasHooks(type);
}
LRESULT CallThreadHooks(int type, int code, WPARAM wParam, LPARAM lParam) {
    return CallChainFrom(type, 0, code, wParam, lParam);
}

ThreadState& CurrentThreadState() {
    thread_local ThreadState state;
    return state;
}

LRESULT SendLocalMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    bool fromThisThread = CurrentThreadState().sendDepthFromOthers == 0;
    if (HasHooks(WH_CALLWNDPROC)) {
        CWPSTRUCT call{lParam, wParam, message, hwnd};
        CallChainFrom(WH_CALLWNDPROC, 0, HC_ACTION, fromThisThread ? 1 : 0,
                      reinterpret_cast<LPARAM>(&call));
    }
    WNDPROC proc = ProcOf(hwnd);
    if (!proc)
        return 0;
    LRESULT result = proc(hwnd, message, wParam, lParam);
    if (HasHooks(WH_CALLWNDPROCRET)) {
        CWPRETSTRUCT ret{result, lParam, wParam, message, hwnd};
        CallChainFrom(WH_CALLWNDPROCRET, 0, HC_ACTION, fromThisThread ? 1 : 0,
                      reinterpret_cast<LPARAM>(&ret));
    }
    return result;
}

}  // namespace win

using namespace win;

HHOOK SetWindowsHookEx(int type, HOOKPROC proc, void*, ThreadId thread) {
    if (!proc || (thread != 0 && thread != GetCurrentThreadId()))
        return nullptr;
    std::vector<Hook*>* chain = ChainFor(type);
    if (!chain)
        return nullptr;
    auto* hook = new Hook{type, proc};
    chain->insert(chain->begin(), hook);
    return hook;
}

bool UnhookWindowsHookEx(HHOOK handle) {
    for (auto& chain : t_hooks) {
        auto it = std::find(chain.begin(), chain.end(), static_cast<Hook*>(handle));
        if (it != chain.end()) {
            delete *it;
            chain.erase(it);
            return true;
        }
    }
    return false;
}

LRESULT CallNextHookEx(HHOOK handle, int code, WPARAM wParam, LPARAM lParam) {
    for (int type = 0; type < 16; ++type) {
        auto& chain = t_hooks[type];
        auto it = std::find(chain.begin(), chain.end(), static_cast<Hook*>(handle));
        if (it != chain.end()) {
            return CallChainFrom(type, size_t(it - chain.begin()) + 1, code, wParam, lParam);
        }
    }
    return 0;
}

bool InSendMessage() {
    return CurrentThreadState().sendDepthFromOthers > 0;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT SendMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    ThreadId thread;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return 0;
        thread = w->thread;
    }
    if (thread == GetCurrentThreadId())
        return SendLocalMessage(hwnd, message, wParam, lParam);
    return SendToThread(thread, [=]() -> intptr_t {
        // The window may have gone, with its thread, while this waited.
        if (!IsWindow(hwnd))
            return 0;
        ThreadState& state = CurrentThreadState();
        ++state.sendDepthFromOthers;
        LRESULT result = SendLocalMessage(hwnd, message, wParam, lParam);
        --state.sendDepthFromOthers;
        return result;
    });
}

bool PostMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd)
        return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
    ThreadId thread;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        thread = w->thread;
    }
    return PostToThread(thread, hwnd, message, wParam, lParam);
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    WNDPROC proc;
    RECT updateBefore;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(msg->hwnd);
        if (!w || w->thread != GetCurrentThreadId())
            return 0;
        proc = w->proc;
        updateBefore = w->update;
    }
    NoteSynchronousKey(*msg);
    LRESULT result = proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
    if (msg->message == WM_PAINT) {
        // A procedure that ignores WM_PAINT would otherwise be asked again
        // forever; what it left exactly as it was counts as painted.
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(msg->hwnd);
        if (w && std::memcmp(&w->update, &updateBefore, sizeof(RECT)) == 0) {
            w->update = RECT{};
            w->erasePending = false;
            w->internalPaint = false;
        }
    }
    return result;
}

LRESULT MainWindowProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return int(msg.wParam);
}

LRESULT DefWindowProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<const CREATESTRUCT*>(lParam);
            if (create && create->lpszName) {
                std::lock_guard lock(RegistryLock());
                if (Window* w = FindLocked(hwnd))
                    w->text = create->lpszName;
            }
            return 1;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_ERASEBKGND: {
            HBRUSH brush = GetClassBackground(hwnd);
            if (!brush)
                return 0;
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (BeginPaint(hwnd, &paint))
                EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_SETTEXT: {
            {
                std::lock_guard lock(RegistryLock());
                Window* w = FindLocked(hwnd);
                if (!w)
                    return 0;
                auto* text = reinterpret_cast<const char*>(lParam);
                w->text = text ? text : "";
            }
            PresenterTitleChanged(hwnd);
            return 1;
        }
        case WM_GETTEXT: {
            std::lock_guard lock(RegistryLock());
            Window* w = FindLocked(hwnd);
            auto* buffer = reinterpret_cast<char*>(lParam);
            if (!w || !buffer || wParam == 0)
                return 0;
            size_t n = std::min(w->text.size(), size_t(wParam) - 1);
            std::memcpy(buffer, w->text.data(), n);
            buffer[n] = 0;
            return LRESULT(n);
        }
        case WM_GETTEXTLENGTH: {
            std::lock_guard lock(RegistryLock());
            Window* w = FindLocked(hwnd);
            return w ? LRESULT(w->text.size()) : 0;
        }
        case WM_NCLBUTTONDOWN:
            if (wParam == WPARAM(HTCAPTION))
                BeginCaptionDrag(GetAncestor(hwnd, GA_ROOT));
            return 0;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_MOUSEACTIVATE:
            return 1;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != hwnd && !IsChild(hwnd, focus))
                    SetFocus(hwnd);
            }
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC: {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE)
                SendMessage(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F1 + 3 && (lParam & (1 << 29))) {  // Alt+F4
                PostMessage(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return 0;
        case WM_MOUSEWHEEL: {
            // Unhandled wheel turns go to the parent.
            HWND parent = GetAncestor(hwnd, GA_PARENT);
            return parent ? SendMessage(parent, message, wParam, lParam) : 0;
        }
        default:
            return 0;
    }
}

}  // namespace platform
