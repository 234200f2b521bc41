// A view of a file's bytes mapped into memory for reading: a stretch of the
// file is then a copy from memory, not a system call. The view is shared
// with the file (MAP_SHARED), so it shows at once every write any process
// makes to the file, through the view's own file object or another.
//
// The view may reach past the end of the file, so that it still covers the
// file after the file grows. Reading there, or from a part of the file that
// another process cuts off meanwhile, raises SIGBUS: read only bytes the
// file held when a lock that keeps its length in place was taken.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files/file.h"

namespace platform {

class FileView {
public:
    FileView() = default;
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    ~FileView();

    // Maps `length` bytes of address space from the start of `file`
    // (replacing any earlier mapping). The file's own length may be
    // shorter.
    FileError Map(const File& file, int64_t length);
    void Unmap();

    bool IsMapped() const { return data_ != nullptr; }
    const uint8_t* Data() const { return data_; }
    int64_t Length() const { return length_; }

private:
    const uint8_t* data_ = nullptr;
    int64_t length_ = 0;
};

}  // namespace platform
