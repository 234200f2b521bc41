// Completion queues: a locked deque with a bound on how many threads may
// work on taken values at once. A thread counts as working from the moment
// it takes a value until it asks the same queue again or ends.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/kernel/kernel.h"

namespace platform::kernel {
namespace {

struct Packet {
    uint32_t value;
    uintptr_t key;
    uintptr_t overlapped;
};

class CompletionQueue : public KernelObject, public std::enable_shared_from_this<CompletionQueue> {
public:
    explicit CompletionQueue(uint32_t concurrency) : concurrency_(concurrency) {}

    bool Post(const Packet& packet) {
        std::lock_guard lock(mutex_);
        if (closed_)
            return false;
        packets_.push_back(packet);
        changed_.notify_one();
        return true;
    }

    bool Take(Packet* packet, uint32_t timeoutMs);
    void LeaveWork() {
        std::lock_guard lock(mutex_);
        if (working_ > 0)
            --working_;
        changed_.notify_one();
    }

    void OnHandleClosed() override {
        std::lock_guard lock(mutex_);
        closed_ = true;
        packets_.clear();  // values still queued are dropped with the queue
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Packet> packets_;
    uint32_t concurrency_;
    uint32_t working_ = 0;
    bool closed_ = false;
};

// Which queue the calling thread is working for, so that asking again (or
// ending) gives its place back.
struct WorkMark {
    std::weak_ptr<CompletionQueue> queue;
    void Leave() {
        if (auto q = queue.lock())
            q->LeaveWork();
        queue.reset();
    }
    ~WorkMark() { Leave(); }
};
thread_local WorkMark t_workMark;

bool CompletionQueue::Take(Packet* packet, uint32_t timeoutMs) {
    if (!t_workMark.queue.expired())
        t_workMark.Leave();
    std::unique_lock lock(mutex_);
    auto ready = [&] { return closed_ || (!packets_.empty() && working_ < concurrency_); };
    if (timeoutMs == kInfinite) {
        changed_.wait(lock, ready);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return false;
    }
    if (closed_)
        return false;
    *packet = packets_.front();
    packets_.pop_front();
    ++working_;
    lock.unlock();
    t_workMark.queue = weak_from_this();
    return true;
}

}  // namespace

Handle CreateCompletionQueue(uint32_t concurrency) {
    if (concurrency == 0)
        concurrency = std::max(1u, std::thread::hardware_concurrency());
    return AddHandle(std::make_shared<CompletionQueue>(concurrency));
}

bool PostCompletion(Handle queue, uint32_t value, uintptr_t key, uintptr_t overlapped) {
    auto object = FindObjectOf<CompletionQueue>(queue);
    return object && object->Post({value, key, overlapped});
}

bool TakeCompletion(Handle queue, uint32_t* value, uintptr_t* key, uintptr_t* overlapped,
                    uint32_t timeoutMs) {
    auto object = FindObjectOf<CompletionQueue>(queue);
    if (overlapped)
        *overlapped = 0;
    if (!object)
        return false;
    Packet packet;
    if (!object->Take(&packet, timeoutMs))
        return false;
    if (value)
        *value = packet.value;
    if (key)
        *key = packet.key;
    if (overlapped)
        *overlapped = packet.overlapped;
    return true;
}

}  // namespace platform::kernel
