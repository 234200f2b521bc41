// A map from 32-bit ids to pointer-sized values kept in one byte buffer:
// n keys, then n values, in insertion order. Nothing is sorted or hashed:
// maps hold tens of entries and the first entry is the common look-up.
#pragma once

#include <cstdint>

#include "corelib/buffer/byte_buffer.h"

namespace rt {

class KeyMap {
public:
    using Value = uintptr_t;
    static constexpr uint32_t kPairBytes = sizeof(uint32_t) + sizeof(Value);

    explicit KeyMap(void* owner = nullptr) : owner_(owner) {}
    virtual ~KeyMap() = default;

    uint32_t Count() const { return buffer_.Length() / kPairBytes; }
    // 1 and the value and index when found; 0 for an invalid key or none.
    int Find(uint32_t key, Value* value, uint32_t* index) const;
    // The key of the first pair holding value; 0 when none.
    uint32_t KeyOf(Value value) const;
    int ValueAt(uint32_t index, Value* value) const;
    uint32_t KeyAt(uint32_t index) const;
    // Copies pairs first..first+count-1 of source before pair `position`.
    void InsertRange(int32_t position, const KeyMap& source, uint32_t first, uint32_t count);
    void AppendAll(const KeyMap& source) {
        InsertRange(int32_t(Count()), source, 0, source.Count());
    }
    // Adds one pair at the end; answers 0 when memory ran out.
    int Add(uint32_t key, Value value);
    // Removes pair `index`; answers 0 when there is none.
    int RemoveAt(uint32_t index);
    virtual void Clear() { buffer_.Clear(); }

    // Stream form: a 32-bit byte length, then the buffer's bytes.
    bool Serialize(corelib::Archive& archive);
    void* Owner() const { return owner_; }

private:
    uint32_t ReadKey(uint32_t index) const;
    Value ReadValue(uint32_t index) const;

    void* owner_;
    corelib::ByteBuffer buffer_;
};

}  // namespace rt
