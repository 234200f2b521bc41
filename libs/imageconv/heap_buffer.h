// A plain growable block for colour tables, headers, row buffers and
// palettes: small data that does not need file-backed storage.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imageconv {

class HeapBuffer {
public:
    HeapBuffer() = default;
    ~HeapBuffer() { Release(); }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;

    // Drops any previous block first; on failure the buffer is left empty.
    // The new block is zeroed so a short fill never exposes stale bytes.
    bool Allocate(size_t size);
    void Release();

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    size_t size_ = 0;
    uint8_t* data_ = nullptr;
};

}  // namespace imageconv
