// Controls embedded in a window from a library of their own (unit types
// with both bits of TYPE_FLAGS_EMBEDDED_CONTROL) see keys before the
// window's conventions do. The unit's native window answers
// kInPlaceObjectQuery with its in-place object (null when it has none).
#pragma once

#include <cstdint>

#include "runtime/input/form_input.h"

namespace rt {

inline constexpr uint32_t kInPlaceObjectQuery = 0x81F5;

class InPlaceObject {
public:
    // The control's own accelerators, for key and mouse messages; true when
    // the message was used (it is then not dispatched).
    virtual bool TranslateAccelerator(platform::MSG* msg) = 0;
    // The control's mnemonics, for character messages; true when one
    // matched.
    virtual bool TakeMnemonic(platform::MSG* msg) = 0;

protected:
    ~InPlaceObject() = default;
};

// The in-place object of the embedded control that holds the focus:
// walking up from the focus window to the window itself, the first unit
// window that answers the query; the walk stops at a unit that is not an
// embedded control. Null when there is none.
InPlaceObject* FocusedEmbeddedControl(const FormInput& input);

}  // namespace rt
