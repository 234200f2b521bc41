#include "libs/desktop/droptarget/drop_target_unit.h"

#include <cstring>
#include <mutex>

#include "libs/desktop/droptarget/drop_events.h"
#include "libs/desktop/droptarget/drop_target_library.h"
#include "platform/dragdrop/drag_session.h"
#include "platform/windowing/windows.h"
#include "runtime/unit_property_block.h"

namespace desktop {
namespace {

namespace dd = platform::dragdrop;

constexpr const char* kUnitWindowClass = "PicbatchDropTarget";
// The unit's window is always a child that does not paint over its siblings.
constexpr uint32_t kUnitWindowStyle = platform::WS_CHILD | platform::WS_CLIPSIBLINGS;

bool RegisterUnitWindowClass() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        platform::WNDCLASS windowClass;
        windowClass.lpfnWndProc = platform::DefWindowProc;
        windowClass.lpszClassName = kUnitWindowClass;
        // The unit shows nothing of its own: it takes the window's colour.
        windowClass.hbrBackground =
            reinterpret_cast<platform::HBRUSH>(uintptr_t(platform::COLOR_BTNFACE + 1));
        ok = platform::RegisterClass(&windowClass) != 0;
    });
    return ok;
}

int32_t RaiseText(uint32_t windowId, uint32_t unitId, int32_t event, const std::string& text) {
    return RaiseDropTextEvent(DropTargetSystem(), windowId, unitId, event, text);
}

int32_t RaiseFiles(uint32_t windowId, uint32_t unitId, const std::vector<std::string>& names) {
    return RaiseDropTextEvent(DropTargetSystem(), windowId, unitId, DROP_EVENT_FILES,
                              JoinDroppedFileNames(names));
}

// ---- The entries of unit_type.h ----

rt::WindowObject* CreateEntry(const rt::UnitCreateArgs* args) {
    return args ? DropTargetUnit::Create(*args) : nullptr;
}

int32_t SetPropertyEntry(rt::WindowObject* unit, int32_t index, const rt::PropertyValue* value,
                         int32_t* /*cleared*/) {
    auto* self = dynamic_cast<DropTargetUnit*>(unit);
    if (self && value)
        self->SetProperty(index, uint32_t(value->w0));
    return 0;  // nothing of the unit's layout changes
}

uint8_t* SavePropertiesEntry(rt::WindowObject* unit, uint32_t* length) {
    if (length)
        *length = 0;
    auto* self = dynamic_cast<DropTargetUnit*>(unit);
    if (!self)
        return nullptr;
    std::vector<uint8_t> block = self->SaveProperties();
    auto* out = reinterpret_cast<uint8_t*>(
        DropTargetSystem().Call(rt::SN_ALLOC, intptr_t(block.size()), 0));
    if (!out)
        return nullptr;
    std::memcpy(out, block.data(), block.size());
    if (length)
        *length = uint32_t(block.size());
    return out;
}

int32_t GetPropertyEntry(rt::WindowObject* unit, int32_t index, rt::PropertyValue* result) {
    auto* self = dynamic_cast<DropTargetUnit*>(unit);
    uint32_t value = 0;
    if (!self || !result || !self->GetProperty(index, &value))
        return 0;
    result->w0 = value;
    result->w1 = 0;
    return 1;
}

}  // namespace

DropTargetUnit::DropTargetUnit(const rt::UnitCreateArgs& args)
    : windowId_(args.windowId),
      unitId_(args.unitId),
      designMode_(args.designMode != 0),
      parent_(reinterpret_cast<platform::HWND>(args.parent)),
      receiver_(DropReceiver::Create()) {
    if (args.propertyBlock && args.propertyBlockLength >= 1) {
        rt::PropertyBlockReader block(args.propertyBlock, args.propertyBlockLength);
        for (int32_t i = 0; i < kDropTargetPropertyCount; ++i)
            properties_[i] = block.Word(i).value_or(0);
    }
}

