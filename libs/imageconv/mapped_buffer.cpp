#include "libs/imageconv/mapped_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "libs/imageconv/temp_file_namer.h"

namespace imageconv {

namespace {

// Names can be taken between MakeName and open by another thread or process.
constexpr int kNameAttempts = 64;

int CreateExclusive(std::string_view prefix, std::string* path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = TempFileNamer::Instance().MakeName(prefix);
        if (name.empty())
            return -1;
        int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            *path = std::move(name);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

}  // namespace

bool MappedBuffer::Allocate(size_t size, std::string_view prefix) {
    Release(true);
    if (size == 0)
        return false;
    std::string path;
    int fd = CreateExclusive(prefix, &path);
    if (fd < 0)
        return false;
    void* view = MAP_FAILED;
    if (posix_fallocate(fd, 0, static_cast<off_t>(size)) == 0) {
        view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    close(fd);
    unlink(path.c_str());
    if (view == MAP_FAILED)
        return false;
    view_ = static_cast<uint8_t*>(view);
    size_ = size;
    path_ = std::move(path);
    linked_ = false;
    return true;
}

void MappedBuffer::Release(bool deleteFile) {
    if (view_)
        munmap(view_, size_);
    if (deleteFile && linked_ && !path_.empty())
        unlink(path_.c_str());
    view_ = nullptr;
    size_ = 0;
    path_.clear();
    linked_ = false;
}

bool MappedBuffer::Flush(void* address, size_t length) {
    if (!view_)
        return false;
    uint8_t* start = address ? static_cast<uint8_t*>(address) : view_;
    if (start < view_ || start >= view_ + size_)
        return false;
    if (length == 0 || length > size_t(view_ + size_ - start))
        length = view_ + size_ - start;
    // msync wants a page-aligned start.
    auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    auto aligned = reinterpret_cast<uintptr_t>(start) & ~(page - 1);
    length += reinterpret_cast<uintptr_t>(start) - aligned;
    return msync(reinterpret_cast<void*>(aligned), length, MS_ASYNC) == 0;
}

}  // namespace imageconv
