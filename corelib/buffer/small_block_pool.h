// The process-wide pool of 96 small blocks of 512 bytes that short byte
// buffers live in, so the many small buffers of commands and unit objects
// cost no heap calls.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace corelib {

// One static block of 49,252 bytes: a 32-bit count of slots in use, 96 slot
// flags (1 = in use), then the 96 slots (slot i at 100 + 512 * i).
class SmallBlockPool {
public:
    static constexpr uint32_t kSlotCount = 96;
    static constexpr uint32_t kSlotSize = 512;
    static constexpr size_t kSlotsOffset = 100;
    static constexpr size_t kPoolBytes = kSlotsOffset + size_t(kSlotCount) * kSlotSize;

    static SmallBlockPool& Instance();

    // Claims the first free slot; null when all 96 are in use. Safe to call
    // from several threads: each flag is claimed with an atomic exchange.
    uint8_t* Take();
    void Release(uint8_t* slot);
    bool Owns(const void* data) const {
        auto p = reinterpret_cast<uintptr_t>(data);
        auto base = reinterpret_cast<uintptr_t>(bytes_);
        return p >= base + kSlotsOffset && p < base + kPoolBytes;
    }
    uint32_t SlotOf(const void* data) const {
        return static_cast<uint32_t>((static_cast<const uint8_t*>(data) - bytes_ - kSlotsOffset) /
                                     kSlotSize);
    }
    uint32_t InUse() const;
    const uint8_t* Bytes() const { return bytes_; }

private:
    SmallBlockPool() = default;
    std::atomic_ref<uint32_t> Count() const;
    std::atomic_ref<uint8_t> Flag(uint32_t slot) const;

    alignas(64) mutable uint8_t bytes_[kPoolBytes] = {};
};
static_assert(SmallBlockPool::kPoolBytes == 49252);

// Whether new small buffers may use the pool. On by default: pool slots are
// claimed and released atomically, so buffers built on the conversion
// workers can share it with the window thread.
extern std::atomic<bool> PoolEnabled;

}  // namespace corelib
