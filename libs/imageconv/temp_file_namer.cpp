#include "libs/imageconv/temp_file_namer.h"

#include <sys/stat.h>

#include <cstdlib>

namespace imageconv {

TempFileNamer& TempFileNamer::Instance() {
    static TempFileNamer namer;
    return namer;
}

std::string TempFileNamer::TemporaryDirectory() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && *env) ? env : "/tmp";
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    return dir;
}

std::string TempFileNamer::MakeName(std::string_view prefix) const {
    std::string dir = TemporaryDirectory();
    if (dir.empty())
        return {};
    if (dir.back() != '/')
        dir += '/';
    dir += prefix;
    for (long n = 0; n < kCounterLimit; ++n) {
        std::string name = dir + std::to_string(n) + std::string(kSuffix);
        struct stat st {};
        if (lstat(name.c_str(), &st) != 0)
            return name;
    }
    return {};
}

}  // namespace imageconv
