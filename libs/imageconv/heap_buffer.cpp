#include "libs/imageconv/heap_buffer.h"

#include <cstdlib>

namespace imageconv {

bool HeapBuffer::Allocate(size_t size) {
    Release();
    if (size == 0)
        return false;
    data_ = static_cast<uint8_t*>(std::calloc(size, 1));
    if (!data_)
        return false;
    size_ = size;
    return true;
}

void HeapBuffer::Release() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace imageconv
