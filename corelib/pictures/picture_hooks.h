// The runtime's picture services, plugged into the system notification
// interface: SN_PICTURE_TO_BITMAP, SN_BITMAP_TO_BMP and the release of
// registered picture records (SN_FREE_PICTURE and the exit clean-up).
#pragma once

#include <cstdint>

#include "platform/graphics/gdi.h"

namespace corelib {

// Decodes picture bytes of any kind the runtime reads into a device bitmap
// for the screen: PNG transparency over `background`, icons and cursors
// drawn over white. Answers null for anything that is not a picture.
platform::HBITMAP PictureToBitmap(const uint8_t* bytes, uint32_t length,
                                  platform::COLORREF background);

// Fills rt::PictureHooks. Called once by the application's start-up.
void InstallPictureHooks();

}  // namespace corelib