DropTargetUnit* DropTargetUnit::Create(const rt::UnitCreateArgs& args) {
    if (!RegisterUnitWindowClass())
        return nullptr;
    auto* unit = new DropTargetUnit(args);
    platform::HWND window = platform::CreateWindowEx(
        args.exStyle, kUnitWindowClass, "", args.style | kUnitWindowStyle, args.x, args.y,
        args.width, args.height, unit->parent_, nullptr, nullptr, nullptr);
    if (!window || !unit->Attach(reinterpret_cast<rt::NativeHandle>(window))) {
        if (window)
            platform::DestroyWindow(window);
        delete unit;
        return nullptr;
    }
    unit->ApplyAcceptance();
    if (!unit->designMode_) {
        unit->receiver_->Activate(unit->windowId_, unit->unitId_,
                                  dd::RegisterClipboardFormat(kFirstFormatName),
                                  dd::RegisterClipboardFormat(kSecondFormatName),
                                  DropEventRoutines{&RaiseText, &RaiseFiles});
    }
    return unit;
}

DropTargetUnit::~DropTargetUnit() {
    platform::HWND registered = receiver_->RegisteredWindow();
    platform::HWND found = nullptr;
    // Revoked only while the registration is still this unit's own.
    if (registered && dd::FindDropTarget(registered, &found) == receiver_ && found == registered)
        dd::RevokeDragDrop(registered);
    receiver_->Detach();
    receiver_->Release();
    auto window = reinterpret_cast<platform::HWND>(Detach());
    if (window && platform::IsWindow(window))
        platform::DestroyWindow(window);
}

void DropTargetUnit::ApplyAcceptance() {
    DropAcceptance& accept = receiver_->Acceptance();
    accept.files = properties_[DROP_ACCEPT_FILES] != 0;
    accept.text = properties_[DROP_ACCEPT_TEXT] != 0;
    accept.firstFormat = properties_[DROP_ACCEPT_FIRST_FORMAT] != 0;
    accept.secondFormat = properties_[DROP_ACCEPT_SECOND_FORMAT] != 0;
}

void DropTargetUnit::SetProperty(int32_t index, uint32_t value) {
    if (index < 0 || index >= kDropTargetPropertyCount)
        return;
    properties_[index] = value;
    // A property written at run time takes effect for the next drag, as the
    // application switches file drops on after the window has loaded.
    ApplyAcceptance();
}

bool DropTargetUnit::GetProperty(int32_t index, uint32_t* value) const {
    if (index < 0 || index >= kDropTargetPropertyCount)
        return false;
    *value = properties_[index];
    return true;
}

std::vector<uint8_t> DropTargetUnit::SaveProperties() const {
    rt::PropertyBlockWriter block;
    for (int32_t i = 0; i < kDropTargetPropertyCount; ++i)
        block.Word(i, properties_[i]);
    return block.Finish();
}

bool DropTargetUnit::AcceptDrops(platform::HWND window) {
    if (windowNamed_)
        return false;
    // The window is kept even when its registration fails, so that the unit
    // is never registered twice.
    windowNamed_ = window != nullptr;
    receiver_->SetRegisteredWindow(window);
    return dd::RegisterDragDrop(window, receiver_) == dd::S_OK;
}

void* FindDropTargetOperation(int32_t operation) {
    switch (operation) {
        case rt::UNIT_ENTRY_CREATE:
            return reinterpret_cast<void*>(&CreateEntry);
        case rt::UNIT_ENTRY_SET_PROPERTY:
            return reinterpret_cast<void*>(&SetPropertyEntry);
        case rt::UNIT_ENTRY_SAVE_PROPERTIES:
            return reinterpret_cast<void*>(&SavePropertiesEntry);
        case rt::UNIT_ENTRY_GET_PROPERTY:
            return reinterpret_cast<void*>(&GetPropertyEntry);
        default:
            return nullptr;
    }
}

}  // namespace desktop
