#include "picture_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace pictures_test {

namespace {

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

}  // namespace

void PictureTest::SetUp() {
    char pattern[] = "/tmp/pictures-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    work_ = pattern;
}

void PictureTest::TearDown() {
    const std::string command = "rm -rf " + Quote(work_);
    if (std::system(command.c_str()) != 0)
        ADD_FAILURE() << "could not remove " << work_;
}

bool Magick(const std::string& args) {
    const std::string command = "convert " + args + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

std::vector<uint8_t> MagickPixels(const std::string& spec, const std::string& format, int* width,
                                  int* height) {
    std::istringstream size(Capture("identify -format '%w %h' " + Quote(spec) + " 2>/dev/null"));
    int w = 0, h = 0;
    size >> w >> h;
    if (width)
        *width = w;
    if (height)
        *height = h;
    const std::string bytes =
        Capture("convert " + Quote(spec) + " -depth 8 " + format + ":- 2>/dev/null");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> BitmapRgb(platform::HBITMAP bitmap, int* width, int* height) {
    auto hold = platform::LockBitmap(bitmap);
    const platform::PixelView view = platform::BitmapPixels(bitmap);
    if (width)
        *width = view.width;
    if (height)
        *height = view.height;
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(view.width) * view.height * 3);
    for (int y = 0; y < view.height; ++y) {
        for (int x = 0; x < view.width; ++x) {
            const uint32_t p = view.Row(y)[x];
            rgb.push_back(uint8_t(p >> 16));
            rgb.push_back(uint8_t(p >> 8));
            rgb.push_back(uint8_t(p));
        }
    }
    return rgb;
}

namespace {

void Put16(std::vector<uint8_t>& out, int value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

int TableBits(size_t entries) {
    int bits = 1;
    while ((size_t(1) << bits) < entries)
        ++bits;
    return bits;
}

// Rows in the order an interlaced image stores them.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> order;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = start[pass]; y < height; y += step[pass])
            order.push_back(y);
    }
    return order;
}

}  // namespace

std::vector<uint8_t> PackCodes(int minCodeSize, const std::vector<std::pair<int, int>>& codes) {
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int held = 0;
    for (const auto& [code, width] : codes) {
        bits |= uint32_t(code) << held;
        held += width;
        while (held >= 8) {
            bytes.push_back(uint8_t(bits));
            bits >>= 8;
            held -= 8;
        }
    }
    if (held > 0)
        bytes.push_back(uint8_t(bits));
    std::vector<uint8_t> out{uint8_t(minCodeSize)};
    for (size_t at = 0; at < bytes.size(); at += 255) {
        const size_t n = std::min<size_t>(255, bytes.size() - at);
        out.push_back(uint8_t(n));
        out.insert(out.end(), bytes.begin() + at, bytes.begin() + at + n);
    }
    out.push_back(0);
    return out;
}

std::vector<uint8_t> GifHeader(int width, int height, const std::vector<uint8_t>& globalTable) {
    std::vector<uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, width);
    Put16(out, height);
    const size_t entries = globalTable.size() / 3;
    out.push_back(entries ? uint8_t(0x80 | (TableBits(entries) - 1)) : 0);
    out.push_back(0);  // background index
    out.push_back(0);  // aspect
    out.insert(out.end(), globalTable.begin(), globalTable.end());
    return out;
}

std::vector<uint8_t> WriteGif(int screenWidth, int screenHeight,
                              const std::vector<uint8_t>& globalTable,
                              const std::vector<GifImageSpec>& images) {
    std::vector<uint8_t> out = GifHeader(screenWidth, screenHeight, globalTable);
    for (const GifImageSpec& image : images) {
        if (image.control) {
            out.insert(out.end(), {0x21, 0xF9, 4});
            out.push_back(uint8_t((image.disposalMethod << 2) | (image.transparent ? 1 : 0)));
            Put16(out, image.delayCs);
            out.push_back(uint8_t(image.transparentIndex));
            out.push_back(0);
        }
        out.push_back(0x2C);
        Put16(out, image.left);
        Put16(out, image.top);
        Put16(out, image.width);
        Put16(out, image.height);
        uint8_t flags = image.interlaced ? 0x40 : 0;
        if (!image.localTable.empty())
            flags |= uint8_t(0x80 | (TableBits(image.localTable.size() / 3) - 1));
        out.push_back(flags);
        out.insert(out.end(), image.localTable.begin(), image.localTable.end());
        // Literal codes only, with a clear before the table would widen them.
        constexpr int kClear = 256, kEnd = 257, kWidth = 9, kRun = 250;
        std::vector<std::pair<int, int>> codes;
        int sinceClear = kRun;
        for (int y : RowOrder(image.height, image.interlaced)) {
            for (int x = 0; x < image.width; ++x) {
                if (sinceClear == kRun) {
                    codes.emplace_back(kClear, kWidth);
                    sinceClear = 0;
                }
                codes.emplace_back(image.indices[size_t(y) * image.width + x], kWidth);
                ++sinceClear;
            }
        }
        codes.emplace_back(kEnd, kWidth);
        const std::vector<uint8_t> data = PackCodes(8, codes);
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}

platform::HWND OpenTestFrame(int width, int height) {
    platform::SetPresentationMode(platform::PresentationMode::Memory);
    if (!platform::EnsureWindowClass("PicturesTestFrame", platform::DefWindowProc,
                                     platform::COLOR_WINDOW)) {
        return nullptr;
    }
    return platform::CreateWindowEx(0, "PicturesTestFrame", "frame",
                                    platform::WS_OVERLAPPEDWINDOW | platform::WS_VISIBLE, 0, 0,
                                    width, height, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace pictures_test
