// The property block of a core unit, in both directions: read through the
// unit's setter when the unit is created, written from its getter by
// entry 5. Values are kept as the unit stores them: words as words, texts
// as their bytes, byte blocks as their bytes, a font as its 60 bytes.
#include <cstring>
#include <optional>
#include <string>

#include "corelib/commands/core_library.h"
#include "corelib/units/core_unit.h"
#include "runtime/notify.h"
#include "runtime/properties/value_kinds.h"
#include "runtime/unit_property_block.h"

namespace corelib::units {
namespace {

rt::KindClass KindAt(const CoreUnit& unit, int32_t index) {
    return rt::ClassOfKind(unit.Type().properties[index].kind);
}

void ApplyOne(CoreUnit& unit, const rt::PropertyBlockReader& reader, int32_t index) {
    rt::PropertyValue value{0, 0};
    std::string text;  // keeps a text terminated while the setter reads it
    switch (KindAt(unit, index)) {
        case rt::KindClass::Word:
        case rt::KindClass::NonNegative:
        case rt::KindClass::Logical: {
            std::optional<uint32_t> word = reader.Word(index);
            if (!word)
                return;
            value.w0 = *word;
            break;
        }
        case rt::KindClass::Long: {
            std::optional<std::string_view> bytes = reader.Bytes(index);
            if (!bytes || bytes->size() != 8)
                return;
            uint32_t words[2];
            std::memcpy(words, bytes->data(), 8);
            value = {words[0], words[1]};
            break;
        }
        case rt::KindClass::Text: {
            std::optional<std::string_view> bytes = reader.Bytes(index);
            if (!bytes)
                return;
            text.assign(bytes->data(), bytes->size());
            value.w0 = reinterpret_cast<uintptr_t>(text.c_str());
            break;
        }
        case rt::KindClass::Bytes:
        case rt::KindClass::CodedBytes:
        case rt::KindClass::Font: {
            std::optional<std::string_view> bytes = reader.Bytes(index);
            if (!bytes)
                return;
            value = {reinterpret_cast<uintptr_t>(bytes->data()), bytes->size()};
            break;
        }
        case rt::KindClass::Unknown:
            return;
    }
    unit.SetOwn(index, value);
}

}  // namespace

void ApplyPropertyBlock(CoreUnit& unit, const uint8_t* block, uint32_t length, const int32_t* order,
                        int32_t orderCount) {
    rt::PropertyBlockReader reader(block, length);
    if (!reader.Valid())
        return;
    int32_t count = unit.Type().propertyCount;
    if (order) {
        for (int32_t i = 0; i < orderCount; ++i) {
            if (order[i] >= 0 && order[i] < count)
                ApplyOne(unit, reader, order[i]);
        }
        return;
    }
    for (int32_t index = 0; index < count; ++index)
        ApplyOne(unit, reader, index);
}

uint8_t* SaveUnitPropertiesEntry(rt::WindowObject* object, uint32_t* length) {
    if (length)
        *length = 0;
    auto* unit = dynamic_cast<CoreUnit*>(object);
    if (!unit)
        return nullptr;
    rt::PropertyBlockWriter writer;
    for (int32_t index = 0; index < unit->Type().propertyCount; ++index) {
        rt::PropertyValue value{0, 0};
        unit->GetOwn(index, &value);
        switch (KindAt(*unit, index)) {
            case rt::KindClass::Word:
            case rt::KindClass::NonNegative:
            case rt::KindClass::Logical:
                writer.Word(index, uint32_t(value.w0));
                break;
            case rt::KindClass::Long: {
                uint32_t words[2] = {uint32_t(value.w0), uint32_t(value.w1)};
                writer.Bytes(index, std::string_view(reinterpret_cast<const char*>(words), 8));
                break;
            }
            case rt::KindClass::Text:
                writer.Bytes(index, TextOf(value));
                break;
            case rt::KindClass::Bytes:
            case rt::KindClass::CodedBytes:
            case rt::KindClass::Font:
                // A unit without a font of its own saves none: it keeps the
                // default when loaded again.
                if (value.w0 && value.w1)
                    writer.Bytes(index, BytesOf(value));
                break;
            case rt::KindClass::Unknown:
                break;
        }
    }
    std::vector<uint8_t> bytes = writer.Finish();
    auto* out = reinterpret_cast<uint8_t*>(CallSystem(rt::SN_ALLOC, intptr_t(bytes.size()), 0));
    if (!out)
        return nullptr;
    std::memcpy(out, bytes.data(), bytes.size());
    if (length)
        *length = uint32_t(bytes.size());
    return out;
}

}  // namespace corelib::units
