// What a drop would do, from the keys held and what the source allows.
#pragma once

#include <cstdint>

namespace desktop {

// Key-state bits of a drag.
inline constexpr uint32_t kDragKeyShift = 0x4;
inline constexpr uint32_t kDragKeyControl = 0x8;

// Drop effects.
inline constexpr uint32_t kEffectNone = 0;
inline constexpr uint32_t kEffectCopy = 1;
inline constexpr uint32_t kEffectMove = 2;
inline constexpr uint32_t kEffectLink = 4;

// Not accepted: none. Control: copy (with Shift as well: link, which is
// refused, so none). Shift alone: move. No key: the first allowed of copy,
// move and link. An effect the source does not allow becomes none.
uint32_t ChooseDropEffect(bool accepted, uint32_t keyState, uint32_t allowedEffects);

}  // namespace desktop
