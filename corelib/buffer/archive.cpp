#include "corelib/buffer/archive.h"

#include <cstring>

#include "platform/base/byte_order.h"

namespace corelib {

bool Archive::WriteWord(uint32_t value) {
    uint8_t b[4];
    platform::WriteLe32(b, value);
    return Write(b, 4);
}

bool Archive::ReadWord(uint32_t& value) {
    uint8_t b[4];
    if (!Read(b, 4))
        return false;
    value = platform::ReadLe32(b);
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
