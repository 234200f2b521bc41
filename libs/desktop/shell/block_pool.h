// Library 4's own pool of small blocks, which its short-lived buffers (the
// window lists of ModalGuard) take instead of heap calls. One block of
// 24,628 bytes:
//
//   OFFSET  SIZE       DESCRIPTION
//   0       4          number of blocks in use
//   4       48         in-use marks, one byte per block (1 = in use)
//   52      48 * 512   the blocks; block i starts at 52 + 512 * i
//
// A pointer belongs to the pool exactly when it lies inside the blocks.
// Taking and releasing are serialised by a lock, so buffers may be built on
// any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace desktop {

class BlockPool {
public:
    static constexpr uint32_t kBlockCount = 48;
    static constexpr uint32_t kBlockSize = 512;
    static constexpr size_t kBlocksOffset = 4 + kBlockCount;
    static constexpr size_t kPoolBytes = kBlocksOffset + size_t(kBlockCount) * kBlockSize;

    BlockPool() = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // The pool the library's buffers use.
    static BlockPool& Library();

    // The first free block, or null when all are in use or the pool is
    // switched off.
    uint8_t* Take();
    // Gives a block back; anything that is not a block in use is ignored.
    void Release(uint8_t* block);
    bool Owns(const void* data) const;
    uint32_t InUse() const;

    // Whether new small buffers may take blocks (on by default).
    void SetEnabled(bool enabled);
    bool Enabled() const;

private:
    mutable std::mutex lock_;
    bool enabled_ = true;
    alignas(16) uint8_t bytes_[kPoolBytes] = {};
};
static_assert(BlockPool::kPoolBytes == 24628);

}  // namespace desktop
