// Start-up, loading and saving. Files are read whole and decoded at once;
// a save is encoded in memory first and then written under a temporary
// name that is renamed over the target only when everything was written,
// so a failed save never leaves a partial file or damages an existing one.
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

#include "platform/imaging/codecs.h"

namespace platform::imaging {
namespace {

std::atomic<int> g_startCount{0};
std::atomic<uintptr_t> g_nextToken{1};

bool Started() {
    return g_startCount.load() > 0;
}

std::string WideToUtf8(const char16_t* text) {
    std::string out;
    for (size_t i = 0; text[i]; ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
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

Status ReadWholeFile(const std::string& path, std::vector<uint8_t>& data) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return StatusOfErrno(errno);
    struct stat info;
    Status status = kOk;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        status = kFileNotFound;
    } else {
        data.resize(size_t(info.st_size));
        size_t at = 0;
        while (at < data.size()) {
            ssize_t n = read(fd, data.data() + at, data.size() - at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            at += size_t(n);
        }
        data.resize(at);
    }
    close(fd);
    return status;
}

Status Decode(Bytes bytes, Image** image) {
    auto decoded = DecodeAny(bytes);
    if (!decoded)
        return kUnknownImageFormat;
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

Status Encode(const Image* image, const ClassId* encoder, const EncoderParameters* parameters,
              Output& out) {
    if (!image || !encoder)
        return kInvalidParameter;
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
        return kFileNotFound;  // no such encoder, as the platform answers
    }
    return ok ? kOk : kGenericError;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Writes the file under a temporary name beside it and renames it over the
// target only when `write` succeeded.
template <typename Writer>
Status WriteReplacing(const std::string& path, Writer write) {
    static std::atomic<uint32_t> counter{0};
    std::string temporary =
        path + ".part" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
    int fd = open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return StatusOfErrno(errno);
    errno = 0;
    bool ok = write(fd);
    int error = ok ? 0 : (errno ? errno : EIO);
    if (close(fd) != 0 && ok)
        ok = false, error = errno;
    if (ok && rename(temporary.c_str(), path.c_str()) != 0)
        ok = false, error = errno;
    if (!ok) {
        unlink(temporary.c_str());
        return StatusOfErrno(error);
    }
    return kOk;
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
}

Status LoadImageFromFile(const char16_t* path, Image** image) {
    if (!path || !image)
        return kInvalidParameter;
    *image = nullptr;
    if (!Started())
        return kNotInitialized;
    std::vector<uint8_t> data;
    Status status = ReadWholeFile(WideToUtf8(path), data);
    if (status != kOk)
        return status;
    return Decode({data.data(), data.size()}, image);
}

Status LoadImageFromStream(PlatformStream* stream, Image** image) {
    if (!stream || !stream->methods || !image)
        return kInvalidParameter;
    *image = nullptr;
    if (!Started())
        return kNotInitialized;
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    for (;;) {
        uint32_t got = 0;
        if (stream->methods->read(stream, chunk, sizeof chunk, &got) != kStreamOk) {
            return kWin32Error;
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
    if (!Started())
        return kNotInitialized;
    if (encoder && *encoder == kTiffEncoder) {
        return WriteReplacing(WideToUtf8(path),
                              [&](int fd) { return EncodeTiffToFile(*image, fd); });
    }
    Output out;
    Status status = Encode(image, encoder, parameters, out);
    if (status != kOk)
        return status;
    return WriteReplacing(WideToUtf8(path),
                          [&](int fd) { return WriteAll(fd, out.data(), out.size()); });
}

Status SaveImageToStream(const Image* image, PlatformStream* stream, const ClassId* encoder,
                         const EncoderParameters* parameters) {
    if (!image || !stream || !stream->methods)
        return kInvalidParameter;
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
