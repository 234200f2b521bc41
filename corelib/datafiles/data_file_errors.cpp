#include "corelib/datafiles/data_file_errors.h"

namespace corelib {

int DataErrorFromFile(platform::FileError error) {
    using platform::FileError;
    switch (error) {
        case FileError::None:
            return kDataOk;
        case FileError::NotFound:
            return kDataFileNotFound;
        case FileError::BadPath:
            return kDataBadPath;
        case FileError::TooManyOpenFiles:
            return kDataTooManyOpenFiles;
        case FileError::AccessDenied:
            return kDataAccessDenied;
        case FileError::InvalidFile:
            return kDataInvalidFile;
        case FileError::DirectoryFull:
            return kDataDirectoryFull;
        case FileError::BadSeek:
            return kDataBadSeek;
        case FileError::HardwareIo:
            return kDataHardwareError;
        case FileError::SharingViolation:
            return kDataSharingViolation;
        case FileError::LockViolation:
            return kDataLockViolation;
        case FileError::DiskFull:
            return kDataDiskFull;
        case FileError::EndOfFile:
            return kDataEndOfFile;
        case FileError::NotOpen:
            return kDataOtherFailure;
        case FileError::Generic:
            return kDataGenericError;
    }
    return kDataGenericError;
}

}  // namespace corelib
