#include "corelib/sound/sound_hooks.h"

#include <vector>

#include "corelib/sound/midi_sequencer.h"
#include "corelib/sound/wave_image.h"
#include "corelib/sound/wave_player.h"
#include "runtime/system_hooks.h"

namespace corelib {
namespace sound {
namespace {

// The runtime's sound state. Made on first use and never destroyed: the
// runtime's clean-up stops everything through StopSound before the process
// ends, and nothing must run after static destruction has begun.
struct SoundState {
    MidiSequencer sequencer;
    std::vector<uint8_t> midiData;  // the copy the sequencer plays from
    WavePlayer waves;
};

SoundState& State() {
    static auto* state = new SoundState;
    return *state;
}

}  // namespace

int32_t PlaySoundData(const void* data, uint32_t size, int32_t loop) {
    if (!data || size == 0)
        return 0;
    SoundState& state = State();
    if (IsWaveData(data, size))
        return state.waves.PlayWave(data, size, loop);
    if (!MidiSequencer::IsMidiData(data, size))
        return 0;
    state.sequencer.Unload();
    const auto* bytes = static_cast<const uint8_t*>(data);
    state.midiData.assign(bytes, bytes + size);
    if (!state.sequencer.Load(state.midiData.data(), size, nullptr)) {
        state.sequencer.Unload();
        state.midiData.clear();
        return 0;
    }
    return state.sequencer.Play(loop);
}

void StopSound() {
    SoundState& state = State();
    state.sequencer.Unload();
    state.midiData.clear();
    state.midiData.shrink_to_fit();
    state.waves.StopAllWaves(1);
}

}  // namespace sound

void InstallSoundHooks() {
    rt::SoundHooks hooks;
    hooks.playSoundData = &sound::PlaySoundData;
    hooks.stopSound = &sound::StopSound;
    rt::SetSoundHooks(hooks);
}

}  // namespace corelib
