// The one place where the runtime's file-name texts (GB18030) become file
// system paths (UTF-8). Every codec opens and tests files here; a
// destination is replaced through platform/files/replacing_file.h.
#pragma once

#include <cstdio>

#include "runtime/values.h"

namespace imageconv {

enum class FileAccess { Read, Write };

// A descriptor (-1 on failure). Write creates or truncates the file.
int OpenImageFileDescriptor(rt::ConstText path, FileAccess access);
// The same as a buffered stream in binary mode (null on failure).
FILE* OpenImageFile(rt::ConstText path, FileAccess access);
// True when the path names an existing entry; never opens it.
bool ImageFileExists(rt::ConstText path);

}  // namespace imageconv
