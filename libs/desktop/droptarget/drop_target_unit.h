// The drop-target unit object: its child window (the form's style bits plus
// WS_CHILD | WS_CLIPSIBLINGS), its four property words, its window and unit
// ids, the design-mode flag and its DropReceiver. The window framework
// creates it through the type's entry 1 and deletes it through the virtual
// destructor, which revokes the drop registration and destroys the window.
#pragma once

#include <cstdint>
#include <vector>

#include "libs/desktop/droptarget/drop_receiver.h"
#include "runtime/runtime_objects.h"
#include "runtime/unit_type.h"

namespace desktop {

class DropTargetUnit final : public rt::WindowObject {
public:
    // Null when the window cannot be created.
    static DropTargetUnit* Create(const rt::UnitCreateArgs& args);
    ~DropTargetUnit() override;

    // Own property `index` (0 to 3); unknown indexes are ignored on set and
    // answer false on get.
    void SetProperty(int32_t index, uint32_t value);
    bool GetProperty(int32_t index, uint32_t* value) const;
    // The properties as a property block.
    std::vector<uint8_t> SaveProperties() const;

    // Registers the receiver for `window`, once per unit: false when a
    // window was named before (even when its registration failed) or when
    // the platform refuses the registration.
    bool AcceptDrops(platform::HWND window);

    DropReceiver& Receiver() { return *receiver_; }
    bool DesignMode() const { return designMode_; }

private:
    explicit DropTargetUnit(const rt::UnitCreateArgs& args);
    void ApplyAcceptance();

    uint32_t properties_[4] = {};
    uint32_t windowId_;
    uint32_t unitId_;
    bool designMode_;
    platform::HWND parent_;
    bool windowNamed_ = false;
    DropReceiver* receiver_;
};

// The type's operation look-up (entries 1, 4, 5 and 6 of unit_type.h).
void* FindDropTargetOperation(int32_t operation);

}  // namespace desktop
