// The memory messages. They may arrive from any thread: the C heap
// serialises itself and the static-data range is read atomically.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/application_object.h"
#include "runtime/values.h"

namespace rt {

void ApplicationObject::OutOfMemory(intptr_t size) {
    char text[128];
    std::snprintf(text, sizeof text, "Out of memory: a block of %lld bytes could not be allocated.",
                  static_cast<long long>(size));
    FatalError(text, 0);
}

void* ApplicationObject::Allocate(intptr_t size, bool strict) {
    // The same heap as RtAlloc, so the application may RtFree what a
    // library hands back.
    void* block = size >= 0 ? std::malloc(size ? size_t(size) : 1) : nullptr;
    if (!block && strict)
        OutOfMemory(size);
    return block;
}

void ApplicationObject::Free(void* block) {
    // The shared empty constants are read-only data too, wherever the
    // application's range says its data lie.
    if (!block || InStaticData(block) || IsSharedConstant(block))
        return;
    std::free(block);
}

void* ApplicationObject::Reallocate(void* block, intptr_t size) {
    if (!block)
        return Allocate(size, true);
    if (size < 0) {
        OutOfMemory(size);
        return nullptr;
    }
    if (InStaticData(block) || IsSharedConstant(block)) {
        // Read-only data are copied, never resized in place: only the bytes
        // up to the end of the range (or of the constant) may be read.
        size_t available = block == EmptyText() ? 1
                           : IsSharedConstant(block)
                               ? 2 * sizeof(uint32_t)
                               : staticEnd_.load() - reinterpret_cast<uintptr_t>(block);
        void* fresh = Allocate(size, true);
        if (!fresh)
            return nullptr;
        std::memcpy(fresh, block, size_t(size) < available ? size_t(size) : available);
        return fresh;
    }
    void* resized = std::realloc(block, size ? size_t(size) : 1);
    if (!resized)
        OutOfMemory(size);
    return resized;
}

void ApplicationObject::FreeArray(uint32_t elementType, void* block) {
    if (!block || IsSharedConstant(block))
        return;
    uint32_t element = elementType & ~ARRAY_FLAG;
    if (element == TYPE_TEXT || element == TYPE_BYTES) {
        auto* array = static_cast<ArrayBlock*>(block);
        uint64_t count = array->elementCount();
        for (uint64_t i = 0; i < count; ++i) {
            void* item;
            std::memcpy(&item, array->elements() + i * sizeof(void*), sizeof(void*));
            Free(item);
        }
    }
    Free(block);
}

}  // namespace rt
