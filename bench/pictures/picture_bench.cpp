// Decoding speed of the runtime's picture loaders against the libraries
// they are measured by, on the same bytes in the same run:
//   GIF:  GifPicture (all frames, memory mode) against giflib's DGifSlurp
//   JPEG: LoadPictureMemory against libjpeg-turbo called directly
//   PNG:  LoadPictureMemory against libpng's simplified reader called directly
// The files come from the environment (PICBATCH_BENCH_GIF, _JPEG, _PNG);
// run_picture_bench.sh makes them from real photographs and runs this.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/load_picture.h"

namespace {

std::vector<uint8_t> FileFromEnvironment(const char* variable) {
    const char* path = std::getenv(variable);
    if (!path)
        return {};
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Each input is read once, the first time a benchmark asks for it.
const std::vector<uint8_t>& Gif() {
    static const std::vector<uint8_t> bytes = FileFromEnvironment("PICBATCH_BENCH_GIF");
    return bytes;
}
const std::vector<uint8_t>& Jpeg() {
    static const std::vector<uint8_t> bytes = FileFromEnvironment("PICBATCH_BENCH_JPEG");
    return bytes;
}
const std::vector<uint8_t>& Png() {
    static const std::vector<uint8_t> bytes = FileFromEnvironment("PICBATCH_BENCH_PNG");
    return bytes;
}

// Every benchmark has one shape: decode the whole input once an iteration
// and report the pixels decoded a second. `decode` answers the pixels of
// one decoding, or a negative count when it could not decode.
template <typename Decode>
void MeasureDecoding(benchmark::State& state, const std::vector<uint8_t>& data,
                     const char* variable, Decode decode) {
    if (data.empty())
        return state.SkipWithError((std::string(variable) + " not set").c_str());
    int64_t pixels = 0;
    for (auto _ : state) {
        pixels = decode(data);
        if (pixels < 0)
            return state.SkipWithError("the picture did not decode");
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The runtime's loader, the same for every format it reads.
int64_t LoadPicturePixels(const std::vector<uint8_t>& data) {
    corelib::PictureRecord* record = corelib::LoadPictureMemory(data.data(), data.size());
    if (!record)
        return -1;
    const int64_t pixels = int64_t(record->width) * record->height;
    corelib::ReleasePicture(record);
    return pixels;
}

// ---- GIF ----

// ---- GIF ----

void BM_GifGifPicture(benchmark::State& state) {
    MeasureDecoding(state, Gif(), "PICBATCH_BENCH_GIF", [](const std::vector<uint8_t>& data) {
        corelib::GifPicture gif;
        gif.SetMemoryMode(true);
        gif.Load(data.data(), uint32_t(data.size()));
        int64_t pixels = 0;
        gif.FirstFrame();
        // Memory mode keeps each image's block; the data rewinds after the
        // last image.
        while (uint8_t* block = gif.TakeDib(nullptr)) {
            pixels += int64_t(gif.frameWidth()) * gif.frameHeight();
            benchmark::DoNotOptimize(block[1064]);
            corelib::FreePictureBlock(block);
            gif.NextFrame();
        }
        return pixels;
    });
}

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t at;
};

int ReadFromMemory(GifFileType* file, GifByteType* out, int count) {
    auto* reader = static_cast<MemoryReader*>(file->UserData);
    const size_t n = std::min(size_t(count), reader->size - reader->at);
    std::memcpy(out, reader->data + reader->at, n);
    reader->at += n;
    return int(n);
}

void BM_GifGiflib(benchmark::State& state) {
    MeasureDecoding(state, Gif(), "PICBATCH_BENCH_GIF", [](const std::vector<uint8_t>& data) {
        MemoryReader reader{data.data(), data.size(), 0};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, ReadFromMemory, &error);
        if (!file)
            return int64_t(-1);
        int64_t pixels = -1;
        if (DGifSlurp(file) == GIF_OK) {
            pixels = 0;
            for (int i = 0; i < file->ImageCount; ++i) {
                const GifImageDesc& d = file->SavedImages[i].ImageDesc;
                pixels += int64_t(d.Width) * d.Height;
                benchmark::DoNotOptimize(file->SavedImages[i].RasterBits[0]);
            }
        }
        DGifCloseFile(file, &error);
        return pixels;
    });
}

// ---- JPEG ----

void BM_JpegLoadPicture(benchmark::State& state) {
    MeasureDecoding(state, Jpeg(), "PICBATCH_BENCH_JPEG", LoadPicturePixels);
}

void BM_JpegLibjpegDirect(benchmark::State& state) {
    MeasureDecoding(state, Jpeg(), "PICBATCH_BENCH_JPEG", [](const std::vector<uint8_t>& data) {
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, data.data(), data.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        const size_t row = size_t(info.output_width) * info.output_components;
        auto* out = static_cast<uint8_t*>(std::malloc(row * info.output_height));
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[4];
            for (int i = 0; i < 4; ++i)
                rows[i] =
                    out + std::min<size_t>(info.output_scanline + i, info.output_height - 1) * row;
            jpeg_read_scanlines(&info, rows, 4);
        }
        jpeg_finish_decompress(&info);
        const int64_t pixels = int64_t(info.output_width) * info.output_height;
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(out[0]);
        std::free(out);
        return pixels;
    });
}

// ---- PNG ----

void BM_PngLoadPicture(benchmark::State& state) {
    MeasureDecoding(state, Png(), "PICBATCH_BENCH_PNG", LoadPicturePixels);
}

void BM_PngLibpngDirect(benchmark::State& state) {
    MeasureDecoding(state, Png(), "PICBATCH_BENCH_PNG", [](const std::vector<uint8_t>& data) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, data.data(), data.size());
        image.format = PNG_FORMAT_BGRA;
        auto* out = static_cast<uint8_t*>(std::malloc(PNG_IMAGE_SIZE(image)));
        png_image_finish_read(&image, nullptr, out, 0, nullptr);
        const int64_t pixels = int64_t(image.width) * image.height;
        png_image_free(&image);
        benchmark::DoNotOptimize(out[0]);
        std::free(out);
        return pixels;
    });
}

BENCHMARK(BM_GifGifPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLoadPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibjpegDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLoadPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLibpngDirect)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
