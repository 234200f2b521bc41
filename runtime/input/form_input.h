// What the input steps know of the window a message belongs to: the
// window's own unit object (a FormWindowObject holding the window's input
// settings), its native window and its record in the WindowMap, and the
// look-ups over its units that every step shares.
//
// Event handlers run in the middle of the steps and may change the unit
// table or destroy the window; units are therefore named by index and
// their records are read afresh (Unit()) after anything that may run a
// handler, and Alive() is asked before the form object is used again.
#pragma once

#include <cstdint>

#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/unit_type.h"

namespace rt {

class FormInput {
public:
    FormInput(ApplicationObject& app, FormWindowObject& form);

    ApplicationObject& App() const { return app_; }
    FormWindowObject& Form() const { return form_; }
    platform::HWND Window() const { return window_; }
    uint32_t WindowId() const { return windowId_; }
    // The window's record; null when the window is not in the WindowMap.
    WindowRecord* Record() const { return app_.Windows().FindWindow(windowId_); }
    // The native window still exists and still belongs to the same object.
    bool Alive() const;

    int32_t UnitCount() const;
    // The record of unit `index`; invalid when out of range.
    UnitEntryView Unit(int32_t index) const;
    uint32_t UnitId(int32_t index) const;
    // The native window of a unit that is not a menu item; null when it has
    // none or it no longer exists.
    platform::HWND UnitWindow(int32_t index) const;
    // The unit's type flags (0 when its type does not resolve).
    uint32_t TypeFlags(int32_t index) const;
    // The routine of type operation `operation` for the unit; null when
    // missing.
    void* TypeOperation(int32_t index, int32_t operation) const;

    // The unit whose native window is `hwnd` (index 0 for the window itself);
    // -1 when none.
    int32_t UnitOfWindow(platform::HWND hwnd) const;
    // The unit whose native window is `hwnd` or the nearest ancestor of it
    // that is a unit's window, below the window itself; -1 when none.
    int32_t UnitContaining(platform::HWND hwnd) const;

    // Raises event `event` of the unit with the given arguments through
    // SN_CALL_EVENT. Answers whether a handler ran; *result is set (and
    // *hasResult true) only when the handler reported a value. Units whose
    // type raises no events are left alone.
    bool RaiseEvent(int32_t index, int32_t event, const uintptr_t* arguments, int32_t count,
                    bool* hasResult = nullptr, intptr_t* result = nullptr) const;

private:
    ApplicationObject& app_;
    FormWindowObject& form_;
    platform::HWND window_;
    uint32_t windowId_;
};

// The window object a native window is attached to, when it is the own unit
// object of a window (a FormWindowObject); null otherwise.
FormWindowObject* FormOfNativeWindow(platform::HWND hwnd);

}  // namespace rt
