#include "app/picture.h"

#include <cstring>

#include "app/compiled.h"
#include "app/external_routines.h"
#include "runtime/services.h"

namespace app {
namespace {

// The platform's class ids of its encoders, by format code, and of the
// JPEG quality parameter.
constexpr const char* ENCODER_1 = "{557CF400-1A04-11D3-9A73-0000F81EF32E}";  // BMP
constexpr const char* ENCODER_2 = "{557CF401-1A04-11D3-9A73-0000F81EF32E}";  // JPEG
constexpr const char* ENCODER_3 = "{557CF402-1A04-11D3-9A73-0000F81EF32E}";  // GIF
constexpr const char* ENCODER_4 = "{557CF405-1A04-11D3-9A73-0000F81EF32E}";  // TIFF
constexpr const char* ENCODER_5 = "{557CF406-1A04-11D3-9A73-0000F81EF32E}";  // PNG
constexpr const char* QUALITY_PARAM = "{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}";

constexpr uint32_t kMovable = 2;
constexpr uint32_t kArgb32 = 0x26200A;
constexpr uint32_t kUnitPixel = 2;
constexpr uint32_t kValueTypeLong = 4;
constexpr int32_t kPngCode = 5;

rt::ByteBlock* NewBytes(uint32_t length) {
    auto* block = static_cast<rt::ByteBlock*>(rt::RtAlloc(sizeof(rt::ByteBlock) + length));
    block->dimensions = 1;
    block->length = length;
    std::memset(block->bytes(), 0, length);
    return block;
}

void ReleaseBytes(rt::ByteBlock** block) {
    if (*block && !rt::IsSharedConstant(*block))
        rt::RtFree(*block);
    *block = nullptr;
}

// A core object holder keeps an interface pointer in its first word; the
// object's own method table releases it (slot 2).
using InterfaceMethod = uint32_t (*)(void* object);
void ReleaseCoreObject(void** holder) {
    if (!holder || !holder[0])
        return;
    void* object = holder[0];
    holder[0] = nullptr;
    auto* methods = *static_cast<InterfaceMethod**>(object);
    methods[2](object);
}
void** NewHolder() {
    auto** holder = static_cast<void**>(rt::RtAlloc(2 * sizeof(void*)));
    holder[0] = holder[1] = nullptr;
    return holder;
}

uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The parameter record as the application holds it, and the native block
// flattened from it for the platform call.
struct SaveParameters {
    int32_t quality = 100;
    rt::ByteBlock* encoderId = nullptr;
    rt::ByteBlock* parameterId = nullptr;
    uint32_t valueCount = 1;
    uint32_t valueType = kValueTypeLong;
    uintptr_t valuePointer = 0;
    uint8_t* native = nullptr;  // count, padding, then one 32-byte parameter

