// Error codes answered by the blob and index file operations: 0 is success,
// every failure a negative code.
#pragma once

#include "platform/files/file.h"

namespace corelib {

inline constexpr int kDataOk = 0;
inline constexpr int kDataGenericError = -1;
inline constexpr int kDataFileNotFound = -3;
inline constexpr int kDataBadPath = -4;
inline constexpr int kDataTooManyOpenFiles = -5;
inline constexpr int kDataAccessDenied = -6;
inline constexpr int kDataInvalidFile = -7;
inline constexpr int kDataRemoveCurrentDir = -8;
inline constexpr int kDataDirectoryFull = -9;
inline constexpr int kDataBadSeek = -10;
inline constexpr int kDataHardwareError = -11;
inline constexpr int kDataSharingViolation = -12;
inline constexpr int kDataLockViolation = -13;
inline constexpr int kDataDiskFull = -14;
inline constexpr int kDataEndOfFile = -15;
inline constexpr int kDataShortPageRead = -52;
inline constexpr int kDataNotFound = -57;      // search found nothing, or stepped past the end
inline constexpr int kDataNoSuchEntry = -58;   // delete found no such key and record
inline constexpr int kDataOtherFailure = -59;  // short read, no open file, anything else

int DataErrorFromFile(platform::FileError error);

}  // namespace corelib
