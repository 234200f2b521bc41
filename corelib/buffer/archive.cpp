#include "corelib/buffer/archive.h"

#include <cstring>

namespace corelib {

bool Archive::WriteWord(uint32_t value) {
    uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                    uint8_t(value >> 24)};
    return Write(b, 4);
}

bool Archive::ReadWord(uint32_t& value) {
    uint8_t b[4];
    if (!Read(b, 4))
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool MemoryArchive::Write(const void* data, size_t count) {
    if (!storing_)
        return false;
    auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
    return true;
}

bool MemoryArchive::Read(void* data, size_t count) {
    if (storing_ || bytes_.size() - readPos_ < count)
        return false;
    if (count)
        std::memcpy(data, bytes_.data() + readPos_, count);
    readPos_ += count;
    return true;
}

}  // namespace corelib
