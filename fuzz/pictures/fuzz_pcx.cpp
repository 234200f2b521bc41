#include "fuzz_record_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pictures_fuzz::CheckLoad(data, size, corelib::PICTURE_PCX8);
    return 0;
}
