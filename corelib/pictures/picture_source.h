// Where a picture's bytes come from: memory, a file, or a platform stream.
// Every loader reads through this one interface, which offers what the
// loaders need and no more: read n bytes (answering the count read), seek to
// an absolute position, and the total length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/files/file.h"
#include "platform/kernel/stream_interface.h"

namespace corelib {

class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Answers the number of bytes read: fewer than `count` only at the end
    // of the data or on a read error.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Length() const = 0;
    // The whole data when it already sits in memory, so decoders that want
    // every byte at once need not copy it; null otherwise.
    virtual const uint8_t* Bytes() const { return nullptr; }

    // Reads exactly `count` bytes or fails.
    bool ReadExactly(void* buffer, size_t count) { return Read(buffer, count) == count; }
    // Moves forward by `count` bytes.
    virtual bool Skip(uint64_t count) = 0;
};

class MemorySource : public PictureSource {
public:
    MemorySource(const uint8_t* bytes, size_t length) : bytes_(bytes), length_(length) {}
    size_t Read(void* buffer, size_t count) override;
    bool Seek(uint64_t position) override;
    bool Skip(uint64_t count) override { return Seek(position_ + count); }
    uint64_t Length() const override { return length_; }
    const uint8_t* Bytes() const override { return bytes_; }

private:
    const uint8_t* bytes_;
    size_t length_;
    size_t position_ = 0;
};

class FileSource : public PictureSource {
public:
    // `path` is a runtime text (GB18030). Answers false when the file
    // cannot be opened for reading.
    bool Open(std::string_view path);
    size_t Read(void* buffer, size_t count) override;
    bool Seek(uint64_t position) override;
    bool Skip(uint64_t count) override;
    uint64_t Length() const override { return length_; }

private:
    platform::File file_;
    uint64_t length_ = 0;
};

// Borrows the stream; the caller keeps its reference.
class PlatformStreamSource : public PictureSource {
public:
    explicit PlatformStreamSource(PlatformStream* stream);
    size_t Read(void* buffer, size_t count) override;
    bool Seek(uint64_t position) override;
    bool Skip(uint64_t count) override;
    uint64_t Length() const override { return length_; }

private:
    PlatformStream* stream_;
    uint64_t length_ = 0;
};

// The source's bytes from position 0 to its end, as one span: the source's
// own memory when it has some, else read into `storage`. Answers null (with
// *length 0) when the data cannot all be read or exceeds `limit` bytes.
const uint8_t* WholeData(PictureSource& source, std::vector<uint8_t>& storage, size_t* length,
                         uint64_t limit = uint64_t(1) << 31);

}  // namespace corelib
