#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/picture.h"
#include "app_test_support.h"
#include "runtime/services.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

// A 32-bit bitmap file with alpha (bit-field masks in a version 4 header),
// every pixel the given B, G, R, A; or 24-bit when alpha is 255 and !withAlpha.
Bytes BmpFile(uint32_t width, uint32_t height, const uint8_t bgra[4], bool withAlpha) {
    Bytes b = {'B', 'M'};
    uint32_t header = withAlpha ? 108 : 40, bpp = withAlpha ? 4 : 3;
    uint32_t row = (width * bpp + 3) / 4 * 4;
    Put32(b, 14 + header + row * height);
    Put32(b, 0);
    Put32(b, 14 + header);
    Put32(b, header);
    Put32(b, width);
    Put32(b, height);
    Put32(b, 1 | (bpp * 8) << 16);
    Put32(b, withAlpha ? 3 : 0);
    for (int i = 0; i < 5; ++i)
        Put32(b, 0);
    if (withAlpha) {
        for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            Put32(b, mask);
        b.resize(14 + header, 0);
    }
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            // A gradient in blue keeps the picture from being trivial.
            b.push_back(uint8_t(bgra[0] + x + y));
            b.insert(b.end(), bgra + 1, bgra + bpp);
        }
        b.resize(b.size() + row - width * bpp, 0);
    }
    return b;
}

// The 64 entries of a JPEG file's first quantisation table (DQT segment,
// 8-bit precision); empty when there is none.
Bytes FirstQuantisationTable(const Bytes& jpeg) {
    for (size_t i = 2; i + 4 + 64 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB && (jpeg[i + 4] >> 4) == 0)
            return Bytes(jpeg.begin() + long(i) + 5, jpeg.begin() + long(i) + 5 + 64);
    }
    return {};
}

rt::ByteBlock* Block(const Bytes& bytes) {
    auto* block = static_cast<rt::ByteBlock*>(rt::RtAlloc(8 + bytes.size()));
    block->dimensions = 1;
    block->length = uint32_t(bytes.size());
    std::memcpy(block->bytes(), bytes.data(), bytes.size());
    return block;
}

Bytes ToVector(const rt::ByteBlock* block) {
    return Bytes(block->bytes(), block->bytes() + block->length);
}

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::StartPlatformOnce();
        picture_ = NewPicture();
        folder_ = fs::temp_directory_path() / ("picbatch-picture-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        CallMethod<PicCleanUp>(&picture_, PIC_CLEAN_UP);
        rt::RtFree(picture_);
        fs::remove_all(folder_);
    }
    bool LoadBytes(const Bytes& bytes) {
        rt::ByteBlock* block = Block(bytes);
        bool ok = CallMethod<PicLoadFromBytes>(&picture_, PIC_LOAD_FROM_BYTES, block) == 1;
        rt::RtFree(block);
        return ok;
    }
    Bytes SaveBytes(int32_t code, rt::ArgRecord quality) {
        rt::ByteBlock* block =
            CallMethod<PicSaveToBytes>(&picture_, PIC_SAVE_TO_BYTES, code, quality);
        Bytes bytes = ToVector(block);
        if (!rt::IsSharedConstant(block))
            rt::RtFree(block);
        return bytes;
    }
    bool SaveFile(const fs::path& path, int32_t code) {
        rt::Text text = testing::Text(path.string());
        bool ok = CallMethod<PicSaveToFile>(&picture_, PIC_SAVE_TO_FILE, &text, code,
                                            rt::ArgRecord::Int(100)) == 1;
        rt::RtFree(text);
        return ok;
    }
    bool LoadFile(const std::string& path) {
        rt::Text text = path.empty() ? nullptr : testing::Text(path);
        bool ok = CallMethod<PicLoadFromFile>(&picture_, PIC_LOAD_FROM_FILE, &text) == 1;
        if (text)
            rt::RtFree(text);
        return ok;
    }
    uintptr_t Image() { return CallMethod<PicHandle>(&picture_, PIC_HANDLE); }

    PictureObject* picture_ = nullptr;
    fs::path folder_;
};

const uint8_t kOpaque[4] = {10, 120, 200, 255};

