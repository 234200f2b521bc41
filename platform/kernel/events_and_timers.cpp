// Events over eventfd and waitable timers over timerfd. Auto-reset falls out
// of reading the descriptor: the waiter whose read succeeds owns the signal.
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/kernel/kernel.h"

namespace platform::kernel {
namespace {

class DescriptorObject : public KernelObject {
public:
    DescriptorObject(int fd, bool manualReset) : fd_(fd), manualReset_(manualReset) {}
    ~DescriptorObject() override {
        if (fd_ >= 0)
            close(fd_);
    }
    bool valid() const { return fd_ >= 0; }
    int SignalFd() const override { return fd_; }
    bool Acquire() override { return manualReset_ || Drain(); }
    // Answers whether anything was there to drain.
    bool Drain() {
        uint64_t count;
        ssize_t n;
        do {
            n = read(fd_, &count, sizeof count);
        } while (n < 0 && errno == EINTR);
        return n == sizeof count;
    }

protected:
    int fd_;
    bool manualReset_;
};

class EventObject : public DescriptorObject {
public:
    using DescriptorObject::DescriptorObject;
    void Set() {
        uint64_t one = 1;
        [[maybe_unused]] auto n = write(fd_, &one, sizeof one);
    }
};

class TimerObject : public DescriptorObject {
public:
    using DescriptorObject::DescriptorObject;
    bool Arm(int64_t dueTime, int32_t periodMs) {
        // 100-nanosecond units between 1601-01-01 and 1970-01-01.
        constexpr int64_t kEpochDifference = 116444736000000000LL;
        int64_t relative100ns;
        if (dueTime < 0) {
            relative100ns = -dueTime;
        } else {
            timespec now;
            clock_gettime(CLOCK_REALTIME, &now);
            int64_t now100ns = (int64_t(now.tv_sec) * 10000000 + now.tv_nsec / 100);
            relative100ns = dueTime - kEpochDifference - now100ns;
        }
        // A due time already past fires at once (a zero it_value would disarm).
        if (relative100ns < 1)
            relative100ns = 1;
        itimerspec spec{};
        spec.it_value.tv_sec = relative100ns / 10000000;
        spec.it_value.tv_nsec = (relative100ns % 10000000) * 100;
        if (periodMs > 0) {
            spec.it_interval.tv_sec = periodMs / 1000;
            spec.it_interval.tv_nsec = long(periodMs % 1000) * 1000000;
        }
        Drain();  // re-arming cancels an expiry nobody waited for
        return timerfd_settime(fd_, 0, &spec, nullptr) == 0;
    }
};

}  // namespace

Handle CreateEvent(bool manualReset, bool initiallySet) {
    auto event = std::make_shared<EventObject>(
        eventfd(initiallySet ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC), manualReset);
    return event->valid() ? AddHandle(event) : 0;
}

bool SetEvent(Handle event) {
    auto object = FindObjectOf<EventObject>(event);
    if (!object)
        return false;
    object->Set();
    return true;
}

bool ResetEvent(Handle event) {
    auto object = FindObjectOf<EventObject>(event);
    if (!object)
        return false;
    object->Drain();
    return true;
}

Handle CreateWaitableTimer(bool manualReset) {
    auto timer = std::make_shared<TimerObject>(
        timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC), manualReset);
    return timer->valid() ? AddHandle(timer) : 0;
}

bool SetWaitableTimer(Handle timer, int64_t dueTime, int32_t periodMs) {
    auto object = FindObjectOf<TimerObject>(timer);
    return object && object->Arm(dueTime, periodMs);
}

}  // namespace platform::kernel
