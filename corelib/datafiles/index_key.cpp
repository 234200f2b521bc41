#include "corelib/datafiles/index_key.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "corelib/datafiles/key_conversion_tables.h"

namespace corelib {

namespace {

template <typename T>
T LoadValue(const uint8_t* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof(T));  // keys hold values little-endian, as we do
    return value;
}

template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Floating values in numeric order, NaN after every number so that the
// order stays total.
template <typename T>
int FloatOrder(T a, T b) {
    const bool nanA = std::isnan(a), nanB = std::isnan(b);
    if (nanA || nanB)
        return Order(int{nanA}, int{nanB});
    return Order(a, b);
}

void NormaliseText(const IndexDescriptor& d, uint8_t* text, int32_t size) {
    for (int32_t i = 0; i < size; ++i) {
        if (text[i] < 0x80) {
            if ((d.flags & kKeyFoldCase || d.conversionMode == kKeyConversionStrokes) &&
                text[i] >= 'a' && text[i] <= 'z') {
                text[i] = static_cast<uint8_t>(text[i] - 'a' + 'A');
            }
            continue;
        }
        // Trail bytes of double-byte characters are never folded or dropped
        // on their own: that would change a different character.
        if (i + 1 < size) {
            if (d.conversionMode != kKeyConversionNone) {
                ConvertKeyChar(d.conversionMode, text[i], text[i + 1]);
            }
            ++i;
        }
    }
    if (!(d.flags & kKeyDropSpaces))
        return;
    int32_t out = 0;
    for (int32_t i = 0; i < size; ++i) {
        if (text[i] == ' ')
            continue;
        if (text[i] >= 0x80 && i + 1 < size) {
            if (!(text[i] == 0xA1 && text[i + 1] == 0xA1)) {
                text[out++] = text[i];
                text[out++] = text[i + 1];
            }
            ++i;
            continue;
        }
        text[out++] = text[i];
    }
    std::memset(text + out, 0, size - out);
}

}  // namespace

int32_t KeyPartSize(int32_t type) {
    // Read from file headers, so any value may come: the most negative one
    // has no positive counterpart and is no size.
    if (type < 0)
        return type == INT32_MIN ? 0 : -type;
    switch (type) {
        case kKeyUnsignedByte:
            return 1;
        case kKeyInt16:
            return 2;
        case kKeyInt32:
        case kKeyFloat:
        case kKeyLogical:
        case kKeyUnsigned32:
            return 4;
        case kKeyInt64:
        case kKeyDouble:
        case kKeyDateTime:
            return 8;
        default:
            return 0;
    }
}

const char* DescriptorProblem(const IndexDescriptor& d) {
    if (d.conversionMode < 0 || d.conversionMode > 2)
        return "unknown text conversion mode";
    if (d.partTypes.empty())
        return "no key parts";
    int64_t total = 0;
    for (const int32_t type : d.partTypes) {
        const int32_t size = KeyPartSize(type);
        if (size == 0 || type < -65536)
            return "unknown key part type";
        total += size;
    }
    if (total != d.keySize)
        return "key size is not the sum of its parts";
    if (d.pageSize < 224)
        return "page size below the 224-byte header";
    if (d.maxEntries < 3)
        return "fewer than 3 entries per page";
    if (d.maxEntries > 0xFFFF)
        return "M above the 16-bit entry count";
    if (d.splitPosition < 1 || d.splitPosition > d.maxEntries - 1) {
        return "split position outside 1 to M-1";
    }
    // An internal page with M keys holds M + 1 entries. Every field comes
    // from a header or a caller: the sum is made in 64 bits.
    if (4 + (int64_t{d.maxEntries} + 1) * (4 + int64_t{d.keySize}) > d.pageSize) {
        return "M + 1 entries do not fit a page";
    }
    return "";
}

void NormaliseKey(const IndexDescriptor& d, uint8_t* key) {
    int32_t offset = 0;
    for (const int32_t type : d.partTypes) {
        const int32_t size = KeyPartSize(type);
        if (type < 0)
            NormaliseText(d, key + offset, size);
        offset += size;
    }
}

KeyOrder::KeyOrder(const IndexDescriptor& d) {
    int32_t offset = 0;
    for (const int32_t type : d.partTypes) {
        const int32_t size = KeyPartSize(type);
        const bool bytewise = type < 0 || type == kKeyUnsignedByte;
        if (bytewise && !stretches_.empty() && stretches_.back().type == kBytewiseStretch) {
            stretches_.back().size += size;
        } else {
            stretches_.push_back({bytewise ? kBytewiseStretch : type, offset, size});
        }
        offset += size;
    }
    keySize_ = static_cast<size_t>(offset);
    bytewise_ = stretches_.size() == 1 && stretches_.front().type == kBytewiseStretch;
}

int KeyOrder::CompareByParts(const uint8_t* a, const uint8_t* b) const {
    for (const Stretch& part : stretches_) {
        const uint8_t* x = a + part.offset;
        const uint8_t* y = b + part.offset;
        int order = 0;
        switch (part.type) {
            case kKeyInt16:
                order = Order(LoadValue<int16_t>(x), LoadValue<int16_t>(y));
                break;
            case kKeyInt32:
                order = Order(LoadValue<int32_t>(x), LoadValue<int32_t>(y));
                break;
            case kKeyInt64:
                order = Order(LoadValue<int64_t>(x), LoadValue<int64_t>(y));
                break;
            case kKeyFloat:
                order = FloatOrder(LoadValue<float>(x), LoadValue<float>(y));
                break;
            case kKeyDouble:
            case kKeyDateTime:
                order = FloatOrder(LoadValue<double>(x), LoadValue<double>(y));
                break;
            case kKeyLogical:
                order = Order(LoadValue<uint32_t>(x) != 0, LoadValue<uint32_t>(y) != 0);
                break;
            case kKeyUnsigned32:
                order = Order(LoadValue<uint32_t>(x), LoadValue<uint32_t>(y));
                break;
            default: {  // texts and unsigned bytes: their bytes in order
                const int c = std::memcmp(x, y, static_cast<size_t>(part.size));
                order = (c > 0) - (c < 0);
                break;
            }
        }
        if (order != 0)
            return order;
    }
    return 0;
}

}  // namespace corelib
