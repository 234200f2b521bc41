// Shared pieces of the image conversion tests: a private temporary directory
// per test (so leftovers can be asserted on) and ImageMagick as the second
// implementation that writes fixtures and decodes references.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "libs/imageconv/raster_image.h"

namespace imageconv_test {

// Each test gets its own TMPDIR (the library's backing files go there) and a
// work folder for fixtures; TearDown fails the test if a backing file is left.
class ImageconvTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Work(const std::string& name) const { return work_ + "/" + name; }
    std::vector<std::string> TempEntries() const;
    std::vector<std::string> WorkEntries() const;

    std::string root_;
    std::string temp_;
    std::string work_;
    std::string savedTmpdir_;
    bool hadTmpdir_ = false;
};

// Runs ImageMagick's convert with the given argument text; true on success.
bool Magick(const std::string& args);
// ImageMagick's decode of a file as 8-bit RGB (alpha dropped, not composed).
std::vector<uint8_t> MagickRgb(const std::string& path, int* width = nullptr,
                               int* height = nullptr);
// A one-line answer of `identify -format`.
std::string MagickIdentify(const std::string& format, const std::string& path);

// Any image as packed 8-bit RGB, through the library's own conversion.
std::vector<uint8_t> ImageRgb(const imageconv::RasterImage& image);

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

std::vector<uint8_t> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

}  // namespace imageconv_test
