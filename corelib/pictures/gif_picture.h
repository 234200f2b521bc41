// GifPicture: the runtime's own GIF decoder (GIF87a and GIF89a, no outside
// library) and the animated picture window built on it.
//
// Two modes:
// - Memory mode (SetMemoryMode(true) before Load): FirstFrame decodes the
//   first image into one packed 8-bit bitmap block that the caller takes
//   with TakeDib; nothing is drawn.
// - Window mode: the object owns a window that shows the picture; when the
//   data holds more than one image a worker thread composes the frames on
//   an off-screen canvas (transparency, disposal, per-frame delays) and
//   loops forever.
//
// Data layout (all numbers little-endian):
//   OFFSET SIZE DESCRIPTION
//   0      6    "GIF87a" or "GIF89a"
//   6      2    logical screen width       8  2  logical screen height
//   10     1    flags: bit 7 global colour table, bits 0-2 its size
//                      (2 ^ (n + 1) entries)
//   11     1    background colour index (stored only)
//   12     1    aspect ratio
//   13     3n   global colour table (R,G,B)
//   then blocks until 0x3B:
//   0x21 0xF9   graphic control: size 4, flags (disposal in bits 2-4,
//               transparency in bit 0), delay in 1/100 s, transparent index,
//               terminator
//   0x21 0x01 / 0xFE / 0xFF / other   plain text, comment, application and
//               unknown extensions: skipped with their data sub-blocks
//   0x2C        image: left, top, width, height (2 each), flags (bit 7 local
//               colour table, bit 6 interlaced, bits 0-2 its size), the local
//               table, the minimum code size, LZW data in sub-blocks (a length
//               byte, then that many bytes) ending with a zero length
//
// Packed bitmap block made for one image (allocated as imageBytes + 25640):
//   OFFSET        SIZE       DESCRIPTION
//   0             40         header: 40, frameWidth, -frameHeight (top row
//                            first), 1 plane, 8 bits, no compression, 0,
//                            0, 0, 256 colours used, 256 important
//   40            1024       colour table, B,G,R,0 (local, else global;
//                            entries past the table are 0)
//   1064          imageBytes frameHeight rows of `stride` bytes:
//                            ((frameWidth - 1) | 3) + 1
//   1064+imageBytes 24576    decoder work area: 4096 LZW entries of 6 bytes
//                            (suffix, first byte of the string, prefix code,
//                            string length)
//
// Threads: Load, SetLayout, painting and StartAnimation/StopAnimation run on
// the window's thread; the worker decodes and composes. The canvas is used
// under one lock by both; the animation state carries the stop request and
// the worker's acknowledgement. The worker never sends to the window's
// thread, so StopAnimation cannot deadlock against a frame in progress.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/windowing/windows.h"

namespace corelib {

// What window mode decodes for one image: the frame's pixels, and when the
// image has a transparent colour index, a monochrome mask (white where the
// index appears). The frame's transparent pixels are black, so the frame can
// be laid on a canvas with AND (mask) and then OR (frame).
struct GifFrame {
    platform::HBITMAP image = nullptr;
    platform::HBITMAP mask = nullptr;
    explicit operator bool() const { return image != nullptr; }
    void Delete();
};

// How the canvas is placed in the window's client area.
enum GifLayout : int32_t {
    GIF_LAYOUT_NATURAL = 0,  // natural size at the top-left corner
    GIF_LAYOUT_STRETCH = 1,  // stretched to the client area
    GIF_LAYOUT_FIT = 2,      // centred, scaled down to fit keeping proportions
    GIF_LAYOUT_FILL = 3,     // stretched to the client area
};

enum GifAnimState : int32_t {
    GIF_ANIM_IDLE = 0,
    GIF_ANIM_STOP_REQUESTED = 1,
    GIF_ANIM_STOPPED = 2,
    GIF_ANIM_RUNNING = 5,
};

// Disposal values as kept: the graphic control's flags AND 0x1C.
inline constexpr int32_t kGifDisposeNone = 0;
inline constexpr int32_t kGifDisposeKeep = 4;
inline constexpr int32_t kGifDisposeBackground = 8;
inline constexpr int32_t kGifDisposePrevious = 12;

class GifPicture {
public:
    static constexpr uint32_t kBlockOverhead = 40 + 1024 + 4096 * 6;

    GifPicture();
    ~GifPicture();
    GifPicture(const GifPicture&) = delete;
    GifPicture& operator=(const GifPicture&) = delete;

    // ---- Window ----
    // Makes the picture's window; answers null on failure. The window shows
    // the canvas and animates it once data is loaded.
    platform::HWND Create(platform::HWND parent, int x, int y, int width, int height,
                          uint32_t style);
    platform::HWND window() const { return window_; }

    // ---- Data ----
    void SetMemoryMode(bool on) { memoryMode_ = on; }
    // Answers 1 when the data is a GIF whose header and global colour table
    // are complete; 0 leaves the object without data.
    int Load(const uint8_t* data, uint32_t size);
    // Decodes the next image, rewinding after the last one. Memory mode
    // keeps the block for TakeDib and answers an empty frame; window mode
    // answers the frame's bitmaps, which the caller deletes.
    GifFrame NextFrame();
    GifFrame FirstFrame();
    // Memory mode: the block of the last decoded image, handed over (the
    // caller frees it with FreePictureBlock); null when there is none.
    uint8_t* TakeDib(uint32_t* bytes);