TEST_F(PictureTest, AnEmptyPictureSavesNothing) {
    EXPECT_FALSE(SaveFile(folder_ / "empty.png", 5));
    EXPECT_FALSE(fs::exists(folder_ / "empty.png"));
    EXPECT_TRUE(SaveBytes(5, rt::ArgRecord::Omitted()).empty());
}

TEST_F(PictureTest, QualityIsClampedDefaultsToTheMaximumAndOnlyJpegTakesIt) {
    ASSERT_TRUE(LoadBytes(BmpFile(64, 48, kOpaque, false)));
    Bytes best = SaveBytes(2, rt::ArgRecord::Int(100));
    ASSERT_GT(best.size(), 100u);
    EXPECT_EQ(SaveBytes(2, rt::ArgRecord::Int(150)), best);
    EXPECT_EQ(SaveBytes(2, rt::ArgRecord::Omitted()), best);
    Bytes worst = SaveBytes(2, rt::ArgRecord::Int(0));
    EXPECT_EQ(SaveBytes(2, rt::ArgRecord::Int(-5)), worst);
    // The quality reached the encoder: its first quantisation table is all
    // ones at the best quality and all 255 (the baseline maximum) at the
    // worst.
    EXPECT_EQ(FirstQuantisationTable(best), Bytes(64, 1));
    EXPECT_EQ(FirstQuantisationTable(worst), Bytes(64, 255));
    EXPECT_EQ(SaveBytes(4, rt::ArgRecord::Int(10)), SaveBytes(4, rt::ArgRecord::Int(100)));
}

TEST_F(PictureTest, EncoderCodesPickTheirFormatsAndUnknownCodesTheFirst) {
    ASSERT_TRUE(LoadBytes(BmpFile(8, 8, kOpaque, false)));
    auto starts = [](const Bytes& b, const std::string& magic) {
        return b.size() >= magic.size() && std::memcmp(b.data(), magic.data(), magic.size()) == 0;
    };
    EXPECT_TRUE(starts(SaveBytes(1, rt::ArgRecord::Omitted()), "BM"));
    EXPECT_TRUE(starts(SaveBytes(2, rt::ArgRecord::Omitted()), "\xFF\xD8\xFF"));
    EXPECT_TRUE(starts(SaveBytes(3, rt::ArgRecord::Omitted()), "GIF8"));
    EXPECT_TRUE(starts(SaveBytes(4, rt::ArgRecord::Omitted()), "II*"));
    EXPECT_TRUE(starts(SaveBytes(5, rt::ArgRecord::Omitted()), "\x89PNG"));
    EXPECT_EQ(SaveBytes(7, rt::ArgRecord::Omitted()), SaveBytes(1, rt::ArgRecord::Omitted()));
}

TEST_F(PictureTest, ABackgroundIsFlattenedUnderThePictureWhenSaving) {
    const uint8_t halfRed[4] = {0, 0, 255, 128};
    ASSERT_TRUE(LoadBytes(BmpFile(1, 1, halfRed, true)));
    CallMethod<PicSetBackground>(&picture_, PIC_SET_BACKGROUND, 0xFFFFFF);  // white
    Bytes bmp = SaveBytes(1, rt::ArgRecord::Omitted());
    ASSERT_GT(bmp.size(), 60u);
    uint32_t offset;
    std::memcpy(&offset, &bmp[10], 4);
    const uint8_t* pixel = &bmp[offset];
    EXPECT_NEAR(pixel[0], 127, 1);
    EXPECT_NEAR(pixel[1], 127, 1);
    EXPECT_EQ(pixel[2], 255);
    EXPECT_EQ(pixel[3], 255) << "opaque after flattening";
    EXPECT_EQ(CallMethod<PicWidth>(&picture_, PIC_WIDTH), 1);

    // A negative colour takes the background away: alpha survives the save.
    ASSERT_TRUE(LoadBytes(BmpFile(1, 1, halfRed, true)));
    CallMethod<PicSetBackground>(&picture_, PIC_SET_BACKGROUND, -1);
    Bytes kept = SaveBytes(1, rt::ArgRecord::Omitted());
    std::memcpy(&offset, &kept[10], 4);
    EXPECT_EQ(kept[offset + 3], 128);
}

