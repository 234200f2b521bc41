#include "corelib/textservices/rc4_state.h"

#include <array>
#include <cstring>
#include <utility>

namespace corelib {

namespace {

const std::array<uint8_t, 256>& IdentityPermutation() {
    static const std::array<uint8_t, 256> identity = [] {
        std::array<uint8_t, 256> table{};
        for (int k = 0; k < 256; ++k)
            table[k] = static_cast<uint8_t>(k);
        return table;
    }();
    return identity;
}

}  // namespace

void Rc4State::Schedule(const uint8_t* key, size_t length) {
    std::memcpy(s, IdentityPermutation().data(), sizeof(s));
    i = 0;
    j = 0;
    if (length == 0)
        return;
    uint8_t jj = 0;
    for (size_t k = 0; k < 256; ++k) {
        jj = static_cast<uint8_t>(jj + s[k] + key[k % length]);
        std::swap(s[k], s[jj]);
    }
}

void Rc4State::Discard(size_t count) {
    uint8_t ii = i, jj = j;
    for (size_t n = 0; n < count; ++n) {
        ii = static_cast<uint8_t>(ii + 1);
        jj = static_cast<uint8_t>(jj + s[ii]);
        std::swap(s[ii], s[jj]);
    }
    i = ii;
    j = jj;
}

void Rc4State::Crypt(uint8_t* bytes, size_t count) {
    uint8_t ii = i, jj = j;
    for (size_t n = 0; n < count; ++n) {
        ii = static_cast<uint8_t>(ii + 1);
        jj = static_cast<uint8_t>(jj + s[ii]);
        std::swap(s[ii], s[jj]);
        bytes[n] ^= s[static_cast<uint8_t>(s[ii] + s[jj])];
    }
    i = ii;
    j = jj;
}

}  // namespace corelib
