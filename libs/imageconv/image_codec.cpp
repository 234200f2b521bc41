#include "libs/imageconv/image_codec.h"

namespace imageconv {

long FileSizeOf(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0)
        return -1;
    return size;
}

}  // namespace imageconv
