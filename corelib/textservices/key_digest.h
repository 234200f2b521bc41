// The key digest of a password: its MD5 digest text with the two characters
// of every pair exchanged and then reversed end to end. It keys the pages of
// an enciphered file and answers the system's key-digest request.
#pragma once

#include <cstddef>

namespace corelib {

inline constexpr size_t kKeyDigestSize = 33;  // 32 characters and a zero

// Writes the key digest of `length` bytes at `data` into `out` (33 bytes).
void KeyDigest(const void* data, size_t length, char* out);

}  // namespace corelib
