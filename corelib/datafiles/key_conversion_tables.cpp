#include "corelib/datafiles/key_conversion_tables.h"

namespace corelib {

namespace {

#include "corelib/datafiles/key_conversion_tables.inc"

}  // namespace

void ConvertKeyChar(int32_t mode, uint8_t& lead, uint8_t& trail) {
    if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE)
        return;
    const uint16_t* table = mode == 1 ? kPinyinRank : mode == 2 ? kStrokeRank : nullptr;
    if (table == nullptr)
        return;
    const uint16_t code = table[(lead - 0xB0) * 94 + (trail - 0xA1)];
    lead = static_cast<uint8_t>(code >> 8);
    trail = static_cast<uint8_t>(code & 0xFF);
}

}  // namespace corelib
