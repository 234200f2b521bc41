#include "platform/multimedia/sdl_audio.h"

#include <SDL.h>

#include <mutex>

namespace platform::multimedia::audio {
namespace {

std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
}
int users = 0;  // guarded by Mutex()

bool AcquireLocked() {
    if (users == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    ++users;
    return true;
}

void ReleaseLocked() {
    if (users > 0 && --users == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

bool Acquire() {
    std::lock_guard lock(Mutex());
    return AcquireLocked();
}

void Release() {
    std::lock_guard lock(Mutex());
    ReleaseLocked();
}

uint32_t OutputDeviceCount() {
    std::lock_guard lock(Mutex());
    if (!AcquireLocked())
        return 0;
    int count = SDL_GetNumAudioDevices(0);
    ReleaseLocked();
    return count > 0 ? uint32_t(count) : 0;
}

}  // namespace platform::multimedia::audio
