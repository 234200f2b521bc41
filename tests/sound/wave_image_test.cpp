// The RIFF chunk walk on hand-made images.
#include "corelib/sound/wave_image.h"
#include "tests/sound/sound_test_support.h"

namespace {

using namespace corelib::sound;
using soundtest::Chunk;
using soundtest::PcmFormat;
using soundtest::Riff;

WaveImageError Walk(const std::vector<uint8_t>& image, WaveChunks* chunks) {
    return FindWaveChunks(image.data(), image.size(), chunks);
}

TEST(WaveImage, FindsTheFormatAndDataChunksInAnyOrder) {
    const std::vector<uint8_t> samples{1, 2, 3, 4};
    for (auto image : {Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", samples}}),
                       Riff({{"data", samples}, {"fmt ", PcmFormat(1, 8000, 8)}}),
                       Riff({{"LIST", {'I', 'N', 'F', 'O'}},
                             {"data", samples},
                             {"fact", {4, 0, 0, 0}},
                             {"fmt ", PcmFormat(1, 8000, 8)}})}) {
        WaveChunks chunks;
        ASSERT_EQ(Walk(image, &chunks), WaveImageError::kNone);
        EXPECT_EQ(chunks.formatLength, 16u);
        EXPECT_EQ(chunks.format[0], 1);  // PCM
        ASSERT_EQ(chunks.sampleBytes, 4u);
        EXPECT_EQ(std::vector<uint8_t>(chunks.samples, chunks.samples + 4), samples);
    }
}

TEST(WaveImage, AnOddChunkIsFollowedByAPadByte) {
    auto image = Riff({{"junk", {9, 9, 9}}, {"fmt ", PcmFormat(2, 44100, 16)}, {"data", {7, 7}}});
    ASSERT_EQ(image[12 + 8 + 3], 0);  // the pad
    WaveChunks chunks;
    ASSERT_EQ(Walk(image, &chunks), WaveImageError::kNone);
    EXPECT_EQ(chunks.format - image.data(), 12 + 8 + 4 + 8);
    EXPECT_EQ(chunks.sampleBytes, 2u);
}

TEST(WaveImage, TheFirstChunkOfEachKindCounts) {
    auto image = Riff({{"fmt ", PcmFormat(1, 8000, 8)},
                       {"data", {1}},
                       {"fmt ", PcmFormat(2, 8000, 16)},
                       {"data", {2, 2}}});
    WaveChunks chunks;
    ASSERT_EQ(Walk(image, &chunks), WaveImageError::kNone);
    EXPECT_EQ(chunks.sampleBytes, 1u);
    EXPECT_EQ(chunks.format[2], 1);  // one channel
}

TEST(WaveImage, MissingOrEmptyChunksAreRefused) {
    WaveChunks chunks;
    // 36 bytes of RIFF, WAVE, a format and an empty data chunk.
    auto emptyData = Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {}}});
    ASSERT_EQ(emptyData.size(), 44u);
    EXPECT_EQ(Walk(emptyData, &chunks), WaveImageError::kNoData);
    EXPECT_EQ(Walk(Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"LIST", {1, 2, 3, 4}}}), &chunks),
              WaveImageError::kNoData);
    EXPECT_EQ(Walk(Riff({{"data", {1, 2, 3, 4}}, {"LIST", {1, 2, 3, 4, 5, 6, 7, 8}}}), &chunks),
              WaveImageError::kNoFormat);
    auto shortFormat = PcmFormat(1, 8000, 8);
    shortFormat.resize(14);
    EXPECT_EQ(Walk(Riff({{"fmt ", shortFormat}, {"data", {1, 2, 3, 4}}}), &chunks),
              WaveImageError::kNoFormat);
}

TEST(WaveImage, OnlyRiffWaveImagesOfThirtySixBytesOrMoreAreWalked) {
    WaveChunks chunks;
    auto good = Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {1, 2, 3, 4}}});
    auto notWave = good;
    notWave[8] = 'A';
    EXPECT_EQ(Walk(notWave, &chunks), WaveImageError::kNotRiffWave);
    EXPECT_FALSE(IsWaveData(notWave.data(), notWave.size()));
    std::vector<uint8_t> short35(good.begin(), good.begin() + 35);
    EXPECT_EQ(Walk(short35, &chunks), WaveImageError::kNotRiffWave);
    EXPECT_TRUE(IsWaveData(short35.data(), 12));
}

TEST(WaveImage, TheWalkStopsAtTheRiffSizeAndRefusesChunksPastTheImage) {
    WaveChunks chunks;
    auto image = Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {1, 2, 3, 4}}});
    // A RIFF size that ends the walk after the format chunk.
    auto cutByRiffSize = image;
    cutByRiffSize[4] = 24;
    cutByRiffSize[5] = 0;
    EXPECT_EQ(Walk(cutByRiffSize, &chunks), WaveImageError::kNoData);

    // A data chunk claiming more bytes than the image holds.
    auto pastEnd = image;
    pastEnd[pastEnd.size() - 8] = 5;
    EXPECT_EQ(Walk(pastEnd, &chunks), WaveImageError::kChunkPastEnd);
    auto huge = image;
    huge[huge.size() - 5] = 0xFF;
    EXPECT_EQ(Walk(huge, &chunks), WaveImageError::kChunkPastEnd);

    // A RIFF size larger than the image: the image's end bounds the walk.
    auto generous = Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"LIST", {1, 2, 3, 4}}});
    generous[7] = 0x7F;
    EXPECT_EQ(Walk(generous, &chunks), WaveImageError::kNoData);
}

}  // namespace
