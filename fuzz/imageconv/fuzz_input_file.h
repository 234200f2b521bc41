// The readers take file paths, so each fuzz input is written to a file first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace imageconv_fuzz {

// Writes `data` (zero-padded to at least `minimumSize` bytes) to this
// process's scratch file and returns its path.
const std::string& WriteInputFile(const uint8_t* data, size_t size, size_t minimumSize = 0);

}  // namespace imageconv_fuzz
