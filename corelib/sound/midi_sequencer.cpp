// MidiSequencer's operations on the caller's thread: load, play, stop and
// unload, and the stream they open, prime and close.
#include "corelib/sound/midi_sequencer.h"

#include <cstdlib>

namespace corelib::sound {

namespace mm = platform::multimedia;

MidiSequencer::MidiSequencer() = default;

MidiSequencer::~MidiSequencer() {
    JoinEndOfSongThreads();
    {
        std::lock_guard control(control_);
        Lock lock(lock_);
        if (data)
            StopLocked(lock, 0);
        ClearPending();
        ResetFields();
    }
    JoinEndOfSongThreads();
}

int32_t MidiSequencer::Load(const void* image, uint32_t size, rt::WindowObject* ownerWindow) {
    JoinEndOfSongThreads();
    std::lock_guard control(control_);
    Lock lock(lock_);
    if (data)
        UnloadLocked(lock);
    if (!ParseLocked(image, size, ownerWindow))
        return 0;
    return OpenAndPrimeLocked() ? 1 : 0;
}

bool MidiSequencer::ParseLocked(const void* image, uint32_t size, rt::WindowObject* ownerWindow) {
    MidiHeader header;
    std::vector<MidiTrack> parsed;
    if (!image || !ParseMidiFile(static_cast<const uint8_t*>(image), size, &header, &parsed)) {
        tracks.clear();
        return false;
    }
    format = header.format;
    trackCount = header.trackCount;
    division = header.division;
    tracks = std::move(parsed);
    dataSize = size;
    data = static_cast<const uint8_t*>(image);
    owner = ownerWindow;
    channelVolume.assign(16, 100);
    return true;
}

int32_t MidiSequencer::Play(int32_t loopAll) {
    JoinEndOfSongThreads();
    std::lock_guard control(control_);
    Lock lock(lock_);
    if (playing)
        StopLocked(lock, 1);
    cbState = CB_RUNNING;
    if (loop == 0)
        resendTempo = 1;
    if (mm::MMRESULT error = mm::midiStreamRestart(stream)) {
        Fail(error);
        return 0;
    }
    playing = 1;
    loop = loopAll != 0 ? 1 : 0;
    return 1;
}

int32_t MidiSequencer::Stop(int32_t reprime) {
    JoinEndOfSongThreads();
    int32_t result;
    {
        std::lock_guard control(control_);
        Lock lock(lock_);
        result = StopLocked(lock, reprime);
    }
    JoinEndOfSongThreads();
    return result;
}

int32_t MidiSequencer::StopLocked(Lock& lock, int32_t reprime) {
    if (stream != 0 && !(playing == 0 && cbState == CB_IDLE)) {
        CallbackState was = cbState;
        playing = 0;
        if (was != CB_IDLE && was != CB_DRAINING)
            cbState = CB_STOPPING;
        // A signal left over from an earlier end of song must not end this
        // wait before this stop's buffers are back.
        stopEvent.Reset();
        if (mm::MMRESULT error = mm::midiStreamStop(stream)) {
            Fail(error);
            return 0;
        }
        if (mm::MMRESULT error = mm::midiOutReset(stream)) {
            Fail(error);
            return 0;
        }
        if (AllReturnedLocked()) {
            cbState = CB_IDLE;
        } else {
            stopWaiting_ = true;
            lock.unlock();
            bool returned = stopEvent.Wait(kStopTimeoutMs);
            lock.lock();
            stopWaiting_ = false;
            if (!returned)
                cbState = CB_IDLE;  // the device kept them: proceed as if returned
        }
        if (cbState != CB_IDLE)
            return 1;
    }

    cbState = CB_RUNNING;
    FreeBuffersLocked();
    mm::HMIDISTRM old = stream;
    stream = 0;
    queuedCount_ = 0;
    int32_t result = 1;
    if (reprime && data) {
        // Without looping the next Play starts the song over, so the new
        // buffers are filled from the start rather than from where the
        // song stopped.
        if (loop == 0) {
            RewindLocked();
            bytesPlayed = 0;
            fillState = 0;
        }
        if (!OpenAndPrimeLocked())
            result = 0;
    }
    if (old) {
        // Closing joins the old stream's notification thread, which may be
        // waiting for lock_.
        lock.unlock();
        mm::MMRESULT error = mm::midiStreamClose(old);
        lock.lock();
        if (error)
            Fail(error);
    }
    return result;
}

void MidiSequencer::Unload() {
    JoinEndOfSongThreads();
    {
        std::lock_guard control(control_);
        Lock lock(lock_);
        UnloadLocked(lock);
    }
    JoinEndOfSongThreads();
}

void MidiSequencer::UnloadLocked(Lock& lock) {
    StopLocked(lock, 0);
    if (stream) {
        // Stop failed before closing; a stream still holding buffers
        // refuses to close and is given up.
        mm::HMIDISTRM old = stream;
        stream = 0;
        lock.unlock();
        mm::midiStreamClose(old);
        lock.lock();
    }
    ClearPending();
    ResetFields();
}

void MidiSequencer::ResetFields() {
    FreeBuffersLocked();
    dataSize = 0;
    data = nullptr;
    format = 0;
    trackCount = 0;
    division = 0;
    playing = 0;
    stream = 0;
    bytesPlayed = 0;
    loop = 0;
    lastTick = 0;
    tickBudget = 0;
    tempo = 0;
    speedPercent = 100;
    resendTempo = 0;
    buffersPrepared = 0;
    bufferIndex = 0;
    deviceId = mm::MIDI_MAPPER;
    returnedCount = 0;
    cbState = CB_RUNNING;
    owner = nullptr;
    tracks.clear();
    channelVolume.clear();
    buffers.clear();
    scanTrack = nullptr;
    nextTrack = nullptr;
    fillState = 0;
    nextTick = 0xFFFFFFFF;
    pending = MidiEvent{};
    queuedCount_ = 0;
    stopWaiting_ = false;
}

bool MidiSequencer::OpenAndPrimeLocked() {
    if (!stream) {
        mm::HMIDISTRM opened = 0;
        if (mm::MMRESULT error = mm::midiStreamOpen(&opened, &deviceId, 1, &StreamCallback,
                                                    uintptr_t(this), mm::CALLBACK_FUNCTION)) {
            Fail(error);
            return false;
        }
        stream = opened;
        queuedCount_ = 0;
    }
    FreeBuffersLocked();
    buffers.assign(2, StreamBuffer{});
    mm::MIDIPROPTIMEDIV timeDivision{sizeof(mm::MIDIPROPTIMEDIV), division};
    if (mm::MMRESULT error = mm::midiStreamProperty(stream, &timeDivision,
                                                    mm::MIDIPROP_SET | mm::MIDIPROP_TIMEDIV)) {
        Fail(error);
        return false;
    }

    returnedCount = 0;
    bufferIndex = 0;
    for (size_t i = 0; i < buffers.size(); ++i) {
        StreamBuffer& buffer = buffers[i];
        buffer.header.dwBufferLength = kStreamBufferBytes;
        buffer.header.lpData = static_cast<char*>(std::malloc(kStreamBufferBytes));
        if (!buffer.header.lpData)
            return false;
        buffer.offset = 0;
        buffer.capacity = kStreamBufferBytes;
        buffer.startTick = 0;
        buffer.overBudget = 0;
        FillResult filled = FillBuffer(i == 0, buffer);
        bool songEnd = filled == FILL_SONG_END;
        if (filled != FILL_OK && !songEnd)
            return false;
        buffer.header.dwBytesRecorded = buffer.used;
        if (!buffersPrepared) {
            if (mm::MMRESULT error =
                    mm::midiOutPrepareHeader(stream, &buffer.header, sizeof buffer.header)) {
                Fail(error);
                return false;
            }
        }
        if (!QueueBufferLocked(buffer))
            break;  // reported; what is queued plays
        if (songEnd)
            break;
    }
    bufferIndex = 0;
    buffersPrepared = 1;
    return true;
}

bool MidiSequencer::QueueBufferLocked(StreamBuffer& buffer) {
    if (mm::MMRESULT error = mm::midiStreamOut(stream, &buffer.header, sizeof buffer.header)) {
        Fail(error);
        return false;
    }
    ++queuedCount_;
    return true;
}

void MidiSequencer::FreeBuffersLocked() {
    for (StreamBuffer& buffer : buffers) {
        if (buffer.header.dwFlags & mm::MHDR_PREPARED) {
            if (mm::MMRESULT error =
                    mm::midiOutUnprepareHeader(stream, &buffer.header, sizeof buffer.header))
                Fail(error);
        }
        // A block the device still holds (it never gave it back) is left
        // to it rather than freed under it.
        if (!(buffer.header.dwFlags & mm::MHDR_INQUEUE))
            std::free(buffer.header.lpData);
        buffer.header.lpData = nullptr;
        buffer.header.dwFlags = 0;
    }
    buffersPrepared = 0;
}

bool MidiSequencer::RewindLocked() {
    if (!data)
        return false;
    bool ok = true;
    for (MidiTrack& track : tracks)
        ok = RewindTrack(track) && ok;
    lastTick = 0;
    return ok;
}

bool MidiSequencer::AllReturnedLocked() const {
    return returnedCount >= 2 || queuedCount_ == 0;
}

void MidiSequencer::SetDeviceId(uint32_t id) {
    std::lock_guard lock(lock_);
    deviceId = id;
}

bool MidiSequencer::SetSpeedPercent(uint32_t percent) {
    if (percent < 1 || percent > 1000)
        return false;
    std::lock_guard lock(lock_);
    speedPercent = percent;
    resendTempo = 1;
    return true;
}

bool MidiSequencer::IsLoaded() const {
    std::lock_guard lock(lock_);
    return data != nullptr;
}

bool MidiSequencer::IsPlaying() const {
    std::lock_guard lock(lock_);
    return playing != 0;
}

CallbackState MidiSequencer::State() const {
    std::lock_guard lock(lock_);
    return cbState;
}

int32_t MidiSequencer::ChannelVolume(uint32_t channel) const {
    std::lock_guard lock(lock_);
    return channel < channelVolume.size() ? channelVolume[channel] : 0;
}

uint32_t MidiSequencer::LastError() const {
    std::lock_guard lock(lock_);
    return lastError_;
}

bool MidiSequencer::HasRunDry() const {
    std::lock_guard lock(lock_);
    return (fillState & FILL_ERROR) && queuedCount_ == 0;
}

uint64_t MidiSequencer::SongsEnded() const {
    std::lock_guard lock(lock_);
    return songsEnded_;
}

bool MidiSequencer::WaitForSongEnd(uint64_t count, uint32_t timeoutMs) const {
    Lock lock(lock_);
    songEnd_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return songsEnded_ > count || ((fillState & FILL_ERROR) && queuedCount_ == 0);
    });
    return songsEnded_ > count;
}

void MidiSequencer::Fail(uint32_t code) {
    lastError_ = code;
    ReportError(code);
}

void MidiSequencer::ReportError(uint32_t) {}

}  // namespace corelib::sound
