#include "corelib/textservices/key_digest.h"

#include <algorithm>
#include <utility>

#include "corelib/digest/md5_text.h"

namespace corelib {

void KeyDigest(const void* data, size_t length, char* out) {
    Md5Text(data, length, out);
    for (size_t k = 0; k < 32; k += 2)
        std::swap(out[k], out[k + 1]);
    std::reverse(out, out + 32);
    out[32] = 0;
}

}  // namespace corelib
