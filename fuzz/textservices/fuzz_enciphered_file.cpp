// Any bytes as an enciphered file, under a password and base position the
// input chooses: reading it whole and reading it in pieces at any
// positions give the same plain bytes, and writing those back gives the
// file's bytes again.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "corelib/textservices/enciphered_file.h"

namespace {

struct Scratch {
    std::string path;
    Scratch() {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/enciphered-fuzz-" +
               std::to_string(getpid()) + ".input";
    }
    ~Scratch() { unlink(path.c_str()); }
};

std::vector<uint8_t> ReadAt(corelib::EncipheredFile& file, int64_t at, size_t count) {
    std::vector<uint8_t> out(count);
    size_t done = 0;
    if (file.Seek(at) != platform::FileError::None ||
        file.Read(out.data(), count, done) != platform::FileError::None) {
        std::abort();
    }
    out.resize(done);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    static const Scratch scratch;
    // The first byte: the password's length; the second: the base position.
    const size_t passwordLength = std::min<size_t>(data[0] % 24, size - 2);
    const std::string password(reinterpret_cast<const char*>(data + 2), passwordLength);
    if (password.find('\0') != std::string::npos)
        return 0;
    const int64_t base = int64_t(data[1]) * 37 - 1000;
    const uint8_t* body = data + 2 + passwordLength;
    const size_t bodySize = size - 2 - passwordLength;
    {
        FILE* file = std::fopen(scratch.path.c_str(), "wb");
        if (!file)
            std::abort();
        std::fwrite(body, 1, bodySize, file);
        std::fclose(file);
    }
    corelib::EncipheredFile file(password.c_str(), base);
    if (file.Open(scratch.path, platform::OpenMode::ReadWrite) != platform::FileError::None)
        std::abort();
    const std::vector<uint8_t> whole = ReadAt(file, 0, bodySize);
    if (whole.size() != bodySize)
        std::abort();
    // Pieces whose sizes and positions come from the body itself.
    for (size_t at = 0; at < bodySize;) {
        const size_t count = std::min<size_t>(1 + body[at] % 97, bodySize - at);
        if (ReadAt(file, int64_t(at), count) !=
            std::vector<uint8_t>(whole.begin() + long(at), whole.begin() + long(at + count))) {
            std::abort();
        }
        at += count;
    }
    // The plain bytes written back encipher to the file's own bytes.
    if (file.Seek(0) != platform::FileError::None ||
        file.Write(whole.data(), whole.size()) != platform::FileError::None) {
        std::abort();
    }
    file.Close();
    std::vector<uint8_t> stored(bodySize);
    FILE* in = std::fopen(scratch.path.c_str(), "rb");
    if (!in || std::fread(stored.data(), 1, bodySize, in) != bodySize)
        std::abort();
    std::fclose(in);
    if (std::memcmp(stored.data(), body, bodySize) != 0)
        std::abort();
    return 0;
}