    void Release() {
        ReleaseBytes(&encoderId);
        ReleaseBytes(&parameterId);
        if (native)
            rt::RtFree(native);
        native = nullptr;
    }
};

int32_t FlattenOntoBackground(PictureObject** self);
void EncoderId(PictureObject** self, int32_t code, rt::ByteBlock** out);

// Answers 0 when the picture could not be laid on its background: the save
// then fails with the platform's reason for that, rather than writing the
// picture without the background asked for.
int32_t PrepareSave(PictureObject** self, int32_t code, rt::ArgRecord quality, SaveParameters& p) {
    if (FlattenOntoBackground(self) == 0)
        return 0;
    p.quality = quality.omitted() ? 100 : quality.asInt();
    if (p.quality < 0)
        p.quality = 0;
    if (p.quality > 100)
        p.quality = 100;
    EncoderId(self, code, &p.encoderId);
    p.parameterId = NewBytes(16);
    if (code == 2) {
        p.valuePointer = CallExternal(EXT_VARIABLE_ADDRESS, &p.quality, &p.quality, 0);
        rt::ByteBlock* wide = TextToWide(QUALITY_PARAM);
        CallExternal(EXT_PARSE_PARAMETER_ID, wide->bytes(), p.parameterId->bytes());
        ReleaseBytes(&wide);
    }
    // The platform's 64-bit layout: a 32-bit count, the first parameter at
    // offset 8, and in it a whole pointer to the values.
    constexpr size_t kNativeSize = 8 + 16 + 4 + 4 + sizeof(uintptr_t);
    p.native = static_cast<uint8_t*>(rt::RtAlloc(kNativeSize));
    std::memset(p.native, 0, kNativeSize);
    uint32_t count = 1;
    std::memcpy(p.native, &count, 4);
    uint32_t idBytes = p.parameterId->length < 16 ? p.parameterId->length : 16;
    std::memcpy(p.native + 8, p.parameterId->bytes(), idBytes);
    std::memcpy(p.native + 24, &p.valueCount, 4);
    std::memcpy(p.native + 28, &p.valueType, 4);
    std::memcpy(p.native + 32, &p.valuePointer, sizeof(uintptr_t));
    return 1;
}

// Reads the interface pointer a stream holder keeps; 0 when there is none.
uintptr_t StreamOf(void** holder) {
    uintptr_t address = CallExternal(EXT_HOLDER_ADDRESS, holder, holder, 0);
    if (address == 0)
        return 0;
    uintptr_t stream = 0;
    CallExternal(EXT_COPY_POINTER, &stream, address, sizeof(uintptr_t));
    return stream;
}

// --- Methods -------------------------------------------------------------------

void Release(PictureObject** self) {
    PictureObject* pic = *self;
    if (pic->Image != 0) {
        CallExternal(EXT_DISPOSE_IMAGE, pic->Image);
        pic->Image = 0;
    }
    ReleaseCoreObject(pic->StreamHolder);
    if (pic->MemHandle != 0) {
        CallExternal(EXT_FREE_MEMORY, pic->MemHandle);
        pic->MemHandle = 0;
    }
    pic->Width = 0;
    pic->Height = 0;
}

int32_t LoadFromFile(PictureObject** self, rt::Text* path) {
    Release(self);
    if (rt::TextLength(*path) == 0)
        return 0;
    rt::ByteBlock* wide = TextToWide(*path);
    CallExternal(EXT_LOAD_FROM_FILE, wide->bytes(), &(*self)->Image);
    ReleaseBytes(&wide);
    return (*self)->Image != 0 ? 1 : 0;
}

int32_t LoadFromBytes(PictureObject** self, const rt::ByteBlock* data) {
    Release(self);
    PictureObject* pic = *self;
    uint32_t n = data ? data->length : 0;
    if (n < 5)
        return 0;
    pic->MemHandle = CallExternal(EXT_ALLOC_MEMORY, kMovable, n);
    if (pic->MemHandle == 0)
        return 0;
    CallExternal(EXT_STREAM_ON_MEMORY, pic->MemHandle, 0, pic->StreamHolder);
    if (pic->StreamHolder[0] == nullptr)
        return 0;
    uintptr_t p = CallExternal(EXT_LOCK_MEMORY, pic->MemHandle);
    if (p == 0)
        return 0;
    CallExternal(EXT_COPY_IN, p, data->bytes(), n);
    CallExternal(EXT_UNLOCK_MEMORY, pic->MemHandle);
    uintptr_t stream = StreamOf(pic->StreamHolder);
    if (stream == 0)
        return 0;
    CallExternal(EXT_LOAD_FROM_STREAM, stream, &pic->Image);
    return pic->Image != 0 ? 1 : 0;
}

// Encodes the current image into a fresh byte block (empty when nothing
// came out), without flattening: the save methods flatten first. A failed
// encoding gives the empty block too, never the part it wrote.
rt::ByteBlock* EncodeToBytes(PictureObject** self, SaveParameters& p) {
    rt::ByteBlock* result = rt::EmptyBytes();
    uintptr_t memory = CallExternal(EXT_ALLOC_MEMORY, kMovable, 0);
    void** holder = NewHolder();
    CallExternal(EXT_STREAM_ON_MEMORY, memory, 0, holder);
    uintptr_t stream = StreamOf(holder);
    uint32_t status = 1;
    if (stream != 0) {
        status = uint32_t(CallExternal(EXT_SAVE_TO_STREAM, (*self)->Image, stream,
                                       p.encoderId->bytes(), p.native));
    }
    if (status == 0) {
        uintptr_t bytes = CallExternal(EXT_LOCK_MEMORY, memory);
        uint32_t n = uint32_t(CallExternal(EXT_MEMORY_SIZE, memory));
        if (bytes != 0) {
            result = NewBytes(n);
            CallExternal(EXT_COPY_OUT, result->bytes(), bytes, n);
        }
        CallExternal(EXT_UNLOCK_MEMORY, memory);
    }
    ReleaseCoreObject(holder);
    rt::RtFree(holder);
    CallExternal(EXT_FREE_MEMORY, memory);
    return result;
}

rt::ByteBlock* SaveToBytes(PictureObject** self, int32_t code, rt::ArgRecord quality) {
    if ((*self)->Image == 0)
        return rt::EmptyBytes();
    SaveParameters p;
    rt::ByteBlock* result = rt::EmptyBytes();
    if (PrepareSave(self, code, quality, p) == 1)
        result = EncodeToBytes(self, p);
    p.Release();
    return result;
}

int32_t SaveToFile(PictureObject** self, rt::Text* path, int32_t code, rt::ArgRecord quality) {
    if ((*self)->Image == 0)
        return 0;
    if (rt::TextLength(*path) == 0)
        return 0;
    SaveParameters p;
    if (PrepareSave(self, code, quality, p) == 0) {
        p.Release();
        return 0;
    }
    rt::ByteBlock* wide = TextToWide(*path);
    uintptr_t status = CallExternal(EXT_SAVE_TO_FILE, (*self)->Image, wide->bytes(),
                                    p.encoderId->bytes(), p.native);
    ReleaseBytes(&wide);
    p.Release();
    return uint32_t(status) == 0 ? 1 : 0;
}

void QuerySize(PictureObject* pic) {
    uint32_t width = 0, height = 0;
    CallExternal(EXT_IMAGE_WIDTH, pic->Image, &width);
    CallExternal(EXT_IMAGE_HEIGHT, pic->Image, &height);
    pic->Width = int32_t(width);
    pic->Height = int32_t(height);
}

// Lays the picture on its background colour. Answers 1 when that is done
// or there is nothing to do, 0 when a step failed: the picture then stays
// as it was, and the platform's reason tells which step.
int32_t FlattenOntoBackground(PictureObject** self) {
    PictureObject* pic = *self;
    if (pic->Image == 0 || pic->Brush == 0)
        return 1;
    if (pic->Width == 0 || pic->Height == 0)
        QuerySize(pic);
    int32_t width = pic->Width, height = pic->Height;
    uintptr_t bitmap = 0;
    CallExternal(EXT_CREATE_BITMAP, width, height, 0, kArgb32, nullptr, &bitmap);
    if (bitmap == 0)
        return 0;
    uintptr_t graphics = 0;
    uint32_t failed = uint32_t(CallExternal(EXT_OPEN_GRAPHICS, bitmap, &graphics));
    uint32_t zero = FloatBits(0.0f), w = FloatBits(float(width)), h = FloatBits(float(height));
    if (failed == 0)
        failed = uint32_t(CallExternal(EXT_FILL_RECTANGLE, graphics, pic->Brush, zero, zero, w, h));
    if (failed == 0) {
        failed = uint32_t(CallExternal(EXT_DRAW_IMAGE, graphics, pic->Image, zero, zero, w, h, zero,
                                       zero, w, h, kUnitPixel, 0, 0, 0));
    }
    if (graphics != 0)
        CallExternal(EXT_CLOSE_GRAPHICS, graphics);
    if (failed != 0) {
        CallExternal(EXT_DISPOSE_IMAGE, bitmap);
        return 0;
    }
    Release(self);
    (*self)->Image = bitmap;
    return 1;
}

void Flatten(PictureObject** self) {
    FlattenOntoBackground(self);
}

void GetSize(PictureObject** self, int32_t* width, int32_t* height) {
    PictureObject* pic = *self;
    if (pic->Image != 0 && pic->Width == 0) {
        QuerySize(pic);
        if (pic->Width == 0 || pic->Height == 0)
            Release(self);
    }
    *width = (*self)->Width;
    *height = (*self)->Height;
}

int32_t Width(PictureObject** self) {
    if ((*self)->Image != 0 && (*self)->Width == 0) {
        int32_t w, h;
        GetSize(self, &w, &h);
    }
    return (*self)->Width;
}

int32_t Height(PictureObject** self) {
    if ((*self)->Image != 0 && (*self)->Height == 0) {
        int32_t w, h;
        GetSize(self, &w, &h);
    }
    return (*self)->Height;
}

uintptr_t Handle(PictureObject** self) {
    return (*self)->Image;
}

void SetBackground(PictureObject** self, int32_t colour) {
    PictureObject* pic = *self;
    if (pic->Brush != 0) {
        CallExternal(EXT_DELETE_BRUSH, pic->Brush);
        pic->Brush = 0;
    }
    if (colour >= 0)
        CallExternal(EXT_CREATE_BRUSH, ColourToArgb(colour), &pic->Brush);
}

void EncoderId(PictureObject**, int32_t code, rt::ByteBlock** out) {
    const char* text;
    switch (code) {
        case 2:
            text = ENCODER_2;
            break;
        case 3:
            text = ENCODER_3;
            break;
        case 4:
            text = ENCODER_4;
            break;
        case 5:
            text = ENCODER_5;
            break;
        default:
            text = ENCODER_1;
            break;
    }
    ReleaseBytes(out);
    *out = NewBytes(16);
    rt::ByteBlock* wide = TextToWide(text);
    CallExternal(EXT_PARSE_ENCODER_ID, wide->bytes(), (*out)->bytes());
    ReleaseBytes(&wide);
}

void CleanUp(PictureObject** self) {
    Release(self);
    PictureObject* pic = *self;
    if (pic->Brush != 0) {
        CallExternal(EXT_DELETE_BRUSH, pic->Brush);
        pic->Brush = 0;
    }
    ReleaseCoreObject(pic->StreamHolder);
    rt::RtFree(pic->StreamHolder);
    pic->StreamHolder = nullptr;
}

PictureObject* Copy(PictureObject** self);

const void* const kMethods[] = {
    reinterpret_cast<const void*>(&CleanUp),       reinterpret_cast<const void*>(&Copy),
    reinterpret_cast<const void*>(&Release),       reinterpret_cast<const void*>(&LoadFromBytes),
    reinterpret_cast<const void*>(&LoadFromFile),  reinterpret_cast<const void*>(&SaveToBytes),
    reinterpret_cast<const void*>(&SaveToFile),    reinterpret_cast<const void*>(&Flatten),
    reinterpret_cast<const void*>(&Width),         reinterpret_cast<const void*>(&Height),
    reinterpret_cast<const void*>(&GetSize),       reinterpret_cast<const void*>(&Handle),
    reinterpret_cast<const void*>(&SetBackground), reinterpret_cast<const void*>(&EncoderId),
};

// A copy owns its own image: sharing the platform handles would have both
// objects dispose the same image at clean-up. The picture is carried over
// losslessly (PNG through memory); the background is not carried over, as a
// brush cannot be read back.
PictureObject* Copy(PictureObject** self) {
    PictureObject* copy = NewPicture();
    if ((*self)->Image == 0)
        return copy;
    SaveParameters p;
    EncoderId(self, kPngCode, &p.encoderId);
    p.parameterId = NewBytes(16);
    constexpr size_t kNativeSize = 8 + 16 + 4 + 4 + sizeof(uintptr_t);
    p.native = static_cast<uint8_t*>(rt::RtAlloc(kNativeSize));
    std::memset(p.native, 0, kNativeSize);  // no parameters
    rt::ByteBlock* bytes = EncodeToBytes(self, p);
    p.Release();
    LoadFromBytes(&copy, bytes);
    ReleaseBytes(&bytes);
    return copy;
}

}  // namespace

PictureObject* NewPicture() {
    auto* pic = static_cast<PictureObject*>(rt::RtAlloc(sizeof(PictureObject)));
    std::memset(pic, 0, sizeof *pic);
    pic->methods = kMethods;
    pic->StreamHolder = NewHolder();
    return pic;
}

uint32_t ColourToArgb(int32_t colour, rt::ArgRecord alpha) {
    uint32_t a = alpha.omitted() ? 255 : uint32_t(alpha.asInt());
    uint8_t b[4];
    std::memcpy(b, &colour, 4);
    auto v = uint32_t(Truncate(double(b[2]) + double(b[1]) * COLOUR_K1 + double(b[0]) * COLOUR_K2));
    return (a << 24) | v;
}

rt::Text FailureReason() {
    auto n = uint32_t(CallExternal(EXT_LAST_FAILURE_TEXT, nullptr, 0));
    auto text = static_cast<rt::Text>(rt::RtAlloc(n + 1));
    text[0] = 0;
    CallExternal(EXT_LAST_FAILURE_TEXT, text, n + 1);
    return text;
}

rt::ByteBlock* TextToWide(rt::ConstText text) {
    rt::ConstText source = TextArg(text);
    rt::ByteBlock* empty = rt::EmptyBytes();
    auto n = int32_t(CallExternal(EXT_TEXT_TO_WIDE, 0, 0, source, -1, empty->bytes(), 0));
    auto size = uint32_t(Truncate(n * WIDE_FACTOR));
    rt::ByteBlock* buffer = NewBytes(size);
    CallExternal(EXT_TEXT_TO_WIDE, 0, 0, source, int32_t(rt::TextLength(source)), buffer->bytes(),
                 size);
    return buffer;
}

}  // namespace app
