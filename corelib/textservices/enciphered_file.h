// A file whose bytes on disk are enciphered with RC4 keyed by a password,
// while Read and Write see plain bytes. The key stream of every 4096-byte
// page is derived from the page number alone, so the file can be read and
// written at any position in any order. Bytes below the base position stay
// plain (room for a header).
#pragma once

#include <cstddef>
#include <cstdint>

#include "corelib/textservices/key_digest.h"
#include "corelib/textservices/rc4_state.h"
#include "platform/files/file.h"

namespace corelib {

// The key of one direction: a digest whose first byte is 0 means no key.
struct CipherKeySet {
    char digest[kKeyDigestSize];
    Rc4State baseState;
};

class EncipheredFile : public platform::File {
public:
    // `password` is a zero-terminated runtime text; null or empty makes a
    // plain file. A negative base position counts as 0.
    EncipheredFile(const char* password, int64_t basePosition);
    ~EncipheredFile() override = default;

    platform::FileError Read(void* buffer, size_t count, size_t& done) override;
    platform::FileError Write(const void* buffer, size_t count) override;

    int64_t BasePosition() const { return basePosition_; }
    bool HasKey() const { return readKeys_.digest[0] != 0; }

    // Enciphers or deciphers (the same thing) `count` bytes that lie at file
    // position `position`.
    void CipherRange(int64_t position, uint8_t* bytes, size_t count,
                     const CipherKeySet& keys) const;

private:
    int64_t basePosition_;
    CipherKeySet readKeys_;
    CipherKeySet writeKeys_;
};

}  // namespace corelib
