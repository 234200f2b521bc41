#include "runtime/properties/value_kinds.h"

#include <cstring>

#include "corelib/commands/core_library.h"
#include "platform/base/byte_order.h"
#include "runtime/notify.h"
#include "runtime/properties/pointer_codes.h"
#include "runtime/values.h"

namespace rt {
namespace {

uint32_t ReadWord(const uint8_t* p) {
    return platform::ReadLe32(p);
}

void WriteWord(uint8_t* p, uint32_t value) {
    platform::WriteLe32(p, value);
}

PropertyValue BytesRecord(uint32_t low, uint32_t high) {
    const auto* block = static_cast<const ByteBlock*>(ValuePointer(low, high));
    if (!block)
        return {0, 0};
    return {reinterpret_cast<uintptr_t>(block->bytes()), block->length};
}

}  // namespace

KindClass ClassOfKind(int16_t kind) {
    switch (kind) {
        case KIND_WORD:
        case KIND_WORD_B:
        case KIND_WORD_C:
        case KIND_WORD_D:
        case KIND_WORD_E:
            return KindClass::Word;
        case KIND_LONG:
        case KIND_LONG_B:
            return KindClass::Long;
        case KIND_LOGICAL:
            return KindClass::Logical;
        case KIND_TEXT:
        case KIND_TEXT_B:
        case KIND_TEXT_C:
        case KIND_TEXT_D:
        case KIND_TEXT_E:
        case KIND_TEXT_F:
        case KIND_TEXT_G:
        case KIND_TEXT_H:
        case KIND_TEXT_I:
            return KindClass::Text;
        case KIND_NON_NEGATIVE:
            return KindClass::NonNegative;
        case KIND_BYTES:
        case KIND_BYTES_B:
        case KIND_BYTES_C:
        case KIND_BYTES_D:
        case KIND_BYTES_E:
            return KindClass::Bytes;
        case KIND_CODED_BYTES:
            return KindClass::CodedBytes;
        case KIND_FONT:
            return KindClass::Font;
        default:
            return KindClass::Unknown;
    }
}

void* FreshBlock(size_t size) {
    return reinterpret_cast<void*>(corelib::CallSystem(SN_ALLOC, intptr_t(size), 0));
}

char* FreshText(const char* text, size_t length) {
    if (!text || length == 0)
        return nullptr;
    auto* copy = static_cast<char*>(FreshBlock(length + 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

void* FreshByteBlock(const void* bytes, size_t length) {
    if (!bytes || length == 0 || length > UINT32_MAX - sizeof(ByteBlock))
        return nullptr;
    auto* block = static_cast<ByteBlock*>(FreshBlock(sizeof(ByteBlock) + length));
    if (!block)
        return nullptr;
    block->dimensions = 1;
    block->length = uint32_t(length);
    std::memcpy(block->bytes(), bytes, length);
    return block;
}

PropertyValue RecordFromValue(KindClass kind, uint32_t low, uint32_t high,
                              std::vector<uint8_t>* scratch) {
    switch (kind) {
        case KindClass::Word:
            return {low, 0};
        case KindClass::Long:
            return {low, high};
        case KindClass::Logical:
            return {low != 0 ? 1u : 0u, 0};
        case KindClass::Text: {
            const void* text = ValuePointer(low, high);
            return {reinterpret_cast<uintptr_t>(text ? text : EmptyText()), 0};
        }
        case KindClass::NonNegative:
            return {int32_t(low) < 0 ? 0u : low, 0};
        case KindClass::Bytes:
            return BytesRecord(low, high);
        case KindClass::CodedBytes: {
            PropertyValue record = BytesRecord(low, high);
            // A block too short to hold the code word travels as it is.
            if (record.w1 <= 3 || !scratch)
                return record;
            const auto* bytes = reinterpret_cast<const uint8_t*>(record.w0);
            scratch->assign(bytes, bytes + record.w1);
            WriteWord(scratch->data(), PointerCodeFromIndex(ReadWord(scratch->data())));
            record.w0 = reinterpret_cast<uintptr_t>(scratch->data());
            return record;
        }
        case KindClass::Font:
        case KindClass::Unknown:
            break;
    }
    return {0, 0};
}

uint64_t ValueFromRecord(KindClass kind, const PropertyValue& record) {
    switch (kind) {
        case KindClass::Word:
        case KindClass::NonNegative:
            return uint32_t(record.w0);
        case KindClass::Long:
            return uint64_t(uint32_t(record.w0)) | uint64_t(uint32_t(record.w1)) << 32;
        case KindClass::Logical:
            return record.w0 == 1 ? 1 : 0;
        case KindClass::Text: {
            const auto* text = reinterpret_cast<const char*>(record.w0);
            return PointerValue(FreshText(text, text ? std::strlen(text) : 0));
        }
        case KindClass::Bytes:
            return PointerValue(
                FreshByteBlock(reinterpret_cast<const void*>(record.w0), record.w1));
        case KindClass::CodedBytes: {
            auto* block = static_cast<ByteBlock*>(
                FreshByteBlock(reinterpret_cast<const void*>(record.w0), record.w1));
            if (block && block->length > 3)
                WriteWord(block->bytes(), PointerIndexFromCode(ReadWord(block->bytes())));
            return PointerValue(block);
        }
        case KindClass::Font:
        case KindClass::Unknown:
            break;
    }
    return 0;
}

}  // namespace rt
