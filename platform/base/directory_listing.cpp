#include "platform/base/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/base/text_codec.h"

namespace platform {

std::optional<std::vector<std::string>> ListFiles(const std::string& runtimePath) {
    std::string dir = RuntimeToUtf8(runtimePath.empty() ? std::string(".") : runtimePath);
    DIR* handle = opendir(dir.c_str());
    if (!handle)
        return std::nullopt;
    std::vector<std::string> names;
    while (dirent* entry = readdir(handle)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st;
            std::string full = dir + "/" + name;
            regular = stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        }
        if (regular)
            names.push_back(Utf8ToRuntime(name));
    }
    closedir(handle);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace platform
