#include "platform/multimedia/queued_device.h"

#include <system_error>

namespace platform::multimedia {

template <typename Header>
MMRESULT QueuedDevice<Header>::StartThread() {
    try {
        thread_ = std::thread([this] { Serve(); });
    } catch (const std::system_error&) {
        return MMSYSERR_NOMEM;
    }
    return MMSYSERR_NOERROR;
}

template <typename Header>
void QueuedDevice<Header>::StopThread() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

template <typename Header>
void QueuedDevice<Header>::Call(uint32_t message, uintptr_t param1) {
    if (callback_)
        callback_(handle_, message, instance_, param1, 0);
}

template <typename Header>
void QueuedDevice<Header>::Serve() {
    Call(Traits::kOpenMessage, 0);
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!returned_.empty()) {
            Header* header = returned_.front();
            returned_.pop_front();
            lock.unlock();
            Call(Traits::kDoneMessage, uintptr_t(header));
            lock.lock();
            continue;
        }
        if (closing_)
            break;
        IdleLocked(lock);
    }
    lock.unlock();
    Call(Traits::kCloseMessage, 0);
}

template <typename Header>
MMRESULT QueuedDevice<Header>::AcceptLocked(Header* header) {
    if (header->dwFlags & Traits::kInQueue)
        return Traits::kStillPlaying;
    if (closing_)
        return MMSYSERR_INVALHANDLE;
    header->dwFlags = (header->dwFlags & ~Traits::kDone) | Traits::kInQueue;
    return MMSYSERR_NOERROR;
}

template <typename Header>
void QueuedDevice<Header>::ReturnLocked(Header* header) {
    header->dwFlags = (header->dwFlags & ~Traits::kInQueue) | Traits::kDone;
    returned_.push_back(header);
}

template <typename Header>
void QueuedDevice<Header>::ReturnFrontLocked() {
    Header* header = queue_.front();
    queue_.pop_front();
    frontOffset_ = 0;
    ReturnLocked(header);
}

template <typename Header>
void QueuedDevice<Header>::ReturnAllLocked() {
    while (!queue_.empty())
        ReturnFrontLocked();
    wake_.notify_all();
}

template <typename Header>
MMRESULT QueuedDevice<Header>::BeginClose(std::unique_lock<std::mutex>* closing) {
    if (thread_.get_id() == std::this_thread::get_id())
        return MMSYSERR_HANDLEBUSY;
    *closing = std::unique_lock(closeMutex_);
    if (closed_)
        return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(mutex_);
    return queue_.empty() ? MMSYSERR_NOERROR : Traits::kStillPlaying;
}

template <typename Header>
void QueuedDevice<Header>::EndClose() {
    StopThread();
    closed_ = true;
}

template class QueuedDevice<WAVEHDR>;
template class QueuedDevice<MIDIHDR>;

}  // namespace platform::multimedia
