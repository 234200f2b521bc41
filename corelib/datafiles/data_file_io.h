// Positioned reads and writes of the data files, answering data-file error
// codes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files/file.h"

namespace corelib {

// Reads `count` bytes at `offset`; `done` receives how many were there.
int ReadAt(platform::File& file, int64_t offset, void* out, size_t count, size_t& done);
// Reads exactly `count` bytes; fewer is `shortReadError`.
int ReadExactly(platform::File& file, int64_t offset, void* out, size_t count, int shortReadError);
int WriteAt(platform::File& file, int64_t offset, const void* bytes, size_t count);

}  // namespace corelib
