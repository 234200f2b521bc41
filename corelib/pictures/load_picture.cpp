#include "corelib/pictures/load_picture.h"

#include <cstring>
#include <vector>

#include "corelib/pictures/detect_picture.h"
#include "corelib/pictures/picture_decoders.h"
#include "corelib/pictures/picture_source.h"

namespace corelib {
namespace {

// The preferred-size code for icons taken from files and memory: 32 pixels.
constexpr int kIconSize32 = 1;

}  // namespace

PictureRecord* MakePictureRecord(PictureKind kind, int32_t width, int32_t height, uint8_t* pixels,
                                 uint32_t size) {
    PictureRecord* record = NewPictureRecord();
    if (!record) {
        FreePictureBlock(pixels);
        return nullptr;
    }
    record->kind = kind;
    record->width = width;
    record->height = height;
    record->pixels = pixels;
    record->size = size;
    return record;
}

PictureRecord* LoadPictureOfKind(PictureSource& source, PictureKind kind) {
    switch (kind) {
        case PICTURE_JPEG:
            return LoadJpegPicture(source);
        case PICTURE_BMP:
            return LoadBmpPicture(source);
        case PICTURE_ICO:
        case PICTURE_CUR:
            return LoadIconPicture(source, kIconSize32);
        case PICTURE_GIF:
            return LoadGifPicture(source);
        case PICTURE_PCX8:
        case PICTURE_PCX1:
        case PICTURE_PNG: {
            // These decode from the whole file at once.
            std::vector<uint8_t> storage;
            size_t length = 0;
            const uint8_t* bytes = WholeData(source, storage, &length);
            if (!bytes)
                return nullptr;
            return kind == PICTURE_PNG ? LoadPngPicture(bytes, length)
                                       : LoadPcxPicture(bytes, length);
        }
        default:
            return nullptr;
    }
}

PictureRecord* LoadPictureFile(const char* path) {
    if (!path || !*path)
        return nullptr;
    FileSource source;
    if (!source.Open(std::string_view(path, std::strlen(path))))
        return nullptr;
    const PictureKind kind = DetectPicture(source);
    return kind == PICTURE_NONE ? nullptr : LoadPictureOfKind(source, kind);
}

PictureRecord* LoadPictureMemory(const uint8_t* bytes, size_t length) {
    if (!bytes || length < 1)
        return nullptr;
    MemorySource source(bytes, length);
    const PictureKind kind = DetectPicture(source);
    return kind == PICTURE_NONE ? nullptr : LoadPictureOfKind(source, kind);
}

PictureRecord* LoadPictureStream(PlatformStream* stream) {
    if (!stream)
        return nullptr;
    PlatformStreamSource source(stream);
    const PictureKind kind = DetectPicture(source);
    return kind == PICTURE_NONE ? nullptr : LoadPictureOfKind(source, kind);
}

}  // namespace corelib
