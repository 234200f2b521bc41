#include "platform/directories/make_directory.h"

#include <sys/stat.h>

#include <string>

#include "platform/base/text_codec.h"

namespace platform {

bool MakeDirectory(std::string_view runtimePath) {
    if (runtimePath.empty())
        return false;
    std::string path = RuntimeToUtf8(runtimePath);
    return mkdir(path.c_str(), 0777) == 0;
}

}  // namespace platform
