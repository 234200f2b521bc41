// F1 help. A help file here is an HTML document; it is opened with the
// desktop's opener (platform/shell), which shows it in the user's browser.
// A window names its help file in its input settings; without one the help
// file is the program's file name with its extension replaced by
// kHelpSuffix ("picbatch" -> "picbatch.html"). A help file named without a
// directory is looked for in the program's directory.
//
// A help context number n opens the document at the anchor "context-n"
// (`<a id="context-42">` in the document); context 0 opens it at the top.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/application_object.h"

namespace rt {

inline constexpr const char* kHelpSuffix = ".html";
inline constexpr const char* kHelpContextAnchor = "context-";

// The two ways of opening help, as numbered by the platform's help
// interface: at a context, or at the contents.
inline constexpr int32_t HELP_COMMAND_CONTEXT = 1;
inline constexpr int32_t HELP_COMMAND_CONTENTS = 11;

// The file name without its extension: the text from the last "." after
// the last path separator is removed. Runtime text; the trail byte of a
// double-byte character is never taken for either.
std::string WithoutExtension(const std::string& fileName);

// The help file of a window: `helpFile` when not empty, else the program's
// file name without extension plus kHelpSuffix; a name without a directory
// is placed in the program directory.
std::string HelpFilePath(const ApplicationObject& app, const std::string& helpFile);

// Whether a file search finds the file.
bool HelpFileExists(const std::string& path);

// What is handed to the desktop's opener for `command` (a file path, or a
// file URI with the context's anchor).
std::string HelpTarget(const std::string& path, int32_t command, int32_t context);

// Opens the window's help when its file exists; answers whether it was
// opened.
bool ShowHelp(const ApplicationObject& app, const std::string& helpFile, int32_t context);

}  // namespace rt
