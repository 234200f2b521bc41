// Loading a picture of any kind the runtime shows into a PictureRecord.
// Each answers the record (the caller releases it with ReleasePicture, or
// registers it with the system) or null: a missing file, an unknown format,
// and any damage the decoder cannot get past all answer null without a
// report.
#pragma once

#include <cstddef>
#include <cstdint>

#include "corelib/pictures/picture_record.h"
#include "platform/kernel/stream_interface.h"

namespace corelib {

class PictureSource;

// `path` is a runtime text (GB18030); null or empty answers null. Icons and
// cursors are taken at 32 pixels.
PictureRecord* LoadPictureFile(const char* path);
PictureRecord* LoadPictureMemory(const uint8_t* bytes, size_t length);
// Reads the stream from position 0; the caller keeps its reference.
PictureRecord* LoadPictureStream(PlatformStream* stream);
// The same for any source, once its kind is known (not PICTURE_NONE).
PictureRecord* LoadPictureOfKind(PictureSource& source, PictureKind kind);

}  // namespace corelib
