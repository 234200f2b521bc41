#include "libs/desktop/shell/modal_guard.h"

#include <cstring>

namespace desktop {

using namespace platform;

namespace {

HWND AsWindow(uintptr_t word) {
    return reinterpret_cast<HWND>(word);
}

uintptr_t AsWord(HWND window) {
    return reinterpret_cast<uintptr_t>(window);
}

}  // namespace

ModalGuard::ModalGuard(const rt::SystemCallbackSlot& system, BlockPool* pool) : pairs_(pool) {
    HWND owner = GetActiveWindow();
    if (!IsWindow(owner))
        owner = nullptr;
    // The focus is taken before any window is disabled: disabling the window
    // that holds it moves it away.
    if (!Add(AsWord(owner), AsWord(GetFocus())))
        return;  // nothing recorded, so nothing is disabled
    intptr_t count = system.Call(rt::SN_WINDOW_COUNT, 0, 0);
    for (intptr_t i = 0; i < count; ++i) {
        HWND window = AsWindow(uintptr_t(system.Call(rt::SN_WINDOW_HANDLE, i, 0)));
        if (!window || !IsWindow(window) || GetParent(window))
            continue;
        // A window that cannot be recorded is left enabled rather than
        // left disabled for good.
        if (Add(AsWord(window), IsWindowEnabled(window) ? 1 : 0))
            EnableWindow(window, false);
    }
}

ModalGuard::~ModalGuard() {
    Restore();
}

HWND ModalGuard::Owner() const {
    return pairs_.Length() >= sizeof(Pair) ? AsWindow(At(0).first) : nullptr;
}

uint32_t ModalGuard::GuardedCount() const {
    uint32_t pairs = pairs_.Length() / sizeof(Pair);
    return pairs > 0 ? pairs - 1 : 0;
}

void ModalGuard::Restore() {
    if (restored_)
        return;
    restored_ = true;
    uint32_t pairs = pairs_.Length() / sizeof(Pair);
    for (uint32_t i = 1; i < pairs; ++i) {
        Pair entry = At(i);
        if (IsWindow(AsWindow(entry.first)))
            EnableWindow(AsWindow(entry.first), entry.second != 0);
    }
    if (pairs > 0) {
        Pair first = At(0);
        if (IsWindow(AsWindow(first.second)))
            SetFocus(AsWindow(first.second));
        if (IsWindow(AsWindow(first.first)))
            SetActiveWindow(AsWindow(first.first));
    }
    pairs_.Clear();
}

ModalGuard::Pair ModalGuard::At(uint32_t index) const {
    Pair entry;
    std::memcpy(&entry, pairs_.Data() + size_t(index) * sizeof(Pair), sizeof entry);
    return entry;
}

bool ModalGuard::Add(uintptr_t first, uintptr_t second) {
    Pair entry{first, second};
    return pairs_.Append(&entry, sizeof entry) >= 0;
}

}  // namespace desktop
