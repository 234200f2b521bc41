// Keyed records of variable length kept in one byte buffer: n keys, n
// offsets, then the record area, where each record is a 32-bit length and
// its body. Records are stored in index order, so every insertion or size
// change shifts the offsets of the records after it.
//
// Any change may move the buffer: never keep a record address across one.
#pragma once

#include <cstdint>

#include "corelib/buffer/byte_buffer.h"

namespace rt {

class SectionTable {
public:
    // Tables of one window share one counter so their ids never collide.
    explicit SectionTable(uint32_t* idCounter = nullptr);
    SectionTable(const SectionTable&) = delete;
    SectionTable& operator=(const SectionTable&) = delete;
    virtual ~SectionTable() = default;

    int32_t Count() const { return count_; }
    // Body of record index and its length, or null when index >= n.
    uint8_t* EntryAt(int32_t index, uint32_t* length = nullptr);
    uint32_t KeyAt(int32_t index) const;
    // Body of the record with that key; null for an invalid key or none.
    uint8_t* Find(uint32_t key, uint32_t* length = nullptr, int32_t* index = nullptr);

    // Answer the new key (flags OR the next serial), or 0 when memory ran out.
    uint32_t Append(const void* data, uint32_t length, uint32_t flags);
    uint32_t AppendKind6(const void* data, uint32_t length) {
        return Append(data, length, 0x06000000);
    }
    int AppendKeyed(uint32_t key, const void* data, uint32_t length);
    int InsertAt(int32_t position, uint32_t key, const void* data, uint32_t length);
    uint32_t InsertGenerated(int32_t position, const void* data, uint32_t length, uint32_t flags);
    uint32_t InsertKind6(int32_t position, const void* data, uint32_t length) {
        return InsertGenerated(position, data, length, 0x06000000);
    }
    // Replaces oldLength bytes (-1: the whole body) at start of record index
    // by newLength bytes of data (zeros when data is null). Answers the number
    // of offsets examined; -1 when the index or range is invalid or memory ran
    // out.
    int32_t ReplaceBytes(int32_t index, uint32_t start, int32_t oldLength, const void* data,
                         uint32_t newLength);
    // Removes record index; answers 0 when there is none.
    int RemoveAt(int32_t index);
    void Assign(const SectionTable& other);
    void Swap(SectionTable& other);
    virtual void Clear();
    // The run of consecutive menu-item entries from the first one; 0 and
    // start -1 when there is none.
    int32_t MenuRun(int32_t* start) const;

    uint32_t* IdCounter() const { return idCounter_; }
    // Stream form: the count, then the buffer in its own stream form.
    bool Serialize(corelib::Archive& archive);
    const corelib::ByteBuffer& Buffer() const { return buffer_; }

private:
    uint32_t NextKey(uint32_t flags);
    uint32_t Word(uint32_t byteOffset) const;
    void SetWord(uint32_t byteOffset, uint32_t value);
    uint32_t RecordAreaStart() const { return 8 * uint32_t(count_); }
    bool WellFormed() const;

    int32_t count_ = 0;
    uint32_t ownCounter_ = 0;
    uint32_t* idCounter_;
    corelib::ByteBuffer buffer_;
};

}  // namespace rt
