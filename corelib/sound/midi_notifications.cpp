// MidiSequencer on the device's notification thread: returned buffers are
// refilled and queued again, channel-volume events reach the owner window,
// and the end of a song is handed to a thread of the sequencer's own.
#include "corelib/sound/midi_sequencer.h"
#include "platform/base/byte_order.h"
#include "platform/windowing/windows.h"

namespace corelib::sound {

namespace mm = platform::multimedia;

void MidiSequencer::StreamCallback(uintptr_t handle, uintptr_t message, uintptr_t instance,
                                   uintptr_t param1, uintptr_t) {
    auto* self = reinterpret_cast<MidiSequencer*>(instance);
    switch (message) {
        case mm::MOM_OPEN:
            self->OnStreamOpen();
            break;
        case mm::MOM_CLOSE:
            self->OnStreamClose();
            break;
        case mm::MOM_DONE: {
            Lock lock(self->lock_);
            // A stream being replaced may still report; only the current one counts.
            if (handle == self->stream)
                self->OnBufferDone(reinterpret_cast<mm::MIDIHDR*>(param1));
            break;
        }
        case mm::MOM_POSITIONCB: {
            Lock lock(self->lock_);
            auto* header = reinterpret_cast<mm::MIDIHDR*>(param1);
            if (handle == self->stream)
                self->OnPositionEvent(
                    header, reinterpret_cast<const uint8_t*>(header->lpData) + header->dwOffset);
            break;
        }
        default:
            break;
    }
}

void MidiSequencer::OnBufferDone(mm::MIDIHDR*) {
    if (cbState == CB_IDLE)
        return;
    ++returnedCount;
    if (queuedCount_ > 0)
        --queuedCount_;

    switch (cbState) {
        case CB_DRAINING:
            if (AllReturnedLocked()) {
                cbState = CB_IDLE;
                // A stop already waiting does the rest itself.
                if (stopWaiting_)
                    stopEvent.Set();
                else
                    StartEndOfSong(stream);
            }
            return;
        case CB_STOPPING:
            if (AllReturnedLocked()) {
                cbState = CB_IDLE;
                stopEvent.Set();
            }
            return;
        case CB_RUNNING:
            break;
        default:
            return;
    }

    StreamBuffer& buffer = buffers[bufferIndex];
    bytesPlayed += buffer.header.dwBytesRecorded;
    if (!playing || returnedCount == 0)
        return;
    buffer.offset = 0;
    buffer.capacity = kStreamBufferBytes;
    buffer.used = 0;
    buffer.startTick = 0;
    buffer.overBudget = 0;
    FillResult filled = FillBuffer(false, buffer);
    if (filled == FILL_SONG_END) {
        cbState = CB_DRAINING;
        if (AllReturnedLocked()) {
            cbState = CB_IDLE;
            StartEndOfSong(stream);
        }
        return;
    }
    if (filled != FILL_OK) {
        // A corrupt track: nothing more is queued and playback runs dry.
        songEnd_.notify_all();
        return;
    }
    buffer.header.dwBytesRecorded = buffer.used;
    if (!QueueBufferLocked(buffer))
        return;
    bufferIndex = (bufferIndex + 1) % 2;
    --returnedCount;
}

void MidiSequencer::OnPositionEvent(mm::MIDIHDR*, const uint8_t* event) {
    uint32_t word = platform::ReadLe32(event + 8);
    uint8_t status = uint8_t(word);
    if ((status & 0xF0) != 0xB0 || ((word >> 8) & 0xFF) != 7)
        return;
    uint32_t channel = status & 0x0F;
    int32_t volume = int32_t(((word >> 16) & 0x7F) * 100 / 127);
    if (channel < channelVolume.size())
        channelVolume[channel] = volume;
    PostChannelVolume(channel, volume);
}

void MidiSequencer::PostChannelVolume(uint32_t channel, int32_t volume) {
    if (!owner)
        return;
    // Posted, never sent: this thread must not wait for the window's.
    auto window = reinterpret_cast<platform::HWND>(owner->Handle());
    if (window && platform::IsWindow(window))
        platform::PostMessage(window, MSG_CHANNEL_VOLUME, platform::WPARAM(this),
                              platform::LPARAM(channel | (uint32_t(volume) << 16)));
}

// The re-prime at the end of a song stops and closes the stream, which the
// device forbids from inside its own notification; a thread of ours does it.
void MidiSequencer::StartEndOfSong(mm::HMIDISTRM endedStream) {
    std::lock_guard threads(endThreadsLock_);
    try {
        endThreads_.emplace_back([this, endedStream] { FinishEndOfSong(endedStream); });
    } catch (const std::system_error&) {
        // No thread: the song stays ended and idle; Stop(1) or Load recovers.
    }
}

void MidiSequencer::FinishEndOfSong(mm::HMIDISTRM endedStream) {
    std::lock_guard control(control_);
    Lock lock(lock_);
    // A caller's stop, play or unload may have got there first.
    if (stream != endedStream || cbState != CB_IDLE)
        return;
    StopLocked(lock, 1);
    stopEvent.Set();
    ++songsEnded_;
    songEnd_.notify_all();
}

void MidiSequencer::JoinEndOfSongThreads() {
    std::vector<std::thread> threads;
    {
        std::lock_guard guard(endThreadsLock_);
        threads.swap(endThreads_);
    }
    for (std::thread& thread : threads)
        thread.join();
}

}  // namespace corelib::sound
