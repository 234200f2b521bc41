// Pieces the parts of the index file share (index_file.h lists the parts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "corelib/datafiles/index_format.h"

namespace corelib {

// Deeper than any tree of 2^31 pages could be: a deeper descent means the
// pages form a loop.
inline constexpr size_t kMaxIndexDepth = 64;

// Keys are compared in their normal form; the caller's key stays as given.
// Short keys are put in normal form on the stack: every operation makes one.
class NormalisedKey {
public:
    NormalisedKey(const IndexDescriptor& descriptor, const uint8_t* key) {
        const size_t size = static_cast<size_t>(descriptor.keySize);
        if (size > sizeof(inline_)) {
            heap_.resize(size);
            bytes_ = heap_.data();
        }
        std::memcpy(bytes_, key, size);
        NormaliseKey(descriptor, bytes_);
    }
    NormalisedKey(const NormalisedKey&) = delete;
    NormalisedKey& operator=(const NormalisedKey&) = delete;

    const uint8_t* data() const { return bytes_; }

private:
    uint8_t inline_[64];
    std::vector<uint8_t> heap_;
    uint8_t* bytes_ = inline_;
};

// Fills a cleared page as an internal page with two children: `left`, whose
// keys go up to `leftMax`, and `right`.
inline void MakeTwoChildPage(PageView& view, int32_t left, const uint8_t* leftMax, size_t keySize,
                             int32_t right) {
    view.SetFlags(kPageInternal);
    view.SetCount(1);
    view.SetNumber(0, left);
    std::memcpy(view.Key(0), leftMax, keySize);
    view.SetNumber(1, right);
}

}  // namespace corelib
