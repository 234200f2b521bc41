#include "fuzz_input_file.h"
#include "fuzz_reader_check.h"
#include "libs/imageconv/pcx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imageconv::PcxReader reader;
    imageconv_fuzz::CheckProbeAndDecode(reader, imageconv_fuzz::WriteInputFile(data, size));
    return 0;
}
