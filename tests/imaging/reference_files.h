// Pictures written by ImageMagick, a second implementation nobody here
// wrote, and its own decoding of them (or Pillow's) as the pixels to
// compare against.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/imaging/image.h"

namespace platform::imaging::testing {

bool HaveImageMagick();
// A fresh temporary folder for the calling test, removed by the next call
// from the same process.
std::filesystem::path ScratchFolder();
// Runs `convert` with the arguments; false when it fails.
bool Convert(const std::string& arguments);
std::vector<uint8_t> ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// ImageMagick's 8-bit RGBA pixels of a file (its first frame).
std::vector<uint8_t> MagickRgba(const std::filesystem::path& path);
// Whether Pillow, a second implementation, is there to decode with.
bool HavePillow();
// Pillow's 8-bit pixels of a file in `mode` ("RGB" or "RGBA").
std::vector<uint8_t> PillowPixels(const std::filesystem::path& path, const std::string& mode);
// An image's pixels as RGBA, opaque when it has no alpha.
std::vector<uint8_t> Rgba(const Image& image);
// Largest per-channel difference; SIZE_MAX when the sizes differ.
size_t MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace platform::imaging::testing
