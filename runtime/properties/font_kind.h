// The font kind (1013): a unit keeps a 60-byte logical font (the platform's
// LOGFONT) and the application reads or writes it whole, as a FontValue
// (element -1), or one field at a time (elements 0 to 6, see FontValue in
// unit_properties.h).
//
// Sizes and heights convert at the screen's pixels per logical inch
// (vertical): size = |height| * 72 / ppi and height = -(size * ppi / 72),
// both rounded half away from zero like the platform's multiply-divide.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics/gdi_text.h"
#include "runtime/unit_type.h"

namespace rt {

static_assert(sizeof(platform::LOGFONT) == 60, "the font record is 60 bytes");
inline constexpr uintptr_t kFontRecordSize = 60;

uint64_t GetFontProperty(UnitGetPropertyRoutine get, WindowObject* unit, int32_t index,
                         int32_t element);
void SetFontProperty(UnitGetPropertyRoutine get, UnitSetPropertyRoutine set, WindowObject* unit,
                     int32_t index, int32_t element, uint32_t low, uint32_t high);

// The platform's default user-interface font, and its face name, which
// stands in for face names that cannot be used.
platform::LOGFONT DefaultUserInterfaceFont();
std::string DefaultFaceName();

// (a * b) / c rounded half away from zero; -1 when c is 0 or the result
// does not fit 32 bits.
int32_t MultiplyDivide(int32_t a, int32_t b, int32_t c);

}  // namespace rt
