// The application's table of declared external routines. Every platform
// call of the application goes through RtCallExternal with one of these
// numbers; the table says which library and routine each number binds to.
#pragma once

#include <cstdint>

#include "runtime/external_declarations.h"

namespace app {

inline constexpr const char* kKernelLibrary = "libpicbatch-kernel.so";
inline constexpr const char* kImagingLibrary = "libpicbatch-imaging.so";

enum ExternalRoutine : uint32_t {
    EXT_CURRENT_PROCESS = 0,
    EXT_TRIM_WORKING_SET = 1,
    EXT_IMAGING_STARTUP = 2,
    // Picture object.
    EXT_DISPOSE_IMAGE = 3,
    EXT_FREE_MEMORY = 4,
    EXT_ALLOC_MEMORY = 5,
    EXT_STREAM_ON_MEMORY = 6,
    EXT_LOCK_MEMORY = 7,
    EXT_COPY_IN = 8,
    EXT_UNLOCK_MEMORY = 9,
    EXT_HOLDER_ADDRESS = 10,
    EXT_COPY_POINTER = 11,
    EXT_LOAD_FROM_STREAM = 12,
    EXT_LOAD_FROM_FILE = 13,
    EXT_TEXT_TO_WIDE = 14,
    EXT_VARIABLE_ADDRESS = 15,
    EXT_PARSE_PARAMETER_ID = 16,
    EXT_SAVE_TO_STREAM = 17,
    EXT_MEMORY_SIZE = 18,
    EXT_COPY_OUT = 19,
    EXT_SAVE_TO_FILE = 20,
    EXT_IMAGE_WIDTH = 21,
    EXT_IMAGE_HEIGHT = 22,
    EXT_CREATE_BITMAP = 23,
    EXT_OPEN_GRAPHICS = 24,
    EXT_FILL_RECTANGLE = 25,
    EXT_DRAW_IMAGE = 26,
    EXT_CLOSE_GRAPHICS = 27,
    EXT_DELETE_BRUSH = 28,
    EXT_CREATE_BRUSH = 29,
    EXT_PARSE_ENCODER_ID = 30,
    // Worker pool.
    EXT_VISIT_WORKER_A = 31,
    EXT_VISIT_WORKER_B = 32,
    EXT_CREATE_QUEUE = 33,
    EXT_CREATE_WORKER = 34,
    EXT_TAKE_FROM_QUEUE = 35,
    EXT_CREATE_TASK_THREAD = 36,
    EXT_WAIT_WITH_INPUT = 37,
    EXT_THREAD_EXIT_CODE = 38,
    EXT_END_THREAD = 39,
    EXT_POST_TO_QUEUE = 40,
    EXT_CLOSE_HANDLE = 41,
    EXT_CREATE_TIMER = 42,
    EXT_ARM_TIMER = 43,
    // Why the calling thread's last load or save failed.
    EXT_LAST_FAILURE_TEXT = 44,
};

inline constexpr uint32_t kExternalRoutineCount = 45;

const rt::ExternalDeclaration* ExternalRoutineTable();

// Installs the table with the runtime; start-up does this before any
// platform call.
void InstallExternalRoutines();

// Calls routine `number` with the given words (each argument is widened to
// a word; pointers whole).
template <typename... Words>
uintptr_t CallExternal(ExternalRoutine number, Words... words);

}  // namespace app

#include <type_traits>

#include "runtime/services.h"

namespace app {

// Pointers pass whole; integers are widened (signed ones with their sign,
// which the platform routines read back as the same 32-bit value).
template <typename T>
uintptr_t ToWord(T value) {
    if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
        return reinterpret_cast<uintptr_t>(value);
    } else {
        return static_cast<uintptr_t>(value);
    }
}

template <typename... Words>
uintptr_t CallExternal(ExternalRoutine number, Words... words) {
    const uintptr_t args[sizeof...(Words) + 1] = {ToWord(words)..., 0};
    return rt::RtCallExternal(number, sizeof...(Words), args);
}

}  // namespace app
