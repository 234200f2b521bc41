// The core library's number, logical and date-time formatting, shared by
// ToText and ShowMessage, and ToInteger's reading of texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/arg_record.h"

namespace corelib {

inline constexpr const char* kTrueText = "true";
inline constexpr const char* kFalseText = "false";

// The text of a numeric, logical, date-time or text value; nullopt for any
// other type. Integers are decimal; floating values are the shortest text
// that reads back to the same value.
std::optional<std::string> FormatScalar(const rt::ArgRecord& value);

// Decimal reading after full-width folding: leading blanks, an optional
// sign, then digits up to the first non-digit. Saturates at the 32-bit
// limits; no digits reads as 0.
int32_t ParseInteger(const char* text);

}  // namespace corelib
