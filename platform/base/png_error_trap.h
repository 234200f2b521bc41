// The one error policy for libpng, shared by every PNG reader and writer.
//
// libpng reports a fatal error through the error routine, which must not
// return: the trap keeps libpng's text of what went wrong and jumps back to
// the setjmp(png_jmpbuf(png)) of the operation that was running. Warnings
// (odd profiles, unknown chunks) do not change the pixels and are dropped.
// Readers are limited as picture_limits.h says before any row is read.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>

namespace platform {

struct PngErrorTrap {
    char message[256] = {};
};

// Read and write structures whose errors go to `trap`; null when libpng
// cannot make one.
png_structp CreatePngReader(PngErrorTrap& trap);
png_structp CreatePngWriter(PngErrorTrap& trap);

// After png_read_info: empty when the declared size may be decoded from a
// file of `fileBytes` bytes, else why not.
std::string PngSizeProblem(png_structp png, png_infop info, uint64_t fileBytes);

// What went wrong, for a failure reason: libpng's message, or `fallback`.
std::string PngProblem(const PngErrorTrap& trap, const char* fallback);

}  // namespace platform
