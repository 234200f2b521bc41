// One open wave output: a voice of the audio mixer that plays the queued
// headers' bytes in order, and a notification thread (a QueuedDevice's)
// that hands returned headers back to the client's callback.
//
// Lock rule: the QueuedDevice's; mutex_ also guards the converter and the
// paused state here. The mixer's audio thread takes it while rendering.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "platform/multimedia/audio_mixer.h"
#include "platform/multimedia/multimedia.h"
#include "platform/multimedia/queued_device.h"

namespace platform::multimedia {

class WaveOutDevice final : public MixerVoice, public QueuedDevice<WAVEHDR> {
public:
    // Checks the format the way waveOutOpen does.
    static MMRESULT CheckFormat(const WAVEFORMATEX& format);
    // Joins the mixer and starts the notification thread, which first
    // delivers WOM_OPEN; `handle` is what the callback is given.
    static MMRESULT Open(uint32_t deviceId, const WAVEFORMATEX& format, DeviceCallback callback,
                         uintptr_t instance, uintptr_t handle,
                         std::shared_ptr<WaveOutDevice>* device);
    ~WaveOutDevice() override;

    MMRESULT Write(WAVEHDR* header);
    MMRESULT Reset();
    MMRESULT Pause();
    MMRESULT Restart();
    // Leaves the mixer, delivers the outstanding notifications and
    // WOM_CLOSE, and joins the thread. WAVERR_STILLPLAYING while headers
    // are queued; MMSYSERR_HANDLEBUSY from the notification thread itself.
    MMRESULT Close();

    // MixerVoice
    SDL_AudioSpec SourceSpec() const override { return source_; }
    bool SetDeviceSpec(const SDL_AudioSpec& device) override;
    void Render(uint8_t* out, int length) override;

private:
    WaveOutDevice(const WAVEFORMATEX& format, DeviceCallback callback, uintptr_t instance,
                  uintptr_t handle);
    // Copies up to `length` queued bytes, returning finished headers.
    size_t TakeLocked(uint8_t* out, size_t length);

    SDL_AudioSpec source_{};
    bool mixing_ = false;

    bool paused_ = false;
    // Converts to the device format when it differs from ours; null
    // when the bytes go through as they are.
    SDL_AudioStream* converter_ = nullptr;
    uint8_t deviceSilence_ = 0;
};

}  // namespace platform::multimedia
