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

// Which check found a file damaged when an operation answers
// kDataInvalidFile: one value per check, in the manner of SQLite's
// corruption codes, kept beside the code (IndexFile::LastDamage,
// BlobFile::LastDamage) for picbatch-dbcheck and the tests. The code the
// operation answers stays kDataInvalidFile.
enum class DataDamage : uint8_t {
    None,
    // Index files.
    IndexLayoutUnusable,      // the descriptor given describes no usable index
    IndexNotAnIndex,          // the magic is not "WENX"
    IndexOtherLayout,         // the file records another key layout
    IndexPagesBeyondFile,     // the header counts pages the file does not hold
    IndexRootOutOfRange,      // the root page lies outside the pages
    IndexFreeListOutOfRange,  // the free list's head or count lies outside the pages
    IndexPageOutOfRange,      // a link names a page outside the pages
    IndexFreeHeadInUse,       // the free list's head is not a free page
    IndexTreePageFree,        // the tree leads to a page marked free
    IndexTooManyEntries,      // a page holds more than M entries
    IndexTreeTooDeep,         // a descent goes deeper than any tree can: a loop
    IndexEmptyLeavesLoop,     // stepping crosses more empty leaves than there are pages
    IndexParentLostChild,     // a parent does not lead to the page the descent came from
    IndexNotInternal,         // a page that must have children has none
    IndexSiblingDamaged,      // the sibling a merge or borrow needs is not a sound page
    // Blob files.
    BlobHeaderBeyondFile,  // the header counts blocks the file does not hold
    BlobBlockOutOfRange,   // a link names a block outside the file
    BlobChainBroken,       // a block of the value does not link back or holds no data
    BlobChainLoops,        // a chain is longer than the file: a loop
    BlobFreeListBroken,    // a block on the free list is in use or links wrongly
};

// A short text for a damage, e.g. "the header counts pages the file does
// not hold"; "" for None.
const char* DataDamageText(DataDamage damage);

}  // namespace corelib
