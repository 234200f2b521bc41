#include "runtime/system_hooks.h"

namespace rt {
namespace {

NativeWindowHooks g_nativeWindows;
MenuBarHooks g_menuBars;
PictureHooks g_pictures;
SoundHooks g_sound;
CleanupHooks g_cleanup;
InputHooks g_input;
WindowServiceHooks g_windowServices;

}  // namespace

void SetNativeWindowHooks(const NativeWindowHooks& hooks) {
    g_nativeWindows = hooks;
}
void SetMenuBarHooks(const MenuBarHooks& hooks) {
    g_menuBars = hooks;
}
void SetPictureHooks(const PictureHooks& hooks) {
    g_pictures = hooks;
}
void SetSoundHooks(const SoundHooks& hooks) {
    g_sound = hooks;
}
void SetCleanupHooks(const CleanupHooks& hooks) {
    g_cleanup = hooks;
}

void SetInputHooks(const InputHooks& hooks) {
    g_input = hooks;
}

void SetWindowServiceHooks(const WindowServiceHooks& hooks) {
    g_windowServices = hooks;
}

const NativeWindowHooks& NativeWindows() {
    return g_nativeWindows;
}
const MenuBarHooks& MenuBars() {
    return g_menuBars;
}
const PictureHooks& Pictures() {
    return g_pictures;
}
const SoundHooks& Sound() {
    return g_sound;
}
const CleanupHooks& Cleanup() {
    return g_cleanup;
}
const InputHooks& Input() {
    return g_input;
}
const WindowServiceHooks& WindowServices() {
    return g_windowServices;
}

}  // namespace rt
