// GifPicture's data: the header and global colour table, and the walk over
// the blocks that follow (extensions, images, the trailer).
#include <cstring>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_record.h"
#include "platform/base/byte_order.h"

namespace corelib {
namespace {

constexpr uint32_t kHeaderSize = 13;
constexpr int kExtension = 0x21;
constexpr int kImage = 0x2C;
constexpr int kGraphicControl = 0xF9;

// Position just past the zero length that ends the sub-blocks starting at
// `pos`; 0 when the data ends first.
uint32_t SkipSubBlocksFrom(const std::vector<uint8_t>& stream, uint32_t pos) {
    const auto length = uint32_t(stream.size());
    while (pos < length) {
        const uint32_t size = stream[pos++];
        if (size == 0)
            return pos;
        pos += size;
    }
    return 0;
}

}  // namespace

void GifFrame::Delete() {
    if (image)
        platform::DeleteObject(image);
    if (mask)
        platform::DeleteObject(mask);
    image = mask = nullptr;
}

void GifPicture::FreeData() {
    globalColors_.clear();
    stream_.clear();
    stream_.shrink_to_fit();
    imageData_.clear();
    imageData_.shrink_to_fit();
    FreePictureBlock(dibBlock_);
    dibBlock_ = nullptr;
    dibBytes_ = 0;
    streamPos_ = 0;
    globalColorCount_ = 0;
    streamLength_ = 0;
    loaded_ = false;
    singleImage_ = false;
}

int GifPicture::Load(const uint8_t* data, uint32_t size) {
    StopAnimation();
    {
        std::lock_guard hold(busy_);
        DeleteCanvasLocked();
    }
    FreeData();
    framesShown_ = 0;
    defaultDelayMs_ = 50;
    transparentColor_ = 0xFFFFFF;
    if (!data || size <= kHeaderSize)
        return 0;
    if (std::memcmp(data, "GIF8", 4) != 0 || (data[4] != '7' && data[4] != '9') || data[5] != 'a')
        return 0;
    screenWidth_ = platform::ReadLe16(data + 6);
    screenHeight_ = platform::ReadLe16(data + 8);
    backgroundIndex_ = data[11];
    uint32_t offset = kHeaderSize;
    if (data[10] & 0x80) {
        const int32_t count = 1 << ((data[10] & 7) + 1);
        if (size <= kHeaderSize + 3 * uint32_t(count))
            return 0;
        globalColorCount_ = count;
        globalColors_.assign(data + kHeaderSize, data + kHeaderSize + 3 * count);
        offset += 3 * count;
    }
    stream_.assign(data + offset, data + size);
    streamLength_ = size - offset;
    streamPos_ = 0;
    loaded_ = true;
    if (memoryMode_)
        return 1;

    // Window mode decodes the first image once: a picture of one image is
    // composed now and never animated.
    GifFrame first = FirstFrame();
    singleImage_ = !HasAnotherImage();
    if (singleImage_ && first) {
        platform::HDC frameDc = platform::CreateCompatibleDC(nullptr);
        platform::HDC canvasDc = platform::CreateCompatibleDC(nullptr);
        {
            std::lock_guard hold(busy_);
            if (EnsureCanvasLocked())
                LayFrameLocked(first, frameDc, canvasDc);
        }
        platform::DeleteDC(frameDc);
        platform::DeleteDC(canvasDc);
    }
    first.Delete();
    Rewind();
    if (window_)
        platform::InvalidateRect(window_, nullptr, true);
    return 1;
}

void GifPicture::Rewind() {
    streamPos_ = 0;
}

int GifPicture::ReadByte() {
    return streamPos_ < streamLength_ ? stream_[streamPos_++] : -1;
}

bool GifPicture::SkipSubBlocks() {
    const uint32_t end = SkipSubBlocksFrom(stream_, streamPos_);
    if (!end)
        return false;
    streamPos_ = end;
    return true;
}

// The graphic control's one 4-byte sub-block: flags, delay, transparent
// index. Anything longer is skipped with the following sub-blocks.
void GifPicture::ReadGraphicControl() {
    const uint32_t start = streamPos_;
    if (streamPos_ + 5 <= streamLength_ && stream_[streamPos_] >= 4) {
        const uint8_t* fields = stream_.data() + streamPos_ + 1;
        disposal_ = fields[0] & 0x1C;
        hasTransparency_ = (fields[0] & 1) != 0;
        delayCs_ = platform::ReadLe16(fields + 1);
        transparentIndex_ = fields[3];
    }
    streamPos_ = start;
}

bool GifPicture::HasAnotherImage() const {
    uint32_t pos = streamPos_;
    while (pos < streamLength_) {
        const int b = stream_[pos++];
        if (b == kImage)
            return true;
        if (b != kExtension || pos >= streamLength_)
            return false;
        pos = SkipSubBlocksFrom(stream_, pos + 1);
        if (!pos)
            return false;
    }
    return false;
}

GifFrame GifPicture::NextFrame() {
    // A graphic control applies to the one image that follows it.
    disposal_ = kGifDisposeNone;
    hasTransparency_ = false;
    transparentIndex_ = 0;
    delayCs_ = 0;
    while (streamPos_ < streamLength_) {
        const int b = ReadByte();
        if (b == kImage)
            return DecodeImage();
        if (b != kExtension)
            break;  // the trailer, a stray zero, or data that is no block
        const int label = ReadByte();
        if (label < 0)
            break;
        if (label == kGraphicControl)
            ReadGraphicControl();
        // Every extension, known or not, is a run of sub-blocks.
        if (!SkipSubBlocks())
            break;
    }
    Rewind();
    return {};
}

GifFrame GifPicture::FirstFrame() {
    Rewind();
    return NextFrame();
}

uint8_t* GifPicture::TakeDib(uint32_t* bytes) {
    uint8_t* block = dibBlock_;
    if (bytes)
        *bytes = block ? dibBytes_ : 0;
    dibBlock_ = nullptr;
    dibBytes_ = 0;
    return block;
}

uint32_t GifPicture::FrameDelayMs() const {
    return delayCs_ ? uint32_t(delayCs_) * 10 : defaultDelayMs_;
}

}  // namespace corelib
