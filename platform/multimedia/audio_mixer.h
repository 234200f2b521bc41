// The one SDL audio device every open wave output plays through. Drivers
// with a single default device ("dummy", "disk", many sound cards) open it
// only once, so wave outputs are voices mixed here rather than devices of
// their own.
//
// The device takes the format of its voices: 16-bit if any voice is, else
// 8-bit, at the highest rate and channel count among them; a voice that
// needs more re-opens it (a brief gap). A lone voice in the device's own
// format reaches the device byte for byte; others are converted by SDL and
// summed with clipping.
//
// Lock rule: controlMutex_ serialises opening, closing and the voice list's
// changes; the voice list is read by SDL's audio thread, which holds SDL's
// device lock while mixing, so changes to it take that lock too. Neither
// lock is held while taking the other's holder's lock in the other order:
// the mixing thread only takes each voice's own lock.
#pragma once

#include <SDL.h>

#include <mutex>
#include <vector>

namespace platform::multimedia {

// What a voice must do for the mixer.
class MixerVoice {
public:
    // The voice's own sample format.
    virtual SDL_AudioSpec SourceSpec() const = 0;
    // Called while the device is closed, before the voice mixes again.
    virtual bool SetDeviceSpec(const SDL_AudioSpec& device) = 0;
    // Fills exactly `length` bytes in the device format; silence where it
    // has nothing to play. Called on SDL's audio thread.
    virtual void Render(uint8_t* out, int length) = 0;

protected:
    ~MixerVoice() = default;
};

class AudioMixer {
public:
    static AudioMixer& Instance();

    // Starts the voice mixing; opens (or widens) the device as needed.
    // False when no device can be opened for it.
    bool Attach(MixerVoice* voice);
    // The voice no longer mixes once this returns; the last voice closes
    // the device.
    void Detach(MixerVoice* voice);

private:
    AudioMixer() = default;
    static void Mix(void* self, uint8_t* stream, int length);
    SDL_AudioSpec Wanted(const std::vector<MixerVoice*>& voices);
    bool OpenDevice(const SDL_AudioSpec& wanted);
    void CloseDevice();

    std::mutex controlMutex_;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_{};
    std::vector<MixerVoice*> voices_;  // changed under SDL's device lock
    std::vector<uint8_t> scratch_;     // the audio thread's own
};

}  // namespace platform::multimedia
