#include "platform/messages/thread_message_queue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point kClockStart = Clock::now();

struct SentWork {
    std::function<intptr_t()> work;
    intptr_t result = 0;
    bool done = false;
    std::mutex mutex;
    std::condition_variable doneSignal;

    void Complete(intptr_t value) {
        std::lock_guard lock(mutex);
        result = value;
        done = true;
        doneSignal.notify_all();
    }
};

class ThreadQueue {
public:
    explicit ThreadQueue(ThreadId id) : id_(id), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~ThreadQueue() {
        // Senders still waiting on this thread are released with 0.
        for (auto& item : sent_)
            item->Complete(0);
        if (wakeFd_ >= 0)
            close(wakeFd_);
    }

    ThreadId id() const { return id_; }
    int wakeFd() const { return wakeFd_; }

    void Post(const MSG& msg) {
        std::lock_guard lock(mutex_);
        posted_.push_back(msg);
        SignalLocked();
    }

    void PostQuit(int exitCode) {
        std::lock_guard lock(mutex_);
        quitPending_ = true;
        quitCode_ = exitCode;
        SignalLocked();
    }

    void QueueSend(std::shared_ptr<SentWork> item) {
        std::lock_guard lock(mutex_);
        sent_.push_back(std::move(item));
        SignalLocked();
    }

    int RunSent() {
        int ran = 0;
        for (;;) {
            std::shared_ptr<SentWork> item;
            {
                std::lock_guard lock(mutex_);
                if (sent_.empty()) {
                    UpdateSignalLocked();
                    return ran;
                }
                item = std::move(sent_.front());
                sent_.pop_front();
            }
            item->Complete(item->work());
            ++ran;
        }
    }

    bool Take(MSG* msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax, bool remove) {
        std::lock_guard lock(mutex_);
        for (auto it = posted_.begin(); it != posted_.end(); ++it) {
            if (!Matches(*it, hwnd, filterMin, filterMax))
                continue;
            *msg = *it;
            if (remove) {
                posted_.erase(it);
                UpdateSignalLocked();
            }
            return true;
        }
        if (quitPending_ && posted_.empty() && (filterMin == 0 && filterMax == 0)) {
            msg->hwnd = nullptr;
            msg->message = WM_QUIT;
            msg->wParam = static_cast<uintptr_t>(quitCode_);
            msg->lParam = 0;
            msg->time = GetTickCount();
            if (remove) {
                quitPending_ = false;
                UpdateSignalLocked();
            }
            return true;
        }
        return false;
    }

    bool HasInput() {
        std::lock_guard lock(mutex_);
        return !posted_.empty() || !sent_.empty() || quitPending_;
    }

    MessageSource* source = nullptr;

private:
    static bool Matches(const MSG& msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax) {
        if (hwnd == kThreadMessagesOnly) {
            if (msg.hwnd != nullptr)
                return false;
        } else if (hwnd != nullptr && msg.hwnd != hwnd) {
            return false;
        }
        if (filterMin == 0 && filterMax == 0)
            return true;
        return msg.message >= filterMin && msg.message <= filterMax;
    }

    // The eventfd is kept readable exactly while something is waiting.
    void SignalLocked() {
        if (!signalled_) {
            uint64_t one = 1;
            [[maybe_unused]] auto n = write(wakeFd_, &one, sizeof one);
            signalled_ = true;
        }
    }
    void UpdateSignalLocked() {
        bool waiting = !posted_.empty() || !sent_.empty() || quitPending_;
        if (waiting) {
            SignalLocked();
        } else if (signalled_) {
            uint64_t value;
            [[maybe_unused]] auto n = read(wakeFd_, &value, sizeof value);
            signalled_ = false;
        }
    }

    ThreadId id_;
    int wakeFd_;
    std::mutex mutex_;
    std::deque<MSG> posted_;
    std::deque<std::shared_ptr<SentWork>> sent_;
    bool quitPending_ = false;
    int quitCode_ = 0;
    bool signalled_ = false;
};

// The registry lives as long as the process: a thread that ends while the
// process exits still takes its queue out, after static objects are gone.
struct Registry {
    std::mutex mutex;
    std::map<ThreadId, std::shared_ptr<ThreadQueue>> queues;
};
Registry& TheRegistry() {
    static auto* registry = new Registry;
    return *registry;
}
std::atomic<ThreadId> g_nextThreadId{1};

// Owns the calling thread's queue and takes it out of the registry when the
// thread ends, so posts to an ended thread fail instead of piling up.
struct ThreadQueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~ThreadQueueHolder() {
        if (!queue)
            return;
        {
            Registry& registry = TheRegistry();
            std::lock_guard lock(registry.mutex);
            registry.queues.erase(queue->id());
        }
        queue->RunSent();
    }
};

thread_local ThreadId t_threadId = 0;
thread_local ThreadQueueHolder t_queue;

ThreadQueue& CurrentQueue() {
    if (!t_queue.queue) {
        if (t_threadId == 0)
            t_threadId = g_nextThreadId.fetch_add(1);
        auto queue = std::make_shared<ThreadQueue>(t_threadId);
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        registry.queues[queue->id()] = queue;
        t_queue.queue = std::move(queue);
    }
    return *t_queue.queue;
}

