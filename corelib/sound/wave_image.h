// RIFF WAVE images held in memory: finding the format and data chunks.
//
//   OFFSET SIZE DESCRIPTION
//        0    4 "RIFF"
//        4    4 RIFF size (little-endian): bytes that follow this field
//        8    4 "WAVE"
//       12      chunks: 4-byte identifier, 4-byte little-endian body length,
//               the body, and one pad byte when the length is odd
// "fmt " holds the format description (at least the 16 PCM bytes, see
// platform/multimedia/multimedia.h); "data" holds the samples. Chunks may
// come in any order; the first of each kind counts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corelib::sound {

struct WaveChunks {
    const uint8_t* format = nullptr;
    uint32_t formatLength = 0;
    const uint8_t* samples = nullptr;
    uint32_t sampleBytes = 0;
};

enum class WaveImageError {
    kNone,
    kNotRiffWave,   // shorter than 36 bytes, or no "RIFF" ... "WAVE"
    kChunkPastEnd,  // a chunk's body runs past the image
    kNoFormat,      // no "fmt " chunk, or one shorter than 16 bytes
    kNoData,        // no "data" chunk, or an empty one
};

// True when the image is at least 12 bytes of "RIFF" ... "WAVE".
bool IsWaveData(const void* data, size_t size);

// Walks the chunks from offset 12 until both are found or the walk reaches
// the RIFF size or the end of the image, whichever comes first.
WaveImageError FindWaveChunks(const void* data, size_t size, WaveChunks* chunks);

const char* WaveImageErrorText(WaveImageError error);

}  // namespace corelib::sound
