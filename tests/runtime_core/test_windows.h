// Hand-built windows and a fake native window system for the notification
// tests: windows exist when listed, and every platform action is recorded.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "runtime/application_object.h"
#include "runtime/system_hooks.h"
#include "runtime/window_record.h"

namespace testsupport {

struct FakeNativeWindows {
    std::set<rt::NativeHandle> existing;
    std::vector<rt::NativeHandle> destroyed;
    std::vector<rt::NativeHandle> releasedHandles;
    int pumped = 0;
    int objectsDeleted = 0;
};
FakeNativeWindows& Natives();
// Installs hooks backed by Natives() and clears it.
void InstallFakeNativeWindows();

// A window object that counts its deletion.
class CountedWindowObject : public rt::WindowObject {
public:
    explicit CountedWindowObject(rt::NativeHandle handle) { Attach(handle); }
    ~CountedWindowObject() override { ++Natives().objectsDeleted; }
};

// Core-library-style type table: 0x10001 and 0x10003 raise events, 0x10005
// does not, 0x10006 has kind-2 flags.
const rt::LibraryInfo& TestTypes();

inline constexpr uint32_t kWindowId = 0x52010001;
inline constexpr uint32_t kButtonType = 0x10001;
inline constexpr uint32_t kQuietType = 0x10005;

// Adds a window whose unit 0 is the window unit (native handle `handle`,
// handler `windowHandler`, flags `flags`); answers the record.
rt::WindowRecord* AddTestWindow(rt::ApplicationObject& app, uint32_t windowId,
                                rt::NativeHandle handle, uintptr_t windowHandler = 0,
                                uint32_t flags = 0);
// Appends a unit of `type` with one native window and event handlers.
uint32_t AddTestUnit(rt::WindowRecord& window, uint32_t type, rt::NativeHandle handle,
                     std::vector<std::pair<uint32_t, uintptr_t>> events, uint32_t parent = 0,
                     rt::NativeHandle ownedHandle = 0);

}  // namespace testsupport
