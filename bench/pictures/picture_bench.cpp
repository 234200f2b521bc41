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

void ReportPixels(benchmark::State& state, int64_t pixels) {
    state.counters["MP/s"] =
        benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// ---- GIF ----

void BM_GifGifPicture(benchmark::State& state) {
    const std::vector<uint8_t>& data = Gif();
    if (data.empty())
        return state.SkipWithError("PICBATCH_BENCH_GIF not set");
    int64_t pixels = 0;
    for (auto _ : state) {
        corelib::GifPicture gif;
        gif.SetMemoryMode(true);
        gif.Load(data.data(), uint32_t(data.size()));
        pixels = 0;
        gif.FirstFrame();
        // Memory mode keeps each image's block; the data rewinds after the
        // last image.
        do {
            uint32_t bytes = 0;
            uint8_t* block = gif.TakeDib(&bytes);
            if (!block)
                break;
            pixels += int64_t(gif.frameWidth()) * gif.frameHeight();
            benchmark::DoNotOptimize(block[1064]);
            corelib::FreePictureBlock(block);
            gif.NextFrame();
        } while (true);
    }
    ReportPixels(state, pixels);
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
    const std::vector<uint8_t>& data = Gif();
    if (data.empty())
        return state.SkipWithError("PICBATCH_BENCH_GIF not set");
    int64_t pixels = 0;
    for (auto _ : state) {
        MemoryReader reader{data.data(), data.size(), 0};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, ReadFromMemory, &error);
        if (!file || DGifSlurp(file) != GIF_OK)
            return state.SkipWithError("giflib could not read the file");
        pixels = 0;
        for (int i = 0; i < file->ImageCount; ++i) {
            const GifImageDesc& d = file->SavedImages[i].ImageDesc;
            pixels += int64_t(d.Width) * d.Height;
            benchmark::DoNotOptimize(file->SavedImages[i].RasterBits[0]);
        }
        DGifCloseFile(file, &error);
    }
    ReportPixels(state, pixels);
}

// ---- JPEG ----

void BM_JpegLoadPicture(benchmark::State& state) {
    const std::vector<uint8_t>& data = Jpeg();
    if (data.empty())
        return state.SkipWithError("PICBATCH_BENCH_JPEG not set");
    int64_t pixels = 0;
    for (auto _ : state) {
        corelib::PictureRecord* record = corelib::LoadPictureMemory(data.data(), data.size());
        if (!record)
            return state.SkipWithError("the picture did not load");
        pixels = int64_t(record->width) * record->height;
        corelib::ReleasePicture(record);
    }
    ReportPixels(state, pixels);
}

void BM_JpegLibjpegDirect(benchmark::State& state) {
    const std::vector<uint8_t>& data = Jpeg();
    if (data.empty())
        return state.SkipWithError("PICBATCH_BENCH_JPEG not set");
    int64_t pixels = 0;
    for (auto _ : state) {
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
        pixels = int64_t(info.output_width) * info.output_height;
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(out[0]);
        std::free(out);
    }
    ReportPixels(state, pixels);
}

// ---- PNG ----

void BM_PngLoadPicture(benchmark::State& state) {
    const std::vector<uint8_t>& data = Png();
    if (data.empty())
        return state.SkipWithError("PICBATCH_BENCH_PNG not set");
    int64_t pixels = 0;
    for (auto _ : state) {
        corelib::PictureRecord* record = corelib::LoadPictureMemory(data.data(), data.size());
        if (!record)
            return state.SkipWithError("the picture did not load");
        pixels = int64_t(record->width) * record->height;
        corelib::ReleasePicture(record);
    }
    ReportPixels(state, pixels);
}

void BM_PngLibpngDirect(benchmark::State& state) {
    const std::vector<uint8_t>& data = Png();
    if (data.empty())
        return state.SkipWithError("PICBATCH_BENCH_PNG not set");
    int64_t pixels = 0;
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, data.data(), data.size());
        image.format = PNG_FORMAT_BGRA;
        auto* out = static_cast<uint8_t*>(std::malloc(PNG_IMAGE_SIZE(image)));
        png_image_finish_read(&image, nullptr, out, 0, nullptr);
        pixels = int64_t(image.width) * image.height;
        png_image_free(&image);
        benchmark::DoNotOptimize(out[0]);
        std::free(out);
    }
    ReportPixels(state, pixels);
}

BENCHMARK(BM_GifGifPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLoadPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibjpegDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLoadPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLibpngDirect)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
