// The index file format. The 224-byte header lies at the start of page 0;
// tree and free pages are numbered from 1 and page n starts at n × P.
//
// Header (32-bit little-endian): 0 magic "WENX", 4 version 0x00010000,
// 16 and 20 two words kept 0, 24 page count (the highest page number; the
// file is (count + 1) × P bytes), 28 free page count, 32 first free page,
// 36 root page. From byte 40 the header records the key layout the file
// was created with (page size, K, M, S, conversion mode, flags, part count,
// up to 39 part types) so that a file is never opened with another layout
// and the checker can read it without being told.
//
// Tree page: byte 0 flags (1 internal, 2 free), bytes 2-3 entry count c,
// from byte 4 entries of 4 + K bytes: a 32-bit number (child page or record
// number) and the key. An internal page has c keys and c + 1 children; the
// number of entry c is the rightmost child and its key bytes are unused.
// Free page: flags 2, bytes 4-7 previous and 8-11 next free page.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "corelib/datafiles/blob_format.h"
#include "corelib/datafiles/index_key.h"

namespace corelib {

inline constexpr int32_t kIndexHeaderSize = 224;
inline constexpr uint32_t kIndexMagic = 0x584E4557;  // "WENX"
inline constexpr uint32_t kIndexVersion = 0x00010000;
inline constexpr uint8_t kPageInternal = 1;
inline constexpr uint8_t kPageFree = 2;
inline constexpr int32_t kLayoutOffset = 40;
inline constexpr int32_t kLayoutMaxParts = (kIndexHeaderSize - kLayoutOffset - 28) / 4;

struct IndexHeader {
    uint8_t bytes[kIndexHeaderSize] = {};

    uint32_t Magic() const { return static_cast<uint32_t>(ReadLeS32(bytes)); }
    uint32_t Version() const { return static_cast<uint32_t>(ReadLeS32(bytes + 4)); }
    int32_t PageCount() const { return ReadLeS32(bytes + 24); }
    int32_t FreeCount() const { return ReadLeS32(bytes + 28); }
    int32_t FreeHead() const { return ReadLeS32(bytes + 32); }
    int32_t Root() const { return ReadLeS32(bytes + 36); }
    void SetPageCount(int32_t v) { WriteLeS32(bytes + 24, v); }
    void SetFreeCount(int32_t v) { WriteLeS32(bytes + 28, v); }
    void SetFreeHead(int32_t v) { WriteLeS32(bytes + 32, v); }
    void SetRoot(int32_t v) { WriteLeS32(bytes + 36, v); }

    void StoreLayout(const IndexDescriptor& d);
    // False when the header records no layout (pageSize 0).
    bool LoadLayout(IndexDescriptor& d) const;
};

// A view of one page's bytes.
class PageView {
public:
    PageView(uint8_t* bytes, int32_t keySize) : bytes_(bytes), entrySize_(4 + keySize) {}

    uint8_t Flags() const { return bytes_[0]; }
    void SetFlags(uint8_t flags) { bytes_[0] = flags; }
    bool IsInternal() const { return (bytes_[0] & kPageInternal) != 0; }
    bool IsFree() const { return (bytes_[0] & kPageFree) != 0; }
    int32_t Count() const { return bytes_[2] | bytes_[3] << 8; }
    void SetCount(int32_t c) {
        bytes_[2] = static_cast<uint8_t>(c);
        bytes_[3] = static_cast<uint8_t>(c >> 8);
    }
    uint8_t* Entry(int32_t i) { return bytes_ + 4 + i * entrySize_; }
    const uint8_t* Entry(int32_t i) const { return bytes_ + 4 + i * entrySize_; }
    int32_t Number(int32_t i) const { return ReadLeS32(Entry(i)); }
    void SetNumber(int32_t i, int32_t v) { WriteLeS32(Entry(i), v); }
    uint8_t* Key(int32_t i) { return Entry(i) + 4; }
    const uint8_t* Key(int32_t i) const { return Entry(i) + 4; }
    int32_t EntrySize() const { return entrySize_; }

    int32_t FreePrev() const { return ReadLeS32(bytes_ + 4); }
    int32_t FreeNext() const { return ReadLeS32(bytes_ + 8); }
    void SetFreePrev(int32_t v) { WriteLeS32(bytes_ + 4, v); }
    void SetFreeNext(int32_t v) { WriteLeS32(bytes_ + 8, v); }

private:
    uint8_t* bytes_;
    int32_t entrySize_;
};

}  // namespace corelib
