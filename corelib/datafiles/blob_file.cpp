#include "corelib/datafiles/blob_file.h"

#include <algorithm>
#include <cstring>

#include "corelib/datafiles/blob_format.h"
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

int ReadHead(platform::File& file, int32_t block, BlobBlock& head) {
    uint8_t bytes[kBlobHeadSize];
    const int error = ReadAt(file, BlockOffset(block), bytes, sizeof(bytes));
    if (error == kDataOk)
        head.Load(bytes);
    return error;
}

// A block of a value's chain, reached from `prev` (0 for the first).
bool IsChainBlock(const BlobBlock& head, int32_t prev) {
    return head.count >= 1 && head.count <= kBlobPayloadSize && head.prev == prev;
}

int32_t BlocksFor(int32_t length) {
    return length / kBlobPayloadSize + (length % kBlobPayloadSize != 0 ? 1 : 0);
}

int WriteLinkField(platform::File& file, int32_t block, int fieldOffset, int32_t value) {
    uint8_t bytes[4];
    WriteLeS32(bytes, value);
    return WriteAt(file, BlockOffset(block) + fieldOffset, bytes, sizeof(bytes));
}

// One call of WriteBlob: the header as loaded, the locks held and the block
// image waiting to be written.
//
// Everything the write will follow (the old chain, the free blocks it will
// take, the header) is checked before the first byte is written, so a
// damaged file is reported as it is and left as it is; and blocks appended
// by a write that then fails are cut off again.
class BlobWriter {
public:
    BlobWriter(platform::File& file, DataDamage& damage) : file_(file), damage_(damage) {}

    int Write(const uint8_t* data, int32_t length, int32_t oldFirst, int32_t& outFirst) {
        int error = Plan(length, oldFirst);
        if (error == kDataOk)
            error = WriteChain(data, length, oldFirst, outFirst);
        return Finish(error);
    }

private:
    int Damaged(DataDamage damage) {
        damage_ = damage;
        return kDataInvalidFile;
    }

    // The last block number a link may name: the header's count once it is
    // loaded, the file's length before.
    int32_t BlockLimit() const { return headerLoaded_ ? header_.blockCount : blocksInFile_; }

    int Plan(int32_t length, int32_t oldFirst) {
        int64_t fileLength = 0;
        int error = DataErrorFromFile(file_.Length(fileLength));
        if (error != kDataOk)
            return error;
        blocksInFile_ = int32_t(std::min<int64_t>(fileLength / kBlobBlockSize, INT32_MAX));
        int32_t oldBlocks = 0;
        if ((error = CheckChain(oldFirst, oldBlocks)) != kDataOk)
            return error;
        const int32_t needed = BlocksFor(length);
        if (needed == oldBlocks)
            return kDataOk;  // rewritten in place: the header is not touched
        if ((error = LoadHeader()) != kDataOk)
            return error;
        if (highestOldBlock_ >= header_.blockCount)
            return Damaged(DataDamage::BlobBlockOutOfRange);
        if (needed > oldBlocks)
            return CheckFreeBlocks(needed - oldBlocks);
        return CheckShrink(oldFirst, needed);
    }

    // When the freed end of the old chain holds the file's last block, the
    // write then walks back from the end over free blocks and unlinks them,
    // writing to their neighbours: their links must name blocks of the file.
    int CheckShrink(int32_t oldFirst, int32_t kept) {
        std::vector<int32_t> freed;
        int32_t block = oldFirst;
        for (int32_t n = 0; block != 0 && n < blocksInFile_; ++n) {
            BlobBlock head;
            const int error = ReadHead(file_, block, head);
            if (error != kDataOk)
                return error;
            if (n >= kept)
                freed.push_back(block);
            block = head.next;
        }
        const int32_t last = header_.blockCount - 1;
        if (std::find(freed.begin(), freed.end(), last) == freed.end())
            return kDataOk;
        for (int32_t b = last; b >= 1; --b) {
            if (std::find(freed.begin(), freed.end(), b) != freed.end())
                continue;
            BlobBlock head;
            const int error = ReadHead(file_, b, head);
            if (error != kDataOk)
                return error;
            if (head.count > 0)
                return kDataOk;
            if (head.prev < 0 || head.prev >= header_.blockCount || head.next < 0 ||
                head.next >= header_.blockCount) {
                return Damaged(DataDamage::BlobFreeListBroken);
            }
        }
        return kDataOk;
    }

