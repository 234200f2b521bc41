// An auto-reset event: Set wakes one waiter (or the next one to wait) and
// clears itself as that waiter returns.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace corelib::sound {

class SignalEvent {
public:
    void Set() {
        {
            std::lock_guard lock(mutex_);
            set_ = true;
        }
        changed_.notify_one();
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    // Answers true when the event was set within timeoutMs, consuming it.
    bool Wait(uint32_t timeoutMs) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return set_; }))
            return false;
        set_ = false;
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace corelib::sound
