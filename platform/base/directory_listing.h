// Reading a directory's entries for the runtime's file search.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Names (runtime texts, no directory part) of the regular files in the
// directory `runtimePath`, sorted bytewise so a search is repeatable;
// nullopt when the directory cannot be read.
std::optional<std::vector<std::string>> ListFiles(const std::string& runtimePath);

}  // namespace platform
