// Keys of an index file: fixed-size byte strings made of typed parts, put
// into a normal form before they are stored or searched and compared part by
// part.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace corelib {

// Types of key parts; a negative value -n is a text of n bytes.
enum KeyPartType : int32_t {
    kKeyUnsignedByte = 1,
    kKeyInt16 = 2,
    kKeyInt32 = 3,
    kKeyInt64 = 4,
    kKeyFloat = 5,
    kKeyDouble = 6,
    kKeyLogical = 7,
    kKeyDateTime = 8,
    kKeyUnsigned32 = 9,
};

// Text conversion modes of text parts (see key_conversion_tables.h).
inline constexpr int32_t kKeyConversionNone = 0;
inline constexpr int32_t kKeyConversionPinyin = 1;
inline constexpr int32_t kKeyConversionStrokes = 2;

inline constexpr int32_t kKeyFoldCase = 1;    // a to z sort as A to Z
inline constexpr int32_t kKeyDropSpaces = 2;  // spaces and full-width spaces ignored

struct IndexDescriptor {
    int32_t conversionMode = kKeyConversionNone;
    int32_t flags = 0;
    int32_t pageSize = 0;
    int32_t keySize = 0;
    int32_t maxEntries = 0;     // M
    int32_t splitPosition = 0;  // S: entries the left page keeps in a split
    std::vector<int32_t> partTypes;
};

// Bytes of one part, 0 for an unknown type.
int32_t KeyPartSize(int32_t type);

// Answers an empty text when the descriptor describes a usable index, else
// what is wrong with it.
const char* DescriptorProblem(const IndexDescriptor& descriptor);

// Puts the K bytes of `key` into normal form in place.
void NormaliseKey(const IndexDescriptor& descriptor, uint8_t* key);

// The order of normal keys of one layout, prepared once for the many
// comparisons of a descent. Neighbouring parts that sort as their bytes do
// (texts and unsigned bytes) are compared as one stretch with memcmp; a key
// made only of such parts is one memcmp. Other parts compare by value.
class KeyOrder {
public:
    explicit KeyOrder(const IndexDescriptor& descriptor);

    // -1, 0 or 1 comparing two normal keys part by part.
    int Compare(const uint8_t* a, const uint8_t* b) const {
        if (bytewise_) {
            const int c = std::memcmp(a, b, keySize_);
            return (c > 0) - (c < 0);
        }
        return CompareByParts(a, b);
    }

private:
    // A part, or a stretch of bytewise parts (type kBytewiseStretch).
    struct Stretch {
        int32_t type;
        int32_t offset;
        int32_t size;
    };
    static constexpr int32_t kBytewiseStretch = 0;

    int CompareByParts(const uint8_t* a, const uint8_t* b) const;

    std::vector<Stretch> stretches_;
    size_t keySize_ = 0;
    bool bytewise_ = false;
};

}  // namespace corelib
