// Common PNGs are inflated and unfiltered by our own path; whatever it
// finds irregular goes to libpng, so every file must decode to the pixels
// ImageMagick reads from it, and every damaged one must fail with libpng's
// own words.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/base/byte_order.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

// Every filter type turns up: rows of noise, ramps and flat colour.
std::unique_ptr<Image> Mixed(PixelLayout layout) {
    auto image = Image::Create(67, 41, layout);
    uint32_t noise = 99;
    for (uint32_t y = 0; y < image->height(); ++y) {
        uint8_t* p = image->row(y);
        for (uint32_t x = 0; x < image->width() * image->bytesPerPixel(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            p[x] = y % 3 == 0 ? uint8_t(noise >> 24) : y % 3 == 1 ? uint8_t(x + y) : uint8_t(y * 5);
        }
    }
    return image;
}

struct PngChunk {
    std::string type;
    Output data;
};

std::vector<PngChunk> Chunks(const Output& png) {
    std::vector<PngChunk> chunks;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = ReadBe32(&png[at]);
        chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8),
                          Output(png.begin() + at + 8, png.begin() + at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

uint32_t Crc(const std::string& type, const Output& data) {
    Output both(type.begin(), type.end());
    both.insert(both.end(), data.begin(), data.end());
    // The PNG checksum (CRC-32, reflected 0xEDB88320).
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : both) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

Output Assemble(const std::vector<PngChunk>& chunks, const std::string& damagedType = "") {
    Output png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const PngChunk& chunk : chunks) {
        uint8_t word[4];
        WriteBe32(word, uint32_t(chunk.data.size()));
        png.insert(png.end(), word, word + 4);
        png.insert(png.end(), chunk.type.begin(), chunk.type.end());
        png.insert(png.end(), chunk.data.begin(), chunk.data.end());
        WriteBe32(word, Crc(chunk.type, chunk.data) ^ (chunk.type == damagedType ? 1u : 0u));
        png.insert(png.end(), word, word + 4);
    }
    return png;
}

// The IDAT split into pieces of `piece` bytes, and `after` put before IEND.
std::vector<PngChunk> Reshaped(const Output& png, size_t piece, std::vector<PngChunk> after) {
    std::vector<PngChunk> out;
    for (const PngChunk& chunk : Chunks(png)) {
        if (chunk.type == "IDAT") {
            for (size_t at = 0; at < chunk.data.size(); at += piece) {
                size_t end = std::min(chunk.data.size(), at + piece);
                out.push_back({"IDAT", Output(chunk.data.begin() + at, chunk.data.begin() + end)});
            }
        } else if (chunk.type == "IEND") {
            out.insert(out.end(), after.begin(), after.end());
            out.push_back(chunk);
        } else {
            out.push_back(chunk);
        }
    }
    return out;
}

TEST(PngRows, SplitImageDataAndLateChunksDecodeToImageMagicksPixels) {
    for (PixelLayout layout : {PixelLayout::Bgr24, PixelLayout::Bgra32}) {
        SCOPED_TRACE(layout == PixelLayout::Bgra32 ? "RGBA" : "RGB");
        auto image = Mixed(layout);
        Output png;
        ASSERT_TRUE(EncodePng(*image, png));
        const Output text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'};
        Output reshaped = Assemble(Reshaped(png, 97, {{"tEXt", text}}));
        auto back = DecodeAny({reshaped.data(), reshaped.size()});
        ASSERT_TRUE(back);
        EXPECT_EQ(Rgba(*back), Rgba(*image));
        if (HaveImageMagick()) {
            auto path = ScratchFolder() / "split.png";
            WriteFile(path, reshaped);
            EXPECT_EQ(MagickRgba(path), Rgba(*image));
        }
        // An ancillary chunk with a bad checksum is dropped, as libpng does.
        Output badText = Assemble(Reshaped(png, 1000, {{"tEXt", text}}), "tEXt");
        back = DecodeAny({badText.data(), badText.size()});
        ASSERT_TRUE(back);
        EXPECT_EQ(Rgba(*back), Rgba(*image));
    }
}

// Each irregular file gets libpng's verdict: a damaged one fails with its
// words, and one libpng lets through (an unknown critical chunk or a stray
// IDAT after the image data only draw its warnings) keeps its pixels.
TEST(PngRows, IrregularFilesGetLibpngsVerdict) {
    auto image = Mixed(PixelLayout::Bgr24);
    Output png;
    ASSERT_TRUE(EncodePng(*image, png));
    struct Case {
        const char* name;
        Output file;
        const char* reason;  // null: decodes to the picture
    };
    Output truncatedEnd(png.begin(), png.end() - 12);  // no IEND
    const Case cases[] = {
        {"damaged IDAT checksum", Assemble(Chunks(png), "IDAT"), "CRC error"},
        {"no IEND", truncatedEnd, "the PNG data ends early"},
        {"unknown critical chunk", Assemble(Reshaped(png, 1 << 20, {{"QQQQ", Output(3, 0)}})),
         nullptr},
        {"IDAT after another chunk",
         Assemble(Reshaped(png, 1 << 20, {{"tEXt", Output(4, 'a')}, {"IDAT", Output(8, 0)}})),
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearFailureReason();
        auto back = DecodeAny({c.file.data(), c.file.size()});
        if (c.reason) {
            EXPECT_FALSE(back);
            EXPECT_NE(FailureReason().find(c.reason), std::string::npos) << FailureReason();
        } else {
            ASSERT_TRUE(back);
            EXPECT_EQ(Rgba(*back), Rgba(*image));
        }
    }
}

}  // namespace
}  // namespace platform::imaging
