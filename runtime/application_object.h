// The one process-wide ApplicationObject: the state every system message
// reads and changes (libraries, windows, events, owned objects, pictures,
// memory range, external binding), the SystemNotify dispatch, the
// fatal-error path and the runtime's own part of the clean-up.
//
// Everything except the memory messages belongs to the user-interface
// thread; the object has no lock.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/external_binding.h"
#include "runtime/library_info.h"
#include "runtime/notify.h"
#include "runtime/runtime_objects.h"
#include "runtime/window_record.h"

namespace rt {

struct EventCall;
struct WideEventCall;
struct MenuItemQuery;

class ApplicationObject {
public:
    // Answers non-zero when the application handled the error itself.
    using FatalErrorHook = int32_t (*)(uint32_t code, const char* text);

    ApplicationObject();
    ~ApplicationObject();
    ApplicationObject(const ApplicationObject&) = delete;
    ApplicationObject& operator=(const ApplicationObject&) = delete;

    // The process-wide instance SystemNotify forwards to. Built on first
    // use and never destroyed, so libraries may call it during exit.
    static ApplicationObject& Instance();

    // The body of SystemNotify.
    intptr_t Handle(int32_t message, intptr_t param1, intptr_t param2);

    // Libraries. The table is indexed by library number; a number no
    // library has stays empty.
    void SetLibrary(uint32_t number, const LibraryInfo* info, intptr_t cleanupValue = 0);
    uint32_t LibraryCount() const { return uint32_t(libraries_.size()); }
    const LibraryInfo* Library(uint32_t number) const;
    // Sends LN_SET_SYSTEM with `systemNotify` to every library that has a
    // LibraryNotify.
    void AnnounceSystem(NotifyEntry systemNotify);
    const DataTypeInfo* ResolveType(LibraryTypeCode code) const;

    // Program location (runtime texts; the directory without a trailing
    // separator) and the search directories of external binding.
    void SetProgramLocation(std::string directory, std::string fileName);
    void SetSecondSearchDirectory(std::string directory);
    const std::string& ProgramDirectory() const { return programDirectory_; }
    const std::string& ProgramFileName() const { return programFileName_; }

    WindowMap& Windows() { return windows_; }
    ExternalBinding& Binding() { return binding_; }

    void SetRunMode(int32_t mode) { runMode_ = mode; }
    int32_t RunMode() const { return runMode_; }
    void SetFatalErrorHook(FatalErrorHook hook) { fatalErrorHook_ = hook; }
    // Blocks inside [start, end) are never freed or resized in place.
    void SetStaticDataRange(const void* start, const void* end);
    bool InStaticData(const void* block) const;
    int32_t EventBlockCount() const { return eventBlockCount_.load(); }
    uint32_t ModalWindowId() const { return modalWindowId_; }
    void SetModalWindowId(uint32_t id) { modalWindowId_ = id; }
    bool ShuttingDown() const { return shutdown_; }
    void SetShuttingDown(bool on) { shutdown_ = on; }

    // Reports an unrecoverable runtime condition and ends the program with
    // status -1. Returns only when the application's hook handled it.
    void FatalError(const char* text, uint32_t code);
    // The runtime's tear-down in its fixed order (runtime_shutdown.cpp). A
    // thread other than the user-interface thread is turned away by
    // CleanupHooks::handOffToInterfaceThread.
    void ShutdownRuntime(int32_t exitCode);
    [[noreturn]] void Exit(int32_t exitCode);

    // What the end of the program needs to know and release, recorded at
    // start-up. Set before worker threads start; read by them afterwards.
    //
    // The thread that runs the event loop: only it tears the runtime down.
    // Until one is recorded, the clean-up runs on whichever thread asks.
    void RecordInterfaceThread() { interfaceThread_.store(std::this_thread::get_id()); }
    bool InterfaceThreadRecorded() const { return interfaceThread_.load() != std::thread::id(); }
    bool OnInterfaceThread() const { return interfaceThread_.load() == std::this_thread::get_id(); }
    // The runtime's own hidden top-level window, which receives the request
    // to end the program from other threads. The object is deleted at the
    // end (its destructor destroys the native window).
    void SetMainHiddenWindow(NativeHandle handle, WindowObject* object) {
        mainHiddenWindow_.store(handle);
        mainHiddenObject_ = object;
    }
    NativeHandle MainHiddenWindow() const { return mainHiddenWindow_.load(); }
    // Modules the runtime loaded for itself; closed at the end.
    void AddLoadedLibrary(platform::LibraryHandle module) { loadedLibraries_.push_back(module); }
    // Objects the runtime keeps until the end, then deletes.
    void AddRuntimeObject(RuntimeObject* object) { runtimeObjects_.push_back(object); }
    // The two platform facilities start-up may have initialised: facility 1
    // is shut down when its marker is 1, facility 2 when its marker is
    // non-zero; `shutdown` gets the marker.
    using FacilityShutdown = void (*)(intptr_t marker);
    void SetPlatformFacility(int32_t which, intptr_t marker, FacilityShutdown shutdown);
    intptr_t PlatformMarker(int32_t which) const;
    // An embedded control registered with the platform at start-up: undone
    // at the end through `libraryFile`'s unregistration entry.
    void AddEmbeddedControlRegistration(std::string name, std::string libraryFile);
    // Where such a library file is loaded from: a path as given; a bare name
    // from the second search directory when one is set, else from the
    // program directory.
    std::string EmbeddedControlLibraryPath(const std::string& libraryFile) const;

