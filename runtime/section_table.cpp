#include "runtime/section_table.h"

#include <cstring>
#include <utility>

#include "runtime/ids.h"

namespace rt {

SectionTable::SectionTable(uint32_t* idCounter)
    : idCounter_(idCounter ? idCounter : &ownCounter_) {}

uint32_t SectionTable::Word(uint32_t byteOffset) const {
    uint32_t w;
    std::memcpy(&w, buffer_.Data() + byteOffset, 4);
    return w;
}

void SectionTable::SetWord(uint32_t byteOffset, uint32_t value) {
    std::memcpy(buffer_.Data() + byteOffset, &value, 4);
}

uint32_t SectionTable::NextKey(uint32_t flags) {
    // The serial is 24 bits; skipping 0 keeps every generated key valid.
    uint32_t serial = (*idCounter_ + 1) & 0xffffff;
    if (serial == 0)
        serial = 1;
    *idCounter_ = serial;
    return flags | serial;
}

uint8_t* SectionTable::EntryAt(int32_t index, uint32_t* length) {
    if (index < 0 || index >= count_)
        return nullptr;
    uint32_t record = RecordAreaStart() + Word(4 * uint32_t(count_) + 4 * uint32_t(index));
    if (length)
        *length = Word(record);
    return buffer_.Data() + record + 4;
}

uint32_t SectionTable::KeyAt(int32_t index) const {
    if (index < 0 || index >= count_)
        return 0;
    return Word(4 * uint32_t(index));
}

uint8_t* SectionTable::Find(uint32_t key, uint32_t* length, int32_t* index) {
    if (!IsValidId(key) || count_ == 0)
        return nullptr;
    for (int32_t i = 0; i < count_; ++i) {
        if (Word(4 * uint32_t(i)) == key) {
            if (index)
                *index = i;
            return EntryAt(i, length);
        }
    }
    return nullptr;
}

int SectionTable::AppendKeyed(uint32_t key, const void* data, uint32_t length) {
    uint32_t n = uint32_t(count_);
    uint32_t recordAreaSize = buffer_.Length() - 8 * n;
    // Key first (shifting the offsets by 4), then the offset, then the record.
    if (!buffer_.Insert(4 * n, &key, 4))
        return 0;
    if (!buffer_.Insert(8 * n + 4, &recordAreaSize, 4)) {
        buffer_.Remove(int32_t(4 * n), 4);
        return 0;
    }
    uint32_t end = buffer_.Length();
    if (!buffer_.Append(&length, 4) || !buffer_.Append(data, int32_t(length))) {
        buffer_.Remove(int32_t(end), buffer_.Length() - end);
        buffer_.Remove(int32_t(8 * n + 4), 4);
        buffer_.Remove(int32_t(4 * n), 4);
        return 0;
    }
    ++count_;
    return 1;
}

uint32_t SectionTable::Append(const void* data, uint32_t length, uint32_t flags) {
    uint32_t key = NextKey(flags);
    return AppendKeyed(key, data, length) ? key : 0;
}

int SectionTable::InsertAt(int32_t position, uint32_t key, const void* data, uint32_t length) {
    if (position < 0)
        position = 0;
    if (position >= count_)
        return AppendKeyed(key, data, length);
    uint32_t n = uint32_t(count_);
    uint32_t pos = uint32_t(position);
    uint32_t offset = Word(4 * n + 4 * pos);
    // Build the new buffer image in one go, so a failure leaves the table intact.
    corelib::ByteBuffer next;
    uint32_t newSize = buffer_.Length() + 12 + length;
    if (!next.Allocate(newSize))
        return 0;
    uint8_t* out = next.Data();
    const uint8_t* in = buffer_.Data();
    std::memcpy(out, in, 4 * pos);
    std::memcpy(out + 4 * pos, &key, 4);
    std::memcpy(out + 4 * pos + 4, in + 4 * pos, 4 * (n - pos));
    uint8_t* offsets = out + 4 * (n + 1);
    for (uint32_t i = 0; i <= n; ++i) {
        uint32_t value;
        if (i < pos) {
            value = Word(4 * n + 4 * i);
        } else if (i == pos) {
            value = offset;
        } else {
            value = Word(4 * n + 4 * (i - 1)) + 4 + length;
        }
        std::memcpy(offsets + 4 * i, &value, 4);
    }
    const uint8_t* area = in + 8 * n;
    uint8_t* newArea = out + 8 * (n + 1);
    std::memcpy(newArea, area, offset);
    std::memcpy(newArea + offset, &length, 4);
    if (length) {
        if (data) {
            std::memcpy(newArea + offset + 4, data, length);
        } else {
            std::memset(newArea + offset + 4, 0, length);
        }
    }
    uint32_t areaSize = buffer_.Length() - 8 * n;
    std::memcpy(newArea + offset + 4 + length, area + offset, areaSize - offset);
    buffer_.Swap(next);
    ++count_;
    return 1;
}

uint32_t SectionTable::InsertGenerated(int32_t position, const void* data, uint32_t length,
                                       uint32_t flags) {
    uint32_t key = NextKey(flags);
    return InsertAt(position, key, data, length) ? key : 0;
}

int32_t SectionTable::ReplaceBytes(int32_t index, uint32_t start, int32_t oldLength,
                                   const void* data, uint32_t newLength) {
    if (index < 0 || index >= count_)
        return -1;
    uint32_t n = uint32_t(count_);
    uint32_t ownOffset = Word(4 * n + 4 * uint32_t(index));
    uint32_t record = RecordAreaStart() + ownOffset;
    uint32_t bodyLength = Word(record);
    uint32_t old;
    if (oldLength == -1) {
        start = 0;
        old = bodyLength;
    } else {
        if (oldLength < 0 || start > bodyLength || uint32_t(oldLength) > bodyLength - start)
            return -1;
        old = uint32_t(oldLength);
    }
    if (!buffer_.Replace(record + 4 + start, old, data, newLength)) {
        // Replace treats an empty old range as an insertion; only a failed
        // allocation lands here.
        if (!(old == 0 && newLength == 0))
            return -1;
    }
    int64_t difference = int64_t(newLength) - int64_t(old);
    SetWord(record, uint32_t(int64_t(bodyLength) + difference));
    int32_t examined = 0;
    for (uint32_t i = 0; i < n; ++i) {
        ++examined;
        uint32_t at = 4 * n + 4 * i;
        uint32_t offset = Word(at);
        if (offset > ownOffset)
            SetWord(at, uint32_t(int64_t(offset) + difference));
    }
    return examined;
}

int SectionTable::RemoveAt(int32_t index) {
    if (index < 0 || index >= count_)
        return 0;
    uint32_t n = uint32_t(count_);
    uint32_t i = uint32_t(index);
    uint32_t ownOffset = Word(4 * n + 4 * i);
    uint32_t record = RecordAreaStart() + ownOffset;
    uint32_t size = 4 + Word(record);
    for (uint32_t k = 0; k < n; ++k) {
        uint32_t at = 4 * n + 4 * k;
        uint32_t offset = Word(at);
        if (offset > ownOffset)
            SetWord(at, offset - size);
    }
    // Back to front, so earlier positions stay valid.
    buffer_.Remove(int32_t(record), size);
    buffer_.Remove(int32_t(4 * n + 4 * i), 4);
    buffer_.Remove(int32_t(4 * i), 4);
    --count_;
    if (count_ == 0)
        buffer_.Clear();
    return 1;
}

void SectionTable::Assign(const SectionTable& other) {
    if (&other == this)
        return;
    Clear();
    count_ = other.count_;
    if (other.buffer_.Length() &&
        !buffer_.Append(other.buffer_.Data(), int32_t(other.buffer_.Length()))) {
        count_ = 0;
    }
}

void SectionTable::Swap(SectionTable& other) {
    std::swap(count_, other.count_);
    // A table using its own counter keeps pointing at a counter that moves
    // with the values, so swap those too.
    bool thisOwn = idCounter_ == &ownCounter_;
    bool otherOwn = other.idCounter_ == &other.ownCounter_;
    std::swap(ownCounter_, other.ownCounter_);
    std::swap(idCounter_, other.idCounter_);
    if (otherOwn)
        idCounter_ = &ownCounter_;
    if (thisOwn)
        other.idCounter_ = &other.ownCounter_;
    buffer_.Swap(other.buffer_);
}

void SectionTable::Clear() {
    count_ = 0;
    buffer_.Clear();
}

int32_t SectionTable::MenuRun(int32_t* start) const {
    for (int32_t i = 0; i < count_; ++i) {
        if (IsMenuItemId(Word(4 * uint32_t(i)))) {
            int32_t run = 0;
            while (i + run < count_ && IsMenuItemId(Word(4 * uint32_t(i + run))))
                ++run;
            if (start)
                *start = i;
            return run;
        }
    }
    if (start)
        *start = -1;
    return 0;
}

bool SectionTable::WellFormed() const {
    uint64_t n = uint64_t(count_);
    if (count_ < 0 || 8 * n > buffer_.Length())
        return false;
    uint32_t areaSize = buffer_.Length() - uint32_t(8 * n);
    uint32_t expected = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (Word(uint32_t(4 * n) + 4 * i) != expected)
            return false;
        if (uint64_t(expected) + 4 > areaSize)
            return false;
        uint64_t next = uint64_t(expected) + 4 + Word(uint32_t(8 * n) + expected);
        if (next > areaSize)
            return false;
        expected = uint32_t(next);
    }
    return expected == areaSize;
}

bool SectionTable::Serialize(corelib::Archive& archive) {
    if (archive.IsStoring()) {
        return archive.WriteWord(uint32_t(count_)) && buffer_.Serialize(archive);
    }
    Clear();
    uint32_t count = 0;
    if (!archive.ReadWord(count) || !buffer_.Serialize(archive)) {
        Clear();
        return false;
    }
    count_ = int32_t(count);
    // Loaded bytes are checked before any offset in them is trusted.
    if (!WellFormed()) {
        Clear();
        return false;
    }
    return true;
}

}  // namespace rt
