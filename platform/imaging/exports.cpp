// The word-shaped routines the application binds by name, named after the
// flat imaging interface they stand for. Floating arguments arrive as their
// bit pattern in the low half of a word; statuses go back as words.
#include <algorithm>
#include <cstring>

#include "platform/base/text_codec.h"
#include "platform/imaging/failure_reason.h"
#include "platform/imaging/imaging.h"

namespace {

using W = uintptr_t;
using namespace platform::imaging;

uint32_t Low(W word) {
    return static_cast<uint32_t>(word);
}
float F(W word) {
    uint32_t bits = Low(word);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
template <typename T>
T* Ptr(W word) {
    return reinterpret_cast<T*>(word);
}

}  // namespace

#define IMAGING_EXPORT extern "C" __attribute__((visibility("default")))

IMAGING_EXPORT W GdiplusStartup(W tokenOut, W /*input*/, W /*output*/) {
    return Startup(Ptr<uintptr_t>(tokenOut));
}
IMAGING_EXPORT W GdiplusShutdown(W token) {
    Shutdown(token);
    return 0;
}

IMAGING_EXPORT W GdipLoadImageFromFile(W path, W imageOut) {
    return LoadImageFromFile(Ptr<const char16_t>(path), Ptr<Image*>(imageOut));
}
IMAGING_EXPORT W GdipLoadImageFromStream(W stream, W imageOut) {
    return LoadImageFromStream(Ptr<PlatformStream>(stream), Ptr<Image*>(imageOut));
}
IMAGING_EXPORT W GdipSaveImageToFile(W image, W path, W encoder, W parameters) {
    return SaveImageToFile(Ptr<const Image>(image), Ptr<const char16_t>(path),
                           Ptr<const ClassId>(encoder), Ptr<const EncoderParameters>(parameters));
}
IMAGING_EXPORT W GdipSaveImageToStream(W image, W stream, W encoder, W parameters) {
    return SaveImageToStream(Ptr<const Image>(image), Ptr<PlatformStream>(stream),
                             Ptr<const ClassId>(encoder), Ptr<const EncoderParameters>(parameters));
}
IMAGING_EXPORT W GdipDisposeImage(W image) {
    return DisposeImage(Ptr<Image>(image));
}
IMAGING_EXPORT W GdipGetImageWidth(W image, W widthOut) {
    return GetImageWidth(Ptr<const Image>(image), Ptr<uint32_t>(widthOut));
}
IMAGING_EXPORT W GdipGetImageHeight(W image, W heightOut) {
    return GetImageHeight(Ptr<const Image>(image), Ptr<uint32_t>(heightOut));
}

IMAGING_EXPORT W GdipCreateBitmapFromScan0(W width, W height, W stride, W format, W scan0,
                                           W bitmapOut) {
    return CreateBitmapFromScan0(int32_t(Low(width)), int32_t(Low(height)), int32_t(Low(stride)),
                                 Low(format), Ptr<const uint8_t>(scan0), Ptr<Image*>(bitmapOut));
}
IMAGING_EXPORT W GdipGetImageGraphicsContext(W image, W graphicsOut) {
    return GetImageGraphicsContext(Ptr<Image>(image), Ptr<Graphics*>(graphicsOut));
}
IMAGING_EXPORT W GdipDeleteGraphics(W graphics) {
    return DeleteGraphics(Ptr<Graphics>(graphics));
}
IMAGING_EXPORT W GdipCreateSolidFill(W argb, W brushOut) {
    return CreateSolidFill(Low(argb), Ptr<SolidBrush*>(brushOut));
}
IMAGING_EXPORT W GdipDeleteBrush(W brush) {
    return DeleteBrush(Ptr<SolidBrush>(brush));
}
IMAGING_EXPORT W GdipFillRectangle(W graphics, W brush, W x, W y, W width, W height) {
    return FillRectangle(Ptr<Graphics>(graphics), Ptr<const SolidBrush>(brush), F(x), F(y),
                         F(width), F(height));
}
IMAGING_EXPORT W GdipDrawImageRectRect(W graphics, W image, W dx, W dy, W dw, W dh, W sx, W sy,
                                       W sw, W sh, W unit, W /*attributes*/, W /*callback*/,
                                       W /*callbackData*/) {
    return DrawImageRectRect(Ptr<Graphics>(graphics), Ptr<const Image>(image), F(dx), F(dy), F(dw),
                             F(dh), F(sx), F(sy), F(sw), F(sh), Low(unit));
}

IMAGING_EXPORT W CLSIDFromString(W text, W idOut) {
    return ClassIdFromString(Ptr<const char16_t>(text), Ptr<ClassId>(idOut));
}

// Why the calling thread's last load or save failed, as a runtime text:
// copies at most `capacity` - 1 bytes and a terminating zero into `buffer`
// and answers the length of the whole reason (0 when there is none), so a
// caller asks with capacity 0 first for the size to allocate.
IMAGING_EXPORT W GdipGetLastFailureText(W buffer, W capacity) {
    const std::string text = platform::Utf8ToRuntime(FailureReason());
    auto* out = Ptr<char>(buffer);
    const size_t room = size_t(Low(capacity));
    if (out && room > 0) {
        const size_t n = std::min(text.size(), room - 1);
        std::memcpy(out, text.data(), n);
        out[n] = 0;
    }
    return W(uint32_t(text.size()));
}
