// Start-up, loading and saving. Files are read whole and decoded at once;
// a save is encoded in memory first and then written through the one
// replace-on-success writer (platform/files/replacing_file.h), so a failed
// save never leaves a partial file or damages an existing one. Every load
// and save keeps the reason of a failure for the calling thread
// (failure_reason.h).
#include "platform/imaging/imaging.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/text_codec.h"
#include "platform/files/replacing_file.h"
#include "platform/imaging/block_cache.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {
namespace {

std::atomic<int> g_startCount{0};
std::atomic<uintptr_t> g_nextToken{1};

// No picture this platform reads needs more: 2^28 pixels of eight bytes.
constexpr uint64_t kLargestFile = uint64_t(2) << 30;

bool Started() {
    return g_startCount.load() > 0;
}

Status StatusOfErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kFileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return kAccessDenied;
        case ENOMEM:
            return kOutOfMemory;
        default:
            return kWin32Error;
    }
}

Status StatusOfFileError(FileError error) {
    switch (error) {
        case FileError::None:
            return kOk;
        case FileError::NotFound:
        case FileError::BadPath:
            return kFileNotFound;
        case FileError::AccessDenied:
            return kAccessDenied;
        default:
            return kWin32Error;
    }
}

Status FailWithErrno(const char* what, int error) {
    SetFailureReason(std::string(what) + ": " + std::strerror(error));
    return StatusOfErrno(error);
}

Status ReadWholeFile(const std::string& path, std::vector<uint8_t>& data) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FailWithErrno("cannot open the file", errno);
    struct stat info;
    Status status = kOk;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        SetFailureReason("not a file");
        status = kFileNotFound;
    } else if (uint64_t(info.st_size) > kLargestFile) {
        SetFailureReason("the file is larger than any picture this program reads");
        status = kOutOfMemory;
    } else {
        data.resize(size_t(info.st_size));
        size_t at = 0;
        while (at < data.size()) {
            ssize_t n = read(fd, data.data() + at, data.size() - at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                status = FailWithErrno("cannot read the file", errno);
                break;
            }
            if (n == 0)
                break;
            at += size_t(n);
        }
        data.resize(at);
    }
    close(fd);
    return status;
}

Status Decode(Bytes bytes, Image** image) {
    CoreTurnScope turn(TurnKind::Load);
    auto decoded = DecodeAny(bytes);
    if (!decoded) {
        SetFailureReasonIfNone("the picture is damaged");
        return kUnknownImageFormat;
    }
    *image = decoded.release();
    return kOk;
}

int QualityOf(const EncoderParameters* parameters) {
    int quality = 75;  // the encoder's own default when none is asked for
    if (!parameters)
        return quality;
    for (uint32_t i = 0; i < parameters->count && i < 16; ++i) {
        const EncoderParameter& p = parameters->parameter[i];
        if (p.id == kQualityParameter && p.type == kParameterTypeLong && p.numberOfValues >= 1 &&
            p.value) {
            int32_t value;
            std::memcpy(&value, p.value, sizeof value);
            quality = std::clamp(value, 0, 100);
        }
    }
    return quality;
}

size_t PixelBytes(const Image& image) {
    return image.stride() * image.height();
}

Status Encode(const Image* image, const ClassId* encoder, const EncoderParameters* parameters,
              Output& out) {
    if (!image || !encoder)
        return kInvalidParameter;
    // The turn ends with the encoding: the write and its flush wait for the
    // disk, not for a core.
    CoreTurnScope turn(TurnKind::Save, PixelBytes(*image));
    bool ok;
    if (*encoder == kJpegEncoder) {
        ok = EncodeJpeg(*image, QualityOf(parameters), out);
    } else if (*encoder == kPngEncoder) {
        ok = EncodePng(*image, out);
    } else if (*encoder == kTiffEncoder) {
        ok = EncodeTiff(*image, out);
    } else if (*encoder == kBmpEncoder) {
        ok = EncodeBmp(*image, out);
    } else if (*encoder == kGifEncoder) {
        ok = EncodeGif(*image, out);
    } else {
        SetFailureReason("no encoder of that class id");
        return kFileNotFound;  // as the platform answers
    }
    if (!ok) {
        SetFailureReasonIfNone("the picture could not be encoded");
        return kGenericError;
    }
    return kOk;
}

Status Written(FileError error, const ReplacingFile& file) {
    if (error == FileError::None)
        return kOk;
    SetFailureReasonIfNone(file.Problem().c_str());
    return StatusOfFileError(error);
}

