// Shared pieces of the picture tests: a private work folder per test,
// ImageMagick as the program that writes fixtures and decodes references,
// and a small GIF writer for the cases ImageMagick cannot be asked to make
// (exact palette indices, chosen codes, cut-off data).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/gdi.h"
#include "platform/windowing/windows.h"

namespace pictures_test {

// A visible top-level window of `width` x `height` in memory presentation,
// for the pictures that draw into a window; the caller destroys it.
platform::HWND OpenTestFrame(int width, int height);

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Work(const std::string& name) const { return work_ + "/" + name; }

private:
    std::string work_;
};

// Runs ImageMagick's convert with the argument text; true on success.
bool Magick(const std::string& args);
// ImageMagick's decode of `spec` (a file, or file[n]) as 8-bit "rgb" or
// "rgba" bytes, top row first.
std::vector<uint8_t> MagickPixels(const std::string& spec, const std::string& format, int* width,
                                  int* height);

std::vector<uint8_t> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes);

// A bitmap's pixels as R,G,B bytes, top row first.
std::vector<uint8_t> BitmapRgb(platform::HBITMAP bitmap, int* width = nullptr,
                               int* height = nullptr);

// One image of a hand-made GIF. Indices are given top row first; the writer
// orders them for interlacing itself.
struct GifImageSpec {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices;
    std::vector<uint8_t> localTable;  // R,G,B triples; a power of two from 2 to 256
    bool interlaced = false;
    bool control = false;  // write a graphic control extension before it
    int disposalMethod = 0;
    bool transparent = false;
    int transparentIndex = 0;
    int delayCs = 0;
};

// Codes written with minimum code size 8, every index as its own code and a
// clear code often enough that the code width stays 9 bits.
std::vector<uint8_t> WriteGif(int screenWidth, int screenHeight,
                              const std::vector<uint8_t>& globalTable,
                              const std::vector<GifImageSpec>& images);
// The LZW data sub-blocks (minimum code size byte first) for codes of the
// given widths, without the end code unless listed.
std::vector<uint8_t> PackCodes(int minCodeSize, const std::vector<std::pair<int, int>>& codes);
// A GIF89a header with a global table of `colors` entries (a power of two).
std::vector<uint8_t> GifHeader(int width, int height, const std::vector<uint8_t>& globalTable);

}  // namespace pictures_test
