#include "runtime/external_binding.h"

#include <cstdio>

#include "platform/loader/executable_path.h"

namespace rt {
namespace {

platform::LibraryHandle OpenThroughPlatform(std::string_view name) {
    return platform::OpenLibrary(name);
}

// A name the platform can load without any search: on Linux a path, and a
// drive-qualified name is taken as a path too.
bool IsExplicitPath(const std::string& name) {
    return name.find(':') != std::string::npos || name.find('/') != std::string::npos;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

const LibraryLoader& PlatformLibraryLoader() {
    static const LibraryLoader loader = {&OpenThroughPlatform, &platform::CloseLibrary,
                                         &platform::FindRoutine, &platform::FindRoutineByOrdinal};
    return loader;
}

bool ParseOrdinalName(std::string_view routine, uint16_t* ordinal) {
    if (routine.size() < 2 || routine[0] != '#')
        return false;
    uint32_t value = 0;
    for (char c : routine.substr(1)) {
        if (c < '0' || c > '9')
            return false;
        // Only the low 16 bits count, so the number may wrap freely.
        value = (value * 10 + uint32_t(c - '0')) & 0xffff;
    }
    *ordinal = uint16_t(value);
    return true;
}

ExternalBinding::ExternalBinding(const LibraryLoader& loader)
    : loader_(loader),
      systemLibraries_(std::begin(kSystemLibraryNames), std::end(kSystemLibraryNames)) {}

ExternalBinding::~ExternalBinding() {
    ReleaseAll();
}

void ExternalBinding::Declare(const ExternalDeclaration* table, uint32_t count) {
    ReleaseAll();
    std::lock_guard lock(mutex_);
    declarations_ = table;
    if (!table)
        count = 0;
    libraryNames_.assign(count, {});
    routineNames_.assign(count, {});
    for (uint32_t i = 0; i < count; ++i) {
        if (table[i].library)
            libraryNames_[i] = table[i].library;
        if (table[i].routine)
            routineNames_[i] = table[i].routine;
    }
    modules_.assign(count, nullptr);
    cache_.assign(count, 0);
}

const ExternalDeclaration* ExternalBinding::Declaration(uint32_t number) const {
    std::lock_guard lock(mutex_);
    if (!declarations_ || number >= routineNames_.size())
        return nullptr;
    return &declarations_[number];
}

void ExternalBinding::SetOneShot(platform::LibraryHandle module, std::string routine) {
    std::lock_guard lock(mutex_);
    oneShotModule_ = module;
    oneShotRoutine_ = std::move(routine);
}

void ExternalBinding::ClearOneShot() {
    std::lock_guard lock(mutex_);
    ClearOneShotLocked();
}

void ExternalBinding::ClearOneShotLocked() {
    oneShotModule_ = nullptr;
    oneShotRoutine_.clear();
}

void ExternalBinding::SetSearchDirectories(std::string first, std::string second) {
    std::lock_guard lock(mutex_);
    firstSearchDirectory_ = std::move(first);
    secondSearchDirectory_ = std::move(second);
}

platform::RoutineLookup ExternalBinding::Lookup(platform::LibraryHandle module,
                                                std::string_view routine) const {
    uint16_t ordinal;
    if (ParseOrdinalName(routine, &ordinal))
        return loader_.findOrdinal(module, ordinal);
    return loader_.find(module, routine);
}

void ExternalBinding::Report(const std::string& text) const {
    if (reporter_) {
        reporter_(text);
        return;
    }
    // Without a reporter nothing can end the program for us; the caller
    // still gets 0 and must not call through it.
    std::fprintf(stderr, "picbatch: %s\n", text.c_str());
}

uintptr_t ExternalBinding::BindOneShot(uint32_t number, std::string* failure) {
    std::string routine = !oneShotRoutine_.empty()        ? oneShotRoutine_
                          : number < routineNames_.size() ? routineNames_[number]
                                                          : std::string();
    platform::RoutineLookup found = Lookup(oneShotModule_, routine);
    // The one-shot state is spent whatever the outcome, so a failed look-up
    // cannot leak into the next, unrelated binding request.
    ClearOneShotLocked();
    if (!found.address) {
        *failure = "The routine " + Quoted(routine) +
                   " could not be found in the library given for it: " +
                   platform::DescribeLookupFailure(found.failure) + ".";
    }
    return reinterpret_cast<uintptr_t>(found.address);
}

platform::LibraryHandle ExternalBinding::OpenDeclaredLibrary(const std::string& name) const {
    if (IsExplicitPath(name))
        return loader_.open(name);
    if (!firstSearchDirectory_.empty()) {
        if (auto module = loader_.open(firstSearchDirectory_ + name))
            return module;
    }
    if (!programDirectory_.empty()) {
        if (auto module = loader_.open(programDirectory_ + platform::kPathSeparator + name)) {
            return module;
        }
    }
    if (!secondSearchDirectory_.empty()) {
        if (auto module = loader_.open(secondSearchDirectory_ + name))
            return module;
    }
    return loader_.open(name);
}

uintptr_t ExternalBinding::BindExternal(uint32_t number) {
    std::string failure;
    uintptr_t address;
    {
        std::lock_guard lock(mutex_);
        address = BindLocked(number, &failure);
    }
    if (!address)
        Report(failure);
    return address;
}

uintptr_t ExternalBinding::BindLocked(uint32_t number, std::string* failure) {
    if (oneShotModule_)
        return BindOneShot(number, failure);
    if (number < cache_.size() && cache_[number])
        return cache_[number];

    std::string routine = number < routineNames_.size() ? routineNames_[number] : std::string();
    std::string library = number < libraryNames_.size() ? libraryNames_[number] : std::string();
    platform::LibraryHandle module = nullptr;
    platform::RoutineLookup found;

    if (library.empty()) {
        for (const std::string& candidate : systemLibraries_) {
            platform::LibraryHandle loaded = loader_.open(candidate);
            if (!loaded)
                continue;
            platform::RoutineLookup lookup = Lookup(loaded, routine);
            if (lookup.address) {
                module = loaded;
                found = lookup;
                break;
            }
            loader_.close(loaded);
        }
        if (!found.address) {
            *failure = "The routine " + Quoted(routine) +
                       " could not be found in any of the system libraries.";
            return 0;
        }
    } else {
        module = OpenDeclaredLibrary(library);
        if (!module) {
            *failure = "The routine " + Quoted(routine) + " could not be bound: the library " +
                       Quoted(library) + " could not be loaded.";
            return 0;
        }
        found = Lookup(module, routine);
        if (!found.address) {
            loader_.close(module);
            *failure = "The routine " + Quoted(routine) + " could not be bound from the library " +
                       Quoted(library) + ": " + platform::DescribeLookupFailure(found.failure) +
                       ".";
            return 0;
        }
    }

    auto address = reinterpret_cast<uintptr_t>(found.address);
    if (number < cache_.size())
        cache_[number] = address;
    // Outside the table the handle cannot be recorded for release at exit;
    // the library then stays loaded, which beats handing out an address
    // into an unloaded library.
    if (number < modules_.size())
        modules_[number] = module;
    return address;
}

void ExternalBinding::ReleaseAll() {
    std::lock_guard lock(mutex_);
    for (platform::LibraryHandle& module : modules_) {
        if (module)
            loader_.close(module);
        module = nullptr;
    }
    libraryNames_.clear();
    routineNames_.clear();
    modules_.clear();
    cache_.clear();
    declarations_ = nullptr;
    ClearOneShotLocked();
}

}  // namespace rt
