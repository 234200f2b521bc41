// The platform file object that the data files and the enciphered file stand
// on: one open file with its own position, byte-range locks and a whole-file
// lock.
//
// Locks are open-file-description locks (F_OFD_SETLK), so they belong to this
// object: two File objects exclude each other whether they live in two
// threads of one process or in two processes. Reads and writes go through
// pread/pwrite at the object's own position, so objects never disturb each
// other's position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// Why a file operation failed. The data files turn these into their codes.
enum class FileError {
    None,
    NotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    DirectoryFull,
    BadSeek,
    HardwareIo,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
    NotOpen,
    Generic,
};

enum class OpenMode {
    ReadOnly,       // existing file, reading only
    ReadWrite,      // existing file
    OpenOrCreate,   // read and write, created empty when missing
    CreateNew,      // read and write, fails when the file exists
    CreateTruncate  // read and write, emptied or created
};

// Locking the range from 0 to this offset locks the file as a whole.
inline constexpr int64_t kWholeFileLockEnd = 0x7FFFFFFF;

class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    virtual ~File();

    // `path` is a runtime text (GB18030); it is converted here.
    FileError Open(std::string_view path, OpenMode mode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    FileError Seek(int64_t position);
    int64_t Position() const { return position_; }
    FileError Length(int64_t& length) const;
    // The first stretch of data at or after `offset`, as [start, end): the
    // holes of a sparse file are skipped. start = end = the length when no
    // data follows. A file system that cannot tell has data everywhere.
    FileError DataExtent(int64_t offset, int64_t& start, int64_t& end) const;
    FileError SetLength(int64_t length);

    // Reads up to `count` bytes at the position and advances it; `done`
    // receives the number read (fewer at the end of the file).
    virtual FileError Read(void* buffer, size_t count, size_t& done);
    // Writes all `count` bytes at the position and advances it.
    virtual FileError Write(const void* buffer, size_t count);
    FileError Flush();

    // Exclusive lock of `length` bytes at `offset` (shared when the file is
    // open for reading only). Without `wait` a lock held elsewhere answers
    // LockViolation at once.
    FileError Lock(int64_t offset, int64_t length, bool wait = false);
    FileError Unlock(int64_t offset, int64_t length);
    FileError LockWhole(bool wait = false) { return Lock(0, kWholeFileLockEnd + 1, wait); }
    FileError UnlockWhole() { return Unlock(0, kWholeFileLockEnd + 1); }

private:
    friend class FileView;  // maps the file's bytes

    int fd_ = -1;
    int64_t position_ = 0;
};

// The FileError of a failed system call's errno.
FileError FileErrorFromErrno(int error);

// The name of a FileError, for messages.
const char* FileErrorName(FileError error);

}  // namespace platform
