#include "platform/multimedia/wave_out_device.h"

#include <algorithm>
#include <cstring>

#include "platform/multimedia/sdl_audio.h"

namespace platform::multimedia {

MMRESULT WaveOutDevice::CheckFormat(const WAVEFORMATEX& format) {
    if (format.wFormatTag != WAVE_FORMAT_PCM)
        return WAVERR_BADFORMAT;
    if (format.nChannels < 1 || format.nChannels > 2)
        return WAVERR_BADFORMAT;
    if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16)
        return WAVERR_BADFORMAT;
    if (format.nSamplesPerSec < 1000 || format.nSamplesPerSec > 192000)
        return WAVERR_BADFORMAT;
    if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8)
        return WAVERR_BADFORMAT;
    return MMSYSERR_NOERROR;
}

WaveOutDevice::WaveOutDevice(const WAVEFORMATEX& format, DeviceCallback callback,
                             uintptr_t instance, uintptr_t handle)
    : QueuedDevice(callback, instance, handle) {
    source_.freq = int(format.nSamplesPerSec);
    source_.format = format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    source_.channels = uint8_t(format.nChannels);
}

MMRESULT WaveOutDevice::Open(uint32_t deviceId, const WAVEFORMATEX& format, DeviceCallback callback,
                             uintptr_t instance, uintptr_t handle,
                             std::shared_ptr<WaveOutDevice>* device) {
    if (MMRESULT bad = CheckFormat(format))
        return bad;
    uint32_t count = audio::OutputDeviceCount();
    if (count == 0)
        return MMSYSERR_NODRIVER;
    // Every id names the one mixed output.
    if (deviceId != WAVE_MAPPER && deviceId >= count)
        return MMSYSERR_BADDEVICEID;

    std::shared_ptr<WaveOutDevice> opened(new WaveOutDevice(format, callback, instance, handle));
    if (!AudioMixer::Instance().Attach(opened.get()))
        return MMSYSERR_NODRIVER;
    opened->mixing_ = true;
    if (MMRESULT failed = opened->StartThread())
        return failed;  // the destructor leaves the mix
    *device = std::move(opened);
    return MMSYSERR_NOERROR;
}

WaveOutDevice::~WaveOutDevice() {
    if (mixing_)
        AudioMixer::Instance().Detach(this);
    StopThread();
    if (converter_)
        SDL_FreeAudioStream(converter_);
}

bool WaveOutDevice::SetDeviceSpec(const SDL_AudioSpec& device) {
    std::lock_guard lock(mutex_);
    if (converter_) {
        SDL_FreeAudioStream(converter_);
        converter_ = nullptr;
    }
    deviceSilence_ = SDL_AUDIO_BITSIZE(device.format) == 8 ? 0x80 : 0;
    bool same = device.freq == source_.freq && device.channels == source_.channels &&
                device.format == source_.format;
    if (same)
        return true;
    converter_ = SDL_NewAudioStream(source_.format, source_.channels, source_.freq, device.format,
                                    device.channels, device.freq);
    return converter_ != nullptr;
}

size_t WaveOutDevice::TakeLocked(uint8_t* out, size_t length) {
    size_t taken = 0;
    while (taken < length && !queue_.empty()) {
        WAVEHDR* header = queue_.front();
        size_t n = std::min<size_t>(header->dwBufferLength - frontOffset_, length - taken);
        std::memcpy(out + taken, header->lpData + frontOffset_, n);
        taken += n;
        frontOffset_ += uint32_t(n);
        if (frontOffset_ >= header->dwBufferLength)
            ReturnFrontLocked();
    }
    return taken;
}

void WaveOutDevice::Render(uint8_t* out, int length) {
    std::unique_lock lock(mutex_);
    size_t want = size_t(length);
    size_t filled = 0;
    if (!paused_) {
        if (!converter_) {
            filled = TakeLocked(out, want);
        } else {
            // Feed the converter until it has enough, in pieces about the
            // size of what it gives back.
            uint8_t piece[4096];
            while (SDL_AudioStreamAvailable(converter_) < length && !queue_.empty()) {
                size_t n = TakeLocked(piece, sizeof piece);
                SDL_AudioStreamPut(converter_, piece, int(n));
            }
            int got = SDL_AudioStreamGet(converter_, out, length);
            filled = got > 0 ? size_t(got) : 0;
        }
    }
    if (filled < want)
        std::memset(out + filled, deviceSilence_, want - filled);
    bool returned = !returned_.empty();
    lock.unlock();
    if (returned)
        wake_.notify_all();
}

MMRESULT WaveOutDevice::Write(WAVEHDR* header) {
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (!header->lpData && header->dwBufferLength > 0)
        return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (MMRESULT refused = AcceptLocked(header))
        return refused;
    if (header->dwBufferLength == 0) {
        // Nothing to play: back at once, still through the notification.
        ReturnLocked(header);
        wake_.notify_all();
    } else {
        queue_.push_back(header);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutDevice::Reset() {
    std::lock_guard lock(mutex_);
    if (converter_)
        SDL_AudioStreamClear(converter_);
    ReturnAllLocked();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutDevice::Pause() {
    std::lock_guard lock(mutex_);
    paused_ = true;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutDevice::Restart() {
    std::lock_guard lock(mutex_);
    paused_ = false;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutDevice::Close() {
    std::unique_lock<std::mutex> closing;
    if (MMRESULT refused = BeginClose(&closing))
        return refused;
    // Out of the mix first, so nothing is returned behind the close.
    AudioMixer::Instance().Detach(this);
    mixing_ = false;
    EndClose();
    return MMSYSERR_NOERROR;
}

}  // namespace platform::multimedia
