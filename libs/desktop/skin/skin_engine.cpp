#include "libs/desktop/skin/skin_engine.h"

#include <algorithm>

#include "libs/desktop/skin/classify.h"
#include "platform/controls/controls.h"

namespace desktop::skin {
namespace {

using namespace platform;

// Invalidate, erase and frame, then paint and erase at once.
constexpr uint32_t kRedrawCompletely =
    RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ERASENOW;  // 0x705
static_assert(kRedrawCompletely == 0x705);

constexpr uint32_t kButtonDefaultType = BS_DEFPUSHBUTTON;
constexpr uint32_t kComboDropDown = CBS_DROPDOWN;
constexpr uint32_t kComboDropDownList = CBS_DROPDOWNLIST;

void RedrawCompletely(HWND window) {
    RedrawWindow(window, nullptr, nullptr, kRedrawCompletely);
}

// Calls `visit` for every top-level window of the calling thread and every
// descendant of each, parents before children.
template <typename Visit>
void ForEachThreadWindow(Visit visit) {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return true;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND top : windows) {
        if (!IsWindow(top))
            continue;
        visit(top);
        std::vector<HWND> descendants;
        EnumChildWindows(
            top,
            [](HWND hwnd, LPARAM list) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
                return true;
            },
            reinterpret_cast<LPARAM>(&descendants));
        for (HWND child : descendants) {
            if (IsWindow(child))
                visit(child);
        }
    }
}

}  // namespace

SkinEngine::~SkinEngine() {
    // The thread is ending: its windows can no longer be reached, so only
    // the memory is given back.
    while (head_) {
        SkinRecord* next = head_->next;
        delete head_;
        head_ = next;
    }
}

SkinEngine& SkinEngine::ForThisThread() {
    thread_local SkinEngine engine;
    return engine;
}

bool SkinEngine::SetScheme(int32_t scheme) {
    scheme_ = scheme;
    TurnOff();
    if (!IsScheme(scheme))
        return false;
    TurnOn();
    return true;
}

void SkinEngine::TurnOn() {
    ForEachThreadWindow([this](HWND window) { Attach(window); });
    if (!hook_)
        hook_ = SetWindowsHookEx(WH_CALLWNDPROC, &SkinEngine::CreationHook, nullptr,
                                 GetCurrentThreadId());
}

void SkinEngine::TurnOff() {
    if (hook_) {
        ForEachThreadWindow([this](HWND window) { Detach(window); });
        UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }
    // Whatever enumeration did not reach (a window hidden from it) is let go
    // as well, so no record outlives skinning.
    while (head_)
        Detach(head_->window);
    DropStalePassThroughs();
}

LRESULT SkinEngine::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    SkinEngine& engine = ForThisThread();
    if (code >= 0 && lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == WM_CREATE)
            engine.Attach(call->hwnd);
    }
    return CallNextHookEx(engine.hook_, code, wParam, lParam);
}

void SkinEngine::Attach(HWND window) {
    if (!window || Find(window))
        return;
    int32_t kind = Classify(window);
    if (!IsSubclassedKind(kind))
        return;
    auto style = uint32_t(GetWindowLong(window, GWL_STYLE));
    auto* record = new SkinRecord;
    record->window = window;
    record->kind = kind;
    if (style & WS_DISABLED)
        record->flags |= SK_DISABLED;
    if (GetFocus() == window)
        record->flags |= SK_FOCUSED;

    auto passed = std::find_if(passThrough_.begin(), passThrough_.end(),
                               [window](const auto& entry) { return entry.first == window; });
    if (passed != passThrough_.end()) {
        // The skin procedure is still in the window's chain: take it up again.
        record->originalProc = passed->second;
        passThrough_.erase(passed);
    } else {
        record->originalProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&SkinWindowProc)));
        if (!record->originalProc) {
            delete record;  // not a window of this thread
            return;
        }
    }
    record->next = head_;
    head_ = record;
    SetKindFlags(*record, style);
    RedrawCompletely(window);
}

