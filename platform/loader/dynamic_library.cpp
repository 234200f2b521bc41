#include "platform/loader/dynamic_library.h"

#include <dlfcn.h>

#include <cstring>

#include "platform/base/text_codec.h"
#include "platform/loader/ordinal_table.h"

namespace platform {

LibraryHandle OpenLibrary(std::string_view runtimeName) {
    if (runtimeName.empty())
        return nullptr;
    std::string name = RuntimeToUtf8(runtimeName);
    // RTLD_NOW: a library with unresolved symbols fails here, where the
    // binder can report it, instead of at some later call.
    return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void CloseLibrary(LibraryHandle library) {
    if (library)
        dlclose(library);
}

RoutineLookup FindRoutine(LibraryHandle library, std::string_view runtimeName) {
    if (!library || runtimeName.empty())
        return {};
    std::string name = RuntimeToUtf8(runtimeName);
    void* address = dlsym(library, name.c_str());
    if (!address)
        return {};
    return {address, LookupFailure::None};
}

RoutineLookup FindRoutineByOrdinal(LibraryHandle library, uint16_t ordinal) {
    if (!library)
        return {};
    auto* table = static_cast<const PlatformOrdinalEntry*>(dlsym(library, kOrdinalTableSymbol));
    auto* count = static_cast<const uint32_t*>(dlsym(library, kOrdinalCountSymbol));
    if (!table || !count)
        return {nullptr, LookupFailure::NoOrdinalTable};
    for (uint32_t i = 0; i < *count; ++i) {
        if ((table[i].ordinal & 0xffff) != ordinal || !table[i].routine)
            continue;
        void* address = dlsym(library, table[i].routine);
        if (!address)
            return {nullptr, LookupFailure::NotFound};
        return {address, LookupFailure::None};
    }
    return {nullptr, LookupFailure::OrdinalNotListed};
}

const char* DescribeLookupFailure(LookupFailure failure) {
    switch (failure) {
        case LookupFailure::None:
            return "found";
        case LookupFailure::NotFound:
            return "the library does not export it";
        case LookupFailure::NoOrdinalTable:
            return "the library exports no ordinal table, so it cannot be bound by number";
        case LookupFailure::OrdinalNotListed:
            return "the library's ordinal table does not list it";
    }
    return "unknown failure";
}

}  // namespace platform
