// JPEG through libjpeg-turbo, with the shared error policy
// (platform/base/jpeg_error_trap.h): any library error jumps back to the
// decoder's entry, which destroys the decompressor and answers no block,
// and the decoder's own memory is capped. A picture whose data is damaged
// is still shown as far as it could be decoded: the trap's damage mark is
// the converters' to act on, not the display's. Rows are written straight
// into the record's layout (B,G,R, bottom row first) by asking the library
// for BGR output, so no second pass is needed.
#include <algorithm>
#include <csetjmp>
#include <cstddef>

#include "corelib/pictures/picture_decoders.h"
#include "corelib/pictures/picture_limits.h"
#include "platform/base/jpeg_error_trap.h"

namespace corelib {
namespace {

// Progressive files repeat the whole image once per scan; a hostile file can
// hold thousands of tiny scans. Real encoders write about ten.
constexpr int kMaxScans = 256;
constexpr size_t kSourceChunk = 4096;

void LimitScans(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans)
        std::longjmp(reinterpret_cast<platform::JpegErrorTrap*>(info->err)->jump, 1);
}

// A data source over a PictureSource that is not in memory.
struct StreamSourceManager {
    jpeg_source_mgr base;
    PictureSource* source;
    JOCTET buffer[kSourceChunk];
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
    auto* manager = reinterpret_cast<StreamSourceManager*>(info->src);
    size_t n = manager->source->Read(manager->buffer, kSourceChunk);
    if (n == 0) {
        // The library's own answer to missing data: an end-of-image marker,
        // so the rows read so far are kept and the rest stays grey.
        static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
        manager->base.next_input_byte = kEnd;
        manager->base.bytes_in_buffer = 2;
        return TRUE;
    }
    manager->base.next_input_byte = manager->buffer;
    manager->base.bytes_in_buffer = n;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    auto* manager = reinterpret_cast<StreamSourceManager*>(info->src);
    while (count > 0) {
        if (manager->base.bytes_in_buffer == 0)
            FillInputBuffer(info);
        const size_t step = std::min<size_t>(size_t(count), manager->base.bytes_in_buffer);
        manager->base.next_input_byte += step;
        manager->base.bytes_in_buffer -= step;
        count -= long(step);
    }
}

void TermSource(j_decompress_ptr) {}

// Nothing with a destructor lives in this frame: longjmp may leave it.
uint8_t* DecodeJpeg(PictureSource& source, StreamSourceManager* streamManager, int32_t* width,
                    int32_t* height) {
    jpeg_decompress_struct info;
    platform::JpegErrorTrap errors;
    jpeg_progress_mgr progress;
    uint8_t* volatile block = nullptr;
    info.err = platform::InstallJpegErrorTrap(errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        FreePictureBlock(block);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    platform::LimitJpegDecoder(info);
    progress.progress_monitor = LimitScans;
    info.progress = &progress;
    if (const uint8_t* bytes = source.Bytes()) {
        jpeg_mem_src(&info, bytes, static_cast<unsigned long>(source.Length()));
    } else {
        streamManager->base.init_source = InitSource;
        streamManager->base.fill_input_buffer = FillInputBuffer;
        streamManager->base.skip_input_data = SkipInputData;
        streamManager->base.resync_to_restart = jpeg_resync_to_restart;
        streamManager->base.term_source = TermSource;
        streamManager->base.bytes_in_buffer = 0;
        streamManager->base.next_input_byte = nullptr;
        streamManager->source = &source;
        info.src = &streamManager->base;
    }
    jpeg_read_header(&info, TRUE);
    // Four-component (CMYK) pictures have no defined conversion to screen
    // colours here; they are refused rather than shown wrong.
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    if (!PlausiblePictureSize(info.image_width, info.image_height, source.Length(), kJpegCoding)) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const size_t rowBytes = size_t(info.output_width) * 3;
    const JDIMENSION rows = info.output_height;
    block = AllocatePictureBlock(rowBytes * rows);
    if (!block) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    // Up to four rows per call, the most the library produces at once.
    JSAMPROW pointers[4];
    while (info.output_scanline < rows) {
        const JDIMENSION first = info.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(4, rows - first);
        for (JDIMENSION i = 0; i < count; ++i)
            pointers[i] = block + (rows - 1 - (first + i)) * rowBytes;
        if (jpeg_read_scanlines(&info, pointers, count) == 0)
            break;
    }
    jpeg_finish_decompress(&info);
    *width = int32_t(info.output_width);
    *height = int32_t(rows);
    jpeg_destroy_decompress(&info);
    return block;
}

}  // namespace

PictureRecord* LoadJpegPicture(PictureSource& source) {
    if (!source.Seek(0))
        return nullptr;
    StreamSourceManager streamManager;
    int32_t width = 0, height = 0;
    uint8_t* block = DecodeJpeg(source, &streamManager, &width, &height);
    if (!block)
        return nullptr;
    return MakePictureRecord(PICTURE_JPEG, width, height, block, uint32_t(width) * height * 3);
}

}  // namespace corelib
