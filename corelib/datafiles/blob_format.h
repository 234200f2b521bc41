// The blob file format: 512-byte blocks; block n spans bytes n × 512 to
// n × 512 + 511. All integers are 32-bit little-endian, signed.
//
// Block 0 starts with the header (the rest of block 0 is unused):
//   OFFSET SIZE DESCRIPTION
//   0      4    magic "WEDT" (0x54444557)
//   4      4    version 0x00010000
//   8      8    reserved, 0
//   16     4    blockCount: blocks in the file, block 0 included
//   20     4    freeCount: blocks on the free list
//   24     4    freeHead: first block of the free list, 0 when empty
//   28     4    reserved, 0
//
// Every other block (BlobBlock):
//   OFFSET SIZE DESCRIPTION
//   0      4    prev: previous block of the value (or of the free list), 0 first
//   4      4    next: next block of the value (or of the free list), 0 last
//   8      4    count: payload bytes used, 1 to 500; 0 for a free block
//   12     500  payload; bytes beyond count are 0
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/base/byte_order.h"

namespace corelib {

using platform::ReadLeS32;
using platform::WriteLeS32;

inline constexpr int32_t kBlobBlockSize = 512;
inline constexpr int32_t kBlobHeadSize = 12;
inline constexpr int32_t kBlobPayloadSize = 500;
inline constexpr int32_t kBlobHeaderSize = 32;
inline constexpr uint32_t kBlobMagic = 0x54444557;  // "WEDT"
inline constexpr uint32_t kBlobVersion = 0x00010000;

struct BlobFileHeader {
    uint32_t magic = kBlobMagic;
    uint32_t version = kBlobVersion;
    int32_t blockCount = 1;
    int32_t freeCount = 0;
    int32_t freeHead = 0;

    void Load(const uint8_t* bytes) {
        magic = platform::ReadLe32(bytes);
        version = platform::ReadLe32(bytes + 4);
        blockCount = ReadLeS32(bytes + 16);
        freeCount = ReadLeS32(bytes + 20);
        freeHead = ReadLeS32(bytes + 24);
    }
    void Store(uint8_t* bytes) const {
        std::memset(bytes, 0, kBlobHeaderSize);
        platform::WriteLe32(bytes, magic);
        platform::WriteLe32(bytes + 4, version);
        WriteLeS32(bytes + 16, blockCount);
        WriteLeS32(bytes + 20, freeCount);
        WriteLeS32(bytes + 24, freeHead);
    }
};

// The 12-byte head of a block of a value's chain or of the free list.
struct BlobBlock {
    int32_t prev = 0;
    int32_t next = 0;
    int32_t count = 0;

    void Load(const uint8_t* bytes) {
        prev = ReadLeS32(bytes);
        next = ReadLeS32(bytes + 4);
        count = ReadLeS32(bytes + 8);
    }
    void Store(uint8_t* bytes) const {
        WriteLeS32(bytes, prev);
        WriteLeS32(bytes + 4, next);
        WriteLeS32(bytes + 8, count);
    }
};

}  // namespace corelib
