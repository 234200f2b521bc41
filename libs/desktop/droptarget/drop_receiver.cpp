#include "libs/desktop/droptarget/drop_receiver.h"

#include "libs/desktop/droptarget/drop_data.h"
#include "libs/desktop/droptarget/drop_effect.h"
#include "libs/desktop/droptarget/drop_events.h"
#include "libs/desktop/droptarget/drop_target_library.h"
#include "platform/base/text_codec.h"

namespace desktop {

namespace dd = platform::dragdrop;

DropReceiver* DropReceiver::Create() {
    return new DropReceiver;
}

DropReceiver::DropReceiver() {
    void* helper = nullptr;
    if (dd::CreateInstance(dd::CLSID_DragImageHelper, dd::IID_IDropTargetHelper, &helper) ==
        dd::S_OK)
        helper_ = static_cast<dd::IDropTargetHelper*>(helper);
}

DropReceiver::~DropReceiver() {
    if (helper_)
        helper_->Release();
}

void DropReceiver::Activate(uint32_t windowId, uint32_t unitId, uint16_t firstFormat,
                            uint16_t secondFormat, const DropEventRoutines& routines) {
    windowId_ = windowId;
    unitId_ = unitId;
    firstFormat_ = firstFormat;
    secondFormat_ = secondFormat;
    routines_ = routines;
}

void DropReceiver::Detach() {
    routines_ = DropEventRoutines{};
    accept_ = DropAcceptance{};
    accepted_ = false;
}

dd::HRESULT DropReceiver::QueryInterface(const dd::GUID& iid, void** out) {
    if (!out)
        return dd::E_POINTER;
    if (iid == dd::IID_IUnknown || iid == dd::IID_IDropTarget) {
        *out = static_cast<dd::IDropTarget*>(this);
        AddRef();
        return dd::S_OK;
    }
    *out = nullptr;
    return dd::E_NOINTERFACE;
}

uint32_t DropReceiver::AddRef() {
    return references_.fetch_add(1) + 1;
}

uint32_t DropReceiver::Release() {
    uint32_t left = references_.fetch_sub(1) - 1;
    if (left == 0)
        delete this;
    return left;
}

bool DropReceiver::OffersAccepted(dd::IDataObject* data) const {
    // Asked in this order, stopping at the first kind the source offers.
    return (accept_.text && OffersFormat(data, dd::CF_TEXT)) ||
           (accept_.files && OffersFormat(data, dd::CF_HDROP)) ||
           (accept_.firstFormat && OffersFormat(data, firstFormat_)) ||
           (accept_.secondFormat && OffersFormat(data, secondFormat_));
}

uint32_t DropReceiver::Decide(uint32_t keyState, uint32_t* effect) const {
    uint32_t allowed = effect ? *effect : kEffectNone;
    uint32_t chosen = ChooseDropEffect(accepted_, keyState, allowed);
    if (effect)
        *effect = chosen;
    return chosen;
}

dd::HRESULT DropReceiver::DragEnter(dd::IDataObject* data, uint32_t keyState, dd::POINTL point,
                                    uint32_t* effect) {
    accepted_ = OffersAccepted(data);
    uint32_t chosen = Decide(keyState, effect);
    // The drag image says what the drop would do, so it follows the decision.
    if (helper_) {
        platform::POINT at{point.x, point.y};
        helper_->DragEnter(window_, data, &at, chosen);
    }
    return dd::S_OK;
}

dd::HRESULT DropReceiver::DragOver(uint32_t keyState, dd::POINTL point, uint32_t* effect) {
    uint32_t chosen = Decide(keyState, effect);
    if (helper_) {
        platform::POINT at{point.x, point.y};
        helper_->DragOver(&at, chosen);
    }
    return dd::S_OK;
}

dd::HRESULT DropReceiver::DragLeave() {
    if (helper_)
        helper_->DragLeave();
    accepted_ = false;
    return dd::S_OK;
}

dd::HRESULT DropReceiver::Drop(dd::IDataObject* data, uint32_t keyState, dd::POINTL point,
                               uint32_t* effect) {
    AddRef();  // the event handlers may destroy the unit
    uint32_t chosen = Decide(keyState, effect);
    if (helper_) {
        platform::POINT at{point.x, point.y};
        helper_->Drop(data, &at, chosen);
    }
    accepted_ = false;
    if (chosen != kEffectNone && data)
        Deliver(data);
    Release();
    return dd::E_FAIL;
}

void DropReceiver::Deliver(dd::IDataObject* data) {
    // Each routine is read afresh: a handler may have detached the receiver.
    if (accept_.text) {
        // The source's UTF-8 text is preferred to its plain text, which it
        // may have had to make with characters lost.
        std::optional<std::string> text;
        if (std::optional<std::string> utf8 = ReadDroppedText(data, secondFormat_))
            text = platform::Utf8ToRuntime(*utf8);
        else
            text = ReadDroppedText(data, dd::CF_TEXT);
        if (text && !text->empty() && routines_.text &&
            routines_.text(windowId_, unitId_, DROP_EVENT_TEXT, *text) == 0)
            return;
    }
    if (accept_.secondFormat) {
        std::optional<std::string> utf8 = ReadDroppedText(data, secondFormat_);
        if (utf8 && !utf8->empty() && routines_.text &&
            routines_.text(windowId_, unitId_, DROP_EVENT_SECOND_FORMAT,
                           SecondFormatToRuntimeText(*utf8)) == 0)
            return;
    }
    if (accept_.firstFormat) {
        std::optional<std::string> text = ReadDroppedText(data, firstFormat_);
        if (text && !text->empty() && routines_.text &&
            routines_.text(windowId_, unitId_, DROP_EVENT_FIRST_FORMAT, *text) == 0)
            return;
    }
    if (accept_.files) {
        std::vector<std::string> names = ReadDroppedFiles(data);
        if (!names.empty() && routines_.files)
            routines_.files(windowId_, unitId_, names);
    }
}

}  // namespace desktop
