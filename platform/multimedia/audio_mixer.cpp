#include "platform/multimedia/audio_mixer.h"

#include <algorithm>
#include <cstring>

#include "platform/multimedia/sdl_audio.h"

namespace platform::multimedia {
namespace {

// About 25 ms of sound per mix, a power of two as SDL prefers.
uint16_t MixFrames(int rate) {
    int frames = 256;
    while (frames < rate / 40 && frames < 4096)
        frames *= 2;
    return uint16_t(frames);
}

bool Wider(const SDL_AudioSpec& wanted, const SDL_AudioSpec& open) {
    return wanted.freq > open.freq || wanted.channels > open.channels ||
           SDL_AUDIO_BITSIZE(wanted.format) > SDL_AUDIO_BITSIZE(open.format);
}

}  // namespace

AudioMixer& AudioMixer::Instance() {
    static auto* mixer = new AudioMixer;  // lives as long as the process
    return *mixer;
}

SDL_AudioSpec AudioMixer::Wanted(const std::vector<MixerVoice*>& voices) {
    SDL_AudioSpec wanted{};
    wanted.format = AUDIO_U8;
    for (MixerVoice* voice : voices) {
        SDL_AudioSpec source = voice->SourceSpec();
        wanted.freq = std::max(wanted.freq, source.freq);
        wanted.channels = std::max(wanted.channels, source.channels);
        if (SDL_AUDIO_BITSIZE(source.format) == 16)
            wanted.format = AUDIO_S16SYS;
    }
    // Never narrower than what is open: a voice leaving does not re-open.
    if (device_) {
        wanted.freq = std::max(wanted.freq, spec_.freq);
        wanted.channels = std::max(wanted.channels, spec_.channels);
        if (SDL_AUDIO_BITSIZE(spec_.format) == 16)
            wanted.format = AUDIO_S16SYS;
    }
    wanted.samples = MixFrames(wanted.freq);
    wanted.callback = &AudioMixer::Mix;
    wanted.userdata = this;
    return wanted;
}

bool AudioMixer::OpenDevice(const SDL_AudioSpec& wanted) {
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the hardware takes, so
    // the device format is the one asked for.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &have, 0);
    if (!device_)
        return false;
    spec_ = wanted;
    return true;
}

void AudioMixer::CloseDevice() {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
}

bool AudioMixer::Attach(MixerVoice* voice) {
    std::lock_guard control(controlMutex_);
    std::vector<MixerVoice*> all = voices_;
    all.push_back(voice);
    SDL_AudioSpec wanted = Wanted(all);
    if (!device_) {
        if (!audio::Acquire())
            return false;
        if (!OpenDevice(wanted)) {
            audio::Release();
            return false;
        }
    } else if (Wider(wanted, spec_)) {
        SDL_AudioSpec old = spec_;
        CloseDevice();
        if (!OpenDevice(wanted)) {
            // Back to what the other voices had; the new one is refused.
            if (!OpenDevice(old)) {
                voices_.clear();
                audio::Release();
                return false;
            }
            SDL_PauseAudioDevice(device_, 0);
            return false;
        }
        for (MixerVoice* other : voices_)
            other->SetDeviceSpec(spec_);
    }
    if (!voice->SetDeviceSpec(spec_)) {
        if (voices_.empty()) {
            CloseDevice();
            audio::Release();
        }
        return false;
    }
    SDL_LockAudioDevice(device_);
    voices_.push_back(voice);
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void AudioMixer::Detach(MixerVoice* voice) {
    std::lock_guard control(controlMutex_);
    if (!device_)
        return;
    SDL_LockAudioDevice(device_);
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
    bool last = voices_.empty();
    SDL_UnlockAudioDevice(device_);
    if (last) {
        CloseDevice();
        audio::Release();
    }
}

void AudioMixer::Mix(void* self, uint8_t* stream, int length) {
    auto* mixer = static_cast<AudioMixer*>(self);
    const std::vector<MixerVoice*>& voices = mixer->voices_;
    const bool eightBit = SDL_AUDIO_BITSIZE(mixer->spec_.format) == 8;
    if (voices.empty()) {
        std::memset(stream, eightBit ? 0x80 : 0, size_t(length));
        return;
    }
    // A lone voice is the output itself, byte for byte.
    voices[0]->Render(stream, length);
    if (voices.size() == 1)
        return;
    std::vector<uint8_t>& scratch = mixer->scratch_;
    scratch.resize(size_t(length));
    for (size_t v = 1; v < voices.size(); ++v) {
        voices[v]->Render(scratch.data(), length);
        if (eightBit) {
            for (int i = 0; i < length; ++i) {
                int sum = (stream[i] - 128) + (scratch[i] - 128);
                stream[i] = uint8_t(std::clamp(sum, -128, 127) + 128);
            }
        } else {
            auto* out = reinterpret_cast<int16_t*>(stream);
            auto* in = reinterpret_cast<const int16_t*>(scratch.data());
            for (int i = 0; i < length / 2; ++i)
                out[i] = int16_t(std::clamp(int(out[i]) + int(in[i]), -32768, 32767));
        }
    }
}

}  // namespace platform::multimedia
