// The base of the core units that live in a platform control, a child of
// the form's window: it creates the control, changes its style bits and
// destroys it again with the unit.
#pragma once

#include <cstdint>

#include "corelib/units/core_unit.h"
#include "platform/windowing/windows.h"
#include "runtime/runtime_objects.h"

namespace corelib::units {

class ControlUnit : public rt::WindowObject, public CoreUnit {
public:
    ~ControlUnit() override;

    platform::HWND Window() const { return reinterpret_cast<platform::HWND>(Handle()); }
    platform::LRESULT Send(uint32_t message, platform::WPARAM wParam = 0,
                           platform::LPARAM lParam = 0) const;
    // Changes only the `mask` bits of the control's style to `bits` and
    // redraws the control.
    void ChangeStyle(uint32_t mask, uint32_t bits);
    void Redraw() const;

protected:
    explicit ControlUnit(const rt::UnitCreateArgs& args) : CoreUnit(args) {}

    // The control, a child of args.parent at the unit's place: the form's
    // window bits (the high 16 bits of args.style: visible, disabled, tab
    // stop, group, border) with the type's own low 16 bits `typeStyle`.
    bool CreateControl(const rt::UnitCreateArgs& args, const char* className, const char* text,
                       uint32_t typeStyle);
    // Replaces the control by a new one of `typeStyle` at the same place,
    // in the same position among its siblings, keeping the window bits.
    bool RecreateControl(const char* className, const char* text, uint32_t typeStyle,
                         int32_t creationHeight);
};

// The window bits a unit's control takes from the form's style word.
constexpr uint32_t FormWindowBits(uint32_t formStyle) {
    return formStyle & ~(0xFFFFu | platform::WS_POPUP);
}

}  // namespace corelib::units
