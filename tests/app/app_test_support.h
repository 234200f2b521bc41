// Installs the application's routine table once and starts the imaging
// platform, as start-up does, for tests that call the platform through it.
#pragma once

#include <string>

#include "runtime/values.h"

namespace app::testing {

void StartPlatformOnce();
// A fresh runtime text (the caller frees it with RtFree).
rt::Text Text(const std::string& utf8);

}  // namespace app::testing
