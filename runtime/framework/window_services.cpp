// The bodies of RtShowStartWindow, RtRunEventLoop, RtGetProperty and
// RtSetProperty.
#include <atomic>
#include <string>

#include "platform/messages/thread_message_queue.h"
#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/event_call.h"
#include "runtime/framework/window_description.h"
#include "runtime/framework/window_framework.h"
#include "runtime/framework/window_services.h"
#include "runtime/properties/unit_properties.h"
#include "runtime/system_hooks.h"

namespace rt {
namespace {

std::atomic<uint32_t> g_interfaceThread{0};
std::atomic<NativeHandle> g_startWindow{0};
std::atomic<PropertyWriteObserver> g_writeObserver{nullptr};
std::atomic<StartWindowShownObserver> g_shownObserver{nullptr};

// The longest the event loop sleeps between looks at the start window: a
// window destroyed by a send from another thread posts nothing.
constexpr int kLoopWakeMs = 250;

std::string HexId(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", id);
    return text;
}

// Runs `work` on the interface thread: directly when called there (or
// before there is one), otherwise by a send that waits until it ran.
template <typename Work>
void OnInterfaceThread(Work&& work) {
    uint32_t thread = g_interfaceThread.load();
    if (thread == 0 || thread == platform::GetCurrentThreadId()) {
        work();
        return;
    }
    platform::SendToThread(thread, [&work]() -> intptr_t {
        work();
        return 0;
    });
}

// The unit's type and object, when the unit exists and has its window.
bool FindUnit(uint32_t windowId, uint32_t unitId, uint32_t* type, WindowObject** object) {
    ApplicationObject& app = ApplicationObject::Instance();
    *type = uint32_t(app.Handle(SN_GET_UNIT_TYPE, intptr_t(windowId), intptr_t(unitId)));
    *object = reinterpret_cast<WindowObject*>(
        app.Handle(SN_FIND_UNIT_OBJECT, intptr_t(windowId), intptr_t(unitId)));
    return *type != 0 && *object != nullptr;
}

}  // namespace

NativeHandle StartWindowHandle() {
    return g_startWindow.load();
}

uint32_t InterfaceThreadId() {
    return g_interfaceThread.load();
}

void SetPropertyWriteObserver(PropertyWriteObserver observer) {
    g_writeObserver.store(observer);
}

void SetStartWindowShownObserver(StartWindowShownObserver observer) {
    g_shownObserver.store(observer);
}

void ShowStartWindow(uint32_t windowId) {
    ApplicationObject& app = ApplicationObject::Instance();
    g_interfaceThread.store(platform::GetCurrentThreadId());
    if (!app.Windows().FindWindow(windowId)) {
        const WindowDescription* description = FindWindowDescription(windowId);
        if (!description || !InstallWindowDescription(*description)) {
            app.FatalError(
                ("The window " + HexId(windowId) + " is not described in this program.").c_str(),
                0);
            return;
        }
    }
    uintptr_t request[3] = {windowId, 0, 0};
    if (app.Handle(SN_LOAD_WINDOW, reinterpret_cast<intptr_t>(request), 0) != 0) {
        app.FatalError(("The window " + HexId(windowId) + " could not be created.").c_str(), 0);
        return;
    }
    WindowObject* self =
        reinterpret_cast<WindowObject*>(app.Handle(SN_FIND_UNIT_OBJECT, windowId, 0));
    if (!self)
        return;
    g_startWindow.store(self->Handle());
    // The load handler runs before the window is seen and before any other
    // handler.
    EventCall load{windowId, 0, 0, 0, {}, 0, 0};
    app.Handle(SN_CALL_EVENT, reinterpret_cast<intptr_t>(&load), 0);
    if (auto show = NativeWindows().showAndActivate)
        show(self->Handle());
    if (StartWindowShownObserver shown = g_shownObserver.load())
        shown(self->Handle());
}

void RunEventLoop() {
    auto window = static_cast<platform::HWND>(reinterpret_cast<void*>(g_startWindow.load()));
    platform::MSG msg;
    while (window && platform::IsWindow(window)) {
        if (!platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
            platform::WaitMessage(kLoopWakeMs);
            continue;
        }
        if (msg.message == platform::WM_QUIT)
            break;
        if (auto pre = Input().preTranslateInput; pre && pre(&msg))
            continue;
        platform::TranslateMessage(&msg);
        platform::DispatchMessage(&msg);
    }
    g_startWindow.store(0);
}

void ProcessPendingWindowMessages() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_NOREMOVE)) {
        if (msg.message == platform::WM_QUIT)
            break;
        if (!platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE))
            break;
        if (auto pre = Input().preTranslateInput; pre && pre(&msg))
            continue;
        platform::TranslateMessage(&msg);
        platform::DispatchMessage(&msg);
    }
}

// A unit that is gone (its window closed while a worker still reports to
// it) reads as 0 and ignores writes: the end of a window must not end the
// program under a running batch.
uint64_t GetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index) {
    uint64_t value = 0;
    OnInterfaceThread([&] {
        uint32_t type;
        WindowObject* object;
        if (FindUnit(windowId, unitId, &type, &object))
            value = GetUnitProperty(type, object, property, index);
    });
    return value;
}

void SetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index,
                 uint32_t valueLow, uint32_t valueHigh) {
    OnInterfaceThread([&] {
        uint32_t type;
        WindowObject* object;
        if (!FindUnit(windowId, unitId, &type, &object))
            return;
        SetUnitProperty(type, object, property, index, valueLow, valueHigh);
        if (PropertyWriteObserver observer = g_writeObserver.load())
            observer(windowId, unitId, property, index, valueLow, valueHigh);
    });
}

}  // namespace rt
