// Directory creation for the core library's MakeDirectory command.
#pragma once

#include <string_view>

namespace platform {

// Creates one directory (the parent must exist). Answers true only when this
// call created it; an existing directory answers false and is left alone.
bool MakeDirectory(std::string_view runtimePath);

}  // namespace platform
