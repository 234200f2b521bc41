// Loading shared libraries and finding routines in them. Names arrive as
// runtime texts and are converted here, at the platform boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

using LibraryHandle = void*;

// A name without '/' goes through the platform's default library search; a
// path is loaded as given. Answers null when the library cannot be loaded.
LibraryHandle OpenLibrary(std::string_view runtimeName);
void CloseLibrary(LibraryHandle library);

enum class LookupFailure {
    None,
    // No exported routine of that name.
    NotFound,
    // An ordinal was asked of a library that exports no ordinal table.
    NoOrdinalTable,
    // The ordinal table does not list the ordinal.
    OrdinalNotListed,
};

struct RoutineLookup {
    void* address = nullptr;
    LookupFailure failure = LookupFailure::NotFound;
};

RoutineLookup FindRoutine(LibraryHandle library, std::string_view runtimeName);
// Resolves an ordinal through the library's exported ordinal table
// (platform/loader/ordinal_table.h).
RoutineLookup FindRoutineByOrdinal(LibraryHandle library, uint16_t ordinal);

// A short phrase for a failed look-up, for reports.
const char* DescribeLookupFailure(LookupFailure failure);

}  // namespace platform
