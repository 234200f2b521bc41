#include "corelib/datafiles/index_format.h"

#include <algorithm>

namespace corelib {

void IndexHeader::StoreLayout(const IndexDescriptor& d) {
    uint8_t* p = bytes + kLayoutOffset;
    std::memset(p, 0, kIndexHeaderSize - kLayoutOffset);
    const int32_t parts = static_cast<int32_t>(d.partTypes.size());
    const int32_t values[7] = {d.pageSize,       d.keySize, d.maxEntries, d.splitPosition,
                               d.conversionMode, d.flags,   parts};
    for (int k = 0; k < 7; ++k)
        WriteLeS32(p + 4 * k, values[k]);
    for (int32_t k = 0; k < std::min(parts, kLayoutMaxParts); ++k) {
        WriteLeS32(p + 28 + 4 * k, d.partTypes[k]);
    }
}

bool IndexHeader::LoadLayout(IndexDescriptor& d) const {
    const uint8_t* p = bytes + kLayoutOffset;
    if (ReadLeS32(p) == 0)
        return false;
    d.pageSize = ReadLeS32(p);
    d.keySize = ReadLeS32(p + 4);
    d.maxEntries = ReadLeS32(p + 8);
    d.splitPosition = ReadLeS32(p + 12);
    d.conversionMode = ReadLeS32(p + 16);
    d.flags = ReadLeS32(p + 20);
    const int32_t parts = std::clamp(ReadLeS32(p + 24), 0, kLayoutMaxParts);
    d.partTypes.clear();
    for (int32_t k = 0; k < parts; ++k)
        d.partTypes.push_back(ReadLeS32(p + 28 + 4 * k));
    return true;
}

}  // namespace corelib