// Writes `bytes` in place of the file at `path`, whole or not at all.
Status WriteReplacing(const char16_t* path, const Output& bytes) {
    ReplacingFile file;
    FileError error = file.BeginUnnamed(Utf16ToUtf8(path));
    if (error == FileError::None)
        error = file.Write(bytes.data(), bytes.size());
    if (error == FileError::None)
        error = file.Commit();
    return Written(error, file);
}

}  // namespace

Status Startup(uintptr_t* token) {
    if (!token)
        return kInvalidParameter;
    g_startCount.fetch_add(1);
    *token = g_nextToken.fetch_add(1);
    return kOk;
}

void Shutdown(uintptr_t token) {
    if (token == 0)
        return;
    int count = g_startCount.load();
    while (count > 0 && !g_startCount.compare_exchange_weak(count, count - 1)) {
    }
    // The last user gone: the blocks kept for the next picture go back too.
    if (count == 1)
        ReleaseKeptBlocks();
}

Status LoadImageFromFile(const char16_t* path, Image** image) {
    if (!path || !image)
        return kInvalidParameter;
    *image = nullptr;
    ClearFailureReason();
    if (!Started())
        return kNotInitialized;
    std::vector<uint8_t> data;
    Status status = ReadWholeFile(Utf16ToUtf8(path), data);
    if (status != kOk)
        return status;
    return Decode({data.data(), data.size()}, image);
}

Status LoadImageFromStream(PlatformStream* stream, Image** image) {
    if (!stream || !stream->methods || !image)
        return kInvalidParameter;
    *image = nullptr;
    ClearFailureReason();
    if (!Started())
        return kNotInitialized;
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    for (;;) {
        uint32_t got = 0;
        if (stream->methods->read(stream, chunk, sizeof chunk, &got) != kStreamOk) {
            SetFailureReason("the stream could not be read");
            return kWin32Error;
        }
        if (data.size() + got > kLargestFile) {
            SetFailureReason("the stream holds more than any picture this program reads");
            return kOutOfMemory;
        }
        data.insert(data.end(), chunk, chunk + got);
        if (got < sizeof chunk)
            break;
    }
    return Decode({data.data(), data.size()}, image);
}

Status SaveImageToFile(const Image* image, const char16_t* path, const ClassId* encoder,
                       const EncoderParameters* parameters) {
    if (!image || !path || !*path)
        return kInvalidParameter;
    ClearFailureReason();
    if (!Started())
        return kNotInitialized;
    if (encoder && *encoder == kTiffEncoder) {
        // Straight to the stage: a TIFF is as large as the raster, and going
        // through memory would cost a second copy of the picture.
        ReplacingFile file;
        FileError error = file.BeginUnnamed(Utf16ToUtf8(path));
        if (error == FileError::None) {
            CoreTurnScope turn(TurnKind::Save, PixelBytes(*image));
            if (!EncodeTiffToFile(*image, file.Descriptor())) {
                SetFailureReasonIfNone("the picture could not be encoded");
                file.Abandon();
                return kGenericError;
            }
        }
        if (error == FileError::None)
            error = file.Commit();
        return Written(error, file);
    }
    Output out;
    Status status = Encode(image, encoder, parameters, out);
    if (status != kOk)
        return status;
    return WriteReplacing(path, out);
}

Status SaveImageToStream(const Image* image, PlatformStream* stream, const ClassId* encoder,
                         const EncoderParameters* parameters) {
    if (!image || !stream || !stream->methods)
        return kInvalidParameter;
    ClearFailureReason();
    if (!Started())
        return kNotInitialized;
    Output out;
    Status status = Encode(image, encoder, parameters, out);
    if (status != kOk)
        return status;
    for (size_t at = 0; at < out.size();) {
        auto count = uint32_t(std::min<size_t>(out.size() - at, 1u << 30));
        uint32_t done = 0;
        if (stream->methods->write(stream, out.data() + at, count, &done) != kStreamOk ||
            done == 0) {
            SetFailureReason("the stream could not be written");
            return kWin32Error;
        }
        at += done;
    }
    return kOk;
}

Status DisposeImage(Image* image) {
    if (!image)
        return kInvalidParameter;
    delete image;
    return kOk;
}

Status GetImageWidth(const Image* image, uint32_t* width) {
    if (!image || !width)
        return kInvalidParameter;
    *width = image->width();
    return kOk;
}

Status GetImageHeight(const Image* image, uint32_t* height) {
    if (!image || !height)
        return kInvalidParameter;
    *height = image->height();
    return kOk;
}

}  // namespace platform::imaging
