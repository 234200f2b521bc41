// A stream over a movable memory block: reads and writes at a position,
// growing the block when a write passes its end.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "platform/kernel/kernel.h"

namespace platform::kernel {
namespace {

struct MemoryStream {
    PlatformStream base;
    std::atomic<uint32_t> references{1};
    MemoryHandle block;
    bool deleteOnRelease;
    uint64_t position = 0;
};

MemoryStream* Self(PlatformStream* stream) {
    return reinterpret_cast<MemoryStream*>(stream);
}

int32_t QueryInterface(PlatformStream*, const void*, void** out) {
    if (out)
        *out = nullptr;
    return kStreamFailed;
}

uint32_t AddRef(PlatformStream* stream) {
    return Self(stream)->references.fetch_add(1) + 1;
}

uint32_t Release(PlatformStream* stream) {
    MemoryStream* self = Self(stream);
    uint32_t left = self->references.fetch_sub(1) - 1;
    if (left == 0) {
        if (self->deleteOnRelease)
            GlobalFree(self->block);
        delete self;
    }
    return left;
}

int32_t Read(PlatformStream* stream, void* buffer, uint32_t count, uint32_t* done) {
    MemoryStream* self = Self(stream);
    size_t size = GlobalSize(self->block);
    uint64_t available = self->position < size ? size - self->position : 0;
    auto n = static_cast<uint32_t>(std::min<uint64_t>(count, available));
    if (n > 0) {
        auto* data = static_cast<uint8_t*>(GlobalLock(self->block));
        std::memcpy(buffer, data + self->position, n);
        GlobalUnlock(self->block);
        self->position += n;
    }
    if (done)
        *done = n;
    return kStreamOk;
}

int32_t Write(PlatformStream* stream, const void* buffer, uint32_t count, uint32_t* done) {
    MemoryStream* self = Self(stream);
    if (done)
        *done = 0;
    if (count == 0)
        return kStreamOk;
    uint64_t end = self->position + count;
    if (end > GlobalSize(self->block) && !GlobalResize(self->block, end))
        return kStreamFailed;
    auto* data = static_cast<uint8_t*>(GlobalLock(self->block));
    std::memcpy(data + self->position, buffer, count);
    GlobalUnlock(self->block);
    self->position = end;
    if (done)
        *done = count;
    return kStreamOk;
}

int32_t Seek(PlatformStream* stream, int64_t move, uint32_t origin, uint64_t* newPosition) {
    MemoryStream* self = Self(stream);
    int64_t from;
    switch (origin) {
        case kStreamFromStart:
            from = 0;
            break;
        case kStreamFromCurrent:
            from = int64_t(self->position);
            break;
        case kStreamFromEnd:
            from = int64_t(GlobalSize(self->block));
            break;
        default:
            return kStreamFailed;
    }
    if (from + move < 0)
        return kStreamFailed;
    self->position = uint64_t(from + move);
    if (newPosition)
        *newPosition = self->position;
    return kStreamOk;
}

int32_t SetSize(PlatformStream* stream, uint64_t size) {
    return GlobalResize(Self(stream)->block, size) ? kStreamOk : kStreamFailed;
}

const PlatformStreamMethods kMemoryStreamMethods = {
    QueryInterface, AddRef, Release, Read, Write, Seek, SetSize,
};

}  // namespace

int32_t CreateStreamOnGlobal(MemoryHandle block, bool deleteOnRelease, PlatformStream** stream) {
    if (!stream)
        return kStreamFailed;
    *stream = nullptr;
    bool ownBlock = block == 0;
    if (ownBlock) {
        block = GlobalAlloc(kMemMoveable, 0);
        if (!block)
            return kStreamFailed;
    }
    auto* created = new (std::nothrow) MemoryStream;
    if (!created) {
        if (ownBlock)
            GlobalFree(block);
        return kStreamFailed;
    }
    created->base.methods = &kMemoryStreamMethods;
    created->block = block;
    created->deleteOnRelease = deleteOnRelease || ownBlock;
    *stream = &created->base;
    return kStreamOk;
}

}  // namespace platform::kernel
