// Makes a dialog modal to every top-level window of the program, not only
// to its owner: on construction it remembers the active window (the
// dialog's owner) and the focus, then records and disables each top-level
// window the system knows; Restore gives each window back exactly the
// enabled state it had (a window that was disabled before stays disabled),
// then the focus and the activation, each only if its window still exists.
//
// The record is a PooledBuffer of pairs of pointer-sized words:
//
//   PAIR  FIRST WORD                 SECOND WORD
//   0     owner (active) window      window that had the focus
//   1..n  a top-level window         1 if it was enabled, 0 if not
#pragma once

#include <cstdint>

#include "libs/desktop/shell/pooled_buffer.h"
#include "platform/windowing/windows.h"
#include "runtime/notify.h"

namespace desktop {

class ModalGuard {
public:
    // `system` answers SN_WINDOW_COUNT and SN_WINDOW_HANDLE.
    explicit ModalGuard(const rt::SystemCallbackSlot& system,
                        BlockPool* pool = &BlockPool::Library());
    // Restores when Restore was not called.
    ~ModalGuard();
    ModalGuard(const ModalGuard&) = delete;
    ModalGuard& operator=(const ModalGuard&) = delete;

    // The window the dialog is to be owned by; null when there was no
    // valid active window.
    platform::HWND Owner() const;
    // The number of windows recorded (and disabled).
    uint32_t GuardedCount() const;
    void Restore();

private:
    struct Pair {
        uintptr_t first;
        uintptr_t second;
    };
    Pair At(uint32_t index) const;
    bool Add(uintptr_t first, uintptr_t second);

    PooledBuffer pairs_;
    bool restored_ = false;
};

}  // namespace desktop
