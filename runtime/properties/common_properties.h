// The eight common properties (numbers 0 to 7, see unit_properties.h),
// read from and applied to the unit's native window.
#pragma once

#include <cstdint>

#include "runtime/runtime_objects.h"

namespace rt {

uint64_t GetCommonProperty(WindowObject* unit, uint32_t number);
void SetCommonProperty(WindowObject* unit, uint32_t number, uint32_t low, uint32_t high);

}  // namespace rt
