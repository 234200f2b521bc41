// The twelve runtime services: the only way application code reaches the
// runtime. They are reached through one table of entries (RuntimeServices),
// and also declared as plain functions for the runtime's own callers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/arg_record.h"

namespace rt {

enum RuntimeError : uint32_t {
    ERR_INDEX_ABOVE = 1,
    ERR_INDEX_BELOW = 4,
    ERR_STACK_MISMATCH = 6,
    ERR_NEGATIVE_SIZE = 10,
};

// RtAssist function numbers.
enum AssistFunction : uint32_t {
    HELP_FIND_FILE = 0,
    HELP_END_FIND = 1,
    HELP_PREPARE_ARRAY = 2,
    HELP_AT_EXIT = 3,
    HELP_INIT = 6,
};

// The three words of a command's result slot.
struct CommandResult {
    uint32_t low;
    uint32_t high;
    TypeCode type;
};

using ExitRoutine = void (*)();

// RtAssist takes its function number and up to four argument words; each
// function reads the words it needs (pointers fill a whole word).
uintptr_t RtAssist(uint32_t function, uintptr_t a1, uintptr_t a2, uintptr_t a3, uintptr_t a4);
void RtShowStartWindow(uint32_t windowId);
void RtRunEventLoop();
void* RtAlloc(size_t size);
void RtFree(void* block);
void* RtRealloc(void* block, size_t size);
[[noreturn]] void RtRaiseError(uint32_t error);
// Calls declared external routine `number` with `argCount` argument words.
// The count must match the declaration, or runtime error 6 is raised.
uintptr_t RtCallExternal(uint32_t number, uint32_t argCount, const uintptr_t* args);
CommandResult RtCallCoreCommand(CommandEntry entry, int32_t argCount, const ArgRecord* args);
CommandResult RtCallLibraryCommand(uint32_t library, CommandEntry entry, int32_t argCount,
                                   const ArgRecord* args);
// Answers the property's 8 value bytes (a text comes back as a fresh block
// the caller releases).
uint64_t RtGetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index);
void RtSetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index,
                   uint32_t valueLow, uint32_t valueHigh);

struct RuntimeServices {
    decltype(&RtAssist) assist;
    decltype(&RtShowStartWindow) showStartWindow;
    decltype(&RtRunEventLoop) runEventLoop;
    decltype(&RtAlloc) alloc;
    decltype(&RtFree) free;
    decltype(&RtRealloc) realloc;
    decltype(&RtRaiseError) raiseError;
    decltype(&RtCallExternal) callExternal;
    decltype(&RtCallCoreCommand) callCoreCommand;
    decltype(&RtCallLibraryCommand) callLibraryCommand;
    decltype(&RtGetProperty) getProperty;
    decltype(&RtSetProperty) setProperty;
};

// The table compiled application code calls through.
const RuntimeServices& Services();

// A fresh heap text holding a copy of `length` bytes of `source` (null for
// an empty text). The caller owns it and releases it with RtFree.
char* NewText(const char* source, size_t length);
char* NewText(const char* source);

}  // namespace rt
