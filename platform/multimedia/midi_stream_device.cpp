#include "platform/multimedia/midi_stream_device.h"

#include <algorithm>
#include <cstring>

#include "platform/base/byte_order.h"

namespace platform::multimedia {
namespace {

// The stream clock when a header was queued, kept in the header's first
// reserved word (the platform's own).
void SetQueuedAt(MIDIHDR* header, double ms) {
    static_assert(sizeof(double) <= sizeof(header->dwReserved[0]));
    std::memcpy(&header->dwReserved[0], &ms, sizeof ms);
}
double QueuedAt(const MIDIHDR* header) {
    double ms;
    std::memcpy(&ms, &header->dwReserved[0], sizeof ms);
    return ms;
}

uint8_t EventType(uint32_t word) {
    // The callback flag is not part of the type; the long flag is.
    return uint8_t((word >> 24) & ~(MEVT_F_CALLBACK >> 24));
}

}  // namespace

MidiStreamDevice::MidiStreamDevice(std::unique_ptr<MidiSink> sink, DeviceCallback callback,
                                   uintptr_t instance, uintptr_t handle)
    : QueuedDevice(callback, instance, handle), sink_(std::move(sink)) {}

MMRESULT MidiStreamDevice::Open(std::unique_ptr<MidiSink> sink, DeviceCallback callback,
                                uintptr_t instance, uintptr_t handle,
                                std::shared_ptr<MidiStreamDevice>* device) {
    std::shared_ptr<MidiStreamDevice> opened(
        new MidiStreamDevice(std::move(sink), callback, instance, handle));
    if (MMRESULT failed = opened->StartThread())
        return failed;
    *device = std::move(opened);
    return MMSYSERR_NOERROR;
}

MidiStreamDevice::~MidiStreamDevice() {
    StopThread();
}

double MidiStreamDevice::RunningMsLocked() const {
    if (!running_)
        return msBeforeResume_;
    std::chrono::duration<double, std::milli> since = Clock::now() - resumedAt_;
    return msBeforeResume_ + since.count();
}

void MidiStreamDevice::IdleLocked(std::unique_lock<std::mutex>& lock) {
    if (!running_ || queue_.empty()) {
        wake_.wait(lock);
        return;
    }
    double dueMs = 0;
    if (PlayNextLocked(lock, &dueMs))
        return;
    // The next event is not due yet: sleep until it is, or until a call
    // changes the picture (stop, pause, close).
    std::chrono::duration<double, std::milli> ahead(dueMs - msBeforeResume_);
    wake_.wait_until(lock, resumedAt_ + std::chrono::duration_cast<Clock::duration>(ahead));
}

bool MidiStreamDevice::PlayNextLocked(std::unique_lock<std::mutex>& lock, double* dueMsOut) {
    MIDIHDR* header = queue_.front();
    const uint32_t used = header->dwBytesRecorded;
    if (frontOffset_ > used || used - frontOffset_ < kStreamEventBytes) {
        ReturnFrontLocked();
        return true;
    }
    const auto* event = reinterpret_cast<const uint8_t*>(header->lpData) + frontOffset_;
    const uint32_t delta = ReadLe32(event);
    const uint32_t word = ReadLe32(event + 8);
    uint32_t size = kStreamEventBytes;
    if (word & MEVT_F_LONG)
        size += ((word & 0xFFFFFF) + 3) & ~3u;
    if (size > used - frontOffset_) {
        // A long event running past the recorded bytes ends the buffer.
        ReturnFrontLocked();
        return true;
    }

    const uint64_t eventTick = tick_ + delta;
    const double dueMs = clock_.TimeOfTick(eventTick);
    if (dueMs > RunningMsLocked()) {
        *dueMsOut = dueMs;
        return false;
    }
    // An event that was with us in time plays at its time; one whose buffer
    // came late, into a stream that had run dry, plays when the buffer came.
    const double playedMs = std::max(dueMs, QueuedAt(header));

    const uint32_t eventOffset = frontOffset_;
    frontOffset_ += size;
    tick_ = eventTick;
    switch (EventType(word)) {
        case MEVT_SHORTMSG: {
            uint32_t length = ShortMessageLength(uint8_t(word));
            if (length > 0) {
                uint32_t mask = length == 3 ? 0xFFFFFF : length == 2 ? 0xFFFF : 0xFF;
                sink_->ShortMessage(playedMs, word & mask, length);
            }
            break;
        }
        case MEVT_TEMPO:
            clock_.SetTempo(word & 0xFFFFFF, eventTick);
            break;
        case MEVT_LONGMSG:
            sink_->LongMessage(event + kStreamEventBytes, word & 0xFFFFFF);
            break;
        default:  // MEVT_NOP, comments, versions and unknown types take time only
            break;
    }
    if (word & MEVT_F_CALLBACK) {
        header->dwOffset = eventOffset;
        lock.unlock();
        Call(MOM_POSITIONCB, uintptr_t(header));
        lock.lock();
    }
    return true;
}

MMRESULT MidiStreamDevice::Property(void* property, uint32_t flags) {
    if (!property)
        return MMSYSERR_INVALPARAM;
    const bool set = flags & MIDIPROP_SET;
    const bool get = flags & MIDIPROP_GET;
    const uint32_t which = flags & ~(MIDIPROP_SET | MIDIPROP_GET);
    if (set == get || (which != MIDIPROP_TIMEDIV && which != MIDIPROP_TEMPO))
        return MMSYSERR_INVALFLAG;
    // Both property records are {size, value}.
    auto* record = static_cast<MIDIPROPTIMEDIV*>(property);
    if (record->cbStruct != sizeof(MIDIPROPTIMEDIV))
        return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (which == MIDIPROP_TIMEDIV) {
        if (get)
            record->dwTimeDiv = clock_.Division();
        else if (!clock_.SetDivision(record->dwTimeDiv, tick_))
            return MMSYSERR_INVALPARAM;
    } else {
        if (get)
            record->dwTimeDiv = clock_.Tempo();
        else if (record->dwTimeDiv == 0)
            return MMSYSERR_INVALPARAM;
        else
            clock_.SetTempo(record->dwTimeDiv, tick_);
    }
    wake_.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT MidiStreamDevice::Out(MIDIHDR* header) {
    if (!(header->dwFlags & MHDR_PREPARED))
        return MIDIERR_UNPREPARED;
    if (header->dwBytesRecorded > header->dwBufferLength ||
        (!header->lpData && header->dwBytesRecorded > 0))
        return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (MMRESULT refused = AcceptLocked(header))
        return refused;
    header->dwFlags |= MHDR_ISSTRM;
    header->dwOffset = 0;
    // Queued behind others, a buffer is in time by definition: the device
    // had something to play. Queued into a stream that had run dry, it may
    // come after its events were due.
    SetQueuedAt(header, queue_.empty() ? RunningMsLocked() : 0.0);
    queue_.push_back(header);
    wake_.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT MidiStreamDevice::Restart() {
    std::lock_guard lock(mutex_);
    if (!running_) {
        resumedAt_ = Clock::now();
        running_ = true;
        wake_.notify_all();
    }
    return MMSYSERR_NOERROR;
}

bool MidiStreamDevice::HoldClockLocked() {
    if (!running_)
        return false;
    msBeforeResume_ = RunningMsLocked();
    running_ = false;
    return true;
}

MMRESULT MidiStreamDevice::Pause() {
    std::lock_guard lock(mutex_);
    if (closing_)
        return MMSYSERR_INVALHANDLE;
    if (HoldClockLocked()) {
        sink_->NotesOff();
        wake_.notify_all();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT MidiStreamDevice::Stop() {
    std::lock_guard lock(mutex_);
    if (closing_)
        return MMSYSERR_INVALHANDLE;
    HoldClockLocked();
    ReturnAllLocked();
    tick_ = 0;
    clock_.Rebase(0, msBeforeResume_);
    sink_->NotesOff();
    return MMSYSERR_NOERROR;
}

MMRESULT MidiStreamDevice::Reset() {
    std::lock_guard lock(mutex_);
    if (closing_)
        return MMSYSERR_INVALHANDLE;
    ReturnAllLocked();
    sink_->ResetControllers();
    return MMSYSERR_NOERROR;
}

MMRESULT MidiStreamDevice::Close() {
    std::unique_lock<std::mutex> closing;
    if (MMRESULT refused = BeginClose(&closing))
        return refused;
    EndClose();
    std::lock_guard lock(mutex_);
    sink_.reset();  // the synthesizer goes with its last stream
    return MMSYSERR_NOERROR;
}

}  // namespace platform::multimedia
