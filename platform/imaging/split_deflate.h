// One zlib stream (RFC 1950) of a large buffer, compressed by libdeflate on
// one thread or, split at a row boundary the caller chooses, on two: the
// calling thread compresses the first part while a helper thread
// compresses the second, so a picture saved while a core stands idle (the
// last one of a batch) takes about half the time.
//
// Unsplit, the stream is libdeflate's zlib stream, byte for byte. Split,
// the two raw deflate parts are joined into one stream that any inflater
// reads straight through:
//   OFFSET  SIZE   DESCRIPTION
//   0       2      zlib header: deflate, 32 KiB window, the level's hint
//   2       n1     raw deflate of input [0, split), the BFINAL bit of its
//                  last block cleared so that the stream goes on; it ends
//                  at any bit of its last byte
//   2+n1    4-5    an empty stored block right after that bit: BFINAL 0
//                  and type 00 (3 bits), zero bits to the next byte, then
//                  LEN 00 00 and NLEN FF FF; it brings the stream to a byte
//                  boundary, where the second part starts
//   ...     n2     raw deflate of input [split, size), as compressed: its
//                  last block ends the stream
//   ...     4      Adler-32 of the whole input, big-endian
// The second part never refers back into the first (its compressor did
// not see it), which costs a few hundred bytes of a picture's megabytes.
//
// The head (header, first part, stored block; and when unsplit the whole
// stream) and the tail (second part, Adler-32) are kept in two buffers, and
// the caller writes one after the other, so joining copies nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/imaging/block_holder.h"
#include "platform/imaging/codecs.h"

namespace platform::imaging {

class SpareTurn;

class ZlibStream {
public:
    // Compresses `input` at libdeflate's `level`. `splitAt` 0 (or
    // input.size) compresses on this thread alone. Split, the helper thread
    // starts on the second part at once when `spare` is null, else when it
    // has taken the spare turn (core_turns.h); if it has not by the time
    // this thread is done with the first part, this thread does the second
    // too (the stream is the same either way). Answers false, with the
    // failure reason set (failure_reason.h), when memory runs out.
    bool Compress(Bytes input, size_t splitAt, int level, SpareTurn* spare = nullptr);

    // The stream is head() followed by tail(); tail() is empty unsplit.
    Bytes head() const { return {head_.get(), headSize_}; }
    Bytes tail() const { return {tail_.get(), tailSize_}; }

private:
    bool CompressWhole(Bytes input, int level);
    bool CompressSplit(Bytes input, size_t splitAt, int level, SpareTurn* spare);

    // Only the start of each buffer is written: fresh blocks, whose
    // untouched pages never become resident.
    FreshBlock head_, tail_;
    size_t headSize_ = 0, tailSize_ = 0;
};

// Where the last block of a raw deflate stream starts and where the stream
// ends, as bit offsets (bit 0 is the lowest bit of byte 0). Answers false
// for a stream that is damaged or does not end in the last byte of `raw`.
struct LastBlock {
    uint64_t headerBit;
    uint64_t endBit;
};
bool FindLastBlock(Bytes raw, LastBlock& found);

}  // namespace platform::imaging
