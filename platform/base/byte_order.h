// The one home of byte order: fixed-width fields of the file formats the
// runtime parses and writes itself, little-endian (RIFF, BMP, ICO, PCX, the
// data files) and big-endian (standard MIDI files, PNG chunks). Every reader
// and writer takes a pointer to at least the field's width of valid bytes;
// the caller checks the bounds.
#pragma once

#include <cstdint>

namespace platform {

constexpr uint16_t ReadLe16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

constexpr uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Signed fields (a bitmap's height is negative for top-down rows).
constexpr int32_t ReadLeS32(const uint8_t* p) {
    return int32_t(ReadLe32(p));
}

constexpr uint16_t ReadBe16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}

constexpr uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Signed 16-bit fields (an old bitmap header's height).
constexpr int16_t ReadLeS16(const uint8_t* p) {
    return int16_t(ReadLe16(p));
}

constexpr void WriteLe16(uint8_t* p, uint16_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

constexpr void WriteLe32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

constexpr void WriteLeS32(uint8_t* p, int32_t value) {
    WriteLe32(p, uint32_t(value));
}

constexpr void WriteBe16(uint8_t* p, uint16_t value) {
    p[0] = uint8_t(value >> 8);
    p[1] = uint8_t(value);
}

constexpr void WriteBe32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value >> 24);
    p[1] = uint8_t(value >> 16);
    p[2] = uint8_t(value >> 8);
    p[3] = uint8_t(value);
}

}  // namespace platform
