// picture-batch-bench: converts every picture of a folder the way a batch
// does (a TaskPool of workers, each loading into a Picture and saving in
// the chosen format at quality 100) and prints one line of figures:
//   files=N failed=F seconds=S bytes=B
// Peak resident memory goes to standard error as peak_rss_mb=M.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/compiled.h"
#include "app/external_routines.h"
#include "app/picture.h"
#include "app/task_pool.h"
#include "platform/base/text_codec.h"
#include "platform/loader/executable_path.h"
#include "runtime/application_object.h"
#include "runtime/services.h"

namespace fs = std::filesystem;

namespace {

struct Batch {
    std::vector<std::string> sources;  // runtime texts
    std::vector<std::string> targets;
    int32_t code = 5;
    std::atomic<uint32_t> finished{0};
    std::atomic<uint32_t> failed{0};
    std::mutex mutex;
    std::condition_variable allDone;
};
Batch g_batch;

// The task routine: converts file number `value` (1-based).
uintptr_t ConvertOne(uintptr_t value) {
    size_t index = size_t(uint32_t(value)) - 1;
    app::PictureObject* picture = app::NewPicture();
    rt::Text source = rt::NewText(g_batch.sources[index].c_str());
    rt::Text target = rt::NewText(g_batch.targets[index].c_str());
    bool ok = app::CallMethod<app::PicLoadFromFile>(&picture, app::PIC_LOAD_FROM_FILE, &source) &&
              app::CallMethod<app::PicSaveToFile>(&picture, app::PIC_SAVE_TO_FILE, &target,
                                                  g_batch.code, rt::ArgRecord::Int(100));
    if (!ok)
        g_batch.failed.fetch_add(1);
    rt::RtFree(source);
    rt::RtFree(target);
    app::CallMethod<app::PicCleanUp>(&picture, app::PIC_CLEAN_UP);
    rt::RtFree(picture);
    if (g_batch.finished.fetch_add(1) + 1 == g_batch.sources.size()) {
        std::lock_guard lock(g_batch.mutex);
        g_batch.allDone.notify_all();
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: picture-batch-bench --format jpeg|tiff|png [--workers N] INPUT_DIR "
                 "OUTPUT_DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string format, input, output;
    int workers = 6;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--format" && i + 1 < argc) {
            format = argv[++i];
        } else if (arg == "--workers" && i + 1 < argc) {
            workers = std::atoi(argv[++i]);
        } else if (input.empty()) {
            input = arg;
        } else if (output.empty()) {
            output = arg;
        } else {
            return Usage();
        }
    }
    const char* suffix;
    if (format == "jpeg") {
        g_batch.code = 2, suffix = ".jpg";
    } else if (format == "tiff") {
        g_batch.code = 4, suffix = ".tif";
    } else if (format == "png") {
        g_batch.code = 5, suffix = ".png";
    } else {
        return Usage();
    }
    if (input.empty() || output.empty() || workers < 1)
        return Usage();

    std::error_code error;
    fs::create_directories(output, error);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(input, error)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    if (error) {
        std::fprintf(stderr, "picture-batch-bench: cannot read %s\n", input.c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        fs::path target = fs::path(output) / file.stem();
        target += suffix;
        g_batch.sources.push_back(platform::Utf8ToRuntime(file.string()));
        g_batch.targets.push_back(platform::Utf8ToRuntime(target.string()));
    }

    // As start-up does: the binder finds the platform libraries in the
    // program directory.
    platform::ExecutableLocation location = platform::LocateExecutable();
    rt::ApplicationObject::Instance().SetProgramLocation(location.directory, location.fileName);
    app::InstallExternalRoutines();
    uintptr_t token = 0;
    uint8_t startupInput[16] = {1};
    app::CallExternal(app::EXT_IMAGING_STARTUP, &token, startupInput, nullptr);

    auto started = std::chrono::steady_clock::now();
    app::TaskPoolObject* pool = app::NewTaskPool();
    if (!files.empty()) {
        app::CallMethod<app::PoolStart>(&pool, app::POOL_START, workers,
                                        reinterpret_cast<uintptr_t>(&ConvertOne),
                                        rt::ArgRecord::Omitted());
        for (size_t i = 1; i <= files.size(); ++i) {
            app::CallMethod<app::PoolPost>(&pool, app::POOL_POST, int32_t(i));
        }
        std::unique_lock lock(g_batch.mutex);
        g_batch.allDone.wait(lock,
                             [] { return g_batch.finished.load() == g_batch.sources.size(); });
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // Stop waits long enough for every worker to see the pool stopped.
    app::CallMethod<app::PoolStop>(&pool, app::POOL_STOP, rt::ArgRecord::Int(150),
                                   rt::ArgRecord::Omitted(), rt::ArgRecord::Omitted());
    app::CallMethod<app::PoolCleanUp>(&pool, app::POOL_CLEAN_UP);
    rt::RtFree(pool);

    uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(output, error)) {
        if (entry.is_regular_file())
            bytes += entry.file_size();
    }
    std::printf("files=%zu failed=%u seconds=%.2f bytes=%ju\n", files.size(), g_batch.failed.load(),
                seconds, bytes);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "peak_rss_mb=%.0f\n", usage.ru_maxrss / 1024.0);
    return 0;
}
