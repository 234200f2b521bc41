// The General MIDI synthesizer behind MIDI device 0: FluidSynth with a
// General MIDI sound font, rendered by a thread of its own into a 44.1 kHz
// 16-bit stereo wave output kept four buffers (about 90 ms) ahead.
//
// One synthesizer serves the whole process: it starts with its first user
// and ends, threads and all, with its last (a stream re-opened at the end of
// a song overlaps the old one, so the font is not loaded again). Messages
// may come from any thread; FluidSynth serialises them itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/multimedia/multimedia.h"

namespace platform::multimedia {

class Synthesizer {
public:
    static std::shared_ptr<Synthesizer> Share();
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    // False when FluidSynth, the sound font or a wave device is missing;
    // every message is then dropped.
    bool Audible() const { return synth_ != nullptr; }

    void ShortMessage(uint32_t message);
    void LongMessage(const uint8_t* bytes, uint32_t length);
    void NotesOff();
    void ResetControllers();

private:
    Synthesizer() = default;
    void Start();
    void Stop();
    void Render();
    static void OnWaveNotification(uintptr_t handle, uintptr_t message, uintptr_t instance,
                                   uintptr_t param1, uintptr_t param2);

    static constexpr uint32_t kRate = 44100;
    static constexpr uint32_t kFramesPerBuffer = 1024;
    static constexpr int kBuffers = 4;

    struct SynthState;  // FluidSynth's objects
    SynthState* synth_ = nullptr;
    HWAVEOUT output_ = 0;
    std::vector<int16_t> samples_;
    WAVEHDR headers_[kBuffers]{};

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<WAVEHDR*> free_;
    bool stopping_ = false;
    std::thread renderer_;
};

}  // namespace platform::multimedia
