// The end of the program, in a fixed order: the windows first (their
// handlers may still reach the application's globals), then the
// application's exit routines, then the libraries, then everything the
// runtime itself still holds. Only the user-interface thread walks this
// road; another thread that asks for the end is turned away by
// CleanupHooks::handOffToInterfaceThread, which passes the request on.
#include "platform/loader/executable_path.h"
#include "runtime/application_object.h"
#include "runtime/exit_routines.h"
#include "runtime/system_hooks.h"

namespace rt {
namespace {

// The entry an embedded control's library exports to undo the
// registration start-up made; it gets the registration name and answers 0
// on success. The runtime does not act on a failure: the program is ending.
constexpr const char* kUnregisterEntryName = "PicbatchUnregisterControl";
using UnregisterEntry = int32_t (*)(const char* registrationName);

}  // namespace

void ApplicationObject::ShutdownRuntime(int32_t exitCode) {
    ++eventBlockCount_;
    if (auto handOff = Cleanup().handOffToInterfaceThread) {
        if (handOff(exitCode))
            return;
    }
    // A second request while the clean-up runs (an exit routine asking for
    // the end) leaves it to the first.
    if (cleanupStarted_.exchange(true))
        return;
    RuntimeTearDown(exitCode);
    MarkCleanupFinished();
}

void ApplicationObject::RuntimeTearDown(int32_t) {
    watchedWindows_.clear();
    watchedValuesA_.clear();
    watchedValuesB_.clear();

    shutdown_ = true;
    windows_.Clear();
    modalWindowId_ = 0;

    RunExitRoutines();

    for (size_t i = 0; i < libraries_.size(); ++i) {
        const LibraryInfo* library = libraries_[i];
        if (library && library->notify)
            library->notify(LN_CLEANUP, libraryCleanupValues_[i], 0);
    }
    libraries_.clear();
    libraryCleanupValues_.clear();

    // Releases the binding's modules and tables and its one-shot state.
    binding_.ReleaseAll();
    ReleaseLoadedLibraries();
    SetStaticDataRange(nullptr, nullptr);

    if (auto destroyIcon = NativeWindows().destroyIcon) {
        if (largeIcon_)
            destroyIcon(largeIcon_);
        if (smallIcon_)
            destroyIcon(smallIcon_);
    }
    largeIcon_ = smallIcon_ = 0;

    DestroyMainHiddenWindow();
    DestroyOwned();
    DestroyRuntimeObjects();
    StopSound();

    std::vector<void*> pictures;
    pictures.swap(pictures_);
    if (auto release = Pictures().releasePicture) {
        for (void* record : pictures)
            release(record);
    }

    if (auto release = Cleanup().releasePlatformResources)
        release();
    ShutDownPlatformFacility(1);
    UnregisterEmbeddedControls();
    ShutDownPlatformFacility(2);
}

void ApplicationObject::ReleaseLoadedLibraries() {
    std::vector<platform::LibraryHandle> modules;
    modules.swap(loadedLibraries_);
    for (platform::LibraryHandle module : modules) {
        if (module)
            platform::CloseLibrary(module);
    }
}

void ApplicationObject::DestroyMainHiddenWindow() {
    WindowObject* object = mainHiddenObject_;
    mainHiddenObject_ = nullptr;
    mainHiddenWindow_.store(0);
    delete object;
}

void ApplicationObject::DestroyRuntimeObjects() {
    std::vector<RuntimeObject*> objects;
    objects.swap(runtimeObjects_);
    for (RuntimeObject* object : objects)
        delete object;
}

void ApplicationObject::SetPlatformFacility(int32_t which, intptr_t marker,
                                            FacilityShutdown shutdown) {
    if (which != 1 && which != 2)
        return;
    platformMarkers_[which - 1] = marker;
    platformShutdowns_[which - 1] = shutdown;
}

intptr_t ApplicationObject::PlatformMarker(int32_t which) const {
    return which == 1 || which == 2 ? platformMarkers_[which - 1] : 0;
}

void ApplicationObject::ShutDownPlatformFacility(int32_t which) {
    intptr_t& marker = platformMarkers_[which - 1];
    // Facility 1 records plainly that it is up (1); facility 2 keeps the
    // token its start-up handed out, which its shut-down needs back.
    bool active = which == 1 ? marker == 1 : marker != 0;
    if (!active)
        return;
    intptr_t value = marker;
    marker = 0;
    if (FacilityShutdown shutdown = platformShutdowns_[which - 1])
        shutdown(value);
}

void ApplicationObject::AddEmbeddedControlRegistration(std::string name, std::string libraryFile) {
    embeddedControlNames_.push_back(std::move(name));
    embeddedControlFiles_.push_back(std::move(libraryFile));
}

std::string ApplicationObject::EmbeddedControlLibraryPath(const std::string& libraryFile) const {
    if (!libraryFile.empty() && libraryFile.front() == '/')
        return libraryFile;
    // The second search directory carries its own trailing separator.
    if (!secondSearchDirectory_.empty())
        return secondSearchDirectory_ + libraryFile;
    return programDirectory_ + platform::kPathSeparator + libraryFile;
}

void ApplicationObject::UnregisterEmbeddedControls() {
    std::vector<std::string> names;
    std::vector<std::string> files;
    names.swap(embeddedControlNames_);
    files.swap(embeddedControlFiles_);
    // Under the debugger the registrations stay, so the next run can be
    // debugged without registering again.
    if (runMode_ == 2)
        return;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty() || files[i].empty())
            continue;
        platform::LibraryHandle module =
            platform::OpenLibrary(EmbeddedControlLibraryPath(files[i]));
        if (!module)
            continue;
        platform::RoutineLookup entry = platform::FindRoutine(module, kUnregisterEntryName);
        if (entry.address)
            reinterpret_cast<UnregisterEntry>(entry.address)(names[i].c_str());
        platform::CloseLibrary(module);
    }
}

void ApplicationObject::MarkCleanupFinished() {
    {
        std::lock_guard lock(cleanupMutex_);
        cleanupFinished_.store(true);
    }
    cleanupDone_.notify_all();
}

bool ApplicationObject::WaitForCleanup(std::chrono::milliseconds startGrace) {
    std::unique_lock lock(cleanupMutex_);
    if (!cleanupDone_.wait_for(lock, startGrace, [this] {
            return cleanupStarted_.load() || cleanupFinished_.load();
        })) {
        return false;
    }
    cleanupDone_.wait(lock, [this] { return cleanupFinished_.load(); });
    return true;
}

}  // namespace rt
