// Picture: one image of the imaging platform. Loads from a file or a byte
// block, optionally flattens onto a background colour, and saves to a file
// or a byte block with one of five encoders (code 1 BMP, 2 JPEG with a
// quality, 3 GIF, 4 TIFF, 5 PNG). Written like compiled code: an object is a
// block with its method table, every platform call an external routine.
#pragma once

#include <cstdint>

#include "runtime/arg_record.h"
#include "runtime/values.h"

namespace app {

struct PictureObject {
    const void* const* methods;
    uintptr_t MemHandle;  // movable block behind a picture loaded from bytes
    void** StreamHolder;  // core object: word 0 holds the stream over MemHandle
    uintptr_t Image;      // platform image, 0 when empty
    int32_t Width;        // cached, 0 when not yet asked
    int32_t Height;
    uintptr_t Brush;  // background brush, 0 when none
};

enum PictureSlot : uint32_t {
    PIC_CLEAN_UP = 0,
    PIC_COPY = 1,
    PIC_RELEASE = 2,
    PIC_LOAD_FROM_BYTES = 3,
    PIC_LOAD_FROM_FILE = 4,
    PIC_SAVE_TO_BYTES = 5,
    PIC_SAVE_TO_FILE = 6,
    PIC_FLATTEN = 7,
    PIC_WIDTH = 8,
    PIC_HEIGHT = 9,
    PIC_GET_SIZE = 10,
    PIC_HANDLE = 11,
    PIC_SET_BACKGROUND = 12,
    PIC_ENCODER_ID = 13,
};

// Method signatures in slot order; the first argument is the address of the
// object variable, texts are passed by reference, logical results are 1/0.
using PicCleanUp = void (*)(PictureObject** self);
using PicCopy = PictureObject* (*)(PictureObject** self);
using PicRelease = void (*)(PictureObject** self);
using PicLoadFromBytes = int32_t (*)(PictureObject** self, const rt::ByteBlock* data);
using PicLoadFromFile = int32_t (*)(PictureObject** self, rt::Text* path);
using PicSaveToBytes = rt::ByteBlock* (*)(PictureObject** self, int32_t code,
                                          rt::ArgRecord quality);
using PicSaveToFile = int32_t (*)(PictureObject** self, rt::Text* path, int32_t code,
                                  rt::ArgRecord quality);
using PicFlatten = void (*)(PictureObject** self);
using PicWidth = int32_t (*)(PictureObject** self);
using PicHeight = int32_t (*)(PictureObject** self);
using PicGetSize = void (*)(PictureObject** self, int32_t* width, int32_t* height);
using PicHandle = uintptr_t (*)(PictureObject** self);
using PicSetBackground = void (*)(PictureObject** self, int32_t colour);
using PicEncoderId = void (*)(PictureObject** self, int32_t code, rt::ByteBlock** out);

// A new, empty picture. The owner calls the clean-up method, then RtFree.
PictureObject* NewPicture();

template <typename Method, typename... Args>
auto CallMethod(PictureObject** self, PictureSlot slot, Args... args) {
    // The slots hold code addresses; a data pointer to const cannot become a
    // function pointer without dropping the const first.
    return reinterpret_cast<Method>(const_cast<void*>((*self)->methods[slot]))(self, args...);
}

// A colour as the application writes it (red in the lowest byte) to the
// platform's ARGB. COLOUR_K1 and COLOUR_K2 move green and red into place.
inline constexpr double COLOUR_K1 = 256.0;
inline constexpr double COLOUR_K2 = 65536.0;
uint32_t ColourToArgb(int32_t colour, rt::ArgRecord alpha = rt::ArgRecord::Omitted());

// Why the calling thread's last load or save failed, as the imaging
// platform tells it: a fresh text, empty when there is no reason. Read it
// right after a method answered failure, on the same thread.
rt::Text FailureReason();

// Bytes per wide character of the platform's UTF-16 text.
inline constexpr double WIDE_FACTOR = 2.0;
// The text as zero-terminated UTF-16 in a fresh byte block.
rt::ByteBlock* TextToWide(rt::ConstText text);

}  // namespace app
