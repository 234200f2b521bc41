// Window, unit and menu ids: class nibble (bits 28-31), kind nibble (bits
// 24-27) and a 24-bit serial number.
#pragma once

#include <cstdint>

namespace rt {

constexpr uint32_t IdClass(uint32_t id) { return id >> 28; }
constexpr uint32_t IdKind(uint32_t id) { return (id >> 24) & 0xf; }
constexpr uint32_t IdSerial(uint32_t id) { return id & 0xffffff; }
// A key is valid when its serial and its kind nibble are both non-zero.
constexpr bool IsValidId(uint32_t id) { return IdSerial(id) != 0 && IdKind(id) != 0; }

inline constexpr uint32_t KIND_MENU_ITEM = 6;
inline constexpr uint32_t KIND6_FLAGS = 0x06000000;
constexpr bool IsMenuItemId(uint32_t id) { return IsValidId(id) && IdKind(id) == KIND_MENU_ITEM; }

}  // namespace rt
