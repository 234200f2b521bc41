// Six workers of the pool converting pictures through Picture at once, as a
// batch does; run under ThreadSanitizer in the thread-checking build.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/picture.h"
#include "app/task_pool.h"
#include "app_test_support.h"
#include "runtime/services.h"

namespace app {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 12;
fs::path g_folder;
std::atomic<int> g_converted{0};
std::atomic<int> g_failed{0};

std::vector<uint8_t> Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every third file is broken on purpose: a failed load must write nothing.
uintptr_t ConvertOne(uintptr_t value) {
    int i = int(value);
    PictureObject* picture = NewPicture();
    rt::Text source = testing::Text((g_folder / ("in" + std::to_string(i) + ".bmp")).string());
    rt::Text target = testing::Text((g_folder / ("out" + std::to_string(i) + ".png")).string());
    bool ok = CallMethod<PicLoadFromFile>(&picture, PIC_LOAD_FROM_FILE, &source) &&
              CallMethod<PicSaveToFile>(&picture, PIC_SAVE_TO_FILE, &target, int32_t(5),
                                        rt::ArgRecord::Int(100));
    (ok ? g_converted : g_failed).fetch_add(1);
    rt::RtFree(source);
    rt::RtFree(target);
    CallMethod<PicCleanUp>(&picture, PIC_CLEAN_UP);
    rt::RtFree(picture);
    return 0;
}

std::vector<uint8_t> Bitmap(int seed) {
    const uint32_t w = 120, h = 80, row = w * 3;
    std::vector<uint8_t> b = {'B', 'M'};
    auto put = [&](uint32_t v) {
        for (int k = 0; k < 4; ++k)
            b.push_back(uint8_t(v >> (8 * k)));
    };
    put(54 + row * h), put(0), put(54), put(40), put(w), put(h), put(1 | 24 << 16), put(0);
    for (int k = 0; k < 5; ++k)
        put(0);
    for (uint32_t i = 0; i < row * h; ++i)
        b.push_back(uint8_t(i * seed + i / row));
    return b;
}

TEST(BatchConversion, SixWorkersConvertThroughPicturesAtOnce) {
    testing::StartPlatformOnce();
    g_folder = fs::temp_directory_path() / ("picbatch-batch-" + std::to_string(getpid()));
    fs::create_directories(g_folder);
    for (int i = 1; i <= kFiles; ++i) {
        auto bytes = Bitmap(i);
        if (i % 3 == 0)
            bytes.resize(bytes.size() / 2);
        std::ofstream(g_folder / ("in" + std::to_string(i) + ".bmp"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    TaskPoolObject* pool = NewTaskPool();
    ASSERT_EQ(CallMethod<PoolStart>(&pool, POOL_START, 6, reinterpret_cast<uintptr_t>(&ConvertOne),
                                    rt::ArgRecord::Omitted()),
              1);
    for (int i = 1; i <= kFiles; ++i)
        CallMethod<PoolPost>(&pool, POOL_POST, i);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (g_converted + g_failed < kFiles && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    CallMethod<PoolCleanUp>(&pool, POOL_CLEAN_UP);
    rt::RtFree(pool);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));

    EXPECT_EQ(g_converted.load(), kFiles - kFiles / 3);
    EXPECT_EQ(g_failed.load(), kFiles / 3);
    // Same input, same output, whichever worker did it.
    for (int i = 1; i <= kFiles; ++i) {
        fs::path out = g_folder / ("out" + std::to_string(i) + ".png");
        EXPECT_EQ(fs::exists(out), i % 3 != 0) << out;
    }
    PictureObject* single = NewPicture();
    rt::Text source = testing::Text((g_folder / "in1.bmp").string());
    rt::Text target = testing::Text((g_folder / "alone.png").string());
    CallMethod<PicLoadFromFile>(&single, PIC_LOAD_FROM_FILE, &source);
    CallMethod<PicSaveToFile>(&single, PIC_SAVE_TO_FILE, &target, int32_t(5),
                              rt::ArgRecord::Int(100));
    EXPECT_EQ(Read(g_folder / "alone.png"), Read(g_folder / "out1.png"));
    rt::RtFree(source);
    rt::RtFree(target);
    CallMethod<PicCleanUp>(&single, PIC_CLEAN_UP);
    rt::RtFree(single);
    fs::remove_all(g_folder);
}

}  // namespace
}  // namespace app
