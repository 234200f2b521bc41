// Any bytes as an index file: the checker and the reader answer without
// crashing or hanging; a failed change leaves the file byte for byte as it
// was; and changes to a file the checker found sound keep it sound.
#include <cstdlib>
#include <cstring>

#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/index_file.h"
#include "scratch_file.h"

using namespace corelib;

namespace {

bool IsSoft(int code) {
    return code == kDataOk || code == kDataNotFound || code == kDataNoSuchEntry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kIndexHeaderSize)
        return 0;
    const std::string& path = datafiles_fuzz::WriteScratchFile(data, size);
    IndexHeader header;
    std::memcpy(header.bytes, data, kIndexHeaderSize);
    IndexDescriptor layout;
    if (!header.LoadLayout(layout) || *DescriptorProblem(layout) != 0)
        return 0;
    const bool sound = CheckIndexFile(path).Clean();

    IndexFile index(layout);
    if (index.Open(path) != kDataOk)
        std::abort();
    // Walk every entry, as far as the reader gets.
    IndexPosition position;
    std::vector<uint8_t> key(size_t(layout.keySize));
    int32_t record = 0;
    int code = index.First(position, key.data(), record);
    for (int steps = 0; code == kDataOk; ++steps) {
        if (steps > 1000000)
            std::abort();  // more entries than the file could hold
        code = index.Next(position, key.data(), record);
    }
    if (code == kDataInvalidFile && index.LastDamage() == DataDamage::None)
        std::abort();
    // A few changes with keys made of the file's last bytes.
    for (int change = 0; change < 8; ++change) {
        for (size_t k = 0; k < key.size(); ++k)
            key[k] = data[(size - 1 - (change * 7 + k)) % size];
        const std::vector<uint8_t> before = datafiles_fuzz::ReadScratchFile();
        code =
            change % 3 == 2 ? index.Delete(key.data(), change) : index.Insert(key.data(), change);
        if (!IsSoft(code) && datafiles_fuzz::ReadScratchFile() != before)
            std::abort();  // a failure wrote
        if (sound && !IsSoft(code) && code != kDataDiskFull)
            std::abort();  // a sound file answered damage
    }
    index.Close();
    if (sound && !CheckIndexFile(path).Clean())
        std::abort();  // changes broke a sound file
    return 0;
}
