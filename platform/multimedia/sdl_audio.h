// SDL's audio subsystem, started while at least one wave device is open and
// shut down with the last, so no audio thread outlives the devices. The
// driver is SDL's choice, or SDL_AUDIODRIVER's ("dummy" and "disk" play
// without a sound device, at the real pace).
#pragma once

#include <cstdint>

namespace platform::multimedia::audio {

// Answers false when the subsystem cannot start; each true answer must be
// balanced by one Release.
bool Acquire();
void Release();

// The number of output devices SDL reports (at least 1 for drivers that
// have only a default device), 0 when audio cannot start.
uint32_t OutputDeviceCount();

}  // namespace platform::multimedia::audio