void SkinEngine::SetKindFlags(SkinRecord& record, uint32_t style) {
    HWND window = record.window;
    switch (record.kind) {
        case KIND_EDIT:
            if (style & ES_READONLY)
                record.flags |= SK_READONLY;
            break;
        case KIND_COMBO_BOX:
            if ((style & CBS_KINDMASK) == kComboDropDown)
                record.flags |= SK_DROPDOWN;
            if ((style & CBS_KINDMASK) == kComboDropDownList)
                record.flags |= SK_DROPDOWNLIST;
            break;
        case KIND_UP_DOWN:
            if (style & UDS_HORZ)
                record.flags |= SK_HORIZONTAL;
            TakeBuddy(record);
            break;
        case KIND_PUSH_BUTTON:
        case KIND_CHECK_BOX:
        case KIND_RADIO_BUTTON: {
            if ((style & BS_TYPEMASK) == kButtonDefaultType)
                record.flags |= SK_DEFAULT;
            LRESULT check = SendMessage(window, BM_GETCHECK, 0, 0);
            if (check == BST_CHECKED)
                record.flags |= SK_CHECKED;
            if (check == BST_INDETERMINATE)
                record.flags |= SK_INDETERMINATE;
            break;
        }
        default:
            break;
    }
}

void SkinEngine::TakeBuddy(SkinRecord& upDown) {
    HWND window = upDown.window;
    auto style = uint32_t(GetWindowLong(window, GWL_STYLE));
    auto buddy = reinterpret_cast<HWND>(SendMessage(window, UDM_GETBUDDY, 0, 0));
    SkinRecord* field = buddy ? Find(buddy) : nullptr;
    if (!field || field->kind != KIND_EDIT)
        return;
    uint32_t before = field->flags;
    if (style & UDS_ALIGNLEFT) {
        upDown.flags |= SK_ALIGN_LEFT;
        field->flags |= SK_BUDDY_LEFT;
    } else if (style & UDS_ALIGNRIGHT) {
        upDown.flags |= SK_ALIGN_RIGHT;
        field->flags |= SK_BUDDY_RIGHT;
    }
    // The field was drawn before it knew of its neighbour.
    if (field->flags != before)
        InvalidateRect(buddy, nullptr, true);
}

SkinRecord* SkinEngine::Unlink(HWND window) {
    for (SkinRecord** link = &head_; *link; link = &(*link)->next) {
        if ((*link)->window == window) {
            SkinRecord* record = *link;
            *link = record->next;
            record->next = nullptr;
            return record;
        }
    }
    return nullptr;
}

void SkinEngine::Detach(HWND window) {
    SkinRecord* record = Unlink(window);
    if (!record)
        return;
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtr(window, GWLP_WNDPROC));
    if (current == &SkinWindowProc) {
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<intptr_t>(record->originalProc));
    } else if (IsWindow(window)) {
        passThrough_.emplace_back(window, record->originalProc);
    }
    delete record;
    RedrawCompletely(window);
}

SkinRecord* SkinEngine::Find(HWND window) const {
    for (SkinRecord* record = head_; record; record = record->next) {
        if (record->window == window)
            return record;
    }
    return nullptr;
}

size_t SkinEngine::RecordCount() const {
    size_t count = 0;
    for (SkinRecord* record = head_; record; record = record->next)
        ++count;
    return count;
}

WNDPROC SkinEngine::PassThroughProc(HWND window) const {
    for (const auto& [hwnd, proc] : passThrough_) {
        if (hwnd == window)
            return proc;
    }
    return nullptr;
}

void SkinEngine::ForgetPassThrough(HWND window) {
    std::erase_if(passThrough_, [window](const auto& entry) { return entry.first == window; });
}

void SkinEngine::DropStalePassThroughs() {
    std::erase_if(passThrough_, [](const auto& entry) { return !IsWindow(entry.first); });
}

}  // namespace desktop::skin