TEST_F(PictureTest, LoadsRefuseShortBytesEmptyPathsAndBrokenFilesAndLeaveThePictureEmpty) {
    Bytes file = BmpFile(30, 20, kOpaque, false);
    ASSERT_TRUE(LoadBytes(file));
    int32_t width = 0, height = 0;
    CallMethod<PicGetSize>(&picture_, PIC_GET_SIZE, &width, &height);
    EXPECT_EQ(width, 30);
    EXPECT_EQ(height, 20);

    EXPECT_FALSE(LoadBytes(Bytes(file.begin(), file.begin() + 4)));
    EXPECT_EQ(Image(), 0u) << "the previous picture is released first";

    fs::path good = folder_ / "good.bmp";
    std::ofstream(good, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
    ASSERT_TRUE(LoadFile(good.string()));
    EXPECT_EQ(CallMethod<PicHeight>(&picture_, PIC_HEIGHT), 20);
    EXPECT_FALSE(LoadFile(""));
    EXPECT_EQ(Image(), 0u);

    fs::path broken = folder_ / "broken.bmp";
    std::ofstream(broken, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size() / 2);
    EXPECT_FALSE(LoadFile(broken.string()));
    EXPECT_FALSE(SaveFile(folder_ / "broken.png", 5));
    EXPECT_FALSE(fs::exists(folder_ / "broken.png")) << "nothing is written for a failed load";
}

TEST_F(PictureTest, ACopyOwnsItsPictureAndFileNamesMayBeAnyText) {
    ASSERT_TRUE(LoadBytes(BmpFile(12, 9, kOpaque, false)));
    PictureObject* copy = CallMethod<PicCopy>(&picture_, PIC_COPY);
    Bytes original = SaveBytes(5, rt::ArgRecord::Omitted());
    CallMethod<PicCleanUp>(&picture_, PIC_CLEAN_UP);
    rt::RtFree(picture_);
    picture_ = copy;  // the copy must still hold a whole picture of its own
    EXPECT_EQ(SaveBytes(5, rt::ArgRecord::Omitted()), original);

    fs::path named = folder_ / "图片 ü.png";
    ASSERT_TRUE(SaveFile(named, 5));
    EXPECT_TRUE(fs::exists(named));
    EXPECT_TRUE(LoadFile(named.string()));
}

}  // namespace
}  // namespace app

namespace app {
namespace {

std::string Reason() {
    rt::Text text = FailureReason();
    std::string reason = text;
    rt::RtFree(text);
    return reason;
}

TEST_F(PictureTest, AFailedEncodingGivesNoBytesAndTheLibrarysReason) {
    // 65501 pixels wide: more than JPEG can hold, well within the limits.
    ASSERT_TRUE(LoadBytes(BmpFile(65501, 1, kOpaque, false)));
    EXPECT_EQ(SaveBytes(2, rt::ArgRecord::Int(90)), Bytes{});
    EXPECT_EQ(Reason(), "Maximum supported image dimension is 65500 pixels");
    EXPECT_FALSE(SaveBytes(5, rt::ArgRecord::Omitted()).empty());  // PNG takes it
    EXPECT_EQ(Reason(), "");
}

TEST_F(PictureTest, FailedLoadsAndSavesKeepTheirReasons) {
    const fs::path broken = folder_ / "broken.png";
    std::ofstream(broken, std::ios::binary) << "\x89PNG\r\n\x1a\n";
    EXPECT_FALSE(LoadFile(broken.string()));
    EXPECT_EQ(Reason(), "the PNG data ends early");
    ASSERT_TRUE(LoadBytes(BmpFile(4, 4, kOpaque, false)));
    EXPECT_FALSE(SaveFile(folder_ / "missing" / "out.png", 5));
    EXPECT_EQ(Reason(), "cannot create a file in " + (folder_ / "missing/").string() +
                            ": No such file or directory");
    EXPECT_EQ(fs::directory_iterator(folder_)->path(), broken);  // nothing else was made
}

}  // namespace
}  // namespace app
