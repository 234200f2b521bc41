// GIF through giflib: the first frame is read, placed on the logical screen
// (transparent where the frame does not reach), with its transparent colour
// as alpha. Saving quantises to 256 colours with giflib's median cut.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/picture_limits.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {
namespace {

struct Reader {
    Bytes file;
    size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    size_t n = std::min<size_t>(size_t(count), reader->file.size - reader->at);
    std::memcpy(out, reader->file.data + reader->at, n);
    reader->at += n;
    return int(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* data, int count) {
    auto* out = static_cast<Output*>(gif->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}

std::nullptr_t Damaged(GifFileType* gif) {
    const char* text = GifErrorString(gif->Error);
    return Refuse(std::string("the GIF data is damaged (") + (text ? text : "unknown error") + ")");
}

std::unique_ptr<Image> ReadFirstFrame(GifFileType* gif, size_t fileBytes) {
    // The screen is the picture's size and is allocated whole, though no
    // byte of the file codes the part no frame covers: it is held to the
    // same limits as coded pixels.
    std::string problem =
        PictureSizeProblem(uint32_t(std::max(gif->SWidth, 0)), uint32_t(std::max(gif->SHeight, 0)),
                           fileBytes, PictureCoding::GifLzw);
    if (!problem.empty())
        return Refuse(problem);
    int transparent = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return Damaged(gif);
        if (type == TERMINATE_RECORD_TYPE)
            return Refuse("the GIF holds no picture");
        if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* block;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return Damaged(gif);
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4 && (block[1] & 1)) {
                transparent = block[4];
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return Damaged(gif);
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            return Damaged(gif);
        break;
    }
    const GifImageDesc& frame = gif->Image;
    ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map)
        return Refuse("the GIF has no colour table");
    const int width = gif->SWidth, height = gif->SHeight;
    problem =
        PictureSizeProblem(uint32_t(std::max(frame.Width, 0)), uint32_t(std::max(frame.Height, 0)),
                           fileBytes, PictureCoding::GifLzw);
    if (!problem.empty())
        return Refuse(problem);
    std::vector<GifByteType> indices(size_t(frame.Width) * frame.Height);
    if (frame.Interlace) {
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = kStart[pass]; y < frame.Height; y += kStep[pass]) {
                if (DGifGetLine(gif, &indices[size_t(y) * frame.Width], frame.Width) == GIF_ERROR) {
                    return Damaged(gif);
                }
            }
        }
    } else {
        for (int y = 0; y < frame.Height; ++y) {
            if (DGifGetLine(gif, &indices[size_t(y) * frame.Width], frame.Width) == GIF_ERROR) {
                return Damaged(gif);
            }
        }
    }
    auto image = Image::Create(uint32_t(width), uint32_t(height), PixelLayout::Bgra32);
    if (!image)
        return Refuse(kNoMemoryForPixels);
    for (int y = 0; y < height; ++y)
        std::memset(image->row(uint32_t(y)), 0, image->stride());
    for (int y = 0; y < frame.Height; ++y) {
        int sy = frame.Top + y;
        if (sy < 0 || sy >= height)
            continue;
        uint8_t* out = image->row(uint32_t(sy));
        for (int x = 0; x < frame.Width; ++x) {
            int sx = frame.Left + x;
            if (sx < 0 || sx >= width)
                continue;
            int index = indices[size_t(y) * frame.Width + x];
            if (index == transparent || index >= map->ColorCount)
                continue;
            const GifColorType& c = map->Colors[index];
            uint8_t* p = out + sx * 4;
            p[0] = c.Blue, p[1] = c.Green, p[2] = c.Red, p[3] = 255;
        }
    }
    return image;
}

}  // namespace

std::unique_ptr<Image> DecodeGif(Bytes file) {
    Reader reader{file};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif) {
        const char* text = GifErrorString(error);
        return Refuse(std::string("the GIF header is damaged (") + (text ? text : "unknown error") +
                      ")");
    }
    auto image = ReadFirstFrame(gif, file.size);
    DGifCloseFile(gif, &error);
    return image;
}

bool EncodeGif(const Image& image, Output& out) {
    const uint32_t width = image.width(), height = image.height();
    if (width > 0xFFFF || height > 0xFFFF)
        return false;
    const size_t count = size_t(width) * height;
    std::vector<GifByteType> red(count), green(count), blue(count), indices(count);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = image.row(y);
        for (uint32_t x = 0; x < width; ++x, in += image.bytesPerPixel()) {
            size_t i = size_t(y) * width + x;
            blue[i] = in[0], green[i] = in[1], red[i] = in[2];
        }
    }
    int colours = 256;
    std::vector<GifColorType> palette(256);
    if (GifQuantizeBuffer(width, height, &colours, red.data(), green.data(), blue.data(),
                          indices.data(), palette.data()) == GIF_ERROR) {
        return false;
    }
    ColorMapObject* map = GifMakeMapObject(256, palette.data());
    if (!map)
        return false;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToMemory, &error);
    bool ok = gif != nullptr;
    if (ok) {
        EGifSetGifVersion(gif, true);
        ok = EGifPutScreenDesc(gif, int(width), int(height), 8, 0, map) != GIF_ERROR &&
             EGifPutImageDesc(gif, 0, 0, int(width), int(height), false, nullptr) != GIF_ERROR;
        for (uint32_t y = 0; ok && y < height; ++y) {
            ok = EGifPutLine(gif, &indices[size_t(y) * width], int(width)) != GIF_ERROR;
        }
        if (EGifCloseFile(gif, &error) == GIF_ERROR)
            ok = false;
    }
    GifFreeMapObject(map);
    return ok;
}

}  // namespace platform::imaging
