#include "libs/desktop/skin/painters.h"

#include <iterator>

namespace desktop::skin {
namespace {

using Painter = void (*)(const SkinRecord&);

// Indexed by kind; kinds 6 to 10 are never subclassed and have none.
constexpr Painter kPainters[] = {
    PaintPushButton, PaintCheckBox, PaintRadioButton, PaintEditField, PaintComboBox, PaintUpDown,
    nullptr,         nullptr,       nullptr,          nullptr,        nullptr,
};

}  // namespace

void PaintControl(const SkinRecord& record) {
    if (record.kind == KIND_GROUP_BOX) {
        PaintGroupBox(record);
    } else if (record.kind == KIND_LIST_BOX) {
        PaintListBox(record);
    } else if (record.kind >= 0 && record.kind < int32_t(std::size(kPainters)) &&
               kPainters[record.kind]) {
        kPainters[record.kind](record);
    }
}

}  // namespace desktop::skin
