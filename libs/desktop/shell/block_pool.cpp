#include "libs/desktop/shell/block_pool.h"

#include <cstring>

namespace desktop {
namespace {

uint32_t ReadCount(const uint8_t* bytes) {
    uint32_t count;
    std::memcpy(&count, bytes, sizeof count);
    return count;
}

void WriteCount(uint8_t* bytes, uint32_t count) {
    std::memcpy(bytes, &count, sizeof count);
}

}  // namespace

BlockPool& BlockPool::Library() {
    static auto* pool = new BlockPool;  // outlives buffers released during exit
    return *pool;
}

uint8_t* BlockPool::Take() {
    std::lock_guard guard(lock_);
    if (!enabled_ || ReadCount(bytes_) >= kBlockCount)
        return nullptr;
    uint8_t* marks = bytes_ + 4;
    for (uint32_t i = 0; i < kBlockCount; ++i) {
        if (marks[i] == 0) {
            marks[i] = 1;
            WriteCount(bytes_, ReadCount(bytes_) + 1);
            return bytes_ + kBlocksOffset + size_t(i) * kBlockSize;
        }
    }
    return nullptr;
}

void BlockPool::Release(uint8_t* block) {
    if (!Owns(block))
        return;
    size_t offset = size_t(block - bytes_) - kBlocksOffset;
    if (offset % kBlockSize != 0)
        return;
    std::lock_guard guard(lock_);
    uint8_t& mark = bytes_[4 + offset / kBlockSize];
    if (mark == 0)
        return;
    mark = 0;
    WriteCount(bytes_, ReadCount(bytes_) - 1);
}

bool BlockPool::Owns(const void* data) const {
    auto p = reinterpret_cast<uintptr_t>(data);
    auto base = reinterpret_cast<uintptr_t>(bytes_);
    return p >= base + kBlocksOffset && p < base + kPoolBytes;
}

uint32_t BlockPool::InUse() const {
    std::lock_guard guard(lock_);
    return ReadCount(bytes_);
}

void BlockPool::SetEnabled(bool enabled) {
    std::lock_guard guard(lock_);
    enabled_ = enabled;
}

bool BlockPool::Enabled() const {
    std::lock_guard guard(lock_);
    return enabled_;
}

}  // namespace desktop
