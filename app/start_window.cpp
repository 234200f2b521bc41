// The start window as program data: its units in table order, their places,
// style bits, own properties and the handlers bound to their events. The
// window framework's loader reads this; nothing here builds a window.
#include "app/application.h"
#include "app/constants.h"
#include "app/handlers.h"

namespace app {
namespace {

// Style bits of the units' native windows.
constexpr uint32_t OVERLAPPED_WINDOW = 0x00CF0000;  // caption, system menu, frame, boxes
constexpr uint32_t CHILD = 0x40000000;
constexpr uint32_t VISIBLE = 0x10000000;
constexpr uint32_t TAB_STOP = 0x00010000;
constexpr uint32_t AUTO_CHECK_BOX = 0x3;
constexpr uint32_t DROP_DOWN_LIST = 0x3;
constexpr uint32_t SHOW_WHEN_LOADED = 0x1;

// Own property indexes set by this description.
constexpr int32_t CAPTION = 0;
constexpr int32_t DROP_DOWN_ENTRIES = 12;  // one text, entries separated by LINE_SEP
constexpr int32_t DROP_DOWN_INDEX = 11;
constexpr int32_t PROGRESS_MAXIMUM = 4;
constexpr int32_t DIALOG_TITLE = 1;
constexpr int32_t DIALOG_FILTER = 3;
constexpr int32_t DIALOG_FILE_MUST_EXIST = 8;
constexpr int32_t DROP_FILES = 3;

const rt::UnitPropertySpec kWindowProperties[] = {{CAPTION, 0, "picbatch"}};
const rt::UnitPropertySpec kFormatLabelProperties[] = {{CAPTION, 0, "&Format:"}};
const rt::UnitPropertySpec kFormatBoxProperties[] = {{DROP_DOWN_ENTRIES, 0, "jpg\r\ntif\r\npng"},
                                                     {DROP_DOWN_INDEX, 0, nullptr}};
const rt::UnitPropertySpec kOptionBoxProperties[] = {{CAPTION, 0, "Keep this window on &top"}};
const rt::UnitPropertySpec kFolderButtonProperties[] = {{CAPTION, 0, "Convert a f&older..."}};
const rt::UnitPropertySpec kFileButtonProperties[] = {{CAPTION, 0, "Convert one f&ile..."}};
const rt::UnitPropertySpec kDropLabelProperties[] = {
    {CAPTION, 0, "Or drop pictures anywhere on this window."}};
const rt::UnitPropertySpec kProgressProperties[] = {{PROGRESS_MAXIMUM, 100, nullptr}};
const rt::UnitPropertySpec kFileDialogProperties[] = {
    {DIALOG_TITLE, 0, "Choose a picture to convert"},
    {DIALOG_FILTER, 0,
     "Pictures|*.jpg;*.jpeg;*.jpe;*.jfif;*.png;*.bmp;*.dib;*.gif;*.tif;*.tiff;*.ico|All files|*.*"},
    {DIALOG_FILE_MUST_EXIST, 1, nullptr}};
const rt::UnitPropertySpec kDropTargetProperties[] = {{DROP_FILES, 1, nullptr}};

// Push buttons and check boxes raise event 0 when clicked; a check box
// raises event 1 when its ticked state changed; the drop target raises
// event 3 with the dropped file names.
const rt::UnitEventSpec kFolderButtonEvents[] = {{0, &OnConvertFolder}};
const rt::UnitEventSpec kFileButtonEvents[] = {{0, &OnConvertSingle}};
const rt::UnitEventSpec kOptionBoxEvents[] = {{1, &OnOptionToggle}};
const rt::UnitEventSpec kDropTargetEvents[] = {{3, &OnFilesDropped}};

template <size_t N>
constexpr int32_t CountOf(const rt::UnitPropertySpec (&)[N]) {
    return int32_t(N);
}
template <size_t N>
constexpr int32_t CountOf(const rt::UnitEventSpec (&)[N]) {
    return int32_t(N);
}

const rt::UnitDescription kStartUnits[] = {
    {UNIT_MAIN_WINDOW, TYPE_WINDOW_UNIT, 0, "MainWindow", 0, 0, 460, 200, OVERLAPPED_WINDOW, 0, -1,
     0, kWindowProperties, CountOf(kWindowProperties), nullptr, 0, &OnWindowLoad},
    {UNIT_FORMAT_LABEL, TYPE_LABEL, 0, "FormatLabel", 16, 19, 60, 20, CHILD | VISIBLE, 0, -1,
     SHOW_WHEN_LOADED, kFormatLabelProperties, CountOf(kFormatLabelProperties), nullptr, 0,
     nullptr},
    {UNIT_FORMAT_BOX, TYPE_DROP_DOWN, 0, "FormatBox", 80, 15, 110, 120,
     CHILD | VISIBLE | TAB_STOP | DROP_DOWN_LIST, 0, 1, SHOW_WHEN_LOADED, kFormatBoxProperties,
     CountOf(kFormatBoxProperties), nullptr, 0, nullptr},
    {UNIT_OPTION_BOX, TYPE_CHECK_BOX, 0, "OptionBox", 220, 16, 224, 22,
     CHILD | VISIBLE | TAB_STOP | AUTO_CHECK_BOX, 0, 2, SHOW_WHEN_LOADED, kOptionBoxProperties,
     CountOf(kOptionBoxProperties), kOptionBoxEvents, CountOf(kOptionBoxEvents), nullptr},
    {UNIT_FOLDER_BUTTON, TYPE_PUSH_BUTTON, 0, "FolderButton", 16, 56, 204, 32,
     CHILD | VISIBLE | TAB_STOP, 0, 3, SHOW_WHEN_LOADED, kFolderButtonProperties,
     CountOf(kFolderButtonProperties), kFolderButtonEvents, CountOf(kFolderButtonEvents), nullptr},
    {UNIT_FILE_BUTTON, TYPE_PUSH_BUTTON, 0, "FileButton", 240, 56, 204, 32,
     CHILD | VISIBLE | TAB_STOP, 0, 4, SHOW_WHEN_LOADED, kFileButtonProperties,
     CountOf(kFileButtonProperties), kFileButtonEvents, CountOf(kFileButtonEvents), nullptr},
    {UNIT_DROP_LABEL, TYPE_LABEL, 0, "DropLabel", 16, 104, 428, 20, CHILD | VISIBLE, 0, -1,
     SHOW_WHEN_LOADED, kDropLabelProperties, CountOf(kDropLabelProperties), nullptr, 0, nullptr},
    {UNIT_PROGRESS_BAR, TYPE_PROGRESS_BAR, 0, "ProgressBar", 16, 140, 428, 22, CHILD | VISIBLE, 0,
     -1, SHOW_WHEN_LOADED, kProgressProperties, CountOf(kProgressProperties), nullptr, 0, nullptr},
    {UNIT_FILE_DIALOG, TYPE_DIALOG, 0, "FileDialog", 0, 0, 0, 0, CHILD, 0, -1, 0,
     kFileDialogProperties, CountOf(kFileDialogProperties), nullptr, 0, nullptr},
    {UNIT_DROP_TARGET, TYPE_DROP_TARGET, 0, "DropTarget", 0, 0, 0, 0, CHILD, 0, -1, 0,
     kDropTargetProperties, CountOf(kDropTargetProperties), kDropTargetEvents,
     CountOf(kDropTargetEvents), nullptr},
};

const rt::WindowDescription kStartWindow = {START_WINDOW, kStartUnits,
                                            int32_t(sizeof kStartUnits / sizeof kStartUnits[0])};
const rt::WindowDescription* const kDescriptions[] = {&kStartWindow};

}  // namespace

const rt::WindowDescription* const* WindowDescriptions(int32_t* count) {
    *count = 1;
    return kDescriptions;
}

}  // namespace app
