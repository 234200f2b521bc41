#include "runtime/unit_entry.h"

#include <cstring>

namespace rt {
namespace {

constexpr uint32_t kHeadSize = 24;
constexpr uint32_t kPointerSize = sizeof(uintptr_t);
// Offsets from T for units that are not menu items.
constexpr uint32_t kObjectAt = 0;
constexpr uint32_t kStyleAt = 8;
constexpr uint32_t kExStyleAt = 12;
constexpr uint32_t kTabOrderAt = 16;
constexpr uint32_t kOwnedHandleAt = 24;
constexpr uint32_t kValueCountAt = 36;
// Offsets from U.
constexpr uint32_t kFlagsAt = 4;
constexpr uint32_t kHandlerAt = 12;
constexpr uint32_t kEventCountAt = 12;
constexpr uint32_t kEventsAt = 16;
constexpr uint32_t kEventPairSize = 4 + kPointerSize;
// Offsets from T for menu items, and from C (after the caption).
constexpr uint32_t kCaptionAt = 12;
constexpr uint32_t kPopupAt = 4;
constexpr uint32_t kMenuTailSize = 4 + kPointerSize + 12;

void PutWord(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    out.insert(out.end(), bytes, bytes + 4);
}

void PutPointer(std::vector<uint8_t>& out, uintptr_t value) {
    uint8_t bytes[kPointerSize];
    std::memcpy(bytes, &value, kPointerSize);
    out.insert(out.end(), bytes, bytes + kPointerSize);
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void PutZeros(std::vector<uint8_t>& out, size_t count) {
    out.insert(out.end(), count, 0);
}

void PutHead(std::vector<uint8_t>& out, uint32_t type, uint32_t parent, const int32_t* geometry,
             const std::string& name, const std::string& second) {
    PutWord(out, type);
    PutWord(out, parent);
    for (int i = 0; i < 4; ++i)
        PutWord(out, geometry ? uint32_t(geometry[i]) : 0);
    PutText(out, name);
    PutText(out, second);
}

}  // namespace

UnitEntryView::UnitEntryView(uint8_t* body, uint32_t length, bool menuItem)
    : body_(body), length_(body ? length : 0), menuItem_(menuItem) {
    if (!Fits(0, kHeadSize))
        return;
    secondText_ = SkipText(kHeadSize);
    if (!secondText_)
        return;
    t_ = SkipText(secondText_);
    if (!t_)
        return;
    if (menuItem_) {
        caption_ = t_ + kCaptionAt;
        if (!Fits(t_, kCaptionAt))
            return;
        uint32_t tail = SkipText(caption_);
        if (!tail || !Fits(tail, kMenuTailSize))
            return;
        valid_ = true;
        return;
    }
    if (!Fits(t_, kValueCountAt + 4))
        return;
    uint64_t at = uint64_t(t_) + kValueCountAt + 4 + uint64_t(Word(t_ + kValueCountAt)) * 4;
    if (!Fits(at, 4))
        return;
    typeData_ = uint32_t(at);
    at += 4 + uint64_t(Word(uint32_t(at)));
    if (!Fits(at, 1))
        return;
    u_ = SkipText(uint32_t(at));
    if (!u_)
        return;
    if (TypeId() == WINDOW_UNIT_TYPE) {
        if (!Fits(u_, kHandlerAt + kPointerSize))
            return;
    } else {
        if (!Fits(u_, kEventsAt))
            return;
        eventCount_ = Word(u_ + kEventCountAt);
        if (!Fits(uint64_t(u_) + kEventsAt, uint64_t(eventCount_) * kEventPairSize))
            return;
        events_ = u_ + kEventsAt;
    }
    valid_ = true;
}

uint32_t UnitEntryView::Word(uint32_t offset) const {
    uint32_t value = 0;
    if (Fits(offset, 4))
        std::memcpy(&value, body_ + offset, 4);
    return value;
}

uintptr_t UnitEntryView::Pointer(uint32_t offset) const {
    uintptr_t value = 0;
    if (Fits(offset, kPointerSize))
        std::memcpy(&value, body_ + offset, kPointerSize);
    return value;
}

void UnitEntryView::SetPointer(uint32_t offset, uintptr_t value) {
    if (Fits(offset, kPointerSize))
        std::memcpy(body_ + offset, &value, kPointerSize);
}

uint32_t UnitEntryView::SkipText(uint32_t offset) const {
    if (offset >= length_)
        return 0;
    const void* end = std::memchr(body_ + offset, 0, length_ - offset);
    if (!end)
        return 0;
    return uint32_t(static_cast<const uint8_t*>(end) - body_) + 1;
}

const char* UnitEntryView::Name() const {
    return valid_ ? reinterpret_cast<const char*>(body_ + kHeadSize) : "";
}

const char* UnitEntryView::SecondText() const {
    return valid_ ? reinterpret_cast<const char*>(body_ + secondText_) : "";
}

WindowObject* UnitEntryView::Object() const {
    if (!valid_ || menuItem_)
        return nullptr;
    return reinterpret_cast<WindowObject*>(Pointer(t_ + kObjectAt));
}

void UnitEntryView::SetObject(WindowObject* object) {
    if (valid_ && !menuItem_)
        SetPointer(t_ + kObjectAt, reinterpret_cast<uintptr_t>(object));
}

NativeHandle UnitEntryView::OwnedHandle() const {
    return valid_ && !menuItem_ ? Pointer(t_ + kOwnedHandleAt) : 0;
}

void UnitEntryView::SetOwnedHandle(NativeHandle handle) {
    if (valid_ && !menuItem_)
        SetPointer(t_ + kOwnedHandleAt, handle);
}

int32_t UnitEntryView::Geometry(int index) const {
    return valid_ && index >= 0 && index < 4 ? int32_t(Word(8 + 4 * uint32_t(index))) : 0;
}

uint32_t UnitEntryView::Style() const {
    return valid_ && !menuItem_ ? Word(t_ + kStyleAt) : 0;
}

uint32_t UnitEntryView::ExStyle() const {
    return valid_ && !menuItem_ ? Word(t_ + kExStyleAt) : 0;
}

int32_t UnitEntryView::TabOrder() const {
    return valid_ && !menuItem_ ? int32_t(Word(t_ + kTabOrderAt)) : -1;
}

const uint8_t* UnitEntryView::TypeData(uint32_t* length) const {
    if (!valid_ || menuItem_) {
        *length = 0;
        return nullptr;
    }
    *length = Word(typeData_);
    return body_ + typeData_ + 4;
}

uint32_t UnitEntryView::Flags() const {
    return valid_ && !menuItem_ ? Word(u_ + kFlagsAt) : 0;
}

void UnitEntryView::SetFlags(uint32_t flags) {
    if (valid_ && !menuItem_)
        std::memcpy(body_ + u_ + kFlagsAt, &flags, 4);
}

uintptr_t UnitEntryView::WindowHandler() const {
    if (!valid_ || menuItem_ || TypeId() != WINDOW_UNIT_TYPE)
        return 0;
    return Pointer(u_ + kHandlerAt);
}

uint32_t UnitEntryView::EventCount() const {
    return valid_ ? eventCount_ : 0;
}

uint32_t UnitEntryView::EventNumberAt(uint32_t index) const {
    return index < EventCount() ? Word(events_ + index * kEventPairSize) : 0;
}

uintptr_t UnitEntryView::EventHandlerAt(uint32_t index) const {
    return index < EventCount() ? Pointer(events_ + index * kEventPairSize + 4) : 0;
}

int32_t UnitEntryView::Shortcut() const {
    return valid_ && menuItem_ ? int32_t(Word(t_)) : 0;
}

int32_t UnitEntryView::Level() const {
    return valid_ && menuItem_ ? int32_t(Word(t_ + 4)) : 0;
}

uint32_t UnitEntryView::MenuFlags() const {
    return valid_ && menuItem_ ? Word(t_ + 8) : 0;
}

const char* UnitEntryView::Caption() const {
    return valid_ && menuItem_ ? reinterpret_cast<const char*>(body_ + caption_) : "";
}

NativeHandle UnitEntryView::PopupHandle() const {
    if (!valid_ || !menuItem_)
        return 0;
    return Pointer(SkipText(caption_) + kPopupAt);
}

void UnitEntryView::SetPopupHandle(NativeHandle handle) {
    if (valid_ && menuItem_)
        SetPointer(SkipText(caption_) + kPopupAt, handle);
}

std::vector<uint8_t> BuildUnitEntry(const UnitEntryFields& fields) {
    std::vector<uint8_t> out;
    PutHead(out, fields.type, fields.parent, fields.geometry, fields.name, fields.second);
    PutPointer(out, reinterpret_cast<uintptr_t>(fields.object));
    PutWord(out, fields.style);
    PutWord(out, fields.exStyle);
    PutWord(out, uint32_t(fields.tabOrder));
    PutWord(out, 0);
    PutPointer(out, fields.ownedHandle);
    PutWord(out, 0);
    PutWord(out, uint32_t(fields.values.size()));
    for (uint32_t value : fields.values)
        PutWord(out, value);
    PutWord(out, uint32_t(fields.typeData.size()));
    out.insert(out.end(), fields.typeData.begin(), fields.typeData.end());
    PutText(out, fields.third);
    PutWord(out, 0);
    PutWord(out, fields.flags);
    PutWord(out, 0);
    if (fields.type == WINDOW_UNIT_TYPE) {
        PutPointer(out, fields.windowHandler);
    } else {
        PutWord(out, uint32_t(fields.events.size()));
        for (const auto& [event, handler] : fields.events) {
            PutWord(out, event);
            PutPointer(out, handler);
        }
    }
    return out;
}

std::vector<uint8_t> BuildMenuItemEntry(const MenuItemFields& fields) {
    std::vector<uint8_t> out;
    PutHead(out, fields.type, fields.parent, nullptr, fields.name, fields.second);
    PutWord(out, uint32_t(fields.shortcut));
    PutWord(out, uint32_t(fields.level));
    PutWord(out, fields.flags);
    PutText(out, fields.caption);
    PutZeros(out, kMenuTailSize);
    return out;
}

}  // namespace rt
