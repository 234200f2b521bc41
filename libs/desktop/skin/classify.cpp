#include "libs/desktop/skin/classify.h"

#include <strings.h>

#include "platform/controls/controls.h"

namespace desktop::skin {
namespace {

using namespace platform;

constexpr const char* kClassTable[kClassTableSize] = {
    "Button",
    "Edit",
    "Static",
    "msctls_progress32",
    "PicbatchMenuBar",
    "PicbatchMenuPopup",
    "PicbatchDragImage",
    "ComboBox",
    "ScrollBar",
    "msctls_updown32",
    "SysTabControl32",
    "msctls_trackbar32",
    "SysListView32",
    "SysTreeView32",
    "RichEdit20A",
};

constexpr int kButtonPosition = 0;
constexpr int kEditPosition = 1;
constexpr int kComboBoxPosition = 7;
constexpr int kUpDownPosition = 9;
constexpr int kFirstRecognisedPosition = 10;

// Class names are at most 260 characters.
constexpr int kClassNameBuffer = 261;

constexpr uint32_t kHelperButtonStyle = 0x40010000;  // WS_CHILD | WS_TABSTOP, push type

bool IsCheckType(uint32_t type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
           type == BS_AUTO3STATE;
}
bool IsRadioType(uint32_t type) {
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool ParentIsComboBox(HWND window) {
    HWND parent = GetParent(window);
    if (!parent)
        return false;
    char name[kClassNameBuffer] = {};
    GetClassName(parent, name, kClassNameBuffer);
    return ClassTablePosition(name) == kComboBoxPosition;
}

}  // namespace

const char* ClassTableName(int position) {
    return position >= 0 && position < kClassTableSize ? kClassTable[position] : nullptr;
}

int ClassTablePosition(const char* className) {
    if (!className)
        return -1;
    for (int i = 0; i < kClassTableSize; ++i) {
        if (strcasecmp(className, kClassTable[i]) == 0)
            return i;
    }
    return -1;
}

int32_t ClassifyButtonStyle(uint32_t style, int captionLength) {
    if (style & BS_BITMAP)
        return KIND_NOT_SKINNED;
    uint32_t type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        if (style == kHelperButtonStyle && captionLength < 1)
            return KIND_NOT_SKINNED;
        return KIND_PUSH_BUTTON;
    }
    if (IsCheckType(type))
        return (style & BS_PUSHLIKE) ? KIND_PUSH_BUTTON : KIND_CHECK_BOX;
    if (IsRadioType(type))
        return (style & BS_PUSHLIKE) ? KIND_PUSH_BUTTON : KIND_RADIO_BUTTON;
    if (type == BS_GROUPBOX)
        return KIND_GROUP_BOX;
    // User buttons (8) and types 10 to 31, owner-drawn ones among them.
    return KIND_NOT_SKINNED;
}

int32_t Classify(HWND window) {
    char name[kClassNameBuffer] = {};
    if (GetClassName(window, name, kClassNameBuffer) <= 0)
        return KIND_NOT_SKINNED;
    int32_t kind = KIND_NOT_SKINNED;
    int position = ClassTablePosition(name);
    auto style = uint32_t(GetWindowLong(window, GWL_STYLE));
    switch (position) {
        case kButtonPosition:
            kind = ClassifyButtonStyle(style, GetWindowTextLength(window));
            break;
        case kEditPosition:
            // A combo box's own edit field is drawn as part of the combo box.
            kind = ParentIsComboBox(window) ? KIND_NOT_SKINNED : KIND_EDIT;
            break;
        case kComboBoxPosition:
            kind = (style & CBS_KINDMASK) == CBS_SIMPLE ? KIND_NOT_SKINNED : KIND_COMBO_BOX;
            break;
        case kUpDownPosition:
            kind = KIND_UP_DOWN;
            break;
        default:
            if (position >= kFirstRecognisedPosition)
                kind = KIND_RECOGNISED_FIRST + (position - kFirstRecognisedPosition);
            break;
    }
    if (strcasecmp(name, kListBoxClassName) == 0)
        kind = KIND_LIST_BOX;
    return kind;
}

}  // namespace desktop::skin
