// Fuzzes the RIFF WAVE chunk walk: whatever the bytes, it stays inside the
// image, and what it finds lies wholly inside the image.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "corelib/sound/wave_image.h"
#include "platform/multimedia/multimedia.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    const uint8_t* begin = image.data();
    const uint8_t* end = begin + image.size();
    corelib::sound::WaveChunks chunks;
    if (corelib::sound::FindWaveChunks(begin, image.size(), &chunks) !=
        corelib::sound::WaveImageError::kNone)
        return 0;
    auto inside = [&](const uint8_t* at, uint32_t length) {
        return at >= begin && at <= end && length <= size_t(end - at);
    };
    if (!inside(chunks.format, chunks.formatLength) || !inside(chunks.samples, chunks.sampleBytes))
        std::abort();
    if (chunks.formatLength < platform::multimedia::kPcmFormatBytes || chunks.sampleBytes == 0)
        std::abort();
    // The format check reads the chunk in place, as PlayWave does.
    platform::multimedia::HWAVEOUT none = 0;
    platform::multimedia::waveOutOpen(
        &none, platform::multimedia::WAVE_MAPPER,
        reinterpret_cast<const platform::multimedia::WAVEFORMATEX*>(chunks.format), nullptr, 0,
        platform::multimedia::WAVE_FORMAT_QUERY);
    return 0;
}