    // Walks the value's chain: every block inside the file, linking back to
    // the one before, holding data, and no more blocks than the file has.
    int CheckChain(int32_t first, int32_t& blocks) {
        int32_t prev = 0;
        for (int32_t block = first; block != 0; ++blocks) {
            if (block < 1 || block >= blocksInFile_)
                return Damaged(DataDamage::BlobBlockOutOfRange);
            if (blocks >= blocksInFile_)
                return Damaged(DataDamage::BlobChainLoops);
            BlobBlock head;
            const int error = ReadHead(file_, block, head);
            if (error != kDataOk)
                return error;
            if (!IsChainBlock(head, prev))
                return Damaged(DataDamage::BlobChainBroken);
            highestOldBlock_ = std::max(highestOldBlock_, block);
            prev = block;
            block = head.next;
        }
        return kDataOk;
    }

    // Walks the free blocks the write will take from the head of the list.
    int CheckFreeBlocks(int32_t wanted) {
        int32_t prev = 0;
        int32_t block = header_.freeHead;
        for (int32_t taken = 0; taken < std::min(wanted, header_.freeCount) && block != 0;
             ++taken) {
            if (block < 1 || block >= header_.blockCount)
                return Damaged(DataDamage::BlobBlockOutOfRange);
            BlobBlock head;
            const int error = ReadHead(file_, block, head);
            if (error != kDataOk)
                return error;
            if (head.count != 0 || head.prev != prev)
                return Damaged(DataDamage::BlobFreeListBroken);
            prev = block;
            block = head.next;
        }
        if (block < 0 || block >= header_.blockCount)
            return Damaged(DataDamage::BlobBlockOutOfRange);
        return kDataOk;
    }

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
        if ((error = DataErrorFromFile(file_.Length(lengthAsFound_))) != kDataOk)
            return error;
        if (header_.blockCount < 1 || BlockOffset(header_.blockCount) > lengthAsFound_ ||
            header_.freeCount < 0 || header_.freeCount >= header_.blockCount ||
            header_.freeHead < 0 || header_.freeHead >= header_.blockCount) {
            return Damaged(DataDamage::BlobHeaderBeyondFile);
        }
        headerLoaded_ = true;
        return kDataOk;
    }

    int TakeNewBlock(int32_t& block) {
        int error = LoadHeader();
        if (error != kDataOk)
            return error;
        if (header_.freeCount > 0 && header_.freeHead > 0) {
            BlobBlock head;
            error = ReadHead(file_, header_.freeHead, head);
            if (error != kDataOk)
                return error;
            // A free-list head that holds data would hand out a block of
            // some value; a next link outside the file would be written to.
            if (head.count != 0)
                return Damaged(DataDamage::BlobFreeListBroken);
            if (head.next < 0 || head.next >= header_.blockCount)
                return Damaged(DataDamage::BlobBlockOutOfRange);
            block = header_.freeHead;
            header_.freeHead = head.next;
            header_.freeCount -= 1;
            // The new head of the free list has no predecessor any more.
            if (head.next != 0)
                return WriteLinkField(file_, head.next, 0, 0);
            return kDataOk;
        }
        if (header_.blockCount == INT32_MAX)
            return kDataDiskFull;
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
            if (!reuse) {
                if ((error = LoadHeader()) != kDataOk)
                    return error;
                if (header_.freeCount <= 0 || header_.freeHead <= 0) {
                    // Every block still wanted comes from the end of the file.
                    error = AppendBlocks(data, done, remaining, prevBlock, image, outFirst);
                    prevBlock = 0;  // its image went out with the new blocks
                    if (error != kDataOk)
                        return error;
                    break;
                }
            }
            if (reuse) {
                if (oldNext < 1 || oldNext >= BlockLimit())
                    return Damaged(DataDamage::BlobBlockOutOfRange);
                block = oldNext;
            } else if ((error = TakeNewBlock(block)) != kDataOk) {
                return error;
            }
            if (outFirst == 0)
                outFirst = block;
            if ((error = LockBlock(file_, BlockOffset(block), locks_)) != kDataOk)
                return error;
            if (reuse) {
                BlobBlock head;
                if ((error = ReadHead(file_, block, head)) != kDataOk)
                    return error;
                // Only a block of this very chain may be overwritten: a stale
                // or wrong first block must not destroy another value.
                if (!IsChainBlock(head, prevBlock))
                    return Damaged(DataDamage::BlobChainBroken);
                oldNext = head.next;
            }
            if (prevBlock != 0) {
                WriteLeS32(image + 4, block);
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
            BlobBlock{prevBlock, 0, n}.Store(image);
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

    // Writes the last `remaining` bytes of the value (from `done`) into new
    // blocks at the end of the file. They follow one another, so each run of
    // them is locked, written and unlocked with one call apiece, not one per
    // block. `prevBlock` (0 for none) is the block before them, still
    // locked, whose `image` waits for its next link.
    int AppendBlocks(const uint8_t* data, int32_t done, int32_t remaining, int32_t prevBlock,
                     uint8_t* image, int32_t& outFirst) {
        const int32_t wanted = BlocksFor(remaining);
        if (wanted > INT32_MAX - header_.blockCount)
            return kDataDiskFull;
        int32_t block = header_.blockCount;
        header_.blockCount += wanted;
        if (outFirst == 0)
            outFirst = block;
        constexpr int32_t kRunBlocks = 64;
        std::vector<uint8_t> run(static_cast<size_t>(std::min(wanted, kRunBlocks)) *
                                 kBlobBlockSize);
        int32_t previous = prevBlock;
        while (remaining > 0) {
            const int32_t count = std::min(BlocksFor(remaining), kRunBlocks);
            const int64_t start = BlockOffset(block);
            const int64_t span = int64_t{count - 1} * kBlobBlockSize + 1;  // every first byte
            int error = LockSpan(file_, start, span, true);
            if (error != kDataOk)
                return error;
            if (previous != 0 && previous == prevBlock) {
                WriteLeS32(image + 4, block);
                error = WriteAt(file_, BlockOffset(previous), image, kBlobBlockSize);
                if (error == kDataOk)
                    error = UnlockBlock(file_, BlockOffset(previous), locks_);
            }
            if (error == kDataOk) {
                FillRun(run.data(), count, block, previous, data, done, remaining);
                error =
                    WriteAt(file_, start, run.data(), static_cast<size_t>(count) * kBlobBlockSize);
            }
            const int unlocked = LockSpan(file_, start, span, false);
            if (error != kDataOk || (error = unlocked) != kDataOk)
                return error;
            block += count;
        }
        return kDataOk;
    }

    // Builds the images of `count` blocks from `first` on, linked to
    // `previous` and to one another; the last links on when bytes remain.
    static void FillRun(uint8_t* run, int32_t count, int32_t first, int32_t& previous,
                        const uint8_t* data, int32_t& done, int32_t& remaining) {
        std::memset(run, 0, static_cast<size_t>(count) * kBlobBlockSize);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t n = std::min(remaining, kBlobPayloadSize);
            remaining -= n;
            uint8_t* image = run + static_cast<size_t>(i) * kBlobBlockSize;
            BlobBlock{previous, remaining > 0 ? first + i + 1 : 0, n}.Store(image);
            if (data != nullptr)
                std::memcpy(image + kBlobHeadSize, data + done, n);
            done += n;
            previous = first + i;
        }
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
            if (block < 1 || block >= header_.blockCount)
                return Damaged(DataDamage::BlobBlockOutOfRange);
            if (freed >= header_.blockCount)
                return Damaged(DataDamage::BlobChainLoops);
            if ((error = LockHandOver(file_, BlockOffset(block), locks_)) != kDataOk)
                return error;
            BlobBlock head;
            if ((error = ReadHead(file_, block, head)) != kDataOk)
                return error;
            if (!IsChainBlock(head, freed == 0 ? firstPrev : previousFreed))
                return Damaged(DataDamage::BlobChainBroken);
            if (block == header_.blockCount - 1)
                freedLastBlock = true;
            BlobBlock freedHead{previousFreed, head.next, 0};
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
            BlobBlock head;
            if ((error = ReadHead(file_, block, head)) != kDataOk)
                return error;
            if (head.count > 0) {
                stop = block;
                break;
            }
            // The links of a free block are written to: they must name
            // blocks of the file.
            if (head.prev < 0 || head.prev >= header_.blockCount || head.next < 0 ||
                head.next >= header_.blockCount) {
                return Damaged(DataDamage::BlobFreeListBroken);
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
        } else if (headerLoaded_) {
            // The header was not rewritten, so blocks appended before the
            // failure are counted by nothing: cut them off again.
            int64_t length = 0;
            if (file_.Length(length) == platform::FileError::None && length > lengthAsFound_)
                file_.SetLength(lengthAsFound_);
        }
        if (headerLocked_)
            LockRange(file_, 0, false);
        UnlockAll(file_, locks_);
        return error;
    }

    platform::File& file_;
    DataDamage& damage_;
    BlobFileHeader header_;
    int32_t blocksInFile_ = 0;
    int32_t highestOldBlock_ = 0;
    int64_t lengthAsFound_ = 0;
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
    damage_ = DataDamage::None;
    if (!file_.IsOpen() || length < 0 || oldFirst < 0)
        return kDataOtherFailure;
    BlobWriter writer(file_, damage_);
    return writer.Write(static_cast<const uint8_t*>(data), length, oldFirst, outFirst);
}

