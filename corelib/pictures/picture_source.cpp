#include "corelib/pictures/picture_source.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace corelib {

size_t MemorySource::Read(void* buffer, size_t count) {
    const size_t available = length_ - position_;
    const size_t n = std::min(count, available);
    if (n)
        std::memcpy(buffer, bytes_ + position_, n);
    position_ += n;
    return n;
}

bool MemorySource::Seek(uint64_t position) {
    if (position > length_)
        return false;
    position_ = size_t(position);
    return true;
}

bool FileSource::Open(std::string_view path) {
    if (file_.Open(path, platform::OpenMode::ReadOnly) != platform::FileError::None)
        return false;
    int64_t length = 0;
    if (file_.Length(length) != platform::FileError::None || length < 0) {
        file_.Close();
        return false;
    }
    length_ = uint64_t(length);
    return true;
}

size_t FileSource::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (total < count) {
        size_t done = 0;
        if (file_.Read(out + total, count - total, done) != platform::FileError::None || done == 0)
            break;
        total += done;
    }
    return total;
}

bool FileSource::Seek(uint64_t position) {
    return position <= length_ && file_.Seek(int64_t(position)) == platform::FileError::None;
}

bool FileSource::Skip(uint64_t count) {
    return Seek(uint64_t(file_.Position()) + count);
}

PlatformStreamSource::PlatformStreamSource(PlatformStream* stream) : stream_(stream) {
    uint64_t end = 0;
    if (stream_ && stream_->methods->seek(stream_, 0, kStreamFromEnd, &end) == kStreamOk)
        length_ = end;
    if (stream_)
        stream_->methods->seek(stream_, 0, kStreamFromStart, nullptr);
}

size_t PlatformStreamSource::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (stream_ && total < count) {
        const auto chunk = uint32_t(std::min<size_t>(count - total, 1u << 30));
        uint32_t done = 0;
        if (stream_->methods->read(stream_, out + total, chunk, &done) != kStreamOk || done == 0)
            break;
        total += done;
    }
    return total;
}

bool PlatformStreamSource::Seek(uint64_t position) {
    return stream_ && position <= length_ &&
           stream_->methods->seek(stream_, int64_t(position), kStreamFromStart, nullptr) ==
               kStreamOk;
}

bool PlatformStreamSource::Skip(uint64_t count) {
    uint64_t now = 0;
    if (!stream_ || stream_->methods->seek(stream_, 0, kStreamFromCurrent, &now) != kStreamOk)
        return false;
    return Seek(now + count);
}

const uint8_t* WholeData(PictureSource& source, std::vector<uint8_t>& storage, size_t* length,
                         uint64_t limit) {
    *length = 0;
    const uint64_t total = source.Length();
    if (total > limit)
        return nullptr;
    if (const uint8_t* bytes = source.Bytes()) {
        *length = size_t(total);
        return bytes;
    }
    try {
        storage.resize(size_t(total));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!source.Seek(0) || !source.ReadExactly(storage.data(), storage.size())) {
        storage.clear();
        return nullptr;
    }
    *length = storage.size();
    return storage.data();
}

}  // namespace corelib