std::shared_ptr<ThreadQueue> FindQueue(ThreadId thread) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.queues.find(thread);
    return it == registry.queues.end() ? nullptr : it->second;
}

bool PeekInternal(ThreadQueue& queue, MSG* msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax,
                  bool remove) {
    queue.RunSent();
    if (queue.source)
        queue.source->Pump();
    if (queue.Take(msg, hwnd, filterMin, filterMax, remove))
        return true;
    return queue.source && queue.source->Generate(msg, hwnd, filterMin, filterMax, remove);
}

// Sleeps until the wake fd fires, the message source's next deadline or the
// timeout, whichever comes first.
void SleepForInput(ThreadQueue& queue, int timeoutMs) {
    int wait = timeoutMs;
    if (queue.source) {
        int sourceWait = queue.source->NextWakeMs();
        if (sourceWait >= 0 && (wait < 0 || sourceWait < wait))
            wait = sourceWait;
    }
    pollfd fd{queue.wakeFd(), POLLIN, 0};
    poll(&fd, 1, wait);
}

}  // namespace

// Asking for the id gives the thread its queue, so whoever learns the id can
// post or send to it at once.
ThreadId GetCurrentThreadId() {
    return CurrentQueue().id();
}

uint32_t GetTickCount() {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - kClockStart).count());
}

MSG StampedMessage(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    return msg;
}

bool PostToThread(ThreadId thread, HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto queue = FindQueue(thread);
    if (!queue)
        return false;
    queue->Post(StampedMessage(hwnd, message, wParam, lParam));
    return true;
}

bool PostThreadMessage(ThreadId thread, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return PostToThread(thread, nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    CurrentQueue().PostQuit(exitCode);
}

bool PeekMessage(MSG* msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax, uint32_t flags) {
    return PeekInternal(CurrentQueue(), msg, hwnd, filterMin, filterMax, (flags & PM_REMOVE) != 0);
}

int GetMessage(MSG* msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax) {
    ThreadQueue& queue = CurrentQueue();
    while (!PeekInternal(queue, msg, hwnd, filterMin, filterMax, true)) {
        SleepForInput(queue, -1);
    }
    return msg->message == WM_QUIT ? 0 : 1;
}

bool WaitMessage(int timeoutMs) {
    ThreadQueue& queue = CurrentQueue();
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        queue.RunSent();
        if (queue.source)
            queue.source->Pump();
        if (queue.HasInput())
            return true;
        int remaining = -1;
        if (timeoutMs >= 0) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            remaining = static_cast<int>(left.count());
        }
        SleepForInput(queue, remaining);
        if (queue.source && !queue.HasInput()) {
            // A source deadline passed: let the caller peek for made-up messages.
            MSG probe;
            if (queue.source->Generate(&probe, nullptr, 0, 0, false))
                return true;
        }
    }
}

bool HasInput() {
    return CurrentQueue().HasInput();
}

int InputWakeFd() {
    return CurrentQueue().wakeFd();
}

int InputPollBoundMs() {
    ThreadQueue& queue = CurrentQueue();
    return queue.source ? queue.source->NextWakeMs() : -1;
}

bool InputReady() {
    ThreadQueue& queue = CurrentQueue();
    if (queue.source)
        queue.source->Pump();
    if (queue.HasInput())
        return true;
    MSG probe;
    return queue.source && queue.source->Generate(&probe, nullptr, 0, 0, false);
}

int ProcessSentMessages() {
    return CurrentQueue().RunSent();
}

void SetThreadMessageSource(MessageSource* source) {
    CurrentQueue().source = source;
}

bool PostWorkToThread(ThreadId thread, std::function<void()> work) {
    auto target = FindQueue(thread);
    if (!target)
        return false;
    auto item = std::make_shared<SentWork>();
    item->work = [work = std::move(work)]() -> intptr_t {
        work();
        return 0;
    };
    target->QueueSend(std::move(item));
    return true;
}

intptr_t SendToThread(ThreadId thread, const std::function<intptr_t()>& work) {
    ThreadQueue& own = CurrentQueue();
    if (thread == own.id())
        return work();
    auto target = FindQueue(thread);
    if (!target)
        return 0;
    auto item = std::make_shared<SentWork>();
    item->work = work;
    target->QueueSend(item);
    target.reset();
    std::unique_lock lock(item->mutex);
    while (!item->done) {
        // Serve sends aimed at us while we wait, so mutual sends complete.
        lock.unlock();
        own.RunSent();
        lock.lock();
        if (item->done)
            break;
        item->doneSignal.wait_for(lock, std::chrono::milliseconds(2));
        if (!item->done && !FindQueue(thread)) {
            // The target ended; its queue released everything it held.
            item->doneSignal.wait_for(lock, std::chrono::milliseconds(50));
            if (!item->done)
                return 0;
        }
    }
    return item->result;
}

}  // namespace platform
