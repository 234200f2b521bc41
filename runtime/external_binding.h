// Binding of the external routines an application declares: four tables
// indexed by routine number (library name, routine name, loaded module,
// resolved address), the library search order, and a one-shot mode that
// resolves the next request in a given module without caching it.
//
// Worker threads call external routines too, so binding is serialised; a
// failure is reported after the lock is let go, because the report ends
// the program through a clean-up that releases these very tables.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/loader/dynamic_library.h"
#include "runtime/external_declarations.h"

namespace rt {

// The platform's own shared libraries, tried in this order for routines
// declared without a library name. They are built into the program
// directory; a missing one is skipped.
inline constexpr const char* kSystemLibraryNames[6] = {
    "libpicbatch-kernel.so",  "libpicbatch-user.so",  "libpicbatch-gdi.so",
    "libpicbatch-imaging.so", "libpicbatch-shell.so", "libpicbatch-multimedia.so",
};

// The platform operations the binder needs; replaceable so tests can watch
// exactly which loads and look-ups happen.
struct LibraryLoader {
    platform::LibraryHandle (*open)(std::string_view name);
    void (*close)(platform::LibraryHandle library);
    platform::RoutineLookup (*find)(platform::LibraryHandle library, std::string_view name);
    platform::RoutineLookup (*findOrdinal)(platform::LibraryHandle library, uint16_t ordinal);
};
const LibraryLoader& PlatformLibraryLoader();

// "#12" and "#65548" both name ordinal 12. Answers false for other names.
bool ParseOrdinalName(std::string_view routine, uint16_t* ordinal);

class ExternalBinding {
public:
    // Called with the report text when a routine cannot be bound. Answers
    // only when the application's fatal-error hook handled the failure.
    using FailureReporter = void (*)(const std::string& report);

    explicit ExternalBinding(const LibraryLoader& loader = PlatformLibraryLoader());
    ~ExternalBinding();
    ExternalBinding(const ExternalBinding&) = delete;
    ExternalBinding& operator=(const ExternalBinding&) = delete;

    // Fills the name tables from the declaration table (kept by reference
    // for the argument counts) and sizes the module and address tables.
    // Anything bound before is released first.
    void Declare(const ExternalDeclaration* table, uint32_t count);
    const ExternalDeclaration* Declaration(uint32_t number) const;
    uint32_t Count() const {
        std::lock_guard lock(mutex_);
        return uint32_t(routineNames_.size());
    }

    // The address of routine `number`, bound on first use; 0 after a
    // reported failure.
    uintptr_t BindExternal(uint32_t number);

    // The next BindExternal resolves in `module` only (under `routine` when that is
    // not empty) and is not cached.
    void SetOneShot(platform::LibraryHandle module, std::string routine);
    bool OneShotActive() const {
        std::lock_guard lock(mutex_);
        return oneShotModule_ != nullptr;
    }
    void ClearOneShot();

    // The directories are plain prefixes: the search texts carry their own
    // trailing separator; the program directory gets kPathSeparator.
    void SetProgramDirectory(std::string directory) {
        std::lock_guard lock(mutex_);
        programDirectory_ = std::move(directory);
    }
    void SetSearchDirectories(std::string first, std::string second);
    void SetSystemLibraries(std::vector<std::string> names) {
        std::lock_guard lock(mutex_);
        systemLibraries_ = std::move(names);
    }
    void SetFailureReporter(FailureReporter reporter) { reporter_ = reporter; }

    // Releases every loaded module and empties the four tables and the
    // one-shot state (the end of the program).
    void ReleaseAll();

    platform::LibraryHandle ModuleAt(uint32_t number) const {
        std::lock_guard lock(mutex_);
        return number < modules_.size() ? modules_[number] : nullptr;
    }
    uintptr_t CachedAddress(uint32_t number) const {
        std::lock_guard lock(mutex_);
        return number < cache_.size() ? cache_[number] : 0;
    }

private:
    // BindExternal's body, under the lock; on failure answers 0 and the report.
    uintptr_t BindLocked(uint32_t number, std::string* failure);
    platform::RoutineLookup Lookup(platform::LibraryHandle module, std::string_view routine) const;
    platform::LibraryHandle OpenDeclaredLibrary(const std::string& name) const;
    uintptr_t BindOneShot(uint32_t number, std::string* failure);
    void ClearOneShotLocked();
    void Report(const std::string& text) const;

    mutable std::mutex mutex_;
    const LibraryLoader& loader_;
    const ExternalDeclaration* declarations_ = nullptr;
    std::vector<std::string> libraryNames_;
    std::vector<std::string> routineNames_;
    std::vector<platform::LibraryHandle> modules_;
    std::vector<uintptr_t> cache_;
    platform::LibraryHandle oneShotModule_ = nullptr;
    std::string oneShotRoutine_;
    std::string programDirectory_;
    std::string firstSearchDirectory_;
    std::string secondSearchDirectory_;
    std::vector<std::string> systemLibraries_;
    FailureReporter reporter_ = nullptr;
};

}  // namespace rt
