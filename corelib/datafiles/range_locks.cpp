#include "corelib/datafiles/range_locks.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "corelib/datafiles/data_file_errors.h"

namespace corelib {

namespace {

std::atomic<int32_t> lockWaitMs{10000};
std::atomic<int64_t> lockRetries{0};

int64_t MillisecondClock() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int64_t LockRetryCount() {
    return lockRetries.load(std::memory_order_relaxed);
}

int32_t LockWaitMs() {
    return lockWaitMs.load(std::memory_order_relaxed);
}
void SetLockWaitMs(int32_t milliseconds) {
    lockWaitMs.store(milliseconds, std::memory_order_relaxed);
}

int LockRange(platform::File& file, int64_t position, bool lock) {
    if (position < 0)
        return LockSpan(file, 0, platform::kWholeFileLockEnd + 1, lock);
    return LockSpan(file, position, 1, lock);
}

int LockSpan(platform::File& file, int64_t start, int64_t length, bool lock) {
    if (!lock)
        return DataErrorFromFile(file.Unlock(start, length));

    const int64_t firstTry = MillisecondClock();
    for (;;) {
        const platform::FileError error = file.Lock(start, length, false);
        if (error != platform::FileError::LockViolation &&
            error != platform::FileError::SharingViolation) {
            return DataErrorFromFile(error);
        }
        const int32_t limit = LockWaitMs();
        const int64_t now = MillisecondClock();
        const bool retry = limit == -1 || (limit > 0 && now - firstTry <= limit);
        if (!retry)
            return DataErrorFromFile(error);
        lockRetries.fetch_add(1, std::memory_order_relaxed);
        // A varying pause keeps two waiting writers from retrying in step.
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + now % 20));
    }
}

int LockBlock(platform::File& file, int64_t position, LockList& list) {
    if (std::find(list.begin(), list.end(), position) != list.end())
        return kDataOk;
    const int error = LockRange(file, position, true);
    if (error == kDataOk)
        list.push_back(position);
    return error;
}

int UnlockBlock(platform::File& file, int64_t position, LockList& list) {
    const auto found = std::find(list.begin(), list.end(), position);
    if (found == list.end())
        return kDataOk;
    list.erase(found);
    return LockRange(file, position, false);
}

int UnlockAll(platform::File& file, LockList& list) {
    int last = kDataOk;
    for (const int64_t position : list) {
        const int error = LockRange(file, position, false);
        if (error != kDataOk)
            last = error;
    }
    list.clear();
    return last;
}

int LockHandOver(platform::File& file, int64_t position, LockList& list) {
    if (list.size() == 1 && list.front() == position)
        return kDataOk;
    int error = LockRange(file, position, true);
    if (error != kDataOk)
        return error;
    for (const int64_t held : list) {
        if (held == position)
            continue;
        const int released = LockRange(file, held, false);
        if (released != kDataOk)
            error = released;
    }
    if (error != kDataOk) {
        LockRange(file, position, false);
        return error;
    }
    list.assign(1, position);
    return kDataOk;
}

}  // namespace corelib
