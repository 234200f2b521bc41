#include "corelib/sound/wave_image.h"

#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/multimedia/multimedia.h"

namespace corelib::sound {
namespace {

constexpr size_t kMinimumImage = 36;
constexpr size_t kFirstChunk = 12;
constexpr size_t kChunkHead = 8;

}  // namespace

bool IsWaveData(const void* data, size_t size) {
    auto* bytes = static_cast<const uint8_t*>(data);
    return bytes && size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 &&
           std::memcmp(bytes + 8, "WAVE", 4) == 0;
}

WaveImageError FindWaveChunks(const void* data, size_t size, WaveChunks* chunks) {
    *chunks = WaveChunks{};
    if (size < kMinimumImage || !IsWaveData(data, size))
        return WaveImageError::kNotRiffWave;
    auto* bytes = static_cast<const uint8_t*>(data);
    const uint64_t riffSize = platform::ReadLe32(bytes + 4);

    // `walked` counts from byte 12, as the RIFF size does (less the form type).
    uint64_t walked = 0;
    bool haveFormat = false, haveData = false;
    while (!(haveFormat && haveData) && walked < riffSize) {
        const uint64_t at = kFirstChunk + walked;
        if (at + kChunkHead > size)
            break;  // no room for another chunk head: the image ends here
        const uint8_t* head = bytes + at;
        const uint32_t length = platform::ReadLe32(head + 4);
        if (length > size - at - kChunkHead)
            return WaveImageError::kChunkPastEnd;
        const uint8_t* body = head + kChunkHead;
        if (!haveFormat && std::memcmp(head, "fmt ", 4) == 0) {
            chunks->format = body;
            chunks->formatLength = length;
            haveFormat = true;
        } else if (!haveData && std::memcmp(head, "data", 4) == 0) {
            chunks->samples = body;
            chunks->sampleBytes = length;
            haveData = true;
        }
        walked += kChunkHead + uint64_t(length) + (length & 1);
    }
    if (!haveFormat || chunks->formatLength < platform::multimedia::kPcmFormatBytes)
        return WaveImageError::kNoFormat;
    if (!haveData || chunks->sampleBytes == 0)
        return WaveImageError::kNoData;
    return WaveImageError::kNone;
}

const char* WaveImageErrorText(WaveImageError error) {
    switch (error) {
        case WaveImageError::kNone:
            return "no error";
        case WaveImageError::kNotRiffWave:
            return "not a RIFF WAVE image";
        case WaveImageError::kChunkPastEnd:
            return "a chunk runs past the end of the image";
        case WaveImageError::kNoFormat:
            return "no usable format chunk";
        case WaveImageError::kNoData:
            return "no samples (data chunk missing or empty)";
    }
    return "unknown";
}

}  // namespace corelib::sound
