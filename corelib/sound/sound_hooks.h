// The runtime's sound: SN_PLAY_SOUND_DATA (and the core library's message
// 13) and SN_STOP_SOUND, answered by this subsystem through the runtime's
// sound hooks. RIFF WAVE images go to the process's WavePlayer, standard
// MIDI files to its one MidiSequencer, which plays a private copy of the
// image. Both are meant for the user-interface thread, as the system's
// messages are.
#pragma once

#include <cstdint>

namespace corelib {

// Fills rt::SoundHooks; called once by the application's start-up.
void InstallSoundHooks();

namespace sound {

// What the hooks do, callable directly.
// Plays a WAVE or MIDI image (a MIDI song first stops the one playing).
// Answers 1 when playback started, 0 otherwise.
int32_t PlaySoundData(const void* data, uint32_t size, int32_t loop);
// Stops the MIDI song (freeing its copy) and every wave sound, waiting
// until no sound thread is left.
void StopSound();

}  // namespace sound
}  // namespace corelib
