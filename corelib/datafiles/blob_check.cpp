#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "corelib/datafiles/blob_format.h"
#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/data_file_check_support.h"
#include "corelib/datafiles/data_file_errors.h"
#include "corelib/datafiles/data_file_io.h"
#include "platform/files/file.h"

namespace corelib {

namespace {

std::string Block(int64_t n) {
    return "block " + std::to_string(n);
}

bool AllZero(const uint8_t* bytes, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        if (bytes[k] != 0)
            return false;
    }
    return true;
}

}  // namespace

CheckReport CheckBlobFile(std::string_view path) {
    CheckReport report;
    auto problem = [&report](std::string text) { report.Add(std::move(text)); };

    platform::File file;
    if (!OpenForCheck(path, file, report))
        return report;
    int64_t length = 0;
    file.Length(length);
    uint8_t headerBytes[kBlobHeaderSize];
    if (ReadExactly(file, 0, headerBytes, kBlobHeaderSize, kDataOtherFailure) != kDataOk) {
        problem("file shorter than its 32-byte header");
        return report;
    }
    BlobFileHeader header;
    header.Load(headerBytes);
    if (header.magic != kBlobMagic)
        problem("magic is not WEDT");
    if (header.version != kBlobVersion)
        problem("version is not 0x00010000");
    if (length % kBlobBlockSize != 0)
        problem("length is not a whole number of blocks");
    const int64_t blocks = length / kBlobBlockSize;
    if (header.blockCount < 1 || header.blockCount != blocks) {
        problem("header counts " + std::to_string(header.blockCount) + " blocks, file holds " +
                std::to_string(blocks));
    }
    if (!report.Clean())
        return report;

    // One pass over the data of the file keeps only the heads that are not
    // all zero: the holes of a sparse file are skipped, so the check needs
    // memory and time for what the file really holds, whatever its length.
    std::unordered_map<int64_t, BlobBlock> heads;
    std::vector<uint8_t> chunk;
    constexpr int64_t kChunkBlocks = 2048;
    for (int64_t at = kBlobBlockSize; at < length;) {
        int64_t dataStart = 0, dataEnd = 0;
        file.DataExtent(at, dataStart, dataEnd);
        if (dataStart >= length)
            break;
        const int64_t base =
            std::max(at, dataStart / kBlobBlockSize * kBlobBlockSize) / kBlobBlockSize;
        const int64_t last = std::min(blocks, (dataEnd + kBlobBlockSize - 1) / kBlobBlockSize);
        const int64_t count = std::min(kChunkBlocks, last - base);
        if (count <= 0)
            break;
        chunk.resize(static_cast<size_t>(count * kBlobBlockSize));
        if (ReadExactly(file, base * kBlobBlockSize, chunk.data(), chunk.size(),
                        kDataOtherFailure) != kDataOk) {
            problem("cannot read " + Block(base));
            return report;
        }
        for (int64_t k = 0; k < count; ++k) {
            const int64_t n = base + k;
            const uint8_t* image = chunk.data() + k * kBlobBlockSize;
            if (AllZero(image, kBlobBlockSize))
                continue;
            BlobBlock& h = heads[n];
            h.Load(image);
            if (h.count < 0 || h.count > kBlobPayloadSize) {
                problem(Block(n) + ": count " + std::to_string(h.count) + " outside 0..500");
                continue;
            }
            if (!AllZero(image + kBlobHeadSize + h.count, kBlobPayloadSize - h.count))
                problem(Block(n) + ": payload bytes beyond count are not zero");
        }
        at = (base + count) * kBlobBlockSize;
    }
    auto head = [&heads](int64_t n) {
        const auto found = heads.find(n);
        return found == heads.end() ? BlobBlock{} : found->second;
    };
    auto inRange = [blocks](int64_t n) { return n >= 1 && n < blocks; };

    enum Use : uint8_t { kUnused = ReachedSet::kUnreached, kInChain, kInFreeList };
    ReachedSet use;
    int64_t chains = 0, chainBlocks = 0, valueBytes = 0;

    // Chains start at blocks in use without a predecessor.
    std::vector<int64_t> starts;
    for (const auto& [n, h] : heads) {
        if (h.count > 0 && h.count <= kBlobPayloadSize && h.prev == 0)
            starts.push_back(n);
    }
    std::sort(starts.begin(), starts.end());
    for (const int64_t first : starts) {
        ++chains;
        int64_t previous = 0;
        for (int64_t n = first; n != 0;) {
            if (!inRange(n)) {
                problem(Block(previous) + ": next " + std::to_string(n) + " outside the file");
                break;
            }
            const BlobBlock b = head(n);
            if (use.Use(n) != kUnused) {
                problem(Block(n) + ": reached twice (chains share or loop)");
                break;
            }
            if (b.count <= 0) {
                problem(Block(n) + ": in the chain from " + Block(first) + " but free");
                break;
            }
            if (b.prev != previous) {
                problem(Block(n) + ": prev is " + std::to_string(b.prev) + ", expected " +
                        std::to_string(previous));
            }
            use.Reach(n, kInChain);
            ++chainBlocks;
            valueBytes += b.count;
            previous = n;
            n = b.next;
        }
    }

    int64_t freeSeen = 0;
    int64_t previous = 0;
    for (int64_t n = header.freeHead; n != 0;) {
        if (!inRange(n)) {
            problem("free list: block " + std::to_string(n) + " outside the file");
            break;
        }
        if (use.Use(n) != kUnused) {
            problem("free list: " + Block(n) +
                    (use.Use(n) == kInFreeList ? " listed twice" : " is in a value"));
            break;
        }
        const BlobBlock b = head(n);
        if (b.count != 0)
            problem("free list: " + Block(n) + " has count " + std::to_string(b.count));
        if (b.prev != previous) {
            problem("free list: " + Block(n) + " prev is " + std::to_string(b.prev) +
                    ", expected " + std::to_string(previous));
        }
        use.Reach(n, kInFreeList);
        ++freeSeen;
        previous = n;
        n = b.next;
    }
    if (freeSeen != header.freeCount) {
        problem("header counts " + std::to_string(header.freeCount) +
                " free blocks, the list has " + std::to_string(freeSeen));
    }
    use.ForEachUnreachedRun(blocks, [&](int64_t first, int64_t last) {
        problem(RunText("block", first, last) + ": neither in a value nor in the free list");
    });
    report.summary = std::to_string(blocks) + " blocks, " + std::to_string(chains) + " values (" +
                     std::to_string(valueBytes) + " bytes in " + std::to_string(chainBlocks) +
                     " blocks), " + std::to_string(freeSeen) + " free";
    return report;
}

DataFileKind DetectDataFile(std::string_view path) {
    platform::File file;
    if (file.Open(path, platform::OpenMode::ReadOnly) != platform::FileError::None) {
        return DataFileKind::Unknown;
    }
    uint8_t magic[4] = {};
    if (ReadExactly(file, 0, magic, 4, kDataOtherFailure) != kDataOk)
        return DataFileKind::Unknown;
    if (std::memcmp(magic, "WEDT", 4) == 0)
        return DataFileKind::Blob;
    if (std::memcmp(magic, "WENX", 4) == 0)
        return DataFileKind::Index;
    return DataFileKind::Unknown;
}

}  // namespace corelib
