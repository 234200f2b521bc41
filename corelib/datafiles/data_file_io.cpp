#include "corelib/datafiles/data_file_io.h"

#include "corelib/datafiles/data_file_errors.h"

namespace corelib {

int ReadAt(platform::File& file, int64_t offset, void* out, size_t count, size_t& done) {
    done = 0;
    const int error = DataErrorFromFile(file.Seek(offset));
    if (error != kDataOk)
        return error;
    return DataErrorFromFile(file.Read(out, count, done));
}

int ReadExactly(platform::File& file, int64_t offset, void* out, size_t count, int shortReadError) {
    size_t done = 0;
    const int error = ReadAt(file, offset, out, count, done);
    if (error != kDataOk)
        return error;
    return done == count ? kDataOk : shortReadError;
}

int WriteAt(platform::File& file, int64_t offset, const void* bytes, size_t count) {
    const int error = DataErrorFromFile(file.Seek(offset));
    if (error != kDataOk)
        return error;
    return DataErrorFromFile(file.Write(bytes, count));
}

}  // namespace corelib
