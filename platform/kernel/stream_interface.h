// The stream interface shared by the kernel (which implements a stream over
// a movable memory block) and the imaging platform (which reads and writes
// through it). It is a method table behind the object's first word, so a
// library can use a stream it did not create without linking the creator,
// and compiled code can release one through slot 2 like any core object.
#pragma once

#include <cstdint>

extern "C" {

struct PlatformStream;

// Answers of the methods: 0 is success; anything else is a failure.
inline constexpr int32_t kStreamOk = 0;
inline constexpr int32_t kStreamFailed = 1;

enum StreamOrigin : uint32_t { kStreamFromStart = 0, kStreamFromCurrent = 1, kStreamFromEnd = 2 };

struct PlatformStreamMethods {
    int32_t (*queryInterface)(PlatformStream* self, const void* interfaceId, void** out);
    uint32_t (*addRef)(PlatformStream* self);
    // Drops one reference; the stream is gone when this answers 0.
    uint32_t (*release)(PlatformStream* self);
    // Reads up to count bytes; *done (when not null) gets the number read,
    // which is smaller than count only at the end of the stream.
    int32_t (*read)(PlatformStream* self, void* buffer, uint32_t count, uint32_t* done);
    int32_t (*write)(PlatformStream* self, const void* buffer, uint32_t count, uint32_t* done);
    int32_t (*seek)(PlatformStream* self, int64_t move, uint32_t origin, uint64_t* newPosition);
    int32_t (*setSize)(PlatformStream* self, uint64_t size);
};

struct PlatformStream {
    const PlatformStreamMethods* methods;
};

}  // extern "C"
