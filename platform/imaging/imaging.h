// The imaging platform's C++ interface: start-up, loading from a file or a
// stream, saving with an encoder chosen by class id, 32-bit bitmaps, a
// drawing context with solid fills and image drawing, and the class-id
// parser. The word-shaped routines the application binds (exports.cpp) wrap
// these. Every call is safe from many threads at once as long as each image,
// drawing context and brush is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/imaging/image.h"
#include "platform/kernel/stream_interface.h"

namespace platform::imaging {

enum Status : uint32_t {
    kOk = 0,
    kGenericError = 1,
    kInvalidParameter = 2,
    kOutOfMemory = 3,
    kNotImplemented = 6,
    kWin32Error = 7,
    kFileNotFound = 10,
    kAccessDenied = 12,
    kUnknownImageFormat = 13,
    kNotInitialized = 18,
};

struct ClassId {
    uint8_t bytes[16];
    bool operator==(const ClassId&) const = default;
};

// The encoders by class id; codes 1 to 5 of the application's table.
extern const ClassId kBmpEncoder, kJpegEncoder, kGifEncoder, kTiffEncoder, kPngEncoder;
// The quality parameter (one 32-bit value, 0 to 100) of the JPEG encoder.
extern const ClassId kQualityParameter;
inline constexpr uint32_t kParameterTypeLong = 4;

// The platform's native layout on a 64-bit system: the value pointer is a
// whole pointer, and the first parameter is aligned to 8 bytes.
struct EncoderParameter {
    ClassId id;
    uint32_t numberOfValues;
    uint32_t type;
    void* value;
};
struct EncoderParameters {
    uint32_t count;
    EncoderParameter parameter[1];
};
static_assert(sizeof(EncoderParameter) == 32);
static_assert(offsetof(EncoderParameters, parameter) == 8);

Status Startup(uintptr_t* token);

// Why the calling thread's last load or save failed (UTF-8), beside the
// status it answered; empty after a success. The application reads it
// through the exported routine GdipGetLastFailureText.
const std::string& LastFailureReason();

// The memory budget of the images alive at once (memory_budget.h).
void SetMemoryBudget(uint64_t bytes);
void Shutdown(uintptr_t token);

Status LoadImageFromFile(const char16_t* path, Image** image);
Status LoadImageFromStream(PlatformStream* stream, Image** image);
Status SaveImageToFile(const Image* image, const char16_t* path, const ClassId* encoder,
                       const EncoderParameters* parameters);
Status SaveImageToStream(const Image* image, PlatformStream* stream, const ClassId* encoder,
                         const EncoderParameters* parameters);
Status DisposeImage(Image* image);
Status GetImageWidth(const Image* image, uint32_t* width);
Status GetImageHeight(const Image* image, uint32_t* height);

// scan0, when given, is copied: the bitmap never refers to caller memory.
Status CreateBitmapFromScan0(int32_t width, int32_t height, int32_t stride, uint32_t format,
                             const uint8_t* scan0, Image** bitmap);

struct Graphics;
struct SolidBrush;
Status GetImageGraphicsContext(Image* image, Graphics** graphics);
Status DeleteGraphics(Graphics* graphics);
Status CreateSolidFill(uint32_t argb, SolidBrush** brush);
Status DeleteBrush(SolidBrush* brush);
// Source-over with straight alpha; coordinates are rounded to whole pixels.
Status FillRectangle(Graphics* graphics, const SolidBrush* brush, float x, float y, float width,
                     float height);
inline constexpr uint32_t kUnitPixel = 2;
// Draws the source rectangle of `image` into the destination rectangle,
// scaled by nearest neighbour when the sizes differ.
Status DrawImageRectRect(Graphics* graphics, const Image* image, float dx, float dy, float dw,
                         float dh, float sx, float sy, float sw, float sh, uint32_t unit);

// Parses "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; 0 on success, otherwise
// the platform's "invalid class string" code, and *id is zeroed.
uint32_t ClassIdFromString(const char16_t* text, ClassId* id);
inline constexpr uint32_t kInvalidClassString = 0x800401F3;

}  // namespace platform::imaging
