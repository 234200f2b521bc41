#include "platform/loader/executable_path.h"

#include <unistd.h>

#include <vector>

#include "platform/base/text_codec.h"

namespace platform {

ExecutableLocation LocateExecutable() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (size_t(length) < buffer.size()) {
            std::string_view path(buffer.data(), size_t(length));
            size_t slash = path.find_last_of('/');
            if (slash == std::string_view::npos)
                return {{}, Utf8ToRuntime(path)};
            return {Utf8ToRuntime(path.substr(0, slash)), Utf8ToRuntime(path.substr(slash + 1))};
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace platform
