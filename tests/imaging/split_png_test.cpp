// A large picture saved while a core is free (the end of a batch) has its
// rows compressed on two threads: the PNG must decode, by our decoder and
// by Pillow, to exactly the pixels of the one-thread PNG, within a few
// hundred bytes of its size.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

#include "platform/base/byte_order.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/imaging.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

// A photograph-like picture: smooth ramps with a little noise. With
// `alpha`, a soft transparent edge keeps it RGBA.
std::unique_ptr<Image> PhotoLike(uint32_t width, uint32_t height, bool alpha) {
    auto image = Image::Create(width, height, alpha ? PixelLayout::Bgra32 : PixelLayout::Bgr24);
    uint32_t noise = 7;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* p = image->row(y);
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const uint8_t grain = uint8_t((noise >> 29) & 3);
            uint8_t* pixel = p + x * image->bytesPerPixel();
            pixel[0] = uint8_t(x / 9 + grain);
            pixel[1] = uint8_t((x + y) / 13 + grain);
            pixel[2] = uint8_t(y / 7 + grain);
            if (alpha)
                pixel[3] = x < 64 ? uint8_t(x * 4) : 255;
        }
    }
    return image;
}

std::u16string Wide(const std::filesystem::path& path) {
    const std::string s = path.string();
    return std::u16string(s.begin(), s.end());
}

// The zlib stream of a PNG's IDAT chunks, inflated by zlib; empty when it
// refuses it.
std::vector<uint8_t> InflatedRows(const Output& png, size_t expected) {
    Output stream;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = ReadBe32(&png[at]);
        if (std::string(png.begin() + at + 4, png.begin() + at + 8) == "IDAT")
            stream.insert(stream.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    std::vector<uint8_t> rows(expected + 1);
    uLongf size = uLongf(rows.size());
    if (uncompress(rows.data(), &size, stream.data(), uLong(stream.size())) != Z_OK)
        return {};
    rows.resize(size);
    return rows;
}

class SplitPng : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Startup(&token_), kOk); }
    void TearDown() override {
        SetCoreTurns(0);
        Shutdown(token_);
    }
    uintptr_t token_ = 0;
};

struct Case {
    uint32_t width, height;
    bool alpha;
};

TEST_F(SplitPng, ALargePictureSavedWithACoreFreeIsSplitAndKeepsEveryPixel) {
    // Above the split size (8 MiB of filtered rows); an odd height puts
    // the split row off the middle; RGBA keeps its alpha.
    for (const Case c : {Case{1700, 1701, false}, Case{1500, 1500, true}}) {
        SCOPED_TRACE(c.height);
        auto picture = PhotoLike(c.width, c.height, c.alpha);
        // Outside a save's turn nothing is split: the one-thread PNG.
        Output whole;
        ASSERT_TRUE(EncodePng(*picture, whole));
        const size_t rowsSize = size_t(c.width * (c.alpha ? 4 : 3) + 1) * c.height;
        const auto expectedRows = InflatedRows(whole, rowsSize);
        ASSERT_EQ(expectedRows.size(), rowsSize);

        SetCoreTurns(2);
        auto folder = ScratchFolder();
        ASSERT_EQ(SaveImageToFile(picture.get(), Wide(folder / "split.png").c_str(), &kPngEncoder,
                                  nullptr),
                  kOk);
        const CoreTurnState state = CoreTurnsNow();
        // The helper took the free turn beside the save's, and gave it back.
        EXPECT_EQ(state.spares, 1u);
        EXPECT_EQ(state.peakBusy, 2u);
        EXPECT_EQ(state.busy, 0u);
        const Output split = ReadFile(folder / "split.png");
        EXPECT_NE(split, whole);
        EXPECT_LT(split.size(), whole.size() + 1000);
        EXPECT_GT(split.size() + 1000, whole.size());
        EXPECT_TRUE(InflatedRows(split, rowsSize) == expectedRows);

        auto decoded = DecodePng({split.data(), split.size()});
        ASSERT_TRUE(decoded);
        EXPECT_TRUE(Rgba(*decoded) == Rgba(*picture));
        if (HavePillow()) {
            EXPECT_TRUE(PillowPixels(folder / "split.png", "RGBA") == Rgba(*picture));
        }

        // With one core there is no helper to offer work to: the save
        // writes the one-thread PNG.
        SetCoreTurns(1);
        ASSERT_EQ(
            SaveImageToFile(picture.get(), Wide(folder / "one.png").c_str(), &kPngEncoder, nullptr),
            kOk);
        EXPECT_EQ(CoreTurnsNow().spares, 0u);
        EXPECT_TRUE(ReadFile(folder / "one.png") == whole);
    }
}

TEST_F(SplitPng, APictureBelowTheSplitSizeIsTheOneThreadPng) {
    SetCoreTurns(2);
    auto picture = PhotoLike(1600, 1000, false);  // 4.6 MiB of rows
    Output whole;
    ASSERT_TRUE(EncodePng(*picture, whole));
    auto folder = ScratchFolder();
    ASSERT_EQ(
        SaveImageToFile(picture.get(), Wide(folder / "small.png").c_str(), &kPngEncoder, nullptr),
        kOk);
    EXPECT_EQ(CoreTurnsNow().spares, 0u);
    EXPECT_TRUE(ReadFile(folder / "small.png") == whole);
}

}  // namespace
}  // namespace platform::imaging
