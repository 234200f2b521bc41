// One open MIDI stream: the queue of stream-event buffers and the timing
// thread that plays them. The thread waits for each event's time on the
// stream clock (MidiClock over the milliseconds the stream has been
// running), hands the message to the device's sink, applies tempo events at
// their tick, and returns each buffer right after its last event.
//
// The queue, the returned list and the timing thread itself are a
// QueuedDevice's (its lock rule holds; mutex_ also guards the clock and the
// running state here). Stop, reset and pause only mark buffers returned,
// and the thread delivers those notifications.
//
// The time given to the sink is the stream clock's: an event plays at the
// time the tempo map gives it, so logs do not depend on how busy the
// machine is. A buffer queued behind another counts as in time (the device
// had something to play meanwhile); the events of a buffer queued into a
// stream that had run dry, after they were due, play at once and are given
// the time their buffer came. The clock keeps the tempo map's schedule for
// the events that follow.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/multimedia/midi_clock.h"
#include "platform/multimedia/midi_sink.h"
#include "platform/multimedia/multimedia.h"
#include "platform/multimedia/queued_device.h"

namespace platform::multimedia {

class MidiStreamDevice final : public QueuedDevice<MIDIHDR> {
public:
    // Starts the timing thread, which first delivers MOM_OPEN. The stream
    // starts paused.
    static MMRESULT Open(std::unique_ptr<MidiSink> sink, DeviceCallback callback,
                         uintptr_t instance, uintptr_t handle,
                         std::shared_ptr<MidiStreamDevice>* device);
    ~MidiStreamDevice() override;

    MMRESULT Property(void* property, uint32_t flags);
    MMRESULT Out(MIDIHDR* header);
    MMRESULT Restart();
    MMRESULT Pause();
    MMRESULT Stop();
    MMRESULT Reset();
    // MIDIERR_STILLPLAYING while buffers are queued; MMSYSERR_HANDLEBUSY
    // from the timing thread itself.
    MMRESULT Close();

private:
    using Clock = std::chrono::steady_clock;

    MidiStreamDevice(std::unique_ptr<MidiSink> sink, DeviceCallback callback, uintptr_t instance,
                     uintptr_t handle);
    // The timing thread between deliveries: plays what is due, or sleeps
    // until the next event is due or a call changes the picture.
    void IdleLocked(std::unique_lock<std::mutex>& lock) override;
    // One step of the timing thread: plays the next event or returns a
    // finished buffer. Answers false, with the event's time, when the next
    // event is not due yet.
    bool PlayNextLocked(std::unique_lock<std::mutex>& lock, double* dueMs);
    double RunningMsLocked() const;
    // Stops the stream clock where it is; answers whether it was running.
    bool HoldClockLocked();

    std::unique_ptr<MidiSink> sink_;

    MidiClock clock_;
    uint64_t tick_ = 0;  // tick of the last event played
    bool running_ = false;
    double msBeforeResume_ = 0;  // stream clock when last resumed
    Clock::time_point resumedAt_{};
};

}  // namespace platform::multimedia
