#include "runtime/unit_property_block.h"

#include <cstring>

#include "platform/base/byte_order.h"

namespace rt {
namespace {

uint32_t ReadWord(const uint8_t* p) {
    return platform::ReadLe32(p);
}

void AppendWord(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    platform::WriteLe32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

PropertyBlockReader::PropertyBlockReader(const uint8_t* block, uint32_t length) {
    if (!block || length < 8)
        return;
    uint32_t version = ReadWord(block);
    if (version > PROPERTY_BLOCK_VERSION)
        return;
    uint32_t count = ReadWord(block + 4);
    valid_ = true;
    uint64_t at = 8;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + 8 > length)
            break;
        int32_t index = int32_t(ReadWord(block + at));
        uint32_t size = ReadWord(block + at + 4);
        if (at + 8 + size > length)
            break;
        records_.push_back(
            {index, std::string_view(reinterpret_cast<const char*>(block + at + 8), size)});
        at += 8 + ((uint64_t(size) + 3) & ~uint64_t(3));
    }
}

std::optional<uint32_t> PropertyBlockReader::Word(int32_t index) const {
    std::optional<std::string_view> bytes = Bytes(index);
    if (!bytes || bytes->size() != 4)
        return std::nullopt;
    return ReadWord(reinterpret_cast<const uint8_t*>(bytes->data()));
}

std::optional<std::string_view> PropertyBlockReader::Bytes(int32_t index) const {
    // The last record of an index wins, as if the properties were set in order.
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
        if (it->index == index)
            return it->value;
    }
    return std::nullopt;
}

void PropertyBlockWriter::Word(int32_t index, uint32_t value) {
    uint8_t bytes[4];
    platform::WriteLe32(bytes, value);
    Bytes(index, std::string_view(reinterpret_cast<const char*>(bytes), 4));
}

void PropertyBlockWriter::Bytes(int32_t index, std::string_view value) {
    AppendWord(records_, uint32_t(index));
    AppendWord(records_, uint32_t(value.size()));
    records_.insert(records_.end(), value.begin(), value.end());
    while (records_.size() % 4)
        records_.push_back(0);
    ++count_;
}

std::vector<uint8_t> PropertyBlockWriter::Finish() const {
    std::vector<uint8_t> out;
    AppendWord(out, PROPERTY_BLOCK_VERSION);
    AppendWord(out, count_);
    out.insert(out.end(), records_.begin(), records_.end());
    return out;
}

}  // namespace rt
