// The gallery holds every control class and a menu bar, and draws.
#include <filesystem>
#include <set>

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
    EXPECT_GT(std::filesystem::file_size(path), 5000u);
}

}  // namespace
