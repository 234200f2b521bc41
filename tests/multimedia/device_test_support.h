// Test helpers: a recording device callback, a temporary folder, the
// process's thread count, and waiting with a generous bound.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mmtest {

struct Notification {
    uintptr_t handle;
    uintptr_t message;
    uintptr_t param1;
    std::thread::id thread;
};

// Collects every notification of a device; optionally reacts to each.
class CallbackRecorder {
public:
    static void Callback(uintptr_t handle, uintptr_t message, uintptr_t instance, uintptr_t param1,
                         uintptr_t) {
        auto* self = reinterpret_cast<CallbackRecorder*>(instance);
        if (self->react)
            self->react(handle, message, param1);
        std::lock_guard lock(self->mutex_);
        self->seen_.push_back({handle, message, param1, std::this_thread::get_id()});
        self->changed_.notify_all();
    }
    uintptr_t Instance() { return reinterpret_cast<uintptr_t>(this); }

    // Waits (at most 20 s, a bound for a hung device, not a timing check)
    // until `count` notifications of `message` have come.
    bool WaitFor(uintptr_t message, size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20),
                                 [&] { return CountLocked(message) >= count; });
    }
    size_t Count(uintptr_t message) {
        std::lock_guard lock(mutex_);
        return CountLocked(message);
    }
    std::vector<Notification> Seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

    std::function<void(uintptr_t handle, uintptr_t message, uintptr_t param1)> react;

private:
    size_t CountLocked(uintptr_t message) const {
        size_t n = 0;
        for (const auto& s : seen_)
            n += s.message == message;
        return n;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Notification> seen_;
};

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "picbatch-mm-XXXXXX");
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline size_t ThreadCount() {
    // The thread sanitizer starts a helper thread of its own with the first
    // thread a process makes; make one first so it is always counted.
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

// Strips the driver's silence before and after what was played.
inline std::vector<uint8_t> WithoutSilence(const std::vector<uint8_t>& bytes, uint8_t silence) {
    size_t first = 0, last = bytes.size();
    while (first < last && bytes[first] == silence)
        ++first;
    while (last > first && bytes[last - 1] == silence)
        --last;
    return {bytes.begin() + long(first), bytes.begin() + long(last)};
}

}  // namespace mmtest
