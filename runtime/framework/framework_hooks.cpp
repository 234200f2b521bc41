// The runtime's native-window hooks, filled with the platform's windows.
#include "platform/graphics/gdi.h"
#include "platform/messages/thread_message_queue.h"
#include "platform/windowing/windows.h"
#include "runtime/framework/application_icon.h"
#include "runtime/framework/window_framework.h"
#include "runtime/framework/window_loader.h"
#include "runtime/framework/window_services.h"
#include "runtime/menubar/menu_bar_hooks.h"
#include "runtime/properties/unit_properties.h"
#include "runtime/system_hooks.h"
#include "runtime/unit_entry.h"

namespace rt {
namespace {

platform::HWND AsWindow(NativeHandle handle) {
    return reinterpret_cast<platform::HWND>(handle);
}

bool WindowExists(NativeHandle handle) {
    return platform::IsWindow(AsWindow(handle));
}

// Only a window's own thread may destroy it.
void DestroyNativeWindow(NativeHandle handle) {
    platform::HWND window = AsWindow(handle);
    platform::ThreadId owner = platform::GetWindowThreadProcessId(window, nullptr);
    if (owner == 0 || owner == platform::GetCurrentThreadId()) {
        platform::DestroyWindow(window);
        return;
    }
    platform::SendToThread(
        owner, [window]() -> intptr_t { return platform::DestroyWindow(window) ? 1 : 0; });
}

// The only handle units own is the window unit's accelerator table.
void ReleaseUnitHandle(uint32_t type, NativeHandle handle) {
    if (type == WINDOW_UNIT_TYPE)
        DestroyWindowAccelerators(handle);
}

WindowObject* NewWindowObject() {
    return new WindowObject;
}

void ShowAndActivate(NativeHandle handle) {
    platform::HWND window = AsWindow(handle);
    platform::ShowWindow(window, platform::SW_SHOW);
    platform::SetActiveWindow(window);
    platform::SetForegroundWindow(window);
}

void RefreshUnit(WindowRecord& window, uint32_t unitId) {
    UnitEntryView unit = window.units.ViewOf(unitId);
    if (unit.Valid() && !unit.IsMenuItem() && unit.Object())
        RefreshUnitProperties(unit.TypeId(), unit.Object());
}

void DestroyIcon(NativeHandle icon) {
    platform::DestroyIcon(reinterpret_cast<platform::HICON>(icon));
}

}  // namespace

void InstallWindowFramework() {
    NativeWindowHooks windows;
    windows.windowExists = &WindowExists;
    windows.destroyWindow = &DestroyNativeWindow;
    windows.releaseUnitHandle = &ReleaseUnitHandle;
    windows.processPendingMessages = &ProcessPendingWindowMessages;
    windows.newWindowObject = &NewWindowObject;
    windows.loadWindow = &LoadWindowUnits;
    windows.showAndActivate = &ShowAndActivate;
    windows.refreshUnit = &RefreshUnit;
    windows.loadApplicationIcons = &LoadApplicationIcons;
    windows.destroyIcon = &DestroyIcon;
    SetNativeWindowHooks(windows);

    WindowServiceHooks services;
    services.showStartWindow = &ShowStartWindow;
    services.runEventLoop = &RunEventLoop;
    services.getProperty = &GetProperty;
    services.setProperty = &SetProperty;
    SetWindowServiceHooks(services);
}

}  // namespace rt
