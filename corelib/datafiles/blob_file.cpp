#include "corelib/datafiles/blob_file.h"

#include <algorithm>
#include <cstring>

#include "corelib/datafiles/blob_format.h"
#include "corelib/datafiles/data_file_errors.h"
#include "corelib/datafiles/data_file_io.h"
#include "corelib/datafiles/range_locks.h"

namespace corelib {

namespace {

int64_t BlockOffset(int32_t block) {
    return int64_t{block} * kBlobBlockSize;
}

int ReadAt(platform::File& file, int64_t offset, void* out, size_t count) {
    return ReadExactly(file, offset, out, count, kDataOtherFailure);
}

int ReadHead(platform::File& file, int32_t block, BlobBlockHead& head) {
    uint8_t bytes[kBlobHeadSize];
    const int error = ReadAt(file, BlockOffset(block), bytes, sizeof(bytes));
    if (error == kDataOk)
        head.Load(bytes);
    return error;
}

// A block of a value's chain, reached from `prev` (0 for the first).
bool IsChainBlock(const BlobBlockHead& head, int32_t prev) {
    return head.count >= 1 && head.count <= kBlobPayloadSize && head.prev == prev;
}

int WriteLinkField(platform::File& file, int32_t block, int fieldOffset, int32_t value) {
    uint8_t bytes[4];
    StoreInt32(bytes, value);
    return WriteAt(file, BlockOffset(block) + fieldOffset, bytes, sizeof(bytes));
}

// One call of WriteBlob: the header as loaded, the locks held and the block
// image waiting to be written.
class BlobWriter {
public:
    explicit BlobWriter(platform::File& file) : file_(file) {}

    int Write(const uint8_t* data, int32_t length, int32_t oldFirst, int32_t& outFirst) {
        const int error = WriteChain(data, length, oldFirst, outFirst);
        return Finish(error);
    }

private:
    int LoadHeader() {
        if (headerLoaded_)
            return kDataOk;
        int error = LockRange(file_, 0, true);
        if (error != kDataOk)
            return error;
        headerLocked_ = true;
        uint8_t bytes[kBlobHeaderSize];
        error = ReadAt(file_, 0, bytes, sizeof(bytes));
        if (error != kDataOk)
            return error;
        header_.Load(bytes);
        // Blocks are written before the header counts them and the file is
        // cut only after it stops counting them, so the file always holds
        // every counted block. A header that says otherwise is damaged, and
        // trusting it could write far past the end of the file.
        int64_t length = 0;
        if ((error = DataErrorFromFile(file_.Length(length))) != kDataOk)
            return error;
        if (header_.blockCount < 1 || BlockOffset(header_.blockCount) > length ||
            header_.freeCount < 0 || header_.freeHead < 0 ||
            header_.freeHead >= header_.blockCount) {
            return kDataInvalidFile;
        }
        headerLoaded_ = true;
        return kDataOk;
    }

    int TakeNewBlock(int32_t& block) {
        int error = LoadHeader();
        if (error != kDataOk)
            return error;
        if (header_.freeCount > 0 && header_.freeHead > 0) {
            BlobBlockHead head;
            if (header_.freeHead >= header_.blockCount)
                return kDataInvalidFile;
            error = ReadHead(file_, header_.freeHead, head);
            if (error != kDataOk)
                return error;
            // A free-list head that holds data would hand out a block of
            // some value.
            if (head.count != 0)
                return kDataInvalidFile;
            block = header_.freeHead;
            header_.freeHead = head.next;
            header_.freeCount -= 1;
            // The new head of the free list has no predecessor any more.
            if (head.next != 0)
                return WriteLinkField(file_, head.next, 0, 0);
            return kDataOk;
        }
        block = header_.blockCount;
        header_.blockCount += 1;
        return kDataOk;
    }

