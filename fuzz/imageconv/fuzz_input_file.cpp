#include "fuzz_input_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace imageconv_fuzz {

namespace {

// The scratch file goes when the fuzzer exits normally, so a finished run
// leaves its temporary directory as it found it.
struct ScratchFile {
    std::string path;
    ScratchFile() {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/imageconv-fuzz-" +
               std::to_string(getpid()) + ".input";
    }
    ~ScratchFile() { unlink(path.c_str()); }
};

}  // namespace

const std::string& WriteInputFile(const uint8_t* data, size_t size, size_t minimumSize) {
    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(data, 1, size, file);
    if (size < minimumSize) {
        std::vector<uint8_t> zeros(minimumSize - size);
        std::fwrite(zeros.data(), 1, zeros.size(), file);
    }
    std::fclose(file);
    return path;
}

}  // namespace imageconv_fuzz
