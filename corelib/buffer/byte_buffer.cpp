#include "corelib/buffer/byte_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/base/byte_order.h"

namespace corelib {

void CopyBytes(void* destination, const void* source, size_t count) {
    switch (count) {
        case 0:
            return;
        case 1:
            *static_cast<uint8_t*>(destination) = *static_cast<const uint8_t*>(source);
            return;
        case 2:
        case 4: {
            uint32_t word;
            std::memcpy(&word, source, count);
            std::memcpy(destination, &word, count);
            return;
        }
        default:
            std::memmove(destination, source, count);
    }
}

size_t TextSize(const char* text) {
    return text ? std::strlen(text) + 1 : 1;
}

int32_t FindWord(const uint32_t* words, int32_t count, uint32_t value) {
    for (int32_t i = 0; i < count; ++i) {
        if (words[i] == value)
            return i;
    }
    return -1;
}

void ByteBuffer::FreeData() {
    if (!data_)
        return;
    if (pool_->Owns(data_)) {
        pool_->Release(data_);
    } else {
        std::free(data_);
    }
}

void ByteBuffer::Clear() {
    FreeData();
    data_ = nullptr;
    capacity_ = length_ = 0;
}

uint8_t* ByteBuffer::Allocate(uint32_t size) {
    if (data_)
        return Resize(size);
    if (size == 0)
        return nullptr;
    if (PoolEnabled.load(std::memory_order_relaxed) && size <= SmallBlockPool::kSlotSize) {
        if (uint8_t* slot = pool_->Take()) {
            data_ = slot;
            capacity_ = SmallBlockPool::kSlotSize;
            length_ = size;
            return data_;
        }
    }
    if (size > UINT32_MAX - kHeapSlack)
        return nullptr;
    auto* block = static_cast<uint8_t*>(std::malloc(size_t(size) + kHeapSlack));
    if (!block) {
        capacity_ = length_ = 0;
        return nullptr;
    }
    data_ = block;
    capacity_ = size + kHeapSlack;
    length_ = size;
    return data_;
}

uint8_t* ByteBuffer::Resize(uint32_t size) {
    if (size == 0) {
        Clear();
        return nullptr;
    }
    if (!data_)
        return Allocate(size);
    bool inPool = pool_->Owns(data_);
    if (capacity_ >= size && (inPool || capacity_ - size <= kShrinkThreshold)) {
        length_ = size;
        return data_;
    }
    if (size > UINT32_MAX - kHeapSlack)
        return nullptr;
    if (inPool) {
        auto* block = static_cast<uint8_t*>(std::malloc(size_t(size) + kHeapSlack));
        if (!block)
            return nullptr;
        std::memcpy(block, data_, std::min(length_, size));
        pool_->Release(data_);
        data_ = block;
    } else {
        auto* block = static_cast<uint8_t*>(std::realloc(data_, size_t(size) + kHeapSlack));
        if (!block)
            return nullptr;
        data_ = block;
    }
    capacity_ = size + kHeapSlack;
    length_ = size;
    return data_;
}

int ByteBuffer::Append(const void* source, int32_t count) {
    if (count <= 0)
        return 1;
    uint32_t oldLength = length_;
    if (uint64_t(oldLength) + uint32_t(count) > UINT32_MAX)
        return 0;
    if (!Resize(oldLength + uint32_t(count)))
        return 0;
    if (source) {
        CopyBytes(data_ + oldLength, source, size_t(count));
    } else {
        std::memset(data_ + oldLength, 0, size_t(count));
    }
    return 1;
}

uint32_t ByteBuffer::AppendSmall(const void* bytes, uint32_t size) {
    if (capacity_ - length_ >= size) {
        std::memcpy(data_ + length_, bytes, size);
        length_ += size;
    } else {
        Append(bytes, int32_t(size));
    }
    return length_;
}

uint32_t ByteBuffer::AppendWord(uint32_t value) {
    uint8_t b[4];
    platform::WriteLe32(b, value);
    return AppendSmall(b, 4);
}

uint32_t ByteBuffer::AppendShort(uint16_t value) {
    uint8_t b[2];
    platform::WriteLe16(b, value);
    return AppendSmall(b, 2);
}

uint32_t ByteBuffer::AppendByte(uint8_t value) {
    return AppendSmall(&value, 1);
}

int ByteBuffer::Insert(uint32_t position, const void* source, int32_t count) {
    if (count <= 0)
        return 1;
    if (position == length_)
        return Append(source, count);
    uint32_t oldLength = length_;
    uint64_t newSize = uint64_t(std::max(position, oldLength)) + uint32_t(count);
    if (newSize > UINT32_MAX)
        return 0;
    if (!Resize(uint32_t(newSize)))
        return 0;
    if (position < oldLength) {
        std::memmove(data_ + position + count, data_ + position, oldLength - position);
    }
    if (source) {
        CopyBytes(data_ + position, source, size_t(count));
    } else {
        std::memset(data_ + position, 0, size_t(count));
    }
    return 1;
}

int ByteBuffer::Remove(int32_t position, uint32_t count) {
    if (position == -1) {
        if (count >= length_) {
            Clear();
        } else if (count > 0) {
            Resize(length_ - count);
        }
        return 1;
    }
    if (count == 0)
        return 1;
    if (!data_ || position < 0 || uint32_t(position) >= length_)
        return 0;
    uint32_t pos = uint32_t(position);
    uint32_t run = std::min(count, length_ - pos);
    if (run == length_) {
        Clear();
        return 1;
    }
    std::memmove(data_ + pos, data_ + pos + run, length_ - pos - run);
    // Shrinking never fails: at worst the block stays where it is.
    uint32_t newLength = length_ - run;
    if (!Resize(newLength))
        length_ = newLength;
    return 1;
}

int ByteBuffer::Replace(uint32_t position, uint32_t oldCount, const void* source,
                        uint32_t newCount) {
    if (oldCount == 0 || position >= length_)
        return Insert(position, source, int32_t(newCount));
    if (newCount == 0)
        return Remove(int32_t(position), oldCount);
    oldCount = std::min(oldCount, length_ - position);
    uint32_t tail = length_ - position - oldCount;
    if (newCount > oldCount) {
        uint64_t newSize = uint64_t(length_) + (newCount - oldCount);
        if (newSize > UINT32_MAX || !Resize(uint32_t(newSize)))
            return 0;
        std::memmove(data_ + position + newCount, data_ + position + oldCount, tail);
    } else if (newCount < oldCount) {
        std::memmove(data_ + position + newCount, data_ + position + oldCount, tail);
        uint32_t newLength = length_ - (oldCount - newCount);
        if (!Resize(newLength))
            length_ = newLength;
    }
    if (source) {
        CopyBytes(data_ + position, source, newCount);
    } else {
        std::memset(data_ + position, 0, newCount);
    }
    return 1;
}

void ByteBuffer::Swap(ByteBuffer& other) {
    std::swap(pool_, other.pool_);
    std::swap(data_, other.data_);
    std::swap(capacity_, other.capacity_);
    std::swap(length_, other.length_);
}

bool ByteBuffer::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        return archive.WriteWord(length_) && (length_ == 0 || archive.Write(data_, length_));
    }
    Clear();
    uint32_t length = 0;
    if (!archive.ReadWord(length))
        return false;
    if (int32_t(length) <= 0)
        return true;
    // The length word is stored data, which may claim anything: the buffer
    // grows only as the bytes arrive, so a short stream costs no more
    // memory than it holds.
    constexpr uint32_t kChunk = 1u << 20;
    for (uint32_t done = 0; done < length;) {
        const uint32_t count = std::min(kChunk, length - done);
        if (!Resize(done + count) || !archive.Read(data_ + done, count)) {
            Clear();
            return false;
        }
        done += count;
    }
    return true;
}

}  // namespace corelib
