#include "tests/runtime_core/test_windows.h"

namespace testsupport {
namespace {

bool Exists(rt::NativeHandle handle) {
    return Natives().existing.count(handle) != 0;
}
void Destroy(rt::NativeHandle handle) {
    Natives().destroyed.push_back(handle);
    Natives().existing.erase(handle);
}
void ReleaseHandle(uint32_t, rt::NativeHandle handle) {
    Natives().releasedHandles.push_back(handle);
}
void Pump() {
    ++Natives().pumped;
}

const rt::DataTypeInfo kTypes[] = {
    {"Button", rt::TYPE_FLAG_KIND1, nullptr},                       // 0x10001
    {"Unused", 0, nullptr},                                         // 0x10002
    {"WindowUnit", rt::TYPE_FLAG_KIND1, nullptr},                   // 0x10003
    {"Unused", 0, nullptr},                                         // 0x10004
    {"Quiet", 0, nullptr},                                          // 0x10005
    {"Kind2", rt::TYPE_FLAG_KIND2 | rt::TYPE_FLAG_KIND1, nullptr},  // 0x10006
};
const rt::LibraryInfo kLibrary = {"test-core", 6, kTypes, nullptr};

}  // namespace

FakeNativeWindows& Natives() {
    static FakeNativeWindows natives;
    return natives;
}

void InstallFakeNativeWindows() {
    Natives() = {};
    rt::NativeWindowHooks hooks;
    hooks.windowExists = &Exists;
    hooks.destroyWindow = &Destroy;
    hooks.releaseUnitHandle = &ReleaseHandle;
    hooks.processPendingMessages = &Pump;
    rt::SetNativeWindowHooks(hooks);
}

const rt::LibraryInfo& TestTypes() {
    return kLibrary;
}

rt::WindowRecord* AddTestWindow(rt::ApplicationObject& app, uint32_t windowId,
                                rt::NativeHandle handle, uintptr_t windowHandler, uint32_t flags) {
    rt::WindowRecord* window = app.Windows().AddWindow(windowId);
    rt::UnitEntryFields fields;
    fields.type = rt::WINDOW_UNIT_TYPE;
    fields.name = "StartWindow";
    fields.object = new CountedWindowObject(handle);
    fields.windowHandler = windowHandler;
    fields.flags = flags;
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    window->units.Append(body.data(), uint32_t(body.size()), 0x51000000);
    Natives().existing.insert(handle);
    return window;
}

uint32_t AddTestUnit(rt::WindowRecord& window, uint32_t type, rt::NativeHandle handle,
                     std::vector<std::pair<uint32_t, uintptr_t>> events, uint32_t parent,
                     rt::NativeHandle ownedHandle) {
    rt::UnitEntryFields fields;
    fields.type = type;
    fields.parent = parent;
    fields.name = "Unit";
    fields.second = "second";
    fields.object = handle ? new CountedWindowObject(handle) : nullptr;
    fields.ownedHandle = ownedHandle;
    fields.values = {1, 2, 3};
    fields.typeData = {9, 9};
    fields.third = "third";
    fields.events = std::move(events);
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    if (handle)
        Natives().existing.insert(handle);
    return window.units.Append(body.data(), uint32_t(body.size()), 0x12000000);
}

}  // namespace testsupport
