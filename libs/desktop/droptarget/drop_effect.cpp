#include "libs/desktop/droptarget/drop_effect.h"

#include <initializer_list>

namespace desktop {

uint32_t ChooseDropEffect(bool accepted, uint32_t keyState, uint32_t allowedEffects) {
    if (!accepted)
        return kEffectNone;
    bool control = keyState & kDragKeyControl;
    bool shift = keyState & kDragKeyShift;
    if (control && shift)
        return kEffectNone;  // the keys ask for a link, which this target never makes
    uint32_t chosen = kEffectNone;
    if (control) {
        chosen = kEffectCopy;
    } else if (shift) {
        chosen = kEffectMove;
    } else {
        for (uint32_t effect : {kEffectCopy, kEffectMove, kEffectLink}) {
            if (allowedEffects & effect) {
                chosen = effect;
                break;
            }
        }
    }
    return (allowedEffects & chosen) ? chosen : kEffectNone;
}

}  // namespace desktop
