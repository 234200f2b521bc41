#include "platform/imaging/imaging.h"

#include <cstring>

#include "platform/base/byte_order.h"

namespace platform::imaging {
namespace {

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Reads `digits` hex digits at text[at]; false when one is not a digit.
bool ReadHex(const char16_t* text, size_t at, int digits, uint32_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int v = HexValue(text[at + i]);
        if (v < 0)
            return false;
        value = (value << 4) | uint32_t(v);
    }
    return true;
}

constexpr ClassId Make(uint32_t d1, uint16_t d2, uint16_t d3, uint64_t d4) {
    // The first three fields little-endian, the last eight bytes in order.
    ClassId id{};
    WriteLe32(id.bytes, d1);
    WriteLe16(id.bytes + 4, d2);
    WriteLe16(id.bytes + 6, d3);
    WriteBe32(id.bytes + 8, uint32_t(d4 >> 32));
    WriteBe32(id.bytes + 12, uint32_t(d4));
    return id;
}

}  // namespace

const ClassId kBmpEncoder = Make(0x557CF400, 0x1A04, 0x11D3, 0x9A730000F81EF32EULL);
const ClassId kJpegEncoder = Make(0x557CF401, 0x1A04, 0x11D3, 0x9A730000F81EF32EULL);
const ClassId kGifEncoder = Make(0x557CF402, 0x1A04, 0x11D3, 0x9A730000F81EF32EULL);
const ClassId kTiffEncoder = Make(0x557CF405, 0x1A04, 0x11D3, 0x9A730000F81EF32EULL);
const ClassId kPngEncoder = Make(0x557CF406, 0x1A04, 0x11D3, 0x9A730000F81EF32EULL);
const ClassId kQualityParameter = Make(0x1D5BE4B5, 0xFA4A, 0x452D, 0x9CDD5DB35105E7EBULL);

// Text layout: {8-4-4-4-12}, 38 characters, then the terminator.
uint32_t ClassIdFromString(const char16_t* text, ClassId* id) {
    if (!id)
        return kInvalidClassString;
    std::memset(id->bytes, 0, sizeof id->bytes);
    if (!text)
        return kInvalidClassString;
    size_t length = 0;
    while (length < 40 && text[length])
        ++length;
    if (length != 38 || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' ||
        text[14] != u'-' || text[19] != u'-' || text[24] != u'-') {
        return kInvalidClassString;
    }
    uint32_t d1, d2, d3, v;
    if (!ReadHex(text, 1, 8, d1) || !ReadHex(text, 10, 4, d2) || !ReadHex(text, 15, 4, d3)) {
        return kInvalidClassString;
    }
    ClassId parsed = Make(d1, uint16_t(d2), uint16_t(d3), 0);
    static const size_t kTail[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, kTail[i], 2, v))
            return kInvalidClassString;
        parsed.bytes[8 + i] = uint8_t(v);
    }
    *id = parsed;
    return 0;
}

}  // namespace platform::imaging