int BlobFile::ReadBlob(int32_t first, std::vector<uint8_t>& out) {
    out.clear();
    damage_ = DataDamage::None;
    if (!file_.IsOpen())
        return kDataOtherFailure;

    // Blocks of a value mostly follow one another, so a run of them is read
    // at once under one lock spanning their first bytes: no block is read
    // while a writer holds it. What the read brings back shows how much of
    // the run the file holds, so the file's length is never asked for.
    // The run grows while the chain keeps to consecutive blocks and shrinks
    // when it jumps, so scattered chains are not read many times over. It
    // starts as long as the value read before: the values of one field
    // tend to be alike, and then one run reads a value whole.
    constexpr int64_t kMaxRunBlocks = 128;
    int64_t runBlocks = std::clamp<int64_t>(runHint_, 1, kMaxRunBlocks);
    std::vector<uint8_t>& run = readBuffer_;
    int64_t visited = 0;
    int64_t highest = 0;
    int error = kDataOk;
    for (int32_t block = first; block != 0;) {
        if (block < 1) {
            damage_ = DataDamage::BlobBlockOutOfRange;
            error = kDataInvalidFile;
            break;
        }
        const int64_t start = BlockOffset(block);
        const int64_t span = (runBlocks - 1) * kBlobBlockSize + 1;
        if ((error = LockSpan(file_, start, span, true)) != kDataOk)
            break;
        if (run.size() < static_cast<size_t>(runBlocks) * kBlobBlockSize)
            run.resize(static_cast<size_t>(runBlocks) * kBlobBlockSize);
        size_t done = 0;
        error = corelib::ReadAt(file_, start, run.data(),
                                static_cast<size_t>(runBlocks) * kBlobBlockSize, done);
        const int unlocked = LockSpan(file_, start, span, false);
        if (error == kDataOk)
            error = unlocked;
        if (error != kDataOk)
            break;
        const int64_t count = static_cast<int64_t>(done / kBlobBlockSize);
        if (count == 0) {
            damage_ = DataDamage::BlobBlockOutOfRange;  // not a whole block of the file
            error = kDataInvalidFile;
            break;
        }
        for (int64_t at = 0;;) {
            // A damaged chain must not loop forever. Distinct blocks numbered
            // up to the highest one met can be no more than that number.
            const int64_t current = start / kBlobBlockSize + at;
            highest = std::max(highest, current);
            if (++visited > highest) {
                damage_ = DataDamage::BlobChainLoops;
                error = kDataInvalidFile;
                break;
            }
            const uint8_t* image = run.data() + at * kBlobBlockSize;
            BlobBlock head;
            head.Load(image);
            if (head.count < 1 || head.count > kBlobPayloadSize) {
                damage_ = DataDamage::BlobChainBroken;
                error = kDataInvalidFile;
                break;
            }
            out.insert(out.end(), image + kBlobHeadSize, image + kBlobHeadSize + head.count);
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
    else if (visited > 0)
        runHint_ = visited;
    return error;
}

}  // namespace corelib
