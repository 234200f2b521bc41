// A runtime system for the library tests: one ApplicationObject that the
// libraries under test are announced to, whose windows are real platform
// windows (kept in memory), with helpers to describe windows and units as
// the window framework would.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/library_info.h"

namespace desktoptest {

class TestSystem {
public:
    // Memory presentation, native-window hooks over the platform windows,
    // and each library set at its number and announced.
    explicit TestSystem(std::vector<std::pair<uint32_t, const rt::LibraryInfo*>> libraries);
    // Empties the libraries' callback slots again.
    ~TestSystem();
    TestSystem(const TestSystem&) = delete;
    TestSystem& operator=(const TestSystem&) = delete;

    rt::ApplicationObject& App() { return app_; }
    intptr_t Send(int32_t message, intptr_t param1 = 0, intptr_t param2 = 0) {
        return app_.Handle(message, param1, param2);
    }

    // A top-level platform window of a class with the default procedure.
    static platform::HWND NewTopLevel(const char* title, uint32_t extraStyle = 0);
    // Adds window `windowId` whose own unit wraps `native`; answers the record.
    rt::WindowRecord* AddWindow(uint32_t windowId, platform::HWND native);
    // Appends a unit of `type` under id `unitId` holding `object`.
    void AddUnit(rt::WindowRecord& window, uint32_t unitId, uint32_t type, rt::WindowObject* object,
                 std::vector<std::pair<uint32_t, uintptr_t>> events);

private:
    static intptr_t Notify(int32_t message, intptr_t param1, intptr_t param2);
    std::vector<std::pair<uint32_t, const rt::LibraryInfo*>> libraries_;
    rt::ApplicationObject app_;
};

}  // namespace desktoptest
