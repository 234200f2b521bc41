// Window, unit and menu ids: class nibble (bits 28-31), kind nibble (bits
// 24-27) and a 24-bit serial number.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace rt {

constexpr uint32_t IdClass(uint32_t id) {
    return id >> 28;
}
constexpr uint32_t IdKind(uint32_t id) {
    return (id >> 24) & 0xf;
}
constexpr uint32_t IdSerial(uint32_t id) {
    return id & 0xffffff;
}
// A key is valid when its serial and its kind nibble are both non-zero.
constexpr bool IsValidId(uint32_t id) {
    return IdSerial(id) != 0 && IdKind(id) != 0;
}

inline constexpr uint32_t KIND6_FLAGS = 0x06000000;
// Menu-item units have kind nibble 6 and class nibble 2.
constexpr bool IsMenuItemId(uint32_t id) {
    return (id & 0x0F000000) == 0x06000000 && (id & 0xF0000000) == 0x20000000;
}

// An id as reports name it: eight upper-case hexadecimal digits.
inline std::string IdText(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", id);
    return text;
}

}  // namespace rt
