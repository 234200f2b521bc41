// ToText, ToInteger, ToBytes, BytesLength and ZeroBytes.
#include <optional>
#include <string>

#include "corelib/commands/command_arguments.h"
#include "corelib/commands/core_commands.h"
#include "corelib/commands/value_text.h"

namespace corelib {
namespace {

struct RawBytes {
    const uint8_t* data = nullptr;
    size_t length = 0;
};

// The element bytes of a numeric array, read as one-dimensional.
std::optional<RawBytes> NumericArrayBytes(const rt::ArgRecord& value) {
    if (!rt::IsArrayType(value.type))
        return std::nullopt;
    uint32_t size = rt::NumericSize(rt::ElementTypeOf(value.type));
    auto* array = static_cast<const rt::ArrayBlock*>(value.asPointer());
    if (size == 0 || !array)
        return RawBytes{};
    return RawBytes{array->elements(), size_t(array->elementCount()) * size};
}

RawBytes ByteBlockBytes(const rt::ArgRecord& value) {
    const rt::ByteBlock* block = value.asBytes();
    if (!block)
        return {};
    return {block->bytes(), block->length};
}

}  // namespace

void ToText(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::ArgRecord value = ArgumentAt(count, args, 0);
    std::optional<RawBytes> raw;
    if (value.type == rt::TYPE_BYTES)
        raw = ByteBlockBytes(value);
    if (rt::IsArrayType(value.type))
        raw = NumericArrayBytes(value).value_or(RawBytes{});
    if (raw) {
        std::string_view bytes(reinterpret_cast<const char*>(raw->data), raw->length);
        SetTextResult(result, bytes.substr(0, bytes.find('\0')));
        return;
    }
    SetTextResult(result, FormatScalar(value).value_or(std::string()));
}

void ToInteger(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::ArgRecord value = ArgumentAt(count, args, 0);
    if (value.type == rt::TYPE_TEXT) {
        rt::SetResultInt(result, ParseInteger(value.asText()));
        return;
    }
    rt::SetResultInt(result, IntegerOf(value));
}

void ToBytes(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::ArgRecord value = ArgumentAt(count, args, 0);
    RawBytes raw;
    if (rt::IsArrayType(value.type)) {
        raw = NumericArrayBytes(value).value_or(RawBytes{});
    } else if (!rt::IsCoreType(value.type)) {
        raw = {};
    } else if (value.type == rt::TYPE_TEXT) {
        std::string_view text = TextOf(value);
        raw = {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
    } else if (value.type == rt::TYPE_BYTES) {
        raw = ByteBlockBytes(value);
    } else {
        // Fixed-size values: their bytes as they sit in the record, low first.
        raw = {reinterpret_cast<const uint8_t*>(&value.low), rt::FixedValueSize(value.type)};
    }
    rt::SetResultPointer(result, NewResultBytes(raw.data, raw.length), rt::TYPE_BYTES);
}

void BytesLength(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::ArgRecord value = ArgumentAt(count, args, 0);
    const rt::ByteBlock* block = value.type == rt::TYPE_BYTES ? value.asBytes() : nullptr;
    rt::SetResultInt(result, block ? int32_t(block->length) : 0);
}

void ZeroBytes(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    int32_t length = IntegerOf(ArgumentAt(count, args, 0));
    rt::ByteBlock* block = length > 0 ? NewResultBytes(nullptr, size_t(length)) : nullptr;
    rt::SetResultPointer(result, block, rt::TYPE_BYTES);
}

}  // namespace corelib
