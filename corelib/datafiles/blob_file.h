// The blob companion file of a database table: variable-length values kept
// as doubly linked chains of 512-byte blocks, with freed blocks on a free
// list that is used before the file grows. Several processes may write one
// blob file at once; each block is changed only under a lock on its first
// byte, and the header's first byte serialises allocation and freeing.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "corelib/datafiles/data_file_errors.h"
#include "platform/files/file.h"

namespace corelib {

class BlobFile {
public:
    // Creates a blob file with no values (replacing any file of that name).
    static int Create(std::string_view path);

    int Open(std::string_view path, bool readOnly = false);
    void Close() { file_.Close(); }
    bool IsOpen() const { return file_.IsOpen(); }

    // Stores `length` bytes (zeros when `data` is null) as the new content
    // of the value starting at block `oldFirst` (0 for a new value), reusing
    // its blocks in order; `outFirst` receives the new first block, 0 for an
    // empty value. Damage found on the way (kDataInvalidFile) is found
    // before anything is written, and the file is left as it was.
    int WriteBlob(const void* data, int32_t length, int32_t oldFirst, int32_t& outFirst);

    // Reads the value starting at block `first` (0: empty).
    int ReadBlob(int32_t first, std::vector<uint8_t>& out);

    platform::File& File() { return file_; }
    // Which check failed when the last operation answered kDataInvalidFile.
    DataDamage LastDamage() const { return damage_; }

private:
    platform::File file_;
    DataDamage damage_ = DataDamage::None;
    // Blocks of the value ReadBlob read last: how many it reads at once
    // when the next value starts.
    int64_t runHint_ = 4;
    std::vector<uint8_t> readBuffer_;  // kept between reads: it is reused, not cleared
};

}  // namespace corelib
