// RtAlloc, RtRealloc and RtFree. The C heap is thread-safe, which the
// conversion workers rely on; exhaustion ends the program with a report
// instead of handing compiled code a null block it never checks.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/services.h"
#include "runtime/termination.h"

namespace rt {
namespace {

[[noreturn]] void OutOfMemory(size_t size) {
    char message[128];
    std::snprintf(message, sizeof message, "out of memory (a block of %zu bytes was requested)",
                  size);
    ReportAndTerminate("picbatch runtime error", 7, message, 3);
}

}  // namespace

void* RtAlloc(size_t size) {
    // A zero-byte request still gets a distinct block, as compiled code
    // stores and later frees whatever it is handed.
    void* block = std::malloc(size ? size : 1);
    if (!block)
        OutOfMemory(size);
    return block;
}

void RtFree(void* block) {
    std::free(block);
}

void* RtRealloc(void* block, size_t size) {
    void* resized = std::realloc(block, size ? size : 1);
    if (!resized)
        OutOfMemory(size);
    return resized;
}

char* NewText(const char* source, size_t length) {
    auto* text = static_cast<char*>(RtAlloc(length + 1));
    if (length)
        std::memcpy(text, source, length);
    text[length] = 0;
    return text;
}

char* NewText(const char* source) {
    return NewText(source, TextLength(source));
}

}  // namespace rt
