// Where the running program lives, as runtime texts.
#pragma once

#include <string>

namespace platform {

struct ExecutableLocation {
    // The directory without a trailing separator.
    std::string directory;
    std::string fileName;
};

// Read from the running executable; both texts are empty when the platform
// cannot tell.
ExecutableLocation LocateExecutable();

inline constexpr const char* kPathSeparator = "/";

}  // namespace platform
