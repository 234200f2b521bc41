#include "corelib/textservices/enciphered_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/base/byte_order.h"

namespace corelib {

namespace {

constexpr int64_t kPageSize = 4096;
constexpr size_t kPageKeySize = 40;
constexpr size_t kPageKeyDiscard = 36;

}  // namespace

EncipheredFile::EncipheredFile(const char* password, int64_t basePosition)
    : basePosition_(std::max<int64_t>(basePosition, 0)) {
    std::memset(&readKeys_, 0, sizeof(readKeys_));
    if (password != nullptr && password[0] != 0) {
        const size_t length = std::strlen(password);
        readKeys_.baseState.Schedule(reinterpret_cast<const uint8_t*>(password), length);
        KeyDigest(password, length, readKeys_.digest);
    }
    writeKeys_ = readKeys_;
}

platform::FileError EncipheredFile::Read(void* buffer, size_t count, size_t& done) {
    if (!HasKey())
        return File::Read(buffer, count, done);
    const int64_t position = Position();
    const platform::FileError error = File::Read(buffer, count, done);
    if (done > 0)
        CipherRange(position, static_cast<uint8_t*>(buffer), done, readKeys_);
    return error;
}

platform::FileError EncipheredFile::Write(const void* buffer, size_t count) {
    if (writeKeys_.digest[0] == 0 || count == 0)
        return File::Write(buffer, count);
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(buffer),
                              static_cast<const uint8_t*>(buffer) + count);
    CipherRange(Position(), copy.data(), count, writeKeys_);
    return File::Write(copy.data(), count);
}

void EncipheredFile::CipherRange(int64_t position, uint8_t* bytes, size_t count,
                                 const CipherKeySet& keys) const {
    if (basePosition_ > position) {
        const int64_t plain = basePosition_ - position;
        if (static_cast<uint64_t>(plain) >= count)
            return;
        bytes += plain;
        count -= static_cast<size_t>(plain);
        position = basePosition_;
    }
    if (count == 0)
        return;

    Rc4State base = keys.baseState;
    int64_t page = position / kPageSize;
    int64_t offset = position % kPageSize;
    base.Discard(static_cast<size_t>(4 * page));
    // One key-stream word per page: two more than the whole pages of the
    // request, enough for a range that starts and ends inside pages.
    std::vector<uint8_t> words((count / kPageSize) * 4 + 8, 0);
    base.Crypt(words.data(), words.size());

    size_t wordIndex = 0;
    while (count > 0) {
        const uint32_t word = platform::ReadLe32(&words[wordIndex * 4]);
        uint8_t pageKey[kPageKeySize];
        platform::WriteLe32(pageKey, word);
        std::memcpy(pageKey + 4, keys.digest, 32);
        platform::WriteLe32(pageKey + 36, word ^ static_cast<uint32_t>(page));

        Rc4State pageState;
        pageState.Schedule(pageKey, sizeof(pageKey));
        pageState.Discard(kPageKeyDiscard + static_cast<size_t>(offset));
        const size_t run = std::min<size_t>(count, static_cast<size_t>(kPageSize - offset));
        pageState.Crypt(bytes, run);

        bytes += run;
        count -= run;
        offset = 0;
        ++page;
        ++wordIndex;
    }
}

}  // namespace corelib
