#include "tests/desktop/test_system.h"

#include "runtime/system_hooks.h"
#include "runtime/unit_entry.h"

namespace desktoptest {
namespace {

TestSystem* g_current = nullptr;

bool WindowExists(rt::NativeHandle handle) {
    return platform::IsWindow(reinterpret_cast<platform::HWND>(handle));
}

void DestroyNativeWindow(rt::NativeHandle handle) {
    platform::DestroyWindow(reinterpret_cast<platform::HWND>(handle));
}

}  // namespace

TestSystem::TestSystem(std::vector<std::pair<uint32_t, const rt::LibraryInfo*>> libraries)
    : libraries_(std::move(libraries)) {
    platform::SetPresentationMode(platform::PresentationMode::Memory);
    rt::NativeWindowHooks hooks;
    hooks.windowExists = &WindowExists;
    hooks.destroyWindow = &DestroyNativeWindow;
    rt::SetNativeWindowHooks(hooks);
    g_current = this;
    for (auto [number, info] : libraries_)
        app_.SetLibrary(number, info);
    app_.AnnounceSystem(&TestSystem::Notify);
}

TestSystem::~TestSystem() {
    for (auto [number, info] : libraries_) {
        if (info->notify)
            info->notify(rt::LN_SET_SYSTEM, 0, 0);
    }
    // The windows (and the unit objects in them) go while the hooks and the
    // platform windows are still there.
    app_.Windows().Clear();
    g_current = nullptr;
}

intptr_t TestSystem::Notify(int32_t message, intptr_t param1, intptr_t param2) {
    return g_current ? g_current->app_.Handle(message, param1, param2) : 0;
}

platform::HWND TestSystem::NewTopLevel(const char* title, uint32_t extraStyle) {
    static bool registered = [] {
        platform::WNDCLASS windowClass;
        windowClass.lpfnWndProc = platform::DefWindowProc;
        windowClass.lpszClassName = "DesktopTestWindow";
        return platform::RegisterClass(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    return platform::CreateWindowEx(
        0, "DesktopTestWindow", title,
        platform::WS_OVERLAPPEDWINDOW | platform::WS_VISIBLE | extraStyle, 0, 0, 400, 300, nullptr,
        nullptr, nullptr, nullptr);
}

rt::WindowRecord* TestSystem::AddWindow(uint32_t windowId, platform::HWND native) {
    rt::WindowRecord* window = app_.Windows().AddWindow(windowId);
    if (!window)
        return nullptr;
    auto* object = new rt::WindowObject;
    object->Attach(reinterpret_cast<rt::NativeHandle>(native));
    rt::UnitEntryFields fields;
    fields.type = rt::WINDOW_UNIT_TYPE;
    fields.name = "Window";
    fields.object = object;
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    window->units.AppendKeyed(0x06010000 | (windowId & 0xffff), body.data(), uint32_t(body.size()));
    return window;
}

void TestSystem::AddUnit(rt::WindowRecord& window, uint32_t unitId, uint32_t type,
                         rt::WindowObject* object,
                         std::vector<std::pair<uint32_t, uintptr_t>> events) {
    rt::UnitEntryFields fields;
    fields.type = type;
    fields.name = "Unit";
    fields.object = object;
    fields.events = std::move(events);
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    window.units.AppendKeyed(unitId, body.data(), uint32_t(body.size()));
}

}  // namespace desktoptest
