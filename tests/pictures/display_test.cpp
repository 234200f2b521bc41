// Device bitmaps from records, drawing them stretched and see-through, and
// bitmaps written back out as BMP file images that ImageMagick reads.
#include <cstring>

#include "corelib/pictures/dib_export.h"
#include "corelib/pictures/display_picture.h"
#include "corelib/pictures/load_picture.h"
#include "corelib/pictures/picture_hooks.h"
#include "picture_test_support.h"
#include "platform/kernel/kernel.h"
#include "runtime/application_object.h"
#include "runtime/notify.h"

namespace pictures_test {
namespace {

using namespace corelib;
namespace kernel = platform::kernel;

class DisplayTest : public PictureTest {
protected:
    // A 3 x 2 picture: red, lime, blue over yellow, white, black.
    std::string SmallBmp() {
        const std::string path = Work("small.bmp");
        EXPECT_TRUE(
            Magick("-size 3x2 xc:yellow -fill red -draw 'point 0,0' -fill lime "
                   "-draw 'point 1,0' -fill blue -draw 'point 2,0' -fill white "
                   "-draw 'point 1,1' -fill black -draw 'point 2,1' -type truecolor "
                   "bmp3:" +
                   path));
        return path;
    }
    // A 32-bit bitmap of w x h filled with `fill`, selected into a context.
    void MakeTarget(int w, int h, platform::COLORREF fill) {
        target_ = platform::CreateBitmap(w, h, 1, 32, nullptr);
        dc_ = platform::CreateCompatibleDC(nullptr);
        platform::SelectObject(dc_, target_);
        platform::HBRUSH brush = platform::CreateSolidBrush(fill);
        platform::RECT all{0, 0, w, h};
        platform::FillRect(dc_, &all, brush);
        platform::DeleteObject(brush);
    }
    void TearDown() override {
        if (dc_)
            platform::DeleteDC(dc_);
        if (target_)
            platform::DeleteObject(target_);
        PictureTest::TearDown();
    }
    platform::HBITMAP target_ = nullptr;
    platform::HDC dc_ = nullptr;
};

TEST_F(DisplayTest, DrawingStretchesTheWholePicture) {
    const std::string path = SmallBmp();
    const std::vector<uint8_t> rgb = MagickPixels(path, "rgb", nullptr, nullptr);
    ASSERT_EQ(rgb.size(), 18u);
    PictureRecord* record = LoadPictureFile(path.c_str());
    ASSERT_NE(record, nullptr);
    MakeTarget(6, 4, 0);
    platform::SetStretchBltMode(dc_, platform::COLORONCOLOR);
    DisplayPicture display;
    ASSERT_TRUE(MakeDisplayPicture(PictureTarget{dc_, nullptr}, record, &display, 0));
    EXPECT_EQ(display.width, 3);
    EXPECT_EQ(display.height, 2);
    ASSERT_TRUE(DrawPicture(display, 0, 0, 6, 4, platform::SRCCOPY));
    platform::SelectObject(dc_, platform::CreateBitmap(1, 1, 1, 1, nullptr));
    const std::vector<uint8_t> shown = BitmapRgb(target_);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const uint8_t* want = &rgb[((y / 2) * 3 + x / 2) * 3];
            EXPECT_EQ(std::memcmp(&shown[(y * 6 + x) * 3], want, 3), 0) << x << "," << y;
        }
    }
    DeleteDisplayPicture(&display);
    ReleasePicture(record);
}

TEST_F(DisplayTest, TransparentDrawingLeavesTheChosenColourUndrawn) {
    const std::string path = SmallBmp();
    const std::vector<uint8_t> rgb = MagickPixels(path, "rgb", nullptr, nullptr);
    PictureRecord* record = LoadPictureFile(path.c_str());
    ASSERT_NE(record, nullptr);
    MakeTarget(5, 4, platform::RGB(90, 80, 70));
    DisplayPicture display;
    ASSERT_TRUE(MakeDisplayPicture(PictureTarget{dc_, nullptr}, record, &display, 0));
    // Yellow is see-through; the picture's own size at (1, 1).
    ASSERT_TRUE(DrawPicture(display, 1, 1, -1, -1, kDrawTransparent | platform::RGB(255, 255, 0)));
    const std::vector<uint8_t> shown = BitmapRgb(target_);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* got = &shown[(y * 5 + x) * 3];
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            const uint8_t* picture = inside ? &rgb[((y - 1) * 3 + (x - 1)) * 3] : nullptr;
            const bool seeThrough =
                !inside || (picture[0] == 255 && picture[1] == 255 && picture[2] == 0);
            const uint8_t back[3] = {90, 80, 70};
            EXPECT_EQ(std::memcmp(got, seeThrough ? back : picture, 3), 0) << x << "," << y;
        }
    }
    DeleteDisplayPicture(&display);
    ReleasePicture(record);
}

