// The caption alignment of push buttons and check boxes. Values are
// clamped to 0..2 first:
//
//   VALUE  HORIZONTAL      VERTICAL
//   0      left   (0x100)  top    (0x400)
//   1      centre (0x300)  centre (0xC00)
//   2      right  (0x200)  bottom (0x800)
#pragma once

#include <cstdint>

#include "corelib/units/core_unit.h"

namespace corelib::units {

inline constexpr uint32_t kHorizontalAlignmentMask = 0x300;
inline constexpr uint32_t kVerticalAlignmentMask = 0xC00;

constexpr int32_t ClampAlignment(int32_t value) {
    return Clamp(value, 0, 2);
}
constexpr uint32_t HorizontalAlignmentStyle(int32_t clamped) {
    constexpr uint32_t kStyles[3] = {0x100, 0x300, 0x200};
    return kStyles[ClampAlignment(clamped)];
}
constexpr uint32_t VerticalAlignmentStyle(int32_t clamped) {
    constexpr uint32_t kStyles[3] = {0x400, 0xC00, 0x800};
    return kStyles[ClampAlignment(clamped)];
}

}  // namespace corelib::units
