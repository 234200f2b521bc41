// The skinning engine of one thread: its scheme, the records of the
// controls it has subclassed, and the hook that attaches windows as they
// are created.
//
// Subclassing, the hook and the window procedures all belong to the thread
// that owns the windows, so each thread has an engine of its own and the
// record list needs no lock: it is only ever touched on its thread.
//
// A control whose procedure was replaced again after the skin attached to
// it (a buddy window an up-down control hooks for its arrow keys) cannot be
// unhooked without cutting the later procedure out of its chain. Such a
// control keeps the skin procedure as a plain pass-through to its original
// procedure until it is destroyed, or until the skin attaches to it again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "libs/desktop/skin/skin_types.h"

namespace desktop::skin {

class SkinEngine {
public:
    SkinEngine() = default;
    ~SkinEngine();
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    // The engine of the calling thread.
    static SkinEngine& ForThisThread();

    // Stores the scheme; 1 to 3 turn skinning off and on again (answers
    // true), anything else turns it off (answers false).
    bool SetScheme(int32_t scheme);
    int32_t Scheme() const { return scheme_; }
    bool IsOn() const { return hook_ != nullptr; }

    // Attaches every window of the thread, then installs the creation hook.
    void TurnOn();
    // Detaches every window of the thread and removes the hook.
    void TurnOff();

    // Subclasses one window when it is a control the skin draws.
    void Attach(HWND window);
    // Restores the window's own procedure and forgets its record.
    void Detach(HWND window);
    SkinRecord* Find(HWND window) const;
    // An up-down control beside an edit field that has a record: marks
    // both with the side they meet on.
    void TakeBuddy(SkinRecord& upDown);
    size_t RecordCount() const;

    // The procedure a pass-through window forwards to (null when none),
    // and forgetting it once the window is gone.
    WNDPROC PassThroughProc(HWND window) const;
    void ForgetPassThrough(HWND window);

private:
    static LRESULT CreationHook(int code, WPARAM wParam, LPARAM lParam);
    SkinRecord* Unlink(HWND window);
    void SetKindFlags(SkinRecord& record, uint32_t style);
    void DropStalePassThroughs();

    int32_t scheme_ = 0;
    SkinRecord* head_ = nullptr;
    platform::HHOOK hook_ = nullptr;
    std::vector<std::pair<HWND, WNDPROC>> passThrough_;
};

// The procedure every subclassed control runs (skin_window_proc.cpp).
LRESULT SkinWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);

}  // namespace desktop::skin
