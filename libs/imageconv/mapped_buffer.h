// File-backed storage for pixels and large intermediate rasters, so that big
// images live in the page cache and on disk rather than on the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace imageconv {

class MappedBuffer {
public:
    MappedBuffer() = default;
    ~MappedBuffer() { Release(false); }
    MappedBuffer(const MappedBuffer&) = delete;
    MappedBuffer& operator=(const MappedBuffer&) = delete;

    // Creates a fresh temporary file of `size` bytes (disk space reserved up
    // front, so a full disk fails here instead of faulting on a later write)
    // and maps it read-write. The file's name is removed as soon as the
    // mapping exists: the storage then vanishes with the last mapping, even
    // when the process dies. path() keeps the name for reporting.
    bool Allocate(size_t size, std::string_view prefix);

    // Unmaps; with deleteFile the backing file's name is removed too if it
    // still exists. Every field is reset.
    void Release(bool deleteFile);

    // Writes [address, address + length) back to the file; length 0 flushes
    // the whole buffer.
    bool Flush(void* address = nullptr, size_t length = 0);

    uint8_t* data() const { return view_; }
    size_t size() const { return size_; }
    const std::string& path() const { return path_; }
    // True while the backing file can still be found by its name.
    bool linked() const { return linked_; }

private:
    uint8_t* view_ = nullptr;
    std::string path_;
    size_t size_ = 0;
    bool linked_ = false;
};

}  // namespace imageconv