    int WriteChain(const uint8_t* data, int32_t length, int32_t oldFirst, int32_t& outFirst) {
        int32_t prevBlock = 0;
        int32_t oldNext = oldFirst;
        int32_t remaining = length;
        int32_t done = 0;
        uint8_t image[kBlobBlockSize];
        int error = kDataOk;
        while (remaining > 0) {
            int32_t block = 0;
            const bool reuse = oldNext != 0;
            if (reuse) {
                if (oldNext < 1)
                    return kDataInvalidFile;
                block = oldNext;
            } else if ((error = TakeNewBlock(block)) != kDataOk) {
                return error;
            }
            if (outFirst == 0)
                outFirst = block;
            if ((error = LockBlock(file_, BlockOffset(block), locks_)) != kDataOk)
                return error;
            if (reuse) {
                BlobBlockHead head;
                if ((error = ReadHead(file_, block, head)) != kDataOk)
                    return error;
                // Only a block of this very chain may be overwritten: a stale
                // or wrong first block must not destroy another value.
                if (!IsChainBlock(head, prevBlock))
                    return kDataInvalidFile;
                oldNext = head.next;
            }
            if (prevBlock != 0) {
                StoreInt32(image + 4, block);
                if ((error = WriteAt(file_, BlockOffset(prevBlock), image, sizeof(image))) !=
                    kDataOk) {
                    return error;
                }
                if ((error = UnlockBlock(file_, BlockOffset(prevBlock), locks_)) != kDataOk) {
                    return error;
                }
            }
            const int32_t n = std::min(remaining, kBlobPayloadSize);
            std::memset(image, 0, sizeof(image));
            BlobBlockHead{prevBlock, 0, n}.Store(image);
            if (data != nullptr)
                std::memcpy(image + kBlobHeadSize, data + done, n);
            remaining -= n;
            done += n;
            prevBlock = block;
        }
        if (prevBlock != 0) {
            error = WriteAt(file_, BlockOffset(prevBlock), image, sizeof(image));
            if (error != kDataOk)
                return error;
        }
        if (oldNext != 0)
            return FreeChain(oldNext, prevBlock);
        return kDataOk;
    }

    // Puts the rest of an old chain, from `first`, in front of the free list.
    int FreeChain(int32_t first, int32_t firstPrev) {
        int error = LoadHeader();
        if (error != kDataOk)
            return error;
        UnlockAll(file_, locks_);

        int32_t freed = 0;
        int32_t previousFreed = 0;
        bool freedLastBlock = false;
        uint8_t image[kBlobBlockSize];
        // A damaged chain must not loop forever: it cannot be longer than
        // the file.
        for (int32_t block = first; block != 0;) {
            if (block < 1 || block >= header_.blockCount || freed >= header_.blockCount) {
                return kDataInvalidFile;
            }
            if ((error = LockHandOver(file_, BlockOffset(block), locks_)) != kDataOk)
                return error;
            BlobBlockHead head;
            if ((error = ReadHead(file_, block, head)) != kDataOk)
                return error;
            if (!IsChainBlock(head, freed == 0 ? firstPrev : previousFreed))
                return kDataInvalidFile;
            if (block == header_.blockCount - 1)
                freedLastBlock = true;
            BlobBlockHead freedHead{previousFreed, head.next, 0};
            if (head.next == 0) {
                freedHead.next = header_.freeHead;
                if (header_.freeHead != 0) {
                    const int64_t headOffset = BlockOffset(header_.freeHead);
                    if ((error = LockRange(file_, headOffset, true)) != kDataOk)
                        return error;
                    error = WriteLinkField(file_, header_.freeHead, 0, block);
                    const int unlocked = LockRange(file_, headOffset, false);
                    if (error == kDataOk)
                        error = unlocked;
                    if (error != kDataOk)
                        return error;
                }
            }
            std::memset(image, 0, sizeof(image));
            freedHead.Store(image);
            if ((error = WriteAt(file_, BlockOffset(block), image, sizeof(image))) != kDataOk) {
                return error;
            }
            ++freed;
            previousFreed = block;
            block = head.next;
        }
        header_.freeCount += freed;
        header_.freeHead = first;
        if ((error = UnlockAll(file_, locks_)) != kDataOk)
            return error;
        return freedLastBlock ? Shrink() : kDataOk;
    }

    // Gives the free blocks at the end of the file back to the file system.
    int Shrink() {
        int error = kDataOk;
        int32_t stop = 0;
        for (int32_t block = header_.blockCount - 1; block >= 1; --block) {
            // While we hold the header nobody else can allocate or free, so a
            // block that another writer holds is one it is rewriting in
            // place: in use. Waiting for it would deadlock, since that writer
            // may itself be waiting for the header while holding the block.
            const int64_t position = BlockOffset(block);
            const platform::FileError busy = file_.Lock(position, 1, false);
            if (busy == platform::FileError::LockViolation) {
                stop = block;
                break;
            }
            if ((error = DataErrorFromFile(busy)) != kDataOk)
                return error;
            UnlockAll(file_, locks_);
            locks_.push_back(position);
            BlobBlockHead head;
            if ((error = ReadHead(file_, block, head)) != kDataOk)
                return error;
            if (head.count > 0) {
                stop = block;
                break;
            }
            if (block == header_.freeHead) {
                header_.freeHead = head.next;
            } else if (head.prev != 0) {
                if ((error = WriteLinkField(file_, head.prev, 4, head.next)) != kDataOk) {
                    return error;
                }
            }
            if (head.next != 0) {
                if ((error = WriteLinkField(file_, head.next, 0, head.prev)) != kDataOk) {
                    return error;
                }
            }
            if (header_.freeCount > 0)
                header_.freeCount -= 1;
        }
        if ((error = UnlockAll(file_, locks_)) != kDataOk)
            return error;
        if (stop + 1 != header_.blockCount) {
            header_.blockCount = stop + 1;
            truncateAfterHeader_ = true;
        }
        return kDataOk;
    }

