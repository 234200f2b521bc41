// The subsystems the system notification interface stands on but that are
// built separately: native windows, menu bars, picture decoding, sound and
// the full clean-up order. Each fills its hook table once at start-up; until
// then the messages that need it answer their failure value, never success.
#pragma once

#include <cstdint>

#include "runtime/runtime_objects.h"

namespace rt {

struct WindowRecord;

// Filled by the window framework (native windows).
struct NativeWindowHooks {
    bool (*windowExists)(NativeHandle window) = nullptr;
    void (*destroyWindow)(NativeHandle window) = nullptr;
    // Releases a native handle a unit owns (the window unit: its
    // accelerator table).
    void (*releaseUnitHandle)(uint32_t unitType, NativeHandle handle) = nullptr;
    // Dispatches the calling thread's pending window messages, stopping at
    // the quit message.
    void (*processPendingMessages)() = nullptr;
    // A new framework window object for a native window, not yet attached.
    WindowObject* (*newWindowObject)() = nullptr;
    // Creates the window's native windows, leaving each unit's window object
    // in its entry; answers false on failure.
    bool (*loadWindow)(WindowRecord& window, NativeHandle parent, int32_t mode) = nullptr;
    void (*showAndActivate)(NativeHandle window) = nullptr;
    // Re-applies every property of the unit to its native window.
    void (*refreshUnit)(WindowRecord& window, uint32_t unitId) = nullptr;
    // Loads the application's icon at 32 and at 16 pixels.
    bool (*loadApplicationIcons)(NativeHandle* large, NativeHandle* small) = nullptr;
    void (*destroyIcon)(NativeHandle icon) = nullptr;
};

// Filled by menu bar construction.
struct MenuBarHooks {
    // Builds the window's menu bar and accelerators from its menu-item
    // units, attaches them and destroys the previous ones.
    bool (*rebuildMenuBar)(WindowRecord& window, NativeHandle nativeWindow) = nullptr;
};

// Filled by picture loading.
struct PictureHooks {
    NativeHandle (*pictureToBitmap)(const void* data, uint32_t size) = nullptr;
    // A movable memory block holding the bitmap as a BMP file image.
    NativeHandle (*bitmapToBmp)(NativeHandle bitmap) = nullptr;
    void (*releasePicture)(void* record) = nullptr;
};

// Filled by sound playback.
struct SoundHooks {
    // Plays a RIFF WAVE or standard MIDI image; answers 1 on success.
    int32_t (*playSoundData)(const void* data, uint32_t size, int32_t loop) = nullptr;
    void (*stopSound)() = nullptr;
};

// Filled by the application clean-up, for what the core does not hold.
struct CleanupHooks {
    // Called first. Answers true when the calling thread must not tear the
    // runtime down (the request went to the user-interface thread).
    bool (*handOffToInterfaceThread)(int32_t exitCode) = nullptr;
    // After icons: the runtime's own loaded libraries, hidden main window,
    // runtime objects and platform facilities.
    void (*releasePlatformResources)() = nullptr;
};

// Filled by the window framework: the bodies of the four window services
// of the runtime (RtShowStartWindow, RtRunEventLoop, RtGetProperty,
// RtSetProperty). Until filled, those services end the program with a
// report that they are not available.
struct WindowServiceHooks {
    void (*showStartWindow)(uint32_t windowId) = nullptr;
    void (*runEventLoop)() = nullptr;
    uint64_t (*getProperty)(uint32_t windowId, uint32_t unitId, uint32_t property,
                            int32_t index) = nullptr;
    void (*setProperty)(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index,
                        uint32_t valueLow, uint32_t valueHigh) = nullptr;
};

// Filled by input pre-translation. The window framework's event loop calls
// it for every message it takes, before translating and dispatching it;
// `message` is the platform's MSG. Answers true when the message was
// consumed and must not be dispatched.
struct InputHooks {
    bool (*preTranslateInput)(void* message) = nullptr;
};

void SetNativeWindowHooks(const NativeWindowHooks& hooks);
void SetMenuBarHooks(const MenuBarHooks& hooks);
void SetPictureHooks(const PictureHooks& hooks);
void SetSoundHooks(const SoundHooks& hooks);
void SetCleanupHooks(const CleanupHooks& hooks);
void SetInputHooks(const InputHooks& hooks);
void SetWindowServiceHooks(const WindowServiceHooks& hooks);

const NativeWindowHooks& NativeWindows();
const MenuBarHooks& MenuBars();
const PictureHooks& Pictures();
const SoundHooks& Sound();
const CleanupHooks& Cleanup();
const InputHooks& Input();
const WindowServiceHooks& WindowServices();

}  // namespace rt
