#include "platform/files/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/base/text_codec.h"

namespace platform {

FileError FileErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return FileError::NotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return FileError::BadPath;
        case EMFILE:
        case ENFILE:
            return FileError::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EEXIST:
        case EISDIR:
            return FileError::AccessDenied;
        case EBADF:
            return FileError::NotOpen;
        case EINVAL:
        case EOVERFLOW:
        case ESPIPE:
            return FileError::BadSeek;
        case EIO:
            return FileError::HardwareIo;
        case EAGAIN:
        case EDEADLK:
            return FileError::LockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileError::DiskFull;
        case ENOLCK:
            return FileError::SharingViolation;
        default:
            return FileError::Generic;
    }
}

namespace {

int OpenFlags(OpenMode mode) {
    switch (mode) {
        case OpenMode::ReadOnly:
            return O_RDONLY;
        case OpenMode::ReadWrite:
            return O_RDWR;
        case OpenMode::OpenOrCreate:
            return O_RDWR | O_CREAT;
        case OpenMode::CreateNew:
            return O_RDWR | O_CREAT | O_EXCL;
        case OpenMode::CreateTruncate:
            return O_RDWR | O_CREAT | O_TRUNC;
    }
    return O_RDONLY;
}

}  // namespace

File::~File() {
    Close();
}

FileError File::Open(std::string_view path, OpenMode mode) {
    Close();
    const std::string utf8 = RuntimeToUtf8(path);
    if (utf8.empty())
        return FileError::BadPath;
    const int fd = ::open(utf8.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
    if (fd < 0)
        return FileErrorFromErrno(errno);
    fd_ = fd;
    position_ = 0;
    return FileError::None;
}

void File::Close() {
    if (fd_ >= 0)
        ::close(fd_);  // closing releases the description's locks
    fd_ = -1;
    position_ = 0;
}

FileError File::Seek(int64_t position) {
    if (fd_ < 0)
        return FileError::NotOpen;
    if (position < 0)
        return FileError::BadSeek;
    position_ = position;
    return FileError::None;
}

FileError File::Length(int64_t& length) const {
    if (fd_ < 0)
        return FileError::NotOpen;
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return FileErrorFromErrno(errno);
    length = info.st_size;
    return FileError::None;
}

FileError File::DataExtent(int64_t offset, int64_t& start, int64_t& end) const {
    int64_t length = 0;
    const FileError error = Length(length);
    if (error != FileError::None)
        return error;
    start = end = length;
    if (offset >= length)
        return FileError::None;
    const off_t data = ::lseek(fd_, offset, SEEK_DATA);
    if (data < 0) {
        if (errno == ENXIO)
            return FileError::None;  // only a hole follows
        start = offset;              // no hole information: all data
        return FileError::None;
    }
    const off_t hole = ::lseek(fd_, data, SEEK_HOLE);
    start = data;
    end = hole < 0 ? length : std::min<int64_t>(hole, length);
    return FileError::None;
}

FileError File::SetLength(int64_t length) {
    if (fd_ < 0)
        return FileError::NotOpen;
    if (length < 0)
        return FileError::BadSeek;
    while (::ftruncate(fd_, length) != 0) {
        if (errno != EINTR)
            return FileErrorFromErrno(errno);
    }
    return FileError::None;
}

FileError File::Read(void* buffer, size_t count, size_t& done) {
    done = 0;
    if (fd_ < 0)
        return FileError::NotOpen;
    auto* bytes = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t got = ::pread(fd_, bytes + done, count - done, position_);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return FileErrorFromErrno(errno);
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
        position_ += got;
    }
    return FileError::None;
}

FileError File::Write(const void* buffer, size_t count) {
    if (fd_ < 0)
        return FileError::NotOpen;
    const auto* bytes = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t put = ::pwrite(fd_, bytes + done, count - done, position_);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return FileErrorFromErrno(errno);
        }
        done += static_cast<size_t>(put);
        position_ += put;
    }
    return FileError::None;
}

FileError File::Flush() {
    if (fd_ < 0)
        return FileError::NotOpen;
    return ::fdatasync(fd_) == 0 ? FileError::None : FileErrorFromErrno(errno);
}

FileError File::Lock(int64_t offset, int64_t length, bool wait) {
    if (fd_ < 0)
        return FileError::NotOpen;
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = offset;
    request.l_len = length;
    while (::fcntl(fd_, wait ? F_OFD_SETLKW : F_OFD_SETLK, &request) != 0) {
        if (errno == EINTR)
            continue;
        // A read-only description cannot hold a write lock; a shared one
        // keeps writers out just as well while it reads.
        if (errno == EBADF && request.l_type == F_WRLCK) {
            request.l_type = F_RDLCK;
            continue;
        }
        return FileErrorFromErrno(errno);
    }
    return FileError::None;
}

FileError File::Unlock(int64_t offset, int64_t length) {
    if (fd_ < 0)
        return FileError::NotOpen;
    struct flock request {};
    request.l_type = F_UNLCK;
    request.l_whence = SEEK_SET;
    request.l_start = offset;
    request.l_len = length;
    while (::fcntl(fd_, F_OFD_SETLK, &request) != 0) {
        if (errno == EINTR)
            continue;
        return FileErrorFromErrno(errno);
    }
    return FileError::None;
}

const char* FileErrorName(FileError error) {
    switch (error) {
        case FileError::None:
            return "no error";
        case FileError::NotFound:
            return "file not found";
        case FileError::BadPath:
            return "bad path";
        case FileError::TooManyOpenFiles:
            return "too many open files";
        case FileError::AccessDenied:
            return "access denied";
        case FileError::InvalidFile:
            return "invalid file";
        case FileError::DirectoryFull:
            return "directory full";
        case FileError::BadSeek:
            return "bad seek";
        case FileError::HardwareIo:
            return "input/output error";
        case FileError::SharingViolation:
            return "sharing violation";
        case FileError::LockViolation:
            return "lock violation";
        case FileError::DiskFull:
            return "disk full";
        case FileError::EndOfFile:
            return "end of file";
        case FileError::NotOpen:
            return "no open file";
        case FileError::Generic:
            return "file error";
    }
    return "file error";
}

}  // namespace platform
