#include "runtime/properties/pointer_codes.h"

namespace rt {
namespace {

constexpr uint32_t kStoredCodes[kPointerCodeCount] = {
    0,     32512, 32515, 32513, 32641, 32640, 32643, 32645, 32642,
    32644, 32516, 32514, 32648, 32650, 32651, 32646, 32649,
};

}  // namespace

uint32_t PointerCodeFromIndex(uint32_t index) {
    return index < kPointerCodeCount ? kStoredCodes[index] : index;
}

uint32_t PointerIndexFromCode(uint32_t code) {
    for (uint32_t i = 0; i < kPointerCodeCount; ++i) {
        if (kStoredCodes[i] == code)
            return i;
    }
    return code;
}

}  // namespace rt
