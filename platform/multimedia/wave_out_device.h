// One open wave output: a voice of the audio mixer that plays the queued
// headers' bytes in order, and a notification thread that hands returned
// headers back to the client's callback.
//
// Lock rule: mutex_ guards the queue, the returned list, the converter and
// the flags of queued headers. The mixer's audio thread takes it while
// rendering; the notification thread lets go of it before calling the
// client, so the client may write again from its callback.
#pragma once

#include <SDL.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/multimedia/audio_mixer.h"
#include "platform/multimedia/multimedia.h"

namespace platform::multimedia {

class WaveOutDevice final : public MixerVoice {
public:
    // Checks the format the way waveOutOpen does.
    static MMRESULT CheckFormat(const WAVEFORMATEX& format);
    // Joins the mixer and starts the notification thread, which first
    // delivers WOM_OPEN; `handle` is what the callback is given.
    static MMRESULT Open(uint32_t deviceId, const WAVEFORMATEX& format, DeviceCallback callback,
                         uintptr_t instance, uintptr_t handle,
                         std::shared_ptr<WaveOutDevice>* device);
    ~WaveOutDevice();
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

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
    void ReturnLocked(WAVEHDR* header);
    void Notify();
    void StopNotifier();

    SDL_AudioSpec source_{};
    DeviceCallback callback_;
    uintptr_t instance_;
    uintptr_t handle_;
    bool mixing_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<WAVEHDR*> queue_;
    uint32_t frontOffset_ = 0;
    std::deque<WAVEHDR*> returned_;
    bool paused_ = false;
    bool closing_ = false;
    // Converts to the device format when it differs from ours; null
    // when the bytes go through as they are.
    SDL_AudioStream* converter_ = nullptr;
    uint8_t deviceSilence_ = 0;
    std::thread notifier_;

    // Serialises closing, so two closers cannot both join the thread.
    std::mutex closeMutex_;
    bool closed_ = false;
};

}  // namespace platform::multimedia
