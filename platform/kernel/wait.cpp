// Waiting on handles and on the calling thread's message queue with poll().
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "platform/kernel/kernel.h"
#include "platform/messages/thread_message_queue.h"

namespace platform::kernel {

uint32_t MsgWaitForMultipleObjects(uint32_t count, const Handle* handles, uint32_t timeoutMs,
                                   uint32_t wakeMask) {
    if (count > 0 && !handles)
        return kWaitFailed;
    std::vector<std::shared_ptr<KernelObject>> objects;
    std::vector<pollfd> fds;
    for (uint32_t i = 0; i < count; ++i) {
        auto object = FindObject(handles[i]);
        if (!object || object->SignalFd() < 0)
            return kWaitFailed;
        fds.push_back({object->SignalFd(), POLLIN, 0});
        objects.push_back(std::move(object));
    }
    if (wakeMask != 0)
        fds.push_back({platform::InputWakeFd(), POLLIN, 0});
    if (fds.empty())
        return kWaitFailed;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs != kInfinite) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            wait = left.count() > 0 ? int(left.count()) : 0;
        }
        // Display input, paint and timers come from the thread's message
        // source, which does not signal the wake fd: ask it between sleeps.
        bool bounded = false;
        if (wakeMask != 0) {
            if (platform::InputReady())
                return kWaitObject0 + count;
            int bound = platform::InputPollBoundMs();
            if (bound >= 0 && (wait < 0 || bound < wait)) {
                wait = bound;
                bounded = true;
            }
        }
        int ready = poll(fds.data(), fds.size(), wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return kWaitFailed;
        }
        for (uint32_t i = 0; i < count; ++i) {
            if ((fds[i].revents & POLLIN) && objects[i]->Acquire())
                return kWaitObject0 + i;
        }
        if (wakeMask != 0 && (fds[count].revents & POLLIN))
            return kWaitObject0 + count;
        // Nothing owned: time out, or another waiter took an auto-reset signal.
        if (ready == 0 && wait == 0 && !bounded)
            return kWaitTimeout;
        if (timeoutMs != kInfinite && Clock::now() >= deadline)
            return kWaitTimeout;
    }
}

uint32_t WaitForSingleObject(Handle handle, uint32_t timeoutMs) {
    return MsgWaitForMultipleObjects(1, &handle, timeoutMs, 0);
}

}  // namespace platform::kernel
