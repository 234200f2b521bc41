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

void Flatten(PictureObject** self);
void EncoderId(PictureObject** self, int32_t code, rt::ByteBlock** out);

void PrepareSave(PictureObject** self, int32_t code, rt::ArgRecord quality, SaveParameters& p) {
    Flatten(self);
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
    if (pic->image != 0) {
        CallExternal(EXT_DISPOSE_IMAGE, pic->image);
        pic->image = 0;
    }
    ReleaseCoreObject(pic->streamHolder);
    if (pic->memHandle != 0) {
        CallExternal(EXT_FREE_MEMORY, pic->memHandle);
        pic->memHandle = 0;
    }
    pic->width = 0;
    pic->height = 0;
}

int32_t LoadFromFile(PictureObject** self, rt::Text* path) {
    Release(self);
    if (rt::TextLength(*path) == 0)
        return 0;
    rt::ByteBlock* wide = TextToWide(*path);
    CallExternal(EXT_LOAD_FROM_FILE, wide->bytes(), &(*self)->image);
    ReleaseBytes(&wide);
    return (*self)->image != 0 ? 1 : 0;
}

int32_t LoadFromBytes(PictureObject** self, const rt::ByteBlock* data) {
    Release(self);
    PictureObject* pic = *self;
    uint32_t n = data ? data->length : 0;
    if (n < 5)
        return 0;
    pic->memHandle = CallExternal(EXT_ALLOC_MEMORY, kMovable, n);
    if (pic->memHandle == 0)
        return 0;
    CallExternal(EXT_STREAM_ON_MEMORY, pic->memHandle, 0, pic->streamHolder);
    if (pic->streamHolder[0] == nullptr)
        return 0;
    uintptr_t p = CallExternal(EXT_LOCK_MEMORY, pic->memHandle);
    if (p == 0)
        return 0;
    CallExternal(EXT_COPY_IN, p, data->bytes(), n);
    CallExternal(EXT_UNLOCK_MEMORY, pic->memHandle);
    uintptr_t stream = StreamOf(pic->streamHolder);
    if (stream == 0)
        return 0;
    CallExternal(EXT_LOAD_FROM_STREAM, stream, &pic->image);
    return pic->image != 0 ? 1 : 0;
}

// Encodes the current image into a fresh byte block (empty when nothing
// came out), without flattening: the save methods flatten first.
rt::ByteBlock* EncodeToBytes(PictureObject** self, SaveParameters& p) {
    rt::ByteBlock* result = rt::EmptyBytes();
    uintptr_t memory = CallExternal(EXT_ALLOC_MEMORY, kMovable, 0);
    void** holder = NewHolder();
    CallExternal(EXT_STREAM_ON_MEMORY, memory, 0, holder);
    uintptr_t stream = StreamOf(holder);
    if (stream != 0) {
        CallExternal(EXT_SAVE_TO_STREAM, (*self)->image, stream, p.encoderId->bytes(), p.native);
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
    if ((*self)->image == 0)
        return rt::EmptyBytes();
    SaveParameters p;
    PrepareSave(self, code, quality, p);
    rt::ByteBlock* result = EncodeToBytes(self, p);
    p.Release();
    return result;
}

int32_t SaveToFile(PictureObject** self, rt::Text* path, int32_t code, rt::ArgRecord quality) {
    if ((*self)->image == 0)
        return 0;
    if (rt::TextLength(*path) == 0)
        return 0;
    SaveParameters p;
    PrepareSave(self, code, quality, p);
    rt::ByteBlock* wide = TextToWide(*path);
    uintptr_t status = CallExternal(EXT_SAVE_TO_FILE, (*self)->image, wide->bytes(),
                                    p.encoderId->bytes(), p.native);
    ReleaseBytes(&wide);
    p.Release();
    return uint32_t(status) == 0 ? 1 : 0;
}

void QuerySize(PictureObject* pic) {
    uint32_t width = 0, height = 0;
    CallExternal(EXT_IMAGE_WIDTH, pic->image, &width);
    CallExternal(EXT_IMAGE_HEIGHT, pic->image, &height);
    pic->width = int32_t(width);
    pic->height = int32_t(height);
}

void Flatten(PictureObject** self) {
    PictureObject* pic = *self;
    if (pic->image == 0 || pic->brush == 0)
        return;
    if (pic->width == 0 || pic->height == 0)
        QuerySize(pic);
    int32_t width = pic->width, height = pic->height;
    uintptr_t bitmap = 0;
    CallExternal(EXT_CREATE_BITMAP, width, height, 0, kArgb32, nullptr, &bitmap);
    if (bitmap == 0)
        return;
    uintptr_t graphics = 0;
    CallExternal(EXT_OPEN_GRAPHICS, bitmap, &graphics);
    uint32_t zero = FloatBits(0.0f), w = FloatBits(float(width)), h = FloatBits(float(height));
    CallExternal(EXT_FILL_RECTANGLE, graphics, pic->brush, zero, zero, w, h);
    CallExternal(EXT_DRAW_IMAGE, graphics, pic->image, zero, zero, w, h, zero, zero, w, h,
                 kUnitPixel, 0, 0, 0);
    CallExternal(EXT_CLOSE_GRAPHICS, graphics);
    Release(self);
    (*self)->image = bitmap;
}

void GetSize(PictureObject** self, int32_t* width, int32_t* height) {
    PictureObject* pic = *self;
    if (pic->image != 0 && pic->width == 0) {
        QuerySize(pic);
        if (pic->width == 0 || pic->height == 0)
            Release(self);
    }
    *width = (*self)->width;
    *height = (*self)->height;
}

int32_t Width(PictureObject** self) {
    if ((*self)->image != 0 && (*self)->width == 0) {
        int32_t w, h;
        GetSize(self, &w, &h);
    }
    return (*self)->width;
}

int32_t Height(PictureObject** self) {
    if ((*self)->image != 0 && (*self)->height == 0) {
        int32_t w, h;
        GetSize(self, &w, &h);
    }
    return (*self)->height;
}

uintptr_t Handle(PictureObject** self) {
    return (*self)->image;
}

void SetBackground(PictureObject** self, int32_t colour) {
    PictureObject* pic = *self;
    if (pic->brush != 0) {
        CallExternal(EXT_DELETE_BRUSH, pic->brush);
        pic->brush = 0;
    }
    if (colour >= 0)
        CallExternal(EXT_CREATE_BRUSH, ColourToArgb(colour), &pic->brush);
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
    if (pic->brush != 0) {
        CallExternal(EXT_DELETE_BRUSH, pic->brush);
        pic->brush = 0;
    }
    ReleaseCoreObject(pic->streamHolder);
    rt::RtFree(pic->streamHolder);
    pic->streamHolder = nullptr;
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
    if ((*self)->image == 0)
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
    pic->streamHolder = NewHolder();
    return pic;
}

uint32_t ColourToArgb(int32_t colour, rt::ArgRecord alpha) {
    uint32_t a = alpha.omitted() ? 255 : uint32_t(alpha.asInt());
    uint8_t b[4];
    std::memcpy(b, &colour, 4);
    auto v = uint32_t(Truncate(double(b[2]) + double(b[1]) * COLOUR_K1 + double(b[0]) * COLOUR_K2));
    return (a << 24) | v;
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
