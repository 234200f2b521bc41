// A picture's rows compressed in two parts on two threads must still be one
// zlib stream that zlib (and Pillow, through the PNG) inflates to exactly
// the rows, whatever bit the first part ends on; unsplit, the stream is
// libdeflate's own, byte for byte.
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "platform/base/byte_order.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/split_deflate.h"

namespace platform::imaging {
namespace {

using Buffer = std::vector<uint8_t>;

// Rows that compress like a photograph's filtered rows: a filter byte,
// then small differences with some noise and runs.
Buffer PhotoRows(uint32_t rows, uint32_t rowBytes, uint32_t seed) {
    Buffer rowsOut;
    rowsOut.reserve(size_t(rows) * (rowBytes + 1));
    uint32_t noise = seed;
    for (uint32_t y = 0; y < rows; ++y) {
        rowsOut.push_back(uint8_t(y % 5));
        for (uint32_t x = 0; x < rowBytes; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const uint8_t wobble = uint8_t((noise >> 28) & 3);
            rowsOut.push_back(x % 97 < 40 ? uint8_t(wobble - 1) : uint8_t((x / 7 + y / 3) & 0x0F));
        }
    }
    return rowsOut;
}

Buffer Joined(const ZlibStream& stream) {
    Buffer all(stream.head().data, stream.head().data + stream.head().size);
    all.insert(all.end(), stream.tail().data, stream.tail().data + stream.tail().size);
    return all;
}

// zlib's own inflate of a whole zlib stream: the bytes, or empty when it
// refuses the stream or finds it longer or shorter than `expected`.
Buffer Inflate(const Buffer& stream, size_t expected) {
    Buffer out(expected + 1);
    uLongf size = uLongf(out.size());
    if (uncompress(out.data(), &size, stream.data(), uLong(stream.size())) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

TEST(FindLastBlock, FindsTheBitsOfHandMadeAndLibdeflateStreams) {
    // A stored block "abc" (not last), then a fixed-code block holding only
    // its end code (last): header bits 1 and type 01, then seven zero bits.
    const Buffer handMade = {0x00, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c', 0x03, 0x00};
    LastBlock last{};
    ASSERT_TRUE(FindLastBlock({handMade.data(), handMade.size()}, last));
    EXPECT_EQ(last.headerBit, 64u);
    EXPECT_EQ(last.endBit, 74u);

    // libdeflate writes nothing as one empty stored block, the last.
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    uint8_t empty[16];
    const size_t emptySize = libdeflate_deflate_compress(compressor, nullptr, 0, empty, 16);
    libdeflate_free_compressor(compressor);
    ASSERT_EQ(Buffer(empty, empty + emptySize), (Buffer{0x01, 0x00, 0x00, 0xFF, 0xFF}));
    ASSERT_TRUE(FindLastBlock({empty, emptySize}, last));
    EXPECT_EQ(last.headerBit, 0u);
    EXPECT_EQ(last.endBit, 40u);
}

TEST(FindLastBlock, RefusesDamagedTruncatedAndOverlongStreams) {
    const Buffer good = {0x00, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c', 0x03, 0x00};
    LastBlock last{};
    Buffer overlong = good;
    overlong.push_back(0);
    EXPECT_FALSE(FindLastBlock({overlong.data(), overlong.size()}, last));
    EXPECT_FALSE(FindLastBlock({good.data(), good.size() - 1}, last));
    Buffer badLength = good;
    badLength[3] = 0xFD;  // NLEN no longer the complement of LEN
    EXPECT_FALSE(FindLastBlock({badLength.data(), badLength.size()}, last));
    Buffer reservedType = good;
    reservedType[8] = 0x07;  // block type 11
    EXPECT_FALSE(FindLastBlock({reservedType.data(), reservedType.size()}, last));
}

TEST(ZlibStream, UnsplitIsLibdeflatesZlibStreamByteForByte) {
    for (uint32_t rows : {1u, 2u, 7u, 300u}) {
        SCOPED_TRACE(rows);
        const Buffer input = PhotoRows(rows, 901, rows);
        ZlibStream stream;
        // A split at 0 or at the end is no split: a one-row picture.
        for (size_t splitAt : {size_t(0), input.size()}) {
            ASSERT_TRUE(stream.Compress({input.data(), input.size()}, splitAt, 6));
            EXPECT_EQ(stream.tail().size, 0u);
            libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
            Buffer expected(libdeflate_zlib_compress_bound(compressor, input.size()));
            expected.resize(libdeflate_zlib_compress(compressor, input.data(), input.size(),
                                                     expected.data(), expected.size()));
            libdeflate_free_compressor(compressor);
            EXPECT_EQ(Joined(stream), expected);
        }
    }
}

TEST(ZlibStream, SplitStreamsInflateToTheInputWhateverBitTheFirstPartEndsOn) {
    // The join differs by the bit the first part ends on: the stored
    // block's three header bits fit in its last byte, or spill into one
    // more (ends on bit 6 or 7), or start a byte of their own (bit 0).
    std::set<unsigned> endings;
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    for (uint32_t seed = 1; seed < 200 && endings.size() < 8; ++seed) {
        const uint32_t rowBytes = 200 + seed * 13, rows = 3 + seed % 9;
        const Buffer input = PhotoRows(rows, rowBytes, seed);
        const size_t splitAt = size_t(rows / 2 + seed % 2) * (rowBytes + 1);
        // Where the first part ends, from a separate compression of it.
        Buffer first(libdeflate_deflate_compress_bound(compressor, splitAt));
        first.resize(libdeflate_deflate_compress(compressor, input.data(), splitAt, first.data(),
                                                 first.size()));
        LastBlock last{};
        ASSERT_TRUE(FindLastBlock({first.data(), first.size()}, last));
        endings.insert(unsigned(last.endBit % 8));

        ZlibStream stream;
        ASSERT_TRUE(stream.Compress({input.data(), input.size()}, splitAt, 6));
        ASSERT_GT(stream.tail().size, 4u);
        const Buffer joined = Joined(stream);
        EXPECT_EQ(joined[0], 0x78);
        EXPECT_EQ(joined[1], 0x9C);
        // The first part as compressed, but for its last block's BFINAL bit.
        first[last.headerBit / 8] &= uint8_t(~(1u << (last.headerBit % 8)));
        ASSERT_TRUE(std::equal(first.begin(), first.end(), joined.begin() + 2));
        // Then the empty stored block: its header bits in the last byte, or
        // in a zero byte of their own, then LEN and NLEN.
        const unsigned ending = unsigned(last.endBit % 8);
        const Buffer join = ending == 0 || ending >= 6 ? Buffer{0x00, 0x00, 0x00, 0xFF, 0xFF}
                                                       : Buffer{0x00, 0x00, 0xFF, 0xFF};
        EXPECT_TRUE(std::equal(join.begin(), join.end(), joined.begin() + 2 + first.size()));
        EXPECT_EQ(stream.head().size, 2 + first.size() + join.size());
        EXPECT_EQ(ReadBe32(&joined[joined.size() - 4]),
                  libdeflate_adler32(1, input.data(), input.size()));
        EXPECT_TRUE(Inflate(joined, input.size()) == input) << "seed " << seed;
    }
    libdeflate_free_compressor(compressor);
    EXPECT_EQ(endings.size(), 8u);
}

TEST(ZlibStream, TheSplitCostsAFewHundredBytesOfAPicture) {
    const Buffer input = PhotoRows(1200, 3 * 1600, 5);  // about 5.8 MB
    const size_t rowBytes = 3 * 1600 + 1;
    ZlibStream whole, split;
    ASSERT_TRUE(whole.Compress({input.data(), input.size()}, 0, 6));
    ASSERT_TRUE(split.Compress({input.data(), input.size()}, 601 * rowBytes, 6));
    const size_t wholeSize = whole.head().size;
    const size_t splitSize = split.head().size + split.tail().size;
    // The second part starts without the first's window, and its blocks
    // end elsewhere: a few hundred bytes either way.
    EXPECT_LT(splitSize, wholeSize + 1000);
    EXPECT_GT(splitSize + 1000, wholeSize);
    EXPECT_TRUE(Inflate(Joined(split), input.size()) == input);
}

TEST(ZlibStream, WithoutASpareTurnTheCallerCompressesBothPartsToTheSameStream) {
    const Buffer input = PhotoRows(400, 2000, 9);
    const size_t splitAt = 200 * 2001;
    ZlibStream atOnce;
    ASSERT_TRUE(atOnce.Compress({input.data(), input.size()}, splitAt, 6));

    // Both turns are held (this thread's save and another's), so the
    // helper waits for a spare turn until the offer is withdrawn.
    SetCoreTurns(2);
    std::atomic<bool> release{false};
    std::thread other([&] {
        CoreTurnScope scope(TurnKind::Save, kLargePictureBytes);
        while (!release)
            std::this_thread::yield();
    });
    {
        CoreTurnScope save(TurnKind::Save, kLargePictureBytes);
        while (CoreTurnsNow().busy != 2)
            std::this_thread::yield();
        SpareTurn spare;
        ZlibStream alone;
        ASSERT_TRUE(alone.Compress({input.data(), input.size()}, splitAt, 6, &spare));
        EXPECT_TRUE(Joined(alone) == Joined(atOnce));
        EXPECT_EQ(CoreTurnsNow().spares, 0u);
        EXPECT_EQ(CoreTurnsNow().busy, 2u);
    }
    release = true;
    other.join();
    EXPECT_EQ(CoreTurnsNow().busy, 0u);
    EXPECT_EQ(CoreTurnsNow().peakBusy, 2u);
    SetCoreTurns(0);
}

}  // namespace
}  // namespace platform::imaging
