// The painters: each draws a whole control of one kind from its record's
// state flags and the calling thread's scheme, through a PaintBuffer, and
// never changes the record.
#pragma once

#include "libs/desktop/skin/skin_types.h"

namespace desktop::skin {

void PaintPushButton(const SkinRecord& record);
void PaintCheckBox(const SkinRecord& record);
void PaintRadioButton(const SkinRecord& record);
void PaintEditField(const SkinRecord& record);
void PaintComboBox(const SkinRecord& record);
void PaintUpDown(const SkinRecord& record);
void PaintGroupBox(const SkinRecord& record);
void PaintListBox(const SkinRecord& record);

// Group boxes use the group-box painter, list boxes the list-box painter,
// every other kind the painter at its index in the painter table (none for
// kinds 6 to 10).
void PaintControl(const SkinRecord& record);

}  // namespace desktop::skin
