// The runtime's part of the end of the program, in the fixed order: windows,
// the application's exit routines, the libraries, then what the runtime
// still holds. Platform resources the core does not own (the user-interface
// thread hand-off, the hidden main window, platform facilities) come
// through CleanupHooks.
#include "runtime/application_object.h"
#include "runtime/exit_routines.h"
#include "runtime/system_hooks.h"

namespace rt {

void ApplicationObject::ShutdownRuntime(int32_t exitCode) {
    ++eventBlockCount_;
    if (auto handOff = Cleanup().handOffToInterfaceThread) {
        if (handOff(exitCode))
            return;
    }
    if (cleanupStarted_)
        return;
    cleanupStarted_ = true;
    RuntimeTearDown(exitCode);
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
        if (library && library->notify) {
            library->notify(LN_CLEANUP, libraryCleanupValues_[i], 0);
        }
    }
    libraries_.clear();
    libraryCleanupValues_.clear();

    binding_.ReleaseAll();
    SetStaticDataRange(nullptr, nullptr);

    if (auto destroyIcon = NativeWindows().destroyIcon) {
        if (largeIcon_)
            destroyIcon(largeIcon_);
        if (smallIcon_)
            destroyIcon(smallIcon_);
    }
    largeIcon_ = smallIcon_ = 0;

    if (auto release = Cleanup().releasePlatformResources)
        release();

    DestroyOwned();
    StopSound();

    std::vector<void*> pictures;
    pictures.swap(pictures_);
    if (auto release = Pictures().releasePicture) {
        for (void* record : pictures)
            release(record);
    }
}

}  // namespace rt
