// MidiSequencer plays a standard MIDI file held in memory through the
// platform's MIDI stream output. It merges the tracks in tick order into
// blocks of 12-byte stream events and keeps two such blocks with the device
// (double buffering); the device times the events and hands each block back
// through the done notification, and the sequencer refills and requeues it.
//
// Calling order: IsMidiData -> Load -> Play -> (Play again, Stop) -> Unload
// or destruction. Load keeps pointers into the caller's image, which must
// stay alive until Unload.
//
// Threads. The caller's thread runs Load, Play, Stop, Unload; the device's
// notification thread runs OnBufferDone (with its refill) and
// OnPositionEvent. lock_ guards every field below and is held by both
// sides, except while a stop waits for the device to give its buffers back
// and while a stream is closed (closing joins the notification thread).
// The device never calls back from inside a stream call, so holding lock_
// across stream calls cannot deadlock. control_ serialises whole
// operations, among them the end-of-song re-prime, which the notification
// thread may not do itself (the device cannot be stopped or closed from its
// own notification) and hands to a short-lived thread of the sequencer's.
// Every such thread is joined before Unload and destruction return, so no
// thread is left behind.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "corelib/sound/midi_file.h"
#include "corelib/sound/signal_event.h"
#include "platform/multimedia/multimedia.h"
#include "runtime/runtime_objects.h"

namespace corelib::sound {

// Posted to the owner window as a channel's volume changes: wParam the
// sequencer, lParam the channel (0-15) | volume percent (0-100) << 16.
inline constexpr uint32_t MSG_CHANNEL_VOLUME = 0x417;

inline constexpr uint32_t kStreamBufferBytes = 1024;
inline constexpr uint32_t kStopTimeoutMs = 2000;

enum CallbackState : uint32_t {
    CB_RUNNING = 0,
    CB_STOPPING = 100,
    CB_IDLE = 200,
    CB_DRAINING = 300,
};

enum FillFlags : uint32_t {
    FILL_EOF = 0x1,      // all tracks ended
    FILL_ERROR = 0x2,    // a read error is latched
    FILL_PENDING = 0x4,  // `pending` waits for the next buffer
};

enum FillResult : int32_t {
    FILL_OK = 0,
    FILL_READ_ERROR = -101,
    FILL_FAILED = -102,
    FILL_SONG_END = -103,
    FILL_BUFFER_FULL = -104,
    FILL_SKIPPED = -105,
};

struct StreamBuffer {
    platform::multimedia::MIDIHDR header{};  // data: a 1024-byte heap block
    uint32_t offset = 0;                     // start of event data, always 0
    uint32_t capacity = 0;
    uint32_t used = 0;
    uint32_t startTick = 0;  // lastTick when this fill wrote its first event
    uint32_t overBudget = 0;
};

class MidiSequencer {
public:
    MidiSequencer();
    virtual ~MidiSequencer();
    MidiSequencer(const MidiSequencer&) = delete;
    MidiSequencer& operator=(const MidiSequencer&) = delete;

    static bool IsMidiData(const void* data, uint32_t size) {
        return corelib::sound::IsMidiData(data, size);
    }

    // Parses the image, opens the stream and queues the first two buffers;
    // playback waits for Play. Answers 1 or 0.
    int32_t Load(const void* data, uint32_t size, rt::WindowObject* owner);
    // Starts or restarts playback; `loop` repeats the song endlessly.
    int32_t Play(int32_t loop);
    // Stops and waits (at most 2000 ms) for the device to return the
    // buffers; with `reprime` a fresh stream is primed so Play can follow.
    int32_t Stop(int32_t reprime);
    // Stop(0), then back to the state of a new sequencer.
    void Unload();

    // Settings that go beyond the file. The device takes effect at the next
    // stream opened (-1: the platform's default). The speed, 1 to 1000
    // percent, scales every tempo written from the next event on; set
    // before Load it applies from the first event. Unload resets both.
    void SetDeviceId(uint32_t deviceId);
    bool SetSpeedPercent(uint32_t percent);

