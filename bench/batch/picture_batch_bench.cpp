// picture-batch-bench: converts every picture of a folder the way a batch
// does (a TaskPool of workers, each loading into a Picture and saving in
// the chosen format at quality 100) and prints one line of figures:
//   files=N failed=F seconds=S bytes=B
// Peak resident memory goes to standard error as peak_rss_mb=M.
//
// With --floor it then measures, in a process of its own, what the codecs
// alone need for the same work: the same number of plain threads take the
// files in turn, read each with read(), decode and encode it with the
// imaging platform's codecs (libjpeg-turbo, libpng, libtiff, libdeflate) and
// write the same bytes with write(): no pool, no picture object, no staged
// file, flush or rename. It prints a second line
//   floor: files=N failed=F seconds=S bytes=B peak_rss_mb=M engine/floor=R
// and writes its pictures to OUTPUT_DIR.floor.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/compiled.h"
#include "app/external_routines.h"
#include "app/picture.h"
#include "app/task_pool.h"
#include "platform/base/text_codec.h"
#include "platform/imaging/codecs.h"
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
                 "usage: picture-batch-bench --format jpeg|tiff|png [--workers N] [--floor] "
                 "INPUT_DIR OUTPUT_DIR\n");
    return 2;
}

double PeakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& data) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok) {
        data.resize(size_t(info.st_size));
        size_t at = 0;
        while (ok && at < data.size()) {
            ssize_t n = read(fd, data.data() + at, data.size() - at);
            ok = n > 0;
            at += ok ? size_t(n) : 0;
        }
    }
    close(fd);
    return ok;
}

bool WriteFile(const std::string& path, const platform::imaging::Output& data) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    size_t at = 0;
    while (at < data.size()) {
        ssize_t n = write(fd, data.data() + at, data.size() - at);
        if (n <= 0)
            break;
        at += size_t(n);
    }
    return close(fd) == 0 && at == data.size();
}

// The floor: see the top of the file. Answers the seconds taken.
double RunFloor(const std::vector<fs::path>& files, const std::string& output, int code,
                int workers, uint32_t& failed) {
    namespace imaging = platform::imaging;
    std::atomic<size_t> next{0};
    std::atomic<uint32_t> failures{0};
    auto work = [&] {
        std::vector<uint8_t> data;
        for (size_t i = next.fetch_add(1); i < files.size(); i = next.fetch_add(1)) {
            std::unique_ptr<imaging::Image> image;
            if (ReadFile(files[i].string(), data))
                image = imaging::DecodeAny({data.data(), data.size()});
            fs::path target = fs::path(output) / files[i].stem();
            target += code == 2 ? ".jpg" : code == 4 ? ".tif" : ".png";
            bool ok = image != nullptr;
            if (ok && code == 4) {
                // A TIFF goes straight to its file, as the engine writes it.
                int fd = open(target.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
                ok = fd >= 0 && imaging::EncodeTiffToFile(*image, fd);
                ok = fd >= 0 && close(fd) == 0 && ok;
            } else if (ok) {
                imaging::Output out;
                ok = code == 2 ? imaging::EncodeJpeg(*image, 100, out)
                               : imaging::EncodePng(*image, out);
                ok = ok && WriteFile(target.string(), out);
            }
            if (!ok)
                failures.fetch_add(1);
        }
    };
    auto started = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    failed = failures.load();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

uintmax_t BytesIn(const std::string& folder) {
    std::error_code error;
    uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file())
            bytes += entry.file_size();
    }
    return bytes;
}

// Runs this program again with --floor-only, so that the floor's peak
// memory is its own, and answers its line.
std::string SpawnFloor(const std::string& format, int workers, const std::string& input,
                       const std::string& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::string workerText = std::to_string(workers);
    const char* arguments[] = {"picture-batch-bench", "--floor-only", "--format",
                               format.c_str(),        "--workers",    workerText.c_str(),
                               input.c_str(),         output.c_str(), nullptr};
    pid_t child = -1;
    int failed = posix_spawn(&child, "/proc/self/exe", &actions, nullptr,
                             const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string line;
    char buffer[512];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, size_t(n));
    close(pipeEnds[0]);
    if (failed == 0)
        waitpid(child, nullptr, 0);
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    std::string format, input, output;
    int workers = 6;
    bool floor = false, floorOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--floor") {
            floor = true;
        } else if (arg == "--floor-only") {
            floorOnly = true;
        } else if (arg == "--format" && i + 1 < argc) {
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

    if (floorOnly) {
        uint32_t failed = 0;
        double seconds = RunFloor(files, output, g_batch.code, workers, failed);
        std::printf("floor: files=%zu failed=%u seconds=%.2f bytes=%ju peak_rss_mb=%.0f\n",
                    files.size(), failed, seconds, BytesIn(output), PeakRssMegabytes());
        return 0;
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

    std::printf("files=%zu failed=%u seconds=%.2f bytes=%ju\n", files.size(), g_batch.failed.load(),
                seconds, BytesIn(output));
    std::fprintf(stderr, "peak_rss_mb=%.0f\n", PeakRssMegabytes());
    if (floor) {
        std::fflush(stdout);
        const std::string floorOutput = output + ".floor";
        fs::create_directories(floorOutput, error);
        std::string line = SpawnFloor(format, workers, input, floorOutput);
        const char* at = std::strstr(line.c_str(), "seconds=");
        const double floorSeconds = at ? std::atof(at + 8) : 0;
        std::printf("%s engine/floor=%.3f\n", line.c_str(),
                    floorSeconds > 0 ? seconds / floorSeconds : 0.0);
    }
    return 0;
}
