#include "scratch_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace datafiles_fuzz {
namespace {

// The scratch file goes when the fuzzer exits normally.
struct ScratchFile {
    std::string path;
    ScratchFile() {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/datafiles-fuzz-" +
               std::to_string(getpid()) + ".input";
    }
    ~ScratchFile() { unlink(path.c_str()); }
};

const ScratchFile& Scratch() {
    static const ScratchFile scratch;
    return scratch;
}

}  // namespace

const std::string& WriteScratchFile(const uint8_t* data, size_t size) {
    const std::string& path = Scratch().path;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

std::vector<uint8_t> ReadScratchFile() {
    std::ifstream in(Scratch().path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace datafiles_fuzz
