// RtAssist: the helper functions compiled code calls by number.
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/directory_listing.h"
#include "runtime/exit_routines.h"
#include "runtime/file_pattern.h"
#include "runtime/services.h"

namespace rt {
namespace {

struct FileSearch {
    std::vector<std::string> names;
    size_t next = 0;
};

// Searches are named by ids rather than addresses: the application keeps the
// word after ending a search, and a stale word must never reach freed memory.
std::mutex g_searchMutex;
std::map<uintptr_t, FileSearch> g_searches;
uintptr_t g_nextSearchId = 1;

void EndSearch(uintptr_t id) {
    std::lock_guard lock(g_searchMutex);
    g_searches.erase(id);
}

FileSearch StartSearch(const char* pattern) {
    std::string_view full(pattern);
    size_t slash = full.find_last_of('/');
    std::string dir =
        slash == std::string_view::npos ? std::string(".") : std::string(full.substr(0, slash + 1));
    std::string_view namePattern = slash == std::string_view::npos ? full : full.substr(slash + 1);
    FileSearch search;
    if (auto names = platform::ListFiles(dir)) {
        for (auto& name : *names) {
            if (MatchesFilePattern(name, namePattern))
                search.names.push_back(std::move(name));
        }
    }
    return search;
}

// Function 0: the next matching name as a fresh text, or the empty text.
uintptr_t FindFile(const char* pattern, uintptr_t* state) {
    if (!state)
        return 0;
    if (pattern) {
        FileSearch search = StartSearch(pattern);
        std::lock_guard lock(g_searchMutex);
        g_searches.erase(*state);
        *state = g_nextSearchId++;
        g_searches.emplace(*state, std::move(search));
    }
    std::string name;
    {
        std::lock_guard lock(g_searchMutex);
        auto it = g_searches.find(*state);
        if (it == g_searches.end() || it->second.next >= it->second.names.size())
            return 0;
        name = it->second.names[it->second.next++];
    }
    return reinterpret_cast<uintptr_t>(NewText(name.data(), name.size()));
}

// Function 2: after it the variable holds a private block that may be
// written in place and resized.
void PrepareArray(uint32_t elementSize, ArrayBlock** variable) {
    if (!variable)
        return;
    ArrayBlock* array = *variable;
    if (array && !IsSharedConstant(array))
        return;
    if (!array)
        array = EmptyArray();
    size_t bytes = array->headerSize() + array->elementCount() * elementSize;
    auto* copy = static_cast<ArrayBlock*>(RtAlloc(bytes < 8 ? 8 : bytes));
    std::memcpy(copy, array, bytes);
    *variable = copy;
}

std::mutex g_exitMutex;
std::vector<ExitRoutine> g_exitRoutines;

}  // namespace

void RunExitRoutines() {
    for (;;) {
        ExitRoutine routine;
        {
            std::lock_guard lock(g_exitMutex);
            if (g_exitRoutines.empty())
                return;
            routine = g_exitRoutines.front();
            g_exitRoutines.erase(g_exitRoutines.begin());
        }
        routine();
    }
}

void DiscardExitRoutines() {
    std::lock_guard lock(g_exitMutex);
    g_exitRoutines.clear();
}

size_t ExitRoutineCount() {
    std::lock_guard lock(g_exitMutex);
    return g_exitRoutines.size();
}

uintptr_t RtAssist(uint32_t function, uintptr_t a1, uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    switch (function) {
        case HELP_FIND_FILE:
            // a2 and a3 are the words 0 and 1 the application always passes.
            (void)a2;
            (void)a3;
            return FindFile(reinterpret_cast<const char*>(a1), reinterpret_cast<uintptr_t*>(a4));
        case HELP_END_FIND:
            EndSearch(a1);
            return 0;
        case HELP_PREPARE_ARRAY:
            PrepareArray(static_cast<uint32_t>(a1), reinterpret_cast<ArrayBlock**>(a2));
            return 0;
        case HELP_AT_EXIT:
            if (a1) {
                std::lock_guard lock(g_exitMutex);
                g_exitRoutines.push_back(reinterpret_cast<ExitRoutine>(a1));
            }
            return 0;
        case HELP_INIT:
            return 0;
        default:
            return 0;
    }
}

}  // namespace rt
