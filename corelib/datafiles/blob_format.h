// The blob file format: 512-byte blocks, block 0 holding the 32-byte header,
// every other block a 12-byte head (prev, next, count) and 500 payload
// bytes. All integers are 32-bit little-endian.
#pragma once

#include <cstdint>
#include <cstring>

namespace corelib {

inline constexpr int32_t kBlobBlockSize = 512;
inline constexpr int32_t kBlobHeadSize = 12;
inline constexpr int32_t kBlobPayloadSize = 500;
inline constexpr int32_t kBlobHeaderSize = 32;
inline constexpr uint32_t kBlobMagic = 0x54444557;  // "WEDT"
inline constexpr uint32_t kBlobVersion = 0x00010000;

inline int32_t LoadInt32(const uint8_t* bytes) {
    return static_cast<int32_t>(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 |
                                uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24);
}

inline void StoreInt32(uint8_t* bytes, int32_t value) {
    const auto word = static_cast<uint32_t>(value);
    for (int k = 0; k < 4; ++k)
        bytes[k] = static_cast<uint8_t>(word >> (8 * k));
}

struct BlobFileHeader {
    uint32_t magic = kBlobMagic;
    uint32_t version = kBlobVersion;
    int32_t blockCount = 1;
    int32_t freeCount = 0;
    int32_t freeHead = 0;

    void Load(const uint8_t* bytes) {
        magic = static_cast<uint32_t>(LoadInt32(bytes));
        version = static_cast<uint32_t>(LoadInt32(bytes + 4));
        blockCount = LoadInt32(bytes + 16);
        freeCount = LoadInt32(bytes + 20);
        freeHead = LoadInt32(bytes + 24);
    }
    void Store(uint8_t* bytes) const {
        std::memset(bytes, 0, kBlobHeaderSize);
        StoreInt32(bytes, static_cast<int32_t>(magic));
        StoreInt32(bytes + 4, static_cast<int32_t>(version));
        StoreInt32(bytes + 16, blockCount);
        StoreInt32(bytes + 20, freeCount);
        StoreInt32(bytes + 24, freeHead);
    }
};

struct BlobBlockHead {
    int32_t prev = 0;
    int32_t next = 0;
    int32_t count = 0;

    void Load(const uint8_t* bytes) {
        prev = LoadInt32(bytes);
        next = LoadInt32(bytes + 4);
        count = LoadInt32(bytes + 8);
    }
    void Store(uint8_t* bytes) const {
        StoreInt32(bytes, prev);
        StoreInt32(bytes + 4, next);
        StoreInt32(bytes + 8, count);
    }
};

}  // namespace corelib
