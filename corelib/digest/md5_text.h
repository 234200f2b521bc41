// The MD5 text digest shared by the system's key digest and the enciphered
// file: 32 lower-case hexadecimal digits, two per digest byte in order, then
// a terminating zero.
#pragma once

#include <cstddef>

namespace corelib {

inline constexpr size_t kMd5TextSize = 33;

// Writes the digest of exactly `length` bytes at `data` into `out`, which
// holds at least 33 bytes.
void Md5Text(const void* data, size_t length, char* out);

}  // namespace corelib
