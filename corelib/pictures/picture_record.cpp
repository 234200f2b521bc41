#include "corelib/pictures/picture_record.h"

#include <cstdlib>

#include "platform/graphics/gdi.h"

namespace corelib {

PictureRecord* NewPictureRecord() {
    return static_cast<PictureRecord*>(std::calloc(1, sizeof(PictureRecord)));
}

uint8_t* AllocatePictureBlock(size_t size) {
    return static_cast<uint8_t*>(std::malloc(size ? size : 1));
}

void FreePictureBlock(void* block) {
    std::free(block);
}

void ReleasePicture(PictureRecord* record) {
    if (!record)
        return;
    record->kind = PICTURE_NONE;
    record->width = 0;
    record->height = 0;
    record->size = 0;
    if (record->icon)
        platform::DestroyIcon(record->icon);
    record->icon = nullptr;
    FreePictureBlock(record->pixels);
    record->pixels = nullptr;
    std::free(record);
}

}  // namespace corelib
