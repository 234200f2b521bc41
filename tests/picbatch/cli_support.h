// Running the picbatch program as a user would, from a terminal without a
// display, in a private folder per test; ImageMagick makes the pictures and
// decodes the results as the second implementation.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace picbatch_test {

struct Outcome {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs picbatch with the arguments (each quoted for the shell).
Outcome RunPicbatch(const std::vector<std::string>& args);

// Runs ImageMagick's convert with an argument text; true on success.
bool Magick(const std::string& args);
// ImageMagick's decode of a picture as 8-bit RGB.
std::vector<uint8_t> MagickRgb(const std::string& path, int* width = nullptr,
                               int* height = nullptr);
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

std::string Quote(const std::string& text);
bool Exists(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// The names in a folder, sorted (files and folders).
std::vector<std::string> Entries(const std::string& folder);
int CountOccurrences(const std::string& text, const std::string& piece);

class PicbatchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return root_ + "/" + name; }
    // Makes a folder (and its parents) below the test's own.
    std::string Folder(const std::string& name) const;

    std::string root_;
};

}  // namespace picbatch_test
