#include "tests/cleanup/cleanup_resources.h"

#include <dlfcn.h>

#include <mutex>

#include "platform/loader/executable_path.h"
#include "runtime/services.h"
#include "runtime/system_hooks.h"

namespace cleanuptest {
namespace {

std::mutex g_lock;
std::vector<std::string> g_events;
platform::HWND g_unitWindow = nullptr;

constexpr const char* kControlLibrary = "libpicbatch_test_embedded_control.so";
constexpr rt::NativeHandle kLargeIcon = 0x1001;
constexpr rt::NativeHandle kSmallIcon = 0x1002;

platform::HWND NewWindow(uint32_t style) {
    static bool registered = [] {
        platform::WNDCLASS windowClass;
        windowClass.lpfnWndProc = &platform::DefWindowProc;
        windowClass.lpszClassName = "CleanupTestWindow";
        return platform::RegisterClass(&windowClass) != 0;
    }();
    (void)registered;
    return platform::CreateWindowEx(0, "CleanupTestWindow", "", style, 0, 0, 50, 50, nullptr,
                                    nullptr, nullptr, nullptr);
}

// A unit's object destroys the native window it made, as the window
// framework's unit objects do.
class NativeUnit : public rt::WindowObject {
public:
    ~NativeUnit() override {
        Record("unit-window");
        platform::DestroyWindow(reinterpret_cast<platform::HWND>(Detach()));
    }
};

class HiddenProbe : public rt::WindowObject {
public:
    ~HiddenProbe() override {
        Record("hidden-window");
        platform::DestroyWindow(reinterpret_cast<platform::HWND>(Detach()));
    }
};

class Owned : public rt::OwnedObject {
public:
    void Close() override { Record("owned-close"); }
    ~Owned() override { Record("owned-delete"); }
};

class Kept : public rt::RuntimeObject {
public:
    ~Kept() override { Record("runtime-object"); }
};

struct FakePicture {
    int pixels[16] = {};
};

void ExitRoutine() {
    Record(std::string("exit-routine unit-window-gone=") +
           (platform::IsWindow(g_unitWindow) ? "0" : "1"));
}

intptr_t FirstLibrary(int32_t message, intptr_t value, intptr_t) {
    if (message == rt::LN_CLEANUP)
        Record("library-" + std::to_string(value));
    return 0;
}
intptr_t ThirdLibrary(int32_t message, intptr_t value, intptr_t) {
    if (message == rt::LN_CLEANUP)
        Record("library-" + std::to_string(value));
    return 0;
}
const rt::LibraryInfo kFirst = {"first", 0, nullptr, &FirstLibrary};
const rt::LibraryInfo kSilent = {"silent", 0, nullptr, nullptr};
const rt::LibraryInfo kThird = {"third", 0, nullptr, &ThirdLibrary};

void ControlRecorder(const char* what, const char* name) {
    if (std::string(what) == "unregister")
        Record(std::string("unregister:") + name);
}

}  // namespace

void Record(const std::string& event) {
    std::lock_guard lock(g_lock);
    g_events.push_back(event);
}

std::vector<std::string> Events() {
    std::lock_guard lock(g_lock);
    return g_events;
}

void ClearEvents() {
    std::lock_guard lock(g_lock);
    g_events.clear();
}

std::vector<std::string> ExpectedOrder(bool withHiddenProbe) {
    std::vector<std::string> order = {"unit-window", "exit-routine unit-window-gone=1",
                                      "library-11",  "library-33",
                                      "icon-4097",   "icon-4098"};
    if (withHiddenProbe)
        order.push_back("hidden-window");
    for (const char* event : {"owned-close", "owned-delete", "runtime-object", "sound-stopped",
                              "picture", "facility-1", "unregister:Demo.Control", "facility-2:77"})
        order.push_back(event);
    return order;
}

Provided Provide(rt::ApplicationObject& app, bool withHiddenProbe) {
    ClearEvents();
    platform::SetPresentationMode(platform::PresentationMode::Memory);
    platform::ExecutableLocation location = platform::LocateExecutable();
    app.SetProgramLocation(location.directory, location.fileName);

    rt::NativeWindowHooks natives;
    natives.windowExists = [](rt::NativeHandle handle) {
        return platform::IsWindow(reinterpret_cast<platform::HWND>(handle));
    };
    natives.destroyWindow = [](rt::NativeHandle handle) {
        platform::DestroyWindow(reinterpret_cast<platform::HWND>(handle));
    };
    natives.loadApplicationIcons = [](rt::NativeHandle* large, rt::NativeHandle* small) {
        *large = kLargeIcon;
        *small = kSmallIcon;
        return true;
    };
    natives.destroyIcon = [](rt::NativeHandle icon) { Record("icon-" + std::to_string(icon)); };
    rt::SetNativeWindowHooks(natives);
    rt::PictureHooks pictures;
    pictures.releasePicture = [](void* record) {
        Record("picture");
        delete static_cast<FakePicture*>(record);
    };
    rt::SetPictureHooks(pictures);
    rt::SoundHooks sound;
    sound.stopSound = [] { Record("sound-stopped"); };
    rt::SetSoundHooks(sound);

    Provided provided;
    provided.unitWindow = NewWindow(platform::WS_OVERLAPPEDWINDOW | platform::WS_VISIBLE);
    g_unitWindow = provided.unitWindow;
    rt::WindowRecord* window = app.Windows().AddWindow(0x52010001);
    rt::UnitEntryFields fields;
    fields.type = rt::WINDOW_UNIT_TYPE;
    fields.object = new NativeUnit;
    fields.object->Attach(reinterpret_cast<rt::NativeHandle>(provided.unitWindow));
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    window->units.Append(body.data(), uint32_t(body.size()), 0x51000000);

    rt::RtAssist(rt::HELP_AT_EXIT, reinterpret_cast<uintptr_t>(&ExitRoutine), 0, 0, 0);
    app.SetLibrary(0, &kFirst, 11);
    app.SetLibrary(1, &kSilent, 22);
    app.SetLibrary(2, &kThird, 33);
    rt::NativeHandle icons[2] = {0, 0};
    app.Handle(rt::SN_GET_APP_ICONS, reinterpret_cast<intptr_t>(&icons[0]),
               reinterpret_cast<intptr_t>(&icons[1]));
    app.Handle(rt::SN_ADD_OWNED,
               reinterpret_cast<intptr_t>(static_cast<rt::OwnedObject*>(new Owned)), 5);
    app.AddRuntimeObject(new Kept);
    app.Handle(rt::SN_ADD_PICTURE, reinterpret_cast<intptr_t>(new FakePicture), 0);

    provided.controlLibrary = location.directory + "/" + kControlLibrary;
    provided.keepLibraryLoaded = dlopen(provided.controlLibrary.c_str(), RTLD_NOW);
    if (provided.keepLibraryLoaded) {
        auto setRecorder = reinterpret_cast<void (*)(void (*)(const char*, const char*))>(
            dlsym(provided.keepLibraryLoaded, "PicbatchTestSetRecorder"));
        if (setRecorder)
            setRecorder(&ControlRecorder);
    }
    app.AddLoadedLibrary(platform::OpenLibrary(provided.controlLibrary));
    app.AddEmbeddedControlRegistration("Demo.Control", kControlLibrary);
    app.AddEmbeddedControlRegistration("", kControlLibrary);  // no name: skipped
    app.SetPlatformFacility(1, 1, [](intptr_t) { Record("facility-1"); });
    app.SetPlatformFacility(
        2, 77, [](intptr_t marker) { Record("facility-2:" + std::to_string(marker)); });
    if (withHiddenProbe) {
        auto* hidden = new HiddenProbe;
        hidden->Attach(reinterpret_cast<rt::NativeHandle>(NewWindow(platform::WS_POPUP)));
        app.SetMainHiddenWindow(hidden->Handle(), hidden);
    }
    return provided;
}

void Release(Provided& provided) {
    if (provided.keepLibraryLoaded)
        dlclose(provided.keepLibraryLoaded);
    provided.keepLibraryLoaded = nullptr;
    rt::SetNativeWindowHooks({});
    rt::SetPictureHooks({});
    rt::SetSoundHooks({});
}

int LiveWindowsOfThisThread() {
    int count = 0;
    platform::EnumThreadWindows(
        platform::GetCurrentThreadId(),
        [](platform::HWND, platform::LPARAM counter) {
            ++*reinterpret_cast<int*>(counter);
            return true;
        },
        reinterpret_cast<platform::LPARAM>(&count));
    return count;
}

bool LibraryStillLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}

}  // namespace cleanuptest
