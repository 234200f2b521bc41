#include "runtime/input/framework_input_hooks.h"

namespace rt {
namespace {

FrameworkInputHooks g_hooks;

}  // namespace

void SetFrameworkInputHooks(const FrameworkInputHooks& hooks) {
    g_hooks = hooks;
}

const FrameworkInputHooks& FrameworkInput() {
    return g_hooks;
}

}  // namespace rt