    int Finish(int error) {
        if (headerLoaded_ && error == kDataOk) {
            uint8_t bytes[kBlobHeaderSize];
            header_.Store(bytes);
            error = WriteAt(file_, 0, bytes, sizeof(bytes));
            if (error == kDataOk && truncateAfterHeader_)
                error = DataErrorFromFile(file_.SetLength(BlockOffset(header_.blockCount)));
        }
        if (headerLocked_)
            LockRange(file_, 0, false);
        UnlockAll(file_, locks_);
        return error;
    }

    platform::File& file_;
    BlobFileHeader header_;
    bool headerLoaded_ = false;
    bool headerLocked_ = false;
    bool truncateAfterHeader_ = false;
    LockList locks_;
};

}  // namespace

int BlobFile::Create(std::string_view path) {
    platform::File file;
    int error = DataErrorFromFile(file.Open(path, platform::OpenMode::CreateTruncate));
    if (error != kDataOk)
        return error;
    uint8_t block[kBlobBlockSize] = {};
    BlobFileHeader{}.Store(block);
    return DataErrorFromFile(file.Write(block, sizeof(block)));
}

int BlobFile::Open(std::string_view path, bool readOnly) {
    return DataErrorFromFile(
        file_.Open(path, readOnly ? platform::OpenMode::ReadOnly : platform::OpenMode::ReadWrite));
}

int BlobFile::WriteBlob(const void* data, int32_t length, int32_t oldFirst, int32_t& outFirst) {
    outFirst = 0;
    if (!file_.IsOpen() || length < 0 || oldFirst < 0)
        return kDataOtherFailure;
    BlobWriter writer(file_);
    return writer.Write(static_cast<const uint8_t*>(data), length, oldFirst, outFirst);
}

int BlobFile::ReadBlob(int32_t first, std::vector<uint8_t>& out) {
    out.clear();
    if (!file_.IsOpen())
        return kDataOtherFailure;
    int64_t fileLength = 0;
    int error = DataErrorFromFile(file_.Length(fileLength));
    if (error != kDataOk)
        return error;
    const int64_t blocksInFile = fileLength / kBlobBlockSize;

    // Blocks of a value mostly follow one another, so a run of them is read
    // at once under one lock spanning their first bytes: no block is read
    // while a writer holds it.
    // The run grows while the chain keeps to consecutive blocks and shrinks
    // when it jumps, so scattered chains are not read many times over.
    constexpr int64_t kMaxRunBlocks = 32;
    int64_t runBlocks = 4;
    std::vector<uint8_t> run;
    int64_t visited = 0;
    for (int32_t block = first; block != 0;) {
        if (block < 1 || block >= blocksInFile) {
            error = kDataInvalidFile;
            break;
        }
        const int64_t count = std::min(runBlocks, blocksInFile - block);
        const int64_t start = BlockOffset(block);
        if ((error = LockSpan(file_, start, (count - 1) * kBlobBlockSize + 1, true)) != kDataOk)
            break;
        run.resize(static_cast<size_t>(count) * kBlobBlockSize);
        error = ReadAt(file_, start, run.data(), run.size());
        const int unlocked = LockSpan(file_, start, (count - 1) * kBlobBlockSize + 1, false);
        if (error == kDataOk)
            error = unlocked;
        if (error != kDataOk)
            break;
        for (int64_t at = 0;;) {
            // A damaged chain must not loop forever: it cannot be longer
            // than the file.
            if (++visited > blocksInFile) {
                error = kDataInvalidFile;
                break;
            }
            const uint8_t* image = run.data() + at * kBlobBlockSize;
            BlobBlockHead head;
            head.Load(image);
            if (head.count < 1 || head.count > kBlobPayloadSize) {
                error = kDataInvalidFile;
                break;
            }
            out.insert(out.end(), image + kBlobHeadSize, image + kBlobHeadSize + head.count);
            const int64_t current = start / kBlobBlockSize + at;
            block = head.next;
            if (block != current + 1 || at + 1 >= count) {
                runBlocks = block == current + 1 ? std::min(runBlocks * 2, kMaxRunBlocks)
                                                 : std::max<int64_t>(at + 1, 1);
                break;
            }
            ++at;
        }
        if (error != kDataOk)
            break;
    }
    if (error != kDataOk)
        out.clear();
    return error;
}

}  // namespace corelib
