// Pieces of paths and names, cut with the core text commands: the directory
// (with its trailing separator), the name, the base (with its dot) and the
// extension (without it). Every piece is a fresh text the caller releases.
#pragma once

#include <cstdint>

#include "runtime/values.h"

namespace app {

// 1-based positions of the last separator and the last dot; -1 when absent.
int32_t LastSep(const char* text);
int32_t LastDot(const char* text);
rt::Text DirectoryOf(const char* path);  // empty when there is no separator
rt::Text NameOf(const char* path);
rt::Text BaseOf(const char* name);       // empty when there is no dot
rt::Text ExtensionOf(const char* name);  // the whole name when there is no dot
// A plain substring test against the accepted extensions, ignoring case.
bool IsAccepted(const char* extension);

}  // namespace app
