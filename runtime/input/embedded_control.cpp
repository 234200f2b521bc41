#include "runtime/input/embedded_control.h"

namespace rt {

InPlaceObject* FocusedEmbeddedControl(const FormInput& input) {
    for (platform::HWND at = platform::GetFocus(); at && at != input.Window();
         at = platform::GetParent(at)) {
        int32_t unit = input.UnitOfWindow(at);
        if (unit < 0)
            continue;
        if ((input.TypeFlags(unit) & TYPE_FLAGS_EMBEDDED_CONTROL) != TYPE_FLAGS_EMBEDDED_CONTROL)
            return nullptr;
        if (auto* object = reinterpret_cast<InPlaceObject*>(
                platform::SendMessage(at, kInPlaceObjectQuery, 0, 0))) {
            return object;
        }
    }
    return nullptr;
}

}  // namespace rt
