// The gallery holds every control class and a menu bar, and its screenshot
// is exactly what the window shows.
#include <png.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "platform/controls/control_gallery.h"
#include "platform/menus/menus.h"
#include "tests/controls/control_test_support.h"

using namespace ctltest;

namespace {

TEST_F(ControlTest, GalleryShowsEveryControlClassAndAMenuBar) {
    MoveWindow(parent_, 0, 0, 820, 620, true);
    HWND panel = FillControlGallery(parent_);
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(GetMenu(parent_), nullptr);
    std::set<std::string> classes;
    EnumChildWindows(
        panel,
        [](HWND w, LPARAM out) {
            char name[64] = {};
            GetClassName(w, name, sizeof name);
            reinterpret_cast<std::set<std::string>*>(out)->insert(name);
            return true;
        },
        reinterpret_cast<LPARAM>(&classes));
    for (const char* cls : {kButtonClass, kStaticClass, kEditClass, kListBoxClass, kComboBoxClass,
                            kProgressClass, kUpDownClass}) {
        EXPECT_TRUE(classes.count(cls)) << cls;
    }
    Pump();
    std::string path =
        (std::filesystem::temp_directory_path() / "picbatch-control-gallery.png").string();
    std::string error;
    ASSERT_TRUE(SaveWindowScreenshot(parent_, path, &error)) << error;

    // The file, read back by libpng, holds the window's own pixels.
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> saved(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, saved.data(), 0, nullptr));
    std::filesystem::remove(path);
    HBITMAP shot = CaptureWindow(parent_);
    PixelView pixels = BitmapPixels(shot);
    ASSERT_EQ(int(image.width), pixels.width);
    ASSERT_EQ(int(image.height), pixels.height);
    size_t differing = 0;
    std::set<uint32_t> colours;
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const uint8_t* p = &saved[(size_t(y) * image.width + size_t(x)) * 4];
            const uint32_t pixel = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
            differing += pixel != (pixels.Row(y)[x] & 0xFFFFFF);
            colours.insert(pixel);
        }
    }
    DeleteObject(shot);
    EXPECT_EQ(differing, 0u);
    // Controls, text and the menu bar draw in many colours, not one blank.
    EXPECT_GT(colours.size(), 20u);
}

}  // namespace
