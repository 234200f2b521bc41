// DropReceiver: the drop-target unit's side of a drag. Registered with the
// platform for one window, it decides on entering whether the dragged data
// holds something the unit accepts, answers the effect a drop would have
// (drop_effect.h), shows the drag image, and on a drop reads each accepted
// kind of data and hands it to the unit's event routines.
//
// Reference-counted: the unit holds one reference and the platform one per
// registration and per drag in progress, so a handler that destroys the
// unit during a drop does not pull the receiver from under it. The unit
// detaches itself on destruction; a detached receiver reports nothing.
// All calls come on the thread that owns the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dragdrop/drop_interfaces.h"

namespace desktop {

// What a drop hands on. A routine answering 0 ends the drop there.
struct DropEventRoutines {
    // Events 0 to 2, with the text as a runtime text.
    int32_t (*text)(uint32_t windowId, uint32_t unitId, int32_t event,
                    const std::string& text) = nullptr;
    // Event 3, with the names in drop order.
    int32_t (*files)(uint32_t windowId, uint32_t unitId,
                     const std::vector<std::string>& names) = nullptr;
};

// Which kinds of data the unit takes.
struct DropAcceptance {
    bool files = false;
    bool text = false;
    bool firstFormat = false;
    bool secondFormat = false;
};

class DropReceiver final : public platform::dragdrop::IDropTarget {
public:
    // A new receiver holding one reference; the drag-image helper is made
    // here (none when it cannot be).
    static DropReceiver* Create();

    // Set when the unit is created outside design mode.
    void Activate(uint32_t windowId, uint32_t unitId, uint16_t firstFormat, uint16_t secondFormat,
                  const DropEventRoutines& routines);
    // The unit is going: nothing is reported any more.
    void Detach();

    DropAcceptance& Acceptance() { return accept_; }
    platform::HWND RegisteredWindow() const { return window_; }
    void SetRegisteredWindow(platform::HWND window) { window_ = window; }
    bool Accepted() const { return accepted_; }

    platform::dragdrop::HRESULT QueryInterface(const platform::dragdrop::GUID& iid,
                                               void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    platform::dragdrop::HRESULT DragEnter(platform::dragdrop::IDataObject* data, uint32_t keyState,
                                          platform::dragdrop::POINTL point,
                                          uint32_t* effect) override;
    platform::dragdrop::HRESULT DragOver(uint32_t keyState, platform::dragdrop::POINTL point,
                                         uint32_t* effect) override;
    platform::dragdrop::HRESULT DragLeave() override;
    // Always answers E_FAIL: the source must not delete what it moved.
    platform::dragdrop::HRESULT Drop(platform::dragdrop::IDataObject* data, uint32_t keyState,
                                     platform::dragdrop::POINTL point, uint32_t* effect) override;

private:
    DropReceiver();
    ~DropReceiver();

    bool OffersAccepted(platform::dragdrop::IDataObject* data) const;
    // Answers the effect and writes it to *effect.
    uint32_t Decide(uint32_t keyState, uint32_t* effect) const;
    void Deliver(platform::dragdrop::IDataObject* data);

    std::atomic<uint32_t> references_{1};
    bool accepted_ = false;
    platform::dragdrop::IDropTargetHelper* helper_ = nullptr;
    platform::HWND window_ = nullptr;
    uint16_t firstFormat_ = 0;
    uint16_t secondFormat_ = 0;
    DropAcceptance accept_;
    uint32_t windowId_ = 0;
    uint32_t unitId_ = 0;
    DropEventRoutines routines_;
};

}  // namespace desktop
