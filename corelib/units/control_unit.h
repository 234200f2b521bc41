// The base of the core units that live in a platform control, a child of
// the form's window: it creates the control, changes its style bits and
// destroys it again with the unit.
#pragma once

#include <cstdint>
#include <string>

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
    // Keeps a text property's value in `text` and shows it as the
    // control's text.
    void ShowText(std::string* text, const rt::PropertyValue& value);

protected:
    explicit ControlUnit(const rt::UnitCreateArgs& args) : CoreUnit(args) {}

    // The control, a child of args.parent at the unit's place: the form's
    // window bits (the high 16 bits of args.style: visible, disabled, tab
    // stop, group, border) with the type's own low 16 bits `typeStyle`.
    bool CreateControl(const rt::UnitCreateArgs& args, const char* className, const char* text,
                       uint32_t typeStyle);
    // The end of every control unit's Create: makes the unit's control (see
    // CreateControl), lets the unit show its first state (ControlCreated),
    // then applies the description's property block through the unit's
    // setter (in `order` when given; see ApplyPropertyBlock). Takes the
    // unit: answers it, or null with the unit deleted when the control
    // cannot be made.
    static rt::WindowObject* FinishCreate(ControlUnit* unit, const rt::UnitCreateArgs& args,
                                          const char* className, uint32_t typeStyle,
                                          const int32_t* order = nullptr, int32_t orderCount = 0);
    // Runs once the control exists, before the property block is applied.
    virtual void ControlCreated() {}
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
