// What an open wave output and an open MIDI stream share: the client's
// callback, the queue of headers the client gave, the list of headers done
// with, and the device's thread, which hands the done headers back to the
// client and closes the device.
//
// The thread first delivers the open message, then, for as long as the
// device is open, every returned header (the done message) as it comes;
// between deliveries it calls IdleLocked, which plays or waits. Closing
// makes it deliver what is left and then the close message.
//
// Lock rule: mutex_ guards the queue, the returned list, frontOffset_,
// closing_ and the flags of queued headers, and whatever a derived device
// adds to it. The thread holds it except while calling the client, so the
// client may queue headers from its callback.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/multimedia/multimedia.h"

namespace platform::multimedia {

// Where the wave and the MIDI headers differ: their flag bits, the error
// for a header still queued, and the messages of their callbacks.
template <typename Header>
struct QueueTraits;

template <>
struct QueueTraits<WAVEHDR> {
    static constexpr uint32_t kDone = WHDR_DONE;
    static constexpr uint32_t kPrepared = WHDR_PREPARED;
    static constexpr uint32_t kInQueue = WHDR_INQUEUE;
    static constexpr MMRESULT kStillPlaying = WAVERR_STILLPLAYING;
    static constexpr uint32_t kOpenMessage = WOM_OPEN;
    static constexpr uint32_t kDoneMessage = WOM_DONE;
    static constexpr uint32_t kCloseMessage = WOM_CLOSE;
};

template <>
struct QueueTraits<MIDIHDR> {
    static constexpr uint32_t kDone = MHDR_DONE;
    static constexpr uint32_t kPrepared = MHDR_PREPARED;
    static constexpr uint32_t kInQueue = MHDR_INQUEUE;
    static constexpr MMRESULT kStillPlaying = MIDIERR_STILLPLAYING;
    static constexpr uint32_t kOpenMessage = MOM_OPEN;
    static constexpr uint32_t kDoneMessage = MOM_DONE;
    static constexpr uint32_t kCloseMessage = MOM_CLOSE;
};

template <typename HeaderType>
class QueuedDevice {
public:
    using Header = HeaderType;
    using Traits = QueueTraits<Header>;

    QueuedDevice(const QueuedDevice&) = delete;
    QueuedDevice& operator=(const QueuedDevice&) = delete;

protected:
    // `handle` is what the callback is given.
    QueuedDevice(DeviceCallback callback, uintptr_t instance, uintptr_t handle)
        : callback_(callback), instance_(instance), handle_(handle) {}
    // A derived device stops the thread in its own destructor: the thread
    // calls its IdleLocked.
    virtual ~QueuedDevice() = default;

    // Starts the thread; MMSYSERR_NOMEM when there are no resources for it.
    MMRESULT StartThread();
    // Marks the device closing, wakes the thread and waits for it to
    // finish. Does nothing when the thread is not running.
    void StopThread();

    // Called on the thread with the lock held, when nothing is left to
    // deliver and the device is not closing: plays, or waits on wake_.
    virtual void IdleLocked(std::unique_lock<std::mutex>& lock) { wake_.wait(lock); }

    // Calls the client's callback, if any, with `message` and `param1`.
    void Call(uint32_t message, uintptr_t param1);

    // With the lock held, the checks before `header` joins the queue: a
    // header already queued is refused (still playing), and every header
    // once the device is closing (MMSYSERR_INVALHANDLE). An accepted header
    // is marked queued and no longer done; the caller then queues it.
    MMRESULT AcceptLocked(Header* header);
    // Marks `header` done and no longer queued, and puts it on the list
    // the thread hands back.
    void ReturnLocked(Header* header);
    // Takes the front header off the queue and returns it.
    void ReturnFrontLocked();
    // Returns every queued header and wakes the thread.
    void ReturnAllLocked();

    // The first half of every close: refused from the device's own thread
    // (MMSYSERR_HANDLEBUSY), once the device is closed
    // (MMSYSERR_INVALHANDLE) and while headers are queued (still playing).
    // MMSYSERR_NOERROR: `closing` holds the close lock and the caller takes
    // the device off its output, then calls EndClose.
    MMRESULT BeginClose(std::unique_lock<std::mutex>* closing);
    // Stops the thread, which delivers what is left and the close message,
    // and marks the device closed.
    void EndClose();

    const DeviceCallback callback_;
    const uintptr_t instance_;
    const uintptr_t handle_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Header*> queue_;
    uint32_t frontOffset_ = 0;  // bytes of the front header already taken
    std::deque<Header*> returned_;
    bool closing_ = false;

private:
    void Serve();

    std::thread thread_;
    // Serialises closing, so two closers cannot both join the thread.
    std::mutex closeMutex_;
    bool closed_ = false;
};

extern template class QueuedDevice<WAVEHDR>;
extern template class QueuedDevice<MIDIHDR>;

}  // namespace platform::multimedia
