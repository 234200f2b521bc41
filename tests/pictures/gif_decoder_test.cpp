// GifPicture in memory mode: the header rules, the packed block it makes,
// interlacing, and what damaged data yields.
#include <cstring>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_record.h"
#include "picture_test_support.h"

namespace pictures_test {
namespace {

using namespace corelib;

// A grey ramp: entry i is (i, i, i).
std::vector<uint8_t> GreyTable(int entries) {
    std::vector<uint8_t> table;
    for (int i = 0; i < entries; ++i)
        table.insert(table.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    return table;
}

struct Decoded {
    std::vector<uint8_t> block;
    int32_t stride = 0;
};

// The first image's block in memory mode (empty when none was made).
Decoded DecodeFirst(const std::vector<uint8_t>& gif, GifPicture& picture) {
    picture.SetMemoryMode(true);
    Decoded result;
    if (picture.Load(gif.data(), uint32_t(gif.size())) != 1)
        return result;
    picture.FirstFrame();
    uint32_t bytes = 0;
    uint8_t* block = picture.TakeDib(&bytes);
    if (!block)
        return result;
    result.block.assign(block, block + bytes);
    result.stride = picture.stride();
    FreePictureBlock(block);
    return result;
}

int32_t Word(const std::vector<uint8_t>& block, size_t at) {
    int32_t value;
    std::memcpy(&value, &block[at], 4);
    return value;
}

TEST(GifHeader, ShortOrForeignDataIsRejected) {
    GifPicture picture;
    picture.SetMemoryMode(true);
    std::vector<uint8_t> gif = GifHeader(2, 2, {});
    ASSERT_EQ(gif.size(), 13u);
    EXPECT_EQ(picture.Load(gif.data(), 13), 0);
    gif.push_back(0x3B);
    EXPECT_EQ(picture.Load(gif.data(), 14), 1);
    gif[4] = '8';
    EXPECT_EQ(picture.Load(gif.data(), 14), 0);
    // A global table of 4 entries (12 bytes) that the data cuts short.
    std::vector<uint8_t> cut = GifHeader(2, 2, GreyTable(4));
    cut.resize(13 + 12);
    EXPECT_EQ(picture.Load(cut.data(), uint32_t(cut.size())), 0);
    cut.push_back(0x3B);
    EXPECT_EQ(picture.Load(cut.data(), uint32_t(cut.size())), 1);
}

TEST(GifDecode, TheBlockHasHeaderTableRowsAndWorkArea) {
    for (int width : {5, 8}) {
        SCOPED_TRACE(width);
        GifImageSpec image;
        image.width = width;
        image.height = 3;
        for (int i = 0; i < width * 3; ++i)
            image.indices.push_back(uint8_t(i + 1));
        GifPicture picture;
        const Decoded d = DecodeFirst(WriteGif(20, 10, GreyTable(32), {image}), picture);
        ASSERT_FALSE(d.block.empty());
        EXPECT_EQ(d.stride, 8);
        EXPECT_EQ(d.block.size(), 8u * 3 + 25640);
        EXPECT_EQ(Word(d.block, 0), 40);
        EXPECT_EQ(Word(d.block, 4), width);
        EXPECT_EQ(Word(d.block, 8), -3);
        EXPECT_EQ(d.block[12] | (d.block[13] << 8), 1);
        EXPECT_EQ(d.block[14] | (d.block[15] << 8), 8);
        EXPECT_EQ(Word(d.block, 32), 256);
        EXPECT_EQ(Word(d.block, 36), 256);
        // Entry 7 of the grey table, then zeros past the table's 32 entries.
        EXPECT_EQ(d.block[40 + 4 * 7], 7);
        EXPECT_EQ(d.block[40 + 4 * 7 + 3], 0);
        EXPECT_EQ(d.block[40 + 4 * 40], 0);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(d.block[1064 + y * 8 + x], y * width + x + 1);
        }
        EXPECT_EQ(picture.screenWidth(), 20);
        EXPECT_EQ(picture.screenHeight(), 10);
    }
}

TEST(GifDecode, InterlacedRowsArriveInFourPasses) {
    // Every pixel's index says in which order its row was written.
    GifImageSpec image;
    image.width = 1;
    image.height = 16;
    image.interlaced = true;
    const int order[16] = {0, 8, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15};
    image.indices.assign(16, 0);
    for (int k = 0; k < 16; ++k)
        image.indices[order[k]] = uint8_t(k + 1);
    // The writer stores rows in interlaced order; read them back as stored.
    std::vector<uint8_t> gif = WriteGif(1, 16, GreyTable(32), {image});
    GifPicture picture;
    const Decoded d = DecodeFirst(gif, picture);
    ASSERT_FALSE(d.block.empty());
    for (int row = 0; row < 16; ++row)
        EXPECT_EQ(d.block[1064 + row * 4], image.indices[row]) << "row " << row;

    // Cut after the first three codes (clear and two pixels): only rows 0
    // and 8, the first two of pass 1, are written; the rest stay index 0.
    std::vector<uint8_t> cut = GifHeader(1, 16, GreyTable(32));
    const std::vector<uint8_t> descriptor{0x2C, 0, 0, 0, 0, 1, 0, 16, 0, 0x40};
    cut.insert(cut.end(), descriptor.begin(), descriptor.end());
    const std::vector<uint8_t> codes = PackCodes(8, {{256, 9}, {1, 9}, {2, 9}});
    cut.insert(cut.end(), codes.begin(), codes.end() - 1);  // no terminator either
    GifPicture second;
    const Decoded partial = DecodeFirst(cut, second);
    ASSERT_FALSE(partial.block.empty());
    for (int row = 0; row < 16; ++row) {
        const int expected = row == 0 ? 1 : row == 8 ? 2 : 0;
        EXPECT_EQ(partial.block[1064 + row * 4], expected) << "row " << row;
    }
}

class GifFiles : public PictureTest {};

TEST_F(GifFiles, ImageMagickFilesDecodeToImageMagicksPixels) {
    const std::string source = Work("source.png");
    ASSERT_TRUE(Magick("-seed 3 -size 203x131 plasma:fractal -depth 8 " + source));
    // Noise defeats LZW, so the table fills and codes reach 12 bits; the
    // interlaced and 2-colour files exercise passes and small code sizes.
    const char* const variants[] = {"-colors 256", "-colors 256 -interlace GIF", "-colors 2",
                                    "+noise Random -colors 256", "-colors 5 -interlace GIF"};
    for (const char* args : variants) {
        SCOPED_TRACE(args);
        const std::string path = Work("picture.gif");
        ASSERT_TRUE(Magick(source + " " + args + " " + path));
        GifPicture picture;
        const Decoded d = DecodeFirst(ReadAll(path), picture);
        ASSERT_FALSE(d.block.empty());
        std::vector<uint8_t> rgb;
        for (int y = 0; y < 131; ++y) {
            for (int x = 0; x < 203; ++x) {
                const uint8_t* entry = &d.block[40 + 4 * d.block[1064 + y * d.stride + x]];
                rgb.insert(rgb.end(), {entry[2], entry[1], entry[0]});
            }
        }
        EXPECT_EQ(rgb, MagickPixels(path, "rgb", nullptr, nullptr));
    }
}

TEST(GifDecode, DataThatStopsEarlyYieldsTheRowsDecodedSoFar) {
    GifImageSpec image;
    image.width = 10;
    image.height = 10;
    for (int i = 0; i < 100; ++i)
        image.indices.push_back(uint8_t(1 + i % 7));
    std::vector<uint8_t> gif = WriteGif(10, 10, GreyTable(8), {image});
    // Header 13 + table 24 + descriptor 10 + code size 1 + length 1: the
    // codes start at 49, 9 bits each after the clear code. Keep 30 codes.
    const size_t keep = 49 + (31 * 9 + 7) / 8;
    gif.resize(keep);
    GifPicture picture;
    const Decoded d = DecodeFirst(gif, picture);
    ASSERT_FALSE(d.block.empty());
    int written = 0;
    for (int i = 0; i < 100; ++i) {
        const uint8_t value = d.block[1064 + (i / 10) * 12 + i % 10];
        if (i < 30) {
            EXPECT_EQ(value, image.indices[i]) << i;
            ++written;
        } else {
            EXPECT_EQ(value, 0) << i;
        }
    }
    EXPECT_EQ(written, 30);
}

TEST(GifDecode, CorruptCodesYieldNoImage) {
    auto withCodes = [](const std::vector<std::pair<int, int>>& codes) {
        std::vector<uint8_t> gif = GifHeader(4, 1, GreyTable(4));
        const std::vector<uint8_t> descriptor{0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0};
        gif.insert(gif.end(), descriptor.begin(), descriptor.end());
        const std::vector<uint8_t> data = PackCodes(2, codes);
        gif.insert(gif.end(), data.begin(), data.end());
        gif.push_back(0x3B);
        return gif;
    };
    // Minimum code size 2: clear 4, end 5, first free code 6, codes 3 bits.
    GifPicture picture;
    EXPECT_FALSE(DecodeFirst(withCodes({{4, 3}, {1, 3}, {6, 3}, {5, 3}}), picture).block.empty())
        << "a code equal to the next free code is the previous string and its first byte";
    // Adding entry 7 widens the codes to 4 bits before the end code.
    const Decoded good = DecodeFirst(withCodes({{4, 3}, {1, 3}, {6, 3}, {2, 3}, {5, 4}}), picture);
    ASSERT_FALSE(good.block.empty());
    EXPECT_EQ(std::vector<uint8_t>(good.block.begin() + 1064, good.block.begin() + 1068),
              (std::vector<uint8_t>{1, 1, 1, 2}));
    // After a clear the next code must be a single index.
    EXPECT_TRUE(DecodeFirst(withCodes({{4, 3}, {7, 3}, {5, 3}}), picture).block.empty());
    // A code size above 8 cannot name palette indices.
    std::vector<uint8_t> wide = withCodes({{4, 3}, {1, 3}, {5, 3}});
    wide[13 + 12 + 10] = 11;
    EXPECT_TRUE(DecodeFirst(wide, picture).block.empty());
}

TEST(GifDecode, HostileSizesAreRefusedBeforeAllocating) {
    GifImageSpec image;
    image.width = 2;
    image.height = 2;
    image.indices = {1, 2, 3, 1};
    std::vector<uint8_t> gif = WriteGif(2, 2, GreyTable(4), {image});
    // The image descriptor claims 65535 x 65535 pixels of 4 kB of data.
    const size_t descriptor = 13 + 12;
    gif[descriptor + 5] = gif[descriptor + 6] = gif[descriptor + 7] = gif[descriptor + 8] = 0xFF;
    GifPicture picture;
    EXPECT_TRUE(DecodeFirst(gif, picture).block.empty());
    EXPECT_EQ(picture.frameWidth(), 65535);
}

TEST(GifDecode, ALocalColourTablePastTheEndYieldsNothing) {
    GifImageSpec image;
    image.width = 1;
    image.height = 1;
    image.indices = {1};
    image.localTable = GreyTable(256);
    std::vector<uint8_t> gif = WriteGif(1, 1, {}, {image});
    gif.resize(13 + 10 + 300);
    GifPicture picture;
    EXPECT_TRUE(DecodeFirst(gif, picture).block.empty());
}

TEST(GifDecode, ExtensionsAreSkippedAndTheGraphicControlRead) {
    GifImageSpec image;
    image.width = 2;
    image.height = 1;
    image.indices = {3, 1};
    image.control = true;
    image.disposalMethod = 3;
    image.transparent = true;
    image.transparentIndex = 3;
    image.delayCs = 7;
    std::vector<uint8_t> gif = WriteGif(2, 1, GreyTable(4), {image});
    // A comment, an application block and an unknown label before it.
    const std::vector<uint8_t> extras{0x21, 0xFE, 3,   'a', 'b',  'c',  0,   0x21, 0xFF, 11,  'N',
                                      'E',  'T',  'S', 'C', 'A',  'P',  'E', '2',  '.',  '0', 3,
                                      1,    0,    0,   0,   0x21, 0x42, 2,   9,    9,    0};
    gif.insert(gif.begin() + 13 + 12, extras.begin(), extras.end());
    GifPicture picture;
    const Decoded d = DecodeFirst(gif, picture);
    ASSERT_FALSE(d.block.empty());
    EXPECT_EQ(d.block[1064], 3);
    EXPECT_EQ(picture.disposal(), kGifDisposePrevious);
    EXPECT_TRUE(picture.hasTransparency());
    EXPECT_EQ(picture.transparentIndex(), 3);
    EXPECT_EQ(picture.transparentColor(), platform::RGB(3, 3, 3));
    EXPECT_EQ(picture.FrameDelayMs(), 70u);
}

}  // namespace
}  // namespace pictures_test
