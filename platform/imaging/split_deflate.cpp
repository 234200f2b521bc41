#include "platform/imaging/split_deflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/base/byte_order.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {
namespace {

constexpr const char* kNoMemory = "not enough memory to encode the PNG";
// The empty stored block after the first part: at most one more byte for
// its three header bits, then LEN and NLEN.
constexpr size_t kJoinBytes = 5;
constexpr size_t kAdlerBytes = 4;

struct Compressor {
    explicit Compressor(int level) : get(libdeflate_alloc_compressor(level)) {}
    ~Compressor() { libdeflate_free_compressor(get); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    libdeflate_compressor* get;
};

// The two header bytes libdeflate writes for `level`, so that a split
// stream starts as an unsplit one does.
void PutZlibHeader(uint8_t* out, int level) {
    const unsigned hint = level < 2 ? 0 : level < 6 ? 1 : level < 8 ? 2 : 3;
    unsigned header = (8u << 8) | (7u << 12) | (hint << 6);  // deflate, 32 KiB window
    header |= (31 - header % 31) % 31;                       // the check bits
    WriteBe16(out, uint16_t(header));
}

// A raw deflate part and its Adler-32, compressed into `out`.
struct Part {
    size_t size = 0;  // 0: it did not fit (cannot happen within the bound)
    uint32_t adler = 1;
};

Part CompressPart(Bytes input, int level, uint8_t* out, size_t room) {
    Part part;
    Compressor compressor(level);
    if (!compressor.get)
        return part;
    part.size = libdeflate_deflate_compress(compressor.get, input.data, input.size, out, room);
    part.adler = libdeflate_adler32(1, input.data, input.size);
    return part;
}

size_t RawBound(size_t size) {
    // The bound depends only on the size; any compressor answers it.
    return libdeflate_deflate_compress_bound(nullptr, size);
}

}  // namespace

bool FindLastBlock(Bytes raw, LastBlock& found) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        return false;
    // The inflater needs somewhere to put what it decodes; only the block
    // boundaries are wanted, so one scratch buffer is reused throughout.
    constexpr size_t kScratch = size_t(256) << 10;
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[kScratch]);
    const uint8_t* next = raw.data;
    size_t left = raw.size;
    uint64_t header = 0;
    bool ok = false;
    while (scratch) {
        if (z.avail_in == 0) {
            const size_t piece = std::min<size_t>(left, size_t(1) << 30);
            z.next_in = const_cast<uint8_t*>(next);
            z.avail_in = uInt(piece);
            next += piece;
            left -= piece;
        }
        z.next_out = scratch.get();
        z.avail_out = uInt(kScratch);
        // Z_BLOCK stops at the end of every block, with data_type telling
        // the unused bits of the last byte read (0-7), whether that block
        // was the last (64) and whether it stopped at a boundary (128).
        if (inflate(&z, Z_BLOCK) != Z_OK)
            break;
        if ((z.data_type & 128) == 0)
            continue;
        const uint64_t boundary = uint64_t(z.total_in) * 8 - unsigned(z.data_type & 7);
        if (z.data_type & 64) {
            found = {header, boundary};
            ok = (boundary + 7) / 8 == raw.size;
            break;
        }
        header = boundary;
    }
    inflateEnd(&z);
    return ok;
}

bool ZlibStream::Compress(Bytes input, size_t splitAt, int level, SpareTurn* spare) {
    headSize_ = tailSize_ = 0;
    if (splitAt == 0 || splitAt >= input.size)
        return CompressWhole(input, level);
    return CompressSplit(input, splitAt, level, spare);
}

bool ZlibStream::CompressWhole(Bytes input, int level) {
    Compressor compressor(level);
    if (!compressor.get) {
        SetFailureReason(kNoMemory);
        return false;
    }
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get, input.size);
    head_.Reset(bound);
    if (!head_.get()) {
        SetFailureReason(kNoMemory);
        return false;
    }
    headSize_ =
        libdeflate_zlib_compress(compressor.get, input.data, input.size, head_.get(), bound);
    if (headSize_ == 0)
        SetFailureReason("the rows did not fit the compressor's worst case");
    return headSize_ != 0;
}

bool ZlibStream::CompressSplit(Bytes input, size_t splitAt, int level, SpareTurn* spare) {
    const Bytes first{input.data, splitAt};
    const Bytes second{input.data + splitAt, input.size - splitAt};
    const size_t firstRoom = RawBound(first.size), secondRoom = RawBound(second.size);
    head_.Reset(2 + firstRoom + kJoinBytes);
    tail_.Reset(secondRoom + kAdlerBytes);
    if (!head_.get() || !tail_.get()) {
        SetFailureReason(kNoMemory);
        return false;
    }

    // The second part goes to whichever thread claims it first.
    Part tailPart;
    std::atomic<bool> tailClaimed{false};
    auto compressTail = [&] { tailPart = CompressPart(second, level, tail_.get(), secondRoom); };
    std::thread helper;
    try {
        helper = std::thread([&] {
            if (spare && !spare->Take())
                return;
            if (!tailClaimed.exchange(true))
                compressTail();
            if (spare)
                spare->Give();
        });
    } catch (const std::system_error&) {
        // No thread to be had: this one does both parts.
    }
    const Part headPart = CompressPart(first, level, head_.get() + 2, firstRoom);
    if (spare)
        spare->Withdraw();
    if (!tailClaimed.exchange(true))
        compressTail();
    // While the helper may still be at work, find where to join.
    LastBlock last{};
    const bool joinable =
        headPart.size != 0 && FindLastBlock({head_.get() + 2, headPart.size}, last);
    if (helper.joinable())
        helper.join();
    if (headPart.size == 0 || tailPart.size == 0) {
        SetFailureReason(kNoMemory);
        return false;
    }
    if (!joinable) {
        SetFailureReason("the compressed rows could not be joined into one stream");
        return false;
    }

    // The first part's last block is no longer the stream's last.
    uint8_t* raw = head_.get() + 2;
    raw[last.headerBit / 8] &= uint8_t(~(1u << (last.headerBit % 8)));
    // After its last bit: the stored block's three zero header bits and
    // zero padding (the bits above the end are cleared in case the
    // compressor left anything there), then LEN and NLEN.
    const size_t endByte = last.endBit / 8;
    const unsigned endBits = unsigned(last.endBit % 8);
    if (endBits != 0)
        raw[endByte] &= uint8_t((1u << endBits) - 1);
    size_t at = endByte + (endBits != 0 ? 1 : 0);
    const size_t lenAt = (last.endBit + 3 + 7) / 8;
    while (at < lenAt)
        raw[at++] = 0;
    static const uint8_t kEmptyStored[4] = {0x00, 0x00, 0xFF, 0xFF};
    std::copy(kEmptyStored, kEmptyStored + 4, raw + at);
    PutZlibHeader(head_.get(), level);
    headSize_ = 2 + at + 4;

    const auto adler =
        uint32_t(adler32_combine(headPart.adler, tailPart.adler, z_off_t(second.size)));
    WriteBe32(tail_.get() + tailPart.size, adler);
    tailSize_ = tailPart.size + kAdlerBytes;
    return true;
}

}  // namespace platform::imaging
