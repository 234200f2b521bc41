// Reading dropped data out of a data object: texts of a clipboard format
// and file lists, each as offered in a movable memory block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/dragdrop/drop_interfaces.h"

namespace desktop {

// The bytes of `format` up to the first zero (or the block's end); nullopt
// when the source does not offer the format.
std::optional<std::string> ReadDroppedText(platform::dragdrop::IDataObject* data, uint16_t format);
// The names of the file list (runtime texts, in drop order); empty when
// the source offers no file list.
std::vector<std::string> ReadDroppedFiles(platform::dragdrop::IDataObject* data);
// Whether the source offers `format` as a memory block.
bool OffersFormat(platform::dragdrop::IDataObject* data, uint16_t format);

}  // namespace desktop
