// What the conversion commands write into their result slot.
#pragma once

#include <cstdint>

namespace imageconv {

enum ConvertResult : int32_t {
    CONVERT_OK = 1,
    CONVERT_NO_SOURCE = -1,
    CONVERT_UNREADABLE = -3,
    CONVERT_WRITE_FAILED = -4,
    CONVERT_BAD_ARGUMENTS = -7,
};

}  // namespace imageconv
