// Format detection: the signature table, its first-match order and its
// length rule, from bytes and from sources.
#include <gtest/gtest.h>

#include <vector>

#include "corelib/pictures/detect_picture.h"
#include "corelib/pictures/load_picture.h"
#include "corelib/pictures/picture_source.h"

namespace {

using namespace corelib;

PictureKind Detect(std::vector<uint8_t> bytes) {
    return DetectPicture(bytes.data(), bytes.size());
}

TEST(DetectPicture, SignaturesNeedMoreThanFiveBytes) {
    EXPECT_EQ(Detect({'B', 'M', 0, 0, 0}), PICTURE_NONE);
    EXPECT_EQ(Detect({'B', 'M', 0, 0, 0, 0}), PICTURE_BMP);
    EXPECT_EQ(Detect({0xFF, 0xD8, 0xFF, 0xE0, 0, 0}), PICTURE_JPEG);
    EXPECT_EQ(Detect({0x89, 'P', 'N', 'G', 0x0D, 0x0A}), PICTURE_PNG);
    EXPECT_EQ(DetectPicture(nullptr, 100), PICTURE_NONE);
}

TEST(DetectPicture, GifNeedsVersion87aOr89a) {
    EXPECT_EQ(Detect({'G', 'I', 'F', '8', '7', 'a'}), PICTURE_GIF);
    EXPECT_EQ(Detect({'G', 'I', 'F', '8', '9', 'a'}), PICTURE_GIF);
    EXPECT_EQ(Detect({'G', 'I', 'F', '8', '8', 'a'}), PICTURE_NONE);
    EXPECT_EQ(Detect({'G', 'I', 'F', '8', '9', 'b'}), PICTURE_NONE);
}

TEST(DetectPicture, IconsNeedAnImageCount) {
    EXPECT_EQ(Detect({0, 0, 1, 0, 0, 0}), PICTURE_NONE);
    EXPECT_EQ(Detect({0, 0, 1, 0, 1, 0}), PICTURE_ICO);
    EXPECT_EQ(Detect({0, 0, 2, 0, 1, 0}), PICTURE_CUR);
    EXPECT_EQ(Detect({0, 0, 3, 0, 1, 0}), PICTURE_NONE);
}

TEST(DetectPicture, PcxByVersionEncodingAndDepth) {
    EXPECT_EQ(Detect({0x0A, 5, 1, 8, 0, 0}), PICTURE_PCX8);
    EXPECT_EQ(Detect({0x0A, 6, 1, 8, 0, 0}), PICTURE_NONE);
    EXPECT_EQ(Detect({0x0A, 3, 1, 1, 0, 0}), PICTURE_PCX1);
    EXPECT_EQ(Detect({0x0A, 5, 1, 1, 0, 0}), PICTURE_NONE);
    EXPECT_EQ(Detect({0x0A, 3, 0, 1, 0, 0}), PICTURE_NONE);
}

TEST(DetectPicture, SourcesAreReadAtEightBytesAndPutBack) {
    const std::vector<uint8_t> seven{'G', 'I', 'F', '8', '9', 'a', 0};
    MemorySource shortSource(seven.data(), seven.size());
    EXPECT_EQ(DetectPicture(shortSource), PICTURE_NONE);
    uint8_t first = 0;
    EXPECT_EQ(shortSource.Read(&first, 1), 1u);
    EXPECT_EQ(first, 'G');

    const std::vector<uint8_t> eight{'G', 'I', 'F', '8', '9', 'a', 0, 0};
    MemorySource source(eight.data(), eight.size());
    uint8_t skipped[3];
    source.Read(skipped, 3);
    EXPECT_EQ(DetectPicture(source), PICTURE_GIF);
    EXPECT_EQ(source.Read(&first, 1), 1u);
    EXPECT_EQ(first, 'G');
}

TEST(DetectPicture, AOneBitPcxOfVersionFiveIsNotLoaded) {
    std::vector<uint8_t> pcx(200, 0);
    pcx[0] = 0x0A;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 1;
    pcx[65] = 1;
    pcx[66] = 2;
    EXPECT_EQ(LoadPictureMemory(pcx.data(), pcx.size()), nullptr);
    pcx[1] = 3;
    PictureRecord* record = LoadPictureMemory(pcx.data(), pcx.size());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_PCX1);
    ReleasePicture(record);
    EXPECT_EQ(LoadPictureMemory(nullptr, 10), nullptr);
    EXPECT_EQ(LoadPictureFile(nullptr), nullptr);
    EXPECT_EQ(LoadPictureFile(""), nullptr);
}

}  // namespace
