// Any bytes as a blob file: the checker and the reader answer without
// crashing or hanging; a failed write leaves the file byte for byte as it
// was; a value written reads back as written; and writes to a file the
// checker found sound keep it sound.
#include <cstdlib>
#include <vector>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/blob_format.h"
#include "corelib/datafiles/data_file_check.h"
#include "scratch_file.h"

using namespace corelib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < size_t(kBlobHeaderSize))
        return 0;
    const std::string& path = datafiles_fuzz::WriteScratchFile(data, size);
    const bool sound = CheckBlobFile(path).Clean();
    BlobFile blob;
    if (blob.Open(path) != kDataOk)
        std::abort();
    std::vector<uint8_t> value;
    for (int32_t first = 0; first < 8; ++first) {
        const int code = blob.ReadBlob(first, value);
        if (code == kDataInvalidFile && blob.LastDamage() == DataDamage::None)
            std::abort();
    }
    // Rewrite a few values (chains that start at the first blocks, or new
    // ones) with lengths taken from the data.
    for (int change = 0; change < 6; ++change) {
        const int32_t oldFirst = change % 2 ? change : 0;
        const int32_t length = int32_t(data[size - 1 - change % size]) * 9 + change;
        std::vector<uint8_t> bytes(static_cast<size_t>(length));
        for (int32_t k = 0; k < length; ++k)
            bytes[size_t(k)] = uint8_t(k * 31 + change);
        const std::vector<uint8_t> before = datafiles_fuzz::ReadScratchFile();
        int32_t first = 0;
        const int code = blob.WriteBlob(bytes.data(), length, oldFirst, first);
        if (code != kDataOk) {
            if (datafiles_fuzz::ReadScratchFile() != before)
                std::abort();  // a failure wrote
            if (code == kDataInvalidFile && blob.LastDamage() == DataDamage::None)
                std::abort();
            continue;
        }
        if (blob.ReadBlob(first, value) != kDataOk || value != bytes)
            std::abort();  // not read back as written
    }
    blob.Close();
    if (sound && !CheckBlobFile(path).Clean())
        std::abort();  // writes broke a sound file
    return 0;
}