TEST_F(DisplayTest, DisplayPicturesNeedARecordAKindAndAContext) {
    DisplayPicture display;
    PictureRecord empty{};
    MakeTarget(1, 1, 0);
    EXPECT_FALSE(MakeDisplayPicture(PictureTarget{dc_, nullptr}, nullptr, &display, 0));
    EXPECT_FALSE(MakeDisplayPicture(PictureTarget{dc_, nullptr}, &empty, &display, 0));
    PictureRecord* record = LoadPictureFile(SmallBmp().c_str());
    EXPECT_FALSE(MakeDisplayPicture(PictureTarget{nullptr, nullptr}, record, &display, 0));
    // A record whose block is smaller than its size says is refused.
    record->size = 17;
    EXPECT_FALSE(MakeDisplayPicture(PictureTarget{dc_, nullptr}, record, &display, 0));
    ReleasePicture(record);
}

TEST_F(DisplayTest, BitmapsWrittenAsBmpReadBackInImageMagickWithTheSamePixels) {
    const std::string png = Work("source.png");
    ASSERT_TRUE(Magick("-seed 9 -size 37x29 plasma:fractal -depth 8 PNG24:" + png));
    const std::vector<uint8_t> bytes = ReadAll(png);
    platform::HBITMAP bitmap =
        PictureToBitmap(bytes.data(), uint32_t(bytes.size()), platform::RGB(0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    const std::vector<uint8_t> pixels = BitmapRgb(bitmap);
    ASSERT_EQ(pixels, MagickPixels(png, "rgb", nullptr, nullptr));

    EXPECT_EQ(BitmapToDib(bitmap, platform::BI_BITFIELDS, nullptr), 0u);
    kernel::MemoryHandle dib = BitmapToDib(bitmap, platform::BI_RGB, nullptr);
    ASSERT_NE(dib, 0u);
    // 40-byte header and 29 rows of 37 * 3 bytes padded to 112.
    EXPECT_EQ(kernel::GlobalSize(dib), 40u + 112 * 29);
    ByteBuffer file;
    EXPECT_EQ(DibToBmpFile(0, file), 0);
    ASSERT_EQ(DibToBmpFile(dib, file), 1);
    kernel::GlobalFree(dib);
    ASSERT_EQ(file.Length(), 54u + 112 * 29);
    const uint8_t* head = file.Data();
    EXPECT_EQ(head[0], 'B');
    EXPECT_EQ(head[1], 'M');
    uint32_t size, offset;
    std::memcpy(&size, head + 2, 4);
    std::memcpy(&offset, head + 10, 4);
    EXPECT_EQ(size, file.Length());
    EXPECT_EQ(offset, 54u);
    const std::string bmp = Work("written.bmp");
    WriteAll(bmp, std::vector<uint8_t>(file.Data(), file.Data() + file.Length()));
    EXPECT_EQ(MagickPixels(bmp, "rgb", nullptr, nullptr), pixels);
    platform::DeleteObject(bitmap);
}

TEST_F(DisplayTest, TheNotificationInterfaceReachesThePictureServices) {
    InstallPictureHooks();
    rt::ApplicationObject app;
    const std::string path = SmallBmp();
    const std::vector<uint8_t> bytes = ReadAll(path);
    const auto bitmap = app.Handle(
        rt::SN_PICTURE_TO_BITMAP, reinterpret_cast<intptr_t>(bytes.data()), intptr_t(bytes.size()));
    ASSERT_NE(bitmap, 0);
    const std::vector<uint8_t> notPicture{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    EXPECT_EQ(app.Handle(rt::SN_PICTURE_TO_BITMAP, reinterpret_cast<intptr_t>(notPicture.data()),
                         intptr_t(notPicture.size())),
              0);
    const auto block = kernel::MemoryHandle(app.Handle(rt::SN_BITMAP_TO_BMP, bitmap, 0));
    ASSERT_NE(block, 0u);
    const auto* data = static_cast<const uint8_t*>(kernel::GlobalLock(block));
    const std::string written = Work("through-notify.bmp");
    WriteAll(written, std::vector<uint8_t>(data, data + kernel::GlobalSize(block)));
    kernel::GlobalUnlock(block);
    kernel::GlobalFree(block);
    EXPECT_EQ(MagickPixels(written, "rgb", nullptr, nullptr),
              MagickPixels(path, "rgb", nullptr, nullptr));
    platform::DeleteObject(reinterpret_cast<platform::HBITMAP>(bitmap));

    // A registered record is released by the picture loader's rule.
    PictureRecord* record = LoadPictureMemory(bytes.data(), bytes.size());
    ASSERT_NE(record, nullptr);
    app.Handle(rt::SN_ADD_PICTURE, reinterpret_cast<intptr_t>(record), 0);
    EXPECT_EQ(app.Handle(rt::SN_FREE_PICTURE, reinterpret_cast<intptr_t>(record), 0), 1);
    EXPECT_EQ(app.Handle(rt::SN_HAS_PICTURE, reinterpret_cast<intptr_t>(record), 0), 0);
}

}  // namespace
}  // namespace pictures_test