    int32_t screenWidth() const { return screenWidth_; }
    int32_t screenHeight() const { return screenHeight_; }
    bool singleImage() const { return singleImage_; }
    // The last image descriptor and graphic control read.
    int32_t frameLeft() const { return frameLeft_; }
    int32_t frameTop() const { return frameTop_; }
    int32_t frameWidth() const { return frameWidth_; }
    int32_t frameHeight() const { return frameHeight_; }
    int32_t stride() const { return stride_; }
    int32_t disposal() const { return disposal_; }
    bool hasTransparency() const { return hasTransparency_; }
    int32_t transparentIndex() const { return transparentIndex_; }
    platform::COLORREF transparentColor() const { return transparentColor_; }
    // How long the last decoded frame stays: its delay, or the default
    // (50 ms) when the delay is 0.
    uint32_t FrameDelayMs() const;

    // ---- Canvas ----
    void SetBackgroundColor(platform::COLORREF color) { backgroundColor_ = color; }
    // One animation step: restores what the previous frame's disposal asks
    // for, decodes the next image and lays it on the canvas (made first when
    // missing). Answers whether a frame was drawn; does nothing while the
    // worker runs. Used by the worker, and directly when there is no display
    // to animate on.
    bool ComposeNextFrame();
    // Draws the canvas into `target` as the window would, by layout, for a
    // client area of the given size.
    void DrawCanvas(platform::HDC target, int clientWidth, int clientHeight);
    // The canvas held against the worker for as long as the lock lives
    // (null when there is none yet).
    std::unique_lock<std::mutex> HoldCanvas(platform::HBITMAP* canvas);

    // ---- Animation ----
    void StartAnimation();
    // Asks the worker to stop and waits until it has; never waits for a
    // worker that is not running.
    void StopAnimation();
    int32_t animState() const;
    // Frames the worker has drawn into the window since the last Load.
    uint64_t framesShown() const { return framesShown_.load(); }
    // Layouts 0-3; a change repaints the window.
    void SetLayout(int32_t mode);
    int32_t layout() const { return layout_.load(); }

private:
    friend struct GifPictureWindowClass;

    // Block walk and image decoding (gif_stream.cpp, gif_lzw.cpp).
    void FreeData();
    void Rewind();
    int ReadByte();
    bool SkipSubBlocks();
    void ReadGraphicControl();
    bool HasAnotherImage() const;
    GifFrame DecodeImage();
    bool ReadColorTable(uint8_t* table);
    bool DecodeLzw(uint8_t* pixels, uint8_t* work);
    void GatherImageData();
    GifFrame MakeFrameBitmaps(const uint8_t* block) const;
    bool FrameFitsData() const;

    // Composition (gif_compose.cpp), all under busy_.
    bool EnsureCanvasLocked();
    bool ComposeLocked(platform::HDC frameDc, platform::HDC canvasDc);
    void LayFrameLocked(const GifFrame& frame, platform::HDC frameDc, platform::HDC canvasDc);
    void DrawCanvasLocked(platform::HDC target, int clientWidth, int clientHeight);
    void DeleteCanvasLocked();

    // Window and worker (gif_window.cpp, gif_animation.cpp).
    void Paint();
    void RunWorker();
    void DrawIntoWindowLocked();
    bool WaitForStop(std::chrono::steady_clock::time_point until);

    // ---- Decoder state ----
    static constexpr size_t kImageDataPadding = 8;
    uint8_t packed_ = 0;
    int32_t initCodeSize_ = 0;
    int32_t frameWidth_ = 0;
    int32_t frameHeight_ = 0;
    int32_t frameTop_ = 0;
    int32_t frameLeft_ = 0;
    int32_t stride_ = 0;
    int32_t backgroundIndex_ = 0;
    uint32_t streamLength_ = 0;
    int32_t globalColorCount_ = 0;
    int32_t disposal_ = 0;
    bool hasTransparency_ = false;
    int32_t transparentIndex_ = 0;
    int32_t delayCs_ = 0;
    uint32_t streamPos_ = 0;
    uint32_t imageBytes_ = 0;
    uint32_t defaultDelayMs_ = 50;
    platform::COLORREF transparentColor_ = 0xFFFFFF;
    std::vector<uint8_t> globalColors_;  // R,G,B triples
    std::vector<uint8_t> stream_;        // the data after the global table
    std::vector<uint8_t> imageData_;     // one image's LZW bytes, sub-blocks joined
    bool loaded_ = false;

    // ---- Picture and canvas ----
    std::mutex busy_;  // guards canvas_ and the disposal state below
    platform::HBITMAP canvas_ = nullptr;
    platform::HBITMAP savedArea_ = nullptr;  // under a frame that disposes
    platform::RECT savedRect_{};
    int32_t previousDisposal_ = kGifDisposeKeep;
    bool singleImage_ = false;
    std::atomic<int32_t> layout_{GIF_LAYOUT_NATURAL};
    int32_t screenWidth_ = 0;
    int32_t screenHeight_ = 0;
    platform::COLORREF backgroundColor_ = 0xFFFFFF;
    bool memoryMode_ = false;
    uint8_t* dibBlock_ = nullptr;
    uint32_t dibBytes_ = 0;

    // ---- Window and worker ----
    platform::HWND window_ = nullptr;
    mutable std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    int32_t animState_ = GIF_ANIM_IDLE;  // guarded by stateMutex_
    std::thread worker_;
    std::atomic<uint64_t> framesShown_{0};
};

}  // namespace corelib
