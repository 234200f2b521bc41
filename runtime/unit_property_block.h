// The property block: a unit's own properties as a window description keeps
// them (the L bytes of type data in the unit's record) and as entry 5 of a
// unit type saves them. Every unit type reads and writes it through this one
// module. Little-endian throughout:
//
//   OFFSET  SIZE  DESCRIPTION
//   0       4     version (1; a block of a later version is not read)
//   4       4     number of property records n
//   8       ...   n records, each:
//                   0  4  own property index
//                   4  4  value length v in bytes
//                   8  v  the value: a 32-bit word (v = 4), a text's bytes
//                         without terminator, or a byte block's bytes
//                 records start on a 4-byte boundary (zero padding)
//
// A record whose length runs past the block ends the reading: everything
// before it is used, nothing after it. Properties without a record keep the
// type's defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

inline constexpr uint32_t PROPERTY_BLOCK_VERSION = 1;

class PropertyBlockReader {
public:
    PropertyBlockReader(const uint8_t* block, uint32_t length);

    // False when the block is absent, too short or of a later version.
    bool Valid() const { return valid_; }
    // The value of own property `index` as a word; nullopt when absent or
    // not 4 bytes long.
    std::optional<uint32_t> Word(int32_t index) const;
    // The bytes of own property `index` (a text or a byte block).
    std::optional<std::string_view> Bytes(int32_t index) const;

private:
    struct Record {
        int32_t index;
        std::string_view value;
    };
    std::vector<Record> records_;
    bool valid_ = false;
};

class PropertyBlockWriter {
public:
    void Word(int32_t index, uint32_t value);
    void Bytes(int32_t index, std::string_view value);
    // The finished block.
    std::vector<uint8_t> Finish() const;

private:
    uint32_t count_ = 0;
    std::vector<uint8_t> records_;
};

}  // namespace rt
