#include "platform/files/file_view.h"

#include <sys/mman.h>

#include <cerrno>

namespace platform {

FileView::~FileView() {
    Unmap();
}

FileError FileView::Map(const File& file, int64_t length) {
    Unmap();
    if (file.fd_ < 0)
        return FileError::NotOpen;
    if (length <= 0)
        return FileError::BadSeek;
    void* data = ::mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_SHARED, file.fd_, 0);
    if (data == MAP_FAILED)
        return FileErrorFromErrno(errno);
    data_ = static_cast<const uint8_t*>(data);
    length_ = length;
    return FileError::None;
}

void FileView::Unmap() {
    if (data_ != nullptr)
        ::munmap(const_cast<uint8_t*>(data_), static_cast<size_t>(length_));
    data_ = nullptr;
    length_ = 0;
}

}  // namespace platform
