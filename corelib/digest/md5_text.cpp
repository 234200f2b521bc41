#include "corelib/digest/md5_text.h"

#include <openssl/evp.h>

namespace corelib {

void Md5Text(const void* data, size_t length, char* out) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(data, length, digest, &digestLength, EVP_md5(), nullptr);
    static const char kHex[] = "0123456789abcdef";
    for (unsigned i = 0; i < 16; ++i) {
        out[2 * i] = kHex[digest[i] >> 4];
        out[2 * i + 1] = kHex[digest[i] & 0xf];
    }
    out[32] = 0;
}

}  // namespace corelib
