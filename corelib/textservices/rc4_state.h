// RC4 as published: key schedule, key-stream discarding and enciphering.
// The state is kept byte for byte as 256 permutation bytes and the indices
// i and j, so it can be copied and restarted cheaply.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corelib {

struct Rc4State {
    uint8_t s[256];
    uint8_t i;
    uint8_t j;

    // Runs the key schedule over `length` key bytes from the identity
    // permutation; an empty key leaves the identity.
    void Schedule(const uint8_t* key, size_t length);
    // Advances the key stream by `count` bytes.
    void Discard(size_t count);
    // XORs `count` bytes with the next key-stream bytes.
    void Crypt(uint8_t* bytes, size_t count);
};
static_assert(sizeof(Rc4State) == 258);

}  // namespace corelib
