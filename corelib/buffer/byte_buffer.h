// The support library's growable byte container. Small buffers live in the
// process-wide pool of 512-byte slots; larger ones on the heap with 128 bytes
// of slack, and a heap buffer moves only to grow or when shrinking would
// waste more than 256 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "corelib/buffer/archive.h"
#include "corelib/buffer/small_block_pool.h"

namespace corelib {

class ByteBuffer {
public:
    static constexpr uint32_t kHeapSlack = 128;
    static constexpr uint32_t kShrinkThreshold = 256;

    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    virtual ~ByteBuffer() { Clear(); }

    // Both answer Data, or null on failure or for size 0; on failure the
    // buffer is as it was.
    uint8_t* Allocate(uint32_t size);
    uint8_t* Resize(uint32_t size);
    virtual void Clear();

    // Append, Insert, Replace and Remove answer 1 on success, 0 on failure;
    // a null source means zero bytes.
    int Append(const void* source, int32_t count);
    uint32_t AppendWord(uint32_t value);
    uint32_t AppendShort(uint16_t value);
    uint32_t AppendByte(uint8_t value);
    int Insert(uint32_t position, const void* source, int32_t count);
    int Replace(uint32_t position, uint32_t oldCount, const void* source, uint32_t newCount);
    // Position -1 removes from the end.
    int Remove(int32_t position, uint32_t count);
    void Swap(ByteBuffer& other);
    // Stores Length as a 32-bit little-endian word, then the bytes. Answers
    // false when the archive failed; a load that fails leaves the buffer empty.
    bool Serialize(Archive& archive);

    uint8_t* Data() { return data_; }
    const uint8_t* Data() const { return data_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Length() const { return length_; }
    bool InPool() const { return data_ && pool_->Owns(data_); }

private:
    uint32_t AppendSmall(const void* bytes, uint32_t size);
    void FreeData();

    SmallBlockPool* pool_ = &SmallBlockPool::Instance();
    uint8_t* data_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
};

// 0-based index of the first word equal to value; -1 when absent or count <= 0.
int32_t FindWord(const uint32_t* words, int32_t count, uint32_t value);
// Copies count bytes; handles overlapping ranges.
void CopyBytes(void* destination, const void* source, size_t count);
// Size of a zero-terminated text including its terminator.
size_t TextSize(const char* text);

}  // namespace corelib
