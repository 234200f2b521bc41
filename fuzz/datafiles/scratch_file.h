// The data files are opened by name, so each fuzz input is written to a
// file of this process first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace datafiles_fuzz {

// Writes `size` bytes to this process's scratch file and answers its path.
const std::string& WriteScratchFile(const uint8_t* data, size_t size);
std::vector<uint8_t> ReadScratchFile();

}  // namespace datafiles_fuzz