    // Observers for callers and checks.
    bool IsLoaded() const;
    bool IsPlaying() const;
    CallbackState State() const;
    int32_t ChannelVolume(uint32_t channel) const;
    // The last platform error reported (0 when none).
    uint32_t LastError() const;
    // True once a corrupt track has stopped the refills and the device has
    // given back every buffer: nothing more will play until Stop.
    bool HasRunDry() const;
    // Songs played to their end (the end-of-song re-prime has completed).
    uint64_t SongsEnded() const;
    // Waits until SongsEnded() exceeds `count`, or the sequencer runs dry,
    // at most timeoutMs. Answers whether a song end came.
    bool WaitForSongEnd(uint64_t count, uint32_t timeoutMs) const;

protected:
    // A platform call failed with this multimedia error number. Runs with
    // the sequencer's lock held, on either thread: it must not call back
    // into the sequencer or the stream.
    virtual void ReportError(uint32_t code);
    // Device notifications, on the device's thread.
    virtual void OnStreamOpen() {}
    virtual void OnStreamClose() {}
    virtual void OnBufferDone(platform::multimedia::MIDIHDR* header);
    virtual void OnPositionEvent(platform::multimedia::MIDIHDR* header, const uint8_t* event);

private:
    friend class MidiSequencerProbe;  // tests and fuzzing drive the fill directly

    using Lock = std::unique_lock<std::mutex>;

    static void StreamCallback(uintptr_t handle, uintptr_t message, uintptr_t instance,
                               uintptr_t param1, uintptr_t param2);

    // Load steps 2-6: the song without a stream.
    bool ParseLocked(const void* data, uint32_t size, rt::WindowObject* owner);
    int32_t StopLocked(Lock& lock, int32_t reprime);
    void UnloadLocked(Lock& lock);
    bool OpenAndPrimeLocked();
    void FreeBuffersLocked();
    bool RewindLocked();
    FillResult FillBuffer(bool reset, StreamBuffer& buffer);
    FillResult AddEvent(MidiEvent& event, StreamBuffer& buffer);
    void WriteStreamEvent(StreamBuffer& buffer, uint32_t delta, uint32_t word);
    uint32_t ScaledTempo(uint32_t tempo) const;
    void ClearPending();
    void Fail(uint32_t code);
    bool QueueBufferLocked(StreamBuffer& buffer);
    void ResetFields();
    // Both buffers (or every queued one) are back with us.
    bool AllReturnedLocked() const;

    void StartEndOfSong(platform::multimedia::HMIDISTRM endedStream);
    void FinishEndOfSong(platform::multimedia::HMIDISTRM endedStream);
    void JoinEndOfSongThreads();

    void PostChannelVolume(uint32_t channel, int32_t volume);

    // Fields of the song and its stream, in the order the format keeps them.
    uint32_t dataSize = 0;
    const uint8_t* data = nullptr;
    uint32_t format = 0;
    uint32_t trackCount = 0;
    uint32_t division = 0;
    uint32_t playing = 0;
    platform::multimedia::HMIDISTRM stream = 0;
    uint32_t bytesPlayed = 0;
    uint32_t loop = 0;
    uint32_t lastTick = 0;
    uint32_t tickBudget = 0;
    uint32_t tempo = 0;
    uint32_t speedPercent = 100;
    uint32_t resendTempo = 0;
    uint32_t buffersPrepared = 0;
    uint32_t bufferIndex = 0;
    uint32_t deviceId = platform::multimedia::MIDI_MAPPER;
    uint32_t returnedCount = 0;
    CallbackState cbState = CB_RUNNING;
    SignalEvent stopEvent;  // auto-reset, lives as long as the sequencer
    rt::WindowObject* owner = nullptr;
    std::vector<MidiTrack> tracks;
    std::vector<int32_t> channelVolume;
    std::vector<StreamBuffer> buffers;
    MidiTrack* scanTrack = nullptr;
    MidiTrack* nextTrack = nullptr;
    uint32_t fillState = 0;
    uint32_t nextTick = 0xFFFFFFFF;
    uint32_t liveBlocks = 0;
    MidiEvent pending;

    // What the device still holds: buffers queued and not yet returned.
    uint32_t queuedCount_ = 0;
    // A stop is waiting on stopEvent, so the end of a song signals it
    // directly instead of re-priming.
    bool stopWaiting_ = false;
    uint32_t lastError_ = 0;
    uint64_t songsEnded_ = 0;

    mutable std::mutex lock_;
    mutable std::condition_variable songEnd_;
    std::mutex control_;
    std::mutex endThreadsLock_;
    std::vector<std::thread> endThreads_;
};

}  // namespace corelib::sound