    // Set once the full clean-up has begun, and once it has finished.
    bool CleanupStarted() const { return cleanupStarted_.load(); }
    bool CleanupFinished() const { return cleanupFinished_.load(); }
    // Blocks until the full clean-up has finished and answers true; answers
    // false when it has not even begun within `startGrace`.
    bool WaitForCleanup(std::chrono::milliseconds startGrace);

private:
    // Types and libraries.
    intptr_t TypeQuery(LibraryTypeCode code, void* buffer);
    intptr_t TypeKindOf(LibraryTypeCode code) const;
    intptr_t CopyPath(intptr_t selector, char* out) const;
    intptr_t ValueToInt(const void* record);

    // Windows and units.
    intptr_t DestroyUnit(uint32_t windowId, uint32_t unitId);
    intptr_t FindUnitObject(uint32_t windowId, uint32_t unitId, bool fatalWhenMissing);
    intptr_t UnitType(uint32_t windowId, uint32_t unitId);
    intptr_t LoadWindow(const uintptr_t* request);
    intptr_t IsUnitWindow(NativeHandle handle);
    intptr_t WindowHandleAt(uint32_t index);
    intptr_t WrapWindow(NativeHandle handle);
    intptr_t AttachWindow(NativeHandle handle, WindowObject* object);
    intptr_t WatchWindow(const uintptr_t* entry);
    intptr_t UnwatchWindow(NativeHandle handle);
    intptr_t MarkMenuChanged(uint32_t windowId);
    intptr_t RebuildMenu(uint32_t windowId);
    intptr_t RefreshUnit(uint32_t windowId, uint32_t unitId);
    intptr_t GetMenuItem(MenuItemQuery* query);
    intptr_t GetApplicationIcons(NativeHandle* large, NativeHandle* small);
    bool NativeWindowExists(NativeHandle handle) const;

    // Events.
    void ProcessPendingMessages();
    // The handler for the event, or 0; raises the fatal errors of a missing
    // window, unit or event-less type.
    uintptr_t ResolveHandler(uint32_t windowId, uint32_t unitId, int32_t eventNumber);
    intptr_t CallEvent(EventCall* call);
    intptr_t CallWideEvent(WideEventCall* call);
    bool RunHandler(uintptr_t handler, uint32_t windowId, uint32_t unitId,
                    const uintptr_t* arguments, int32_t count, int64_t* result);
    intptr_t GetEventSource(void* unitRef);

    // Owned objects, pictures, sound.
    intptr_t OwnedTag(const void* object) const;
    intptr_t AddOwned(OwnedObject* object, uint8_t tag);
    intptr_t RemoveOwned(const void* object);
    void DestroyOwned();
    intptr_t PlaySoundData(const uintptr_t* request);
    void StopSound();
    intptr_t FreePicture(void* record);
    intptr_t ReleaseReference(InterfaceHolder* holder);

    // Memory.
    void* Allocate(intptr_t size, bool strict);
    void Free(void* block);
    void* Reallocate(void* block, intptr_t size);
    void FreeArray(uint32_t elementType, void* array);
    void OutOfMemory(intptr_t size);

    void RuntimeTearDown(int32_t exitCode);
    void ReleaseLoadedLibraries();
    void DestroyMainHiddenWindow();
    void DestroyRuntimeObjects();
    void ShutDownPlatformFacility(int32_t which);
    void UnregisterEmbeddedControls();
    void MarkCleanupFinished();

    int32_t runMode_ = 0;
    FatalErrorHook fatalErrorHook_ = nullptr;
    std::string programDirectory_;
    std::string programFileName_;
    std::string secondSearchDirectory_;
    WindowMap windows_{this};
    std::vector<const LibraryInfo*> libraries_;
    std::vector<intptr_t> libraryCleanupValues_;
    std::atomic<uintptr_t> staticStart_{0};
    std::atomic<uintptr_t> staticEnd_{0};
    std::atomic<int32_t> eventBlockCount_{0};
    bool shutdown_ = false;
    std::atomic<bool> cleanupStarted_{false};
    std::atomic<bool> cleanupFinished_{false};
    std::mutex cleanupMutex_;
    std::condition_variable cleanupDone_;
    std::atomic<std::thread::id> interfaceThread_{};
    std::atomic<NativeHandle> mainHiddenWindow_{0};
    WindowObject* mainHiddenObject_ = nullptr;
    std::vector<platform::LibraryHandle> loadedLibraries_;
    std::vector<RuntimeObject*> runtimeObjects_;
    intptr_t platformMarkers_[2] = {0, 0};
    FacilityShutdown platformShutdowns_[2] = {nullptr, nullptr};
    std::vector<std::string> embeddedControlNames_;
    std::vector<std::string> embeddedControlFiles_;
    uint32_t modalWindowId_ = 0;
    uint32_t eventSourceWindow_ = 0;
    uint32_t eventSourceUnit_ = 0;
    std::vector<NativeHandle> watchedWindows_;
    std::vector<uintptr_t> watchedValuesA_;
    std::vector<uintptr_t> watchedValuesB_;
    std::vector<OwnedObject*> ownedObjects_;
    std::vector<uint8_t> ownedTags_;
    std::vector<void*> pictures_;
    NativeHandle largeIcon_ = 0;
    NativeHandle smallIcon_ = 0;
    ExternalBinding binding_;
};

// The system's SystemNotify entry: forwards to ApplicationObject::Instance().
intptr_t SystemNotify(int32_t message, intptr_t param1, intptr_t param2);

// Start-up: records the program's location, installs the fatal-error path
// for runtime reports, and announces SystemNotify to every library.
void StartRuntimeSystem();

}  // namespace rt
