// Decoders and encoders of the imaging platform. Decoders take the whole
// file in memory and answer null for anything they cannot read completely
// (a truncated or corrupt file fails; it is never half a picture), with the
// reason set (failure_reason.h). Every decoder applies the size limits of
// platform/base/picture_limits.h before it allocates the pixels. Encoders
// append the file's bytes to `out` and answer false on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/imaging/image.h"

namespace platform::imaging {

// The reason when the pixels of an accepted size cannot be allocated.
inline constexpr const char* kNoMemoryForPixels = "not enough memory for the picture";

struct Bytes {
    const uint8_t* data;
    size_t size;
};

std::unique_ptr<Image> DecodeAny(Bytes file);

std::unique_ptr<Image> DecodeJpeg(Bytes file);
std::unique_ptr<Image> DecodePng(Bytes file);
std::unique_ptr<Image> DecodeTiff(Bytes file);
std::unique_ptr<Image> DecodeBmp(Bytes file);
// A device-independent bitmap without the file header, as icons hold them:
// the height counts the colour rows and the transparency-mask rows.
std::unique_ptr<Image> DecodeIconDib(Bytes dib);
std::unique_ptr<Image> DecodeGif(Bytes file);
std::unique_ptr<Image> DecodeIco(Bytes file);

using Output = std::vector<uint8_t>;
bool EncodeBmp(const Image& image, Output& out);
bool EncodeJpeg(const Image& image, int quality, Output& out);
bool EncodeGif(const Image& image, Output& out);
bool EncodeTiff(const Image& image, Output& out);  // `out` must start empty
bool EncodeTiffToFile(const Image& image, int fd);
bool EncodePng(const Image& image, Output& out);

}  // namespace platform::imaging
