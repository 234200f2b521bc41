// Threads as kernel objects: the handle polls readable once the thread's
// routine has returned (or the thread was disowned by a forced end).
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/kernel/kernel.h"
#include "platform/messages/thread_message_queue.h"

namespace platform::kernel {
namespace {

class ThreadObject : public KernelObject {
public:
    ThreadObject() : endedFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~ThreadObject() override {
        if (endedFd_ >= 0)
            close(endedFd_);
    }
    bool valid() const { return endedFd_ >= 0; }

    int SignalFd() const override { return endedFd_; }

    // The first of "routine returned" and "forced end" decides the exit code.
    void End(uint32_t exitCode) {
        bool expected = false;
        if (!ended_.compare_exchange_strong(expected, true))
            return;
        exitCode_.store(exitCode);
        uint64_t one = 1;
        [[maybe_unused]] auto n = write(endedFd_, &one, sizeof one);
    }
    uint32_t exitCode() const { return exitCode_.load(); }

    void PublishId(uint32_t id) {
        std::lock_guard lock(idMutex_);
        id_ = id;
        idKnown_.notify_all();
    }
    uint32_t WaitForId() {
        std::unique_lock lock(idMutex_);
        idKnown_.wait(lock, [&] { return id_ != 0; });
        return id_;
    }
    uint32_t id() {
        std::lock_guard lock(idMutex_);
        return id_;
    }

    // The std::thread is set by the creator under this lock, so the reaper
    // cannot join it before it is there.
    std::mutex threadMutex;
    std::thread thread;

private:
    int endedFd_;
    std::atomic<bool> ended_{false};
    std::atomic<uint32_t> exitCode_{kStillActive};
    std::mutex idMutex_;
    std::condition_variable idKnown_;
    uint32_t id_ = 0;
};

// Joins threads whose routines have returned. Threads are never left
// detached: joining releases their stacks in order, which is also what lets
// the thread checker see that a new thread reusing a stack comes after the
// old one ended.
class Reaper {
public:
    static Reaper& Instance() {
        static auto* reaper = new Reaper;  // lives as long as the process
        return *reaper;
    }
    void Hand(std::shared_ptr<ThreadObject> object) {
        std::lock_guard lock(mutex_);
        ended_.push_back(std::move(object));
        wake_.notify_one();
    }

private:
    Reaper() {
        std::thread([this] { Run(); }).detach();
    }
    void Run() {
        for (;;) {
            std::shared_ptr<ThreadObject> object;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return !ended_.empty(); });
                object = std::move(ended_.front());
                ended_.pop_front();
            }
            std::lock_guard lock(object->threadMutex);
            if (object->thread.joinable())
                object->thread.join();
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<ThreadObject>> ended_;
};

}  // namespace

Handle CreateThread(ThreadRoutine routine, uintptr_t parameter, uint32_t* threadId) {
    if (!routine)
        return 0;
    auto object = std::make_shared<ThreadObject>();
    if (!object->valid())
        return 0;
    Reaper& reaper = Reaper::Instance();
    try {
        std::lock_guard lock(object->threadMutex);
        object->thread = std::thread([object, routine, parameter, &reaper] {
            object->PublishId(platform::GetCurrentThreadId());
            uintptr_t result = routine(parameter);
            object->End(static_cast<uint32_t>(result));
            reaper.Hand(object);
        });
    } catch (const std::system_error&) {
        return 0;
    }
    uint32_t id = object->WaitForId();
    if (threadId)
        *threadId = id;
    return AddHandle(std::move(object));
}

bool GetExitCodeThread(Handle thread, uint32_t* exitCode) {
    auto object = FindObjectOf<ThreadObject>(thread);
    if (!object)
        return false;
    if (exitCode)
        *exitCode = object->exitCode();
    return true;
}

bool TerminateThread(Handle thread, uint32_t exitCode) {
    auto object = FindObjectOf<ThreadObject>(thread);
    if (!object)
        return false;
    object->End(exitCode);
    return true;
}

uint32_t GetThreadId(Handle thread) {
    auto object = FindObjectOf<ThreadObject>(thread);
    return object ? object->id() : 0;
}

}  // namespace platform::kernel
