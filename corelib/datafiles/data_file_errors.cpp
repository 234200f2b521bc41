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

const char* DataDamageText(DataDamage damage) {
    switch (damage) {
        case DataDamage::None:
            return "";
        case DataDamage::IndexLayoutUnusable:
            return "the key layout describes no usable index";
        case DataDamage::IndexNotAnIndex:
            return "not an index file (the magic is not WENX)";
        case DataDamage::IndexOtherLayout:
            return "the file records another key layout";
        case DataDamage::IndexPagesBeyondFile:
            return "the header counts pages the file does not hold";
        case DataDamage::IndexRootOutOfRange:
            return "the root page lies outside the file";
        case DataDamage::IndexFreeListOutOfRange:
            return "the free list's head or count lies outside the file";
        case DataDamage::IndexPageOutOfRange:
            return "a link names a page outside the file";
        case DataDamage::IndexFreeHeadInUse:
            return "the free list's head is not a free page";
        case DataDamage::IndexTreePageFree:
            return "the tree leads to a page marked free";
        case DataDamage::IndexTooManyEntries:
            return "a page holds more entries than a page may";
        case DataDamage::IndexTreeTooDeep:
            return "the tree is deeper than any tree can be: its pages form a loop";
        case DataDamage::IndexEmptyLeavesLoop:
            return "stepping crosses more empty leaves than there are pages";
        case DataDamage::IndexParentLostChild:
            return "a parent page does not lead to its child";
        case DataDamage::IndexNotInternal:
            return "a page that must have children has none";
        case DataDamage::IndexSiblingDamaged:
            return "a sibling page is not a sound internal page";
        case DataDamage::BlobHeaderBeyondFile:
            return "the header counts blocks the file does not hold";
        case DataDamage::BlobBlockOutOfRange:
            return "a link names a block outside the file";
        case DataDamage::BlobChainBroken:
            return "a block of the value does not link back to the one before it";
        case DataDamage::BlobChainLoops:
            return "a chain of blocks is longer than the file: it loops";
        case DataDamage::BlobFreeListBroken:
            return "a block on the free list is in use or links wrongly";
    }
    return "";
}

}  // namespace corelib
