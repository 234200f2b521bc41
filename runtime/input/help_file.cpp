#include "runtime/input/help_file.h"

#include <algorithm>

#include "platform/base/directory_listing.h"
#include "platform/loader/executable_path.h"
#include "platform/shell/shell_open.h"
#include "runtime/input/runtime_text.h"

namespace rt {
namespace {

bool HasDirectory(const std::string& path) {
    return path.find(platform::kPathSeparator) != std::string::npos;
}

// '#', '%', '?' and spaces would end or change a URI's path.
std::string EscapeForUri(const std::string& path) {
    std::string out;
    for (char c : path) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '#':
                out += "%23";
                break;
            case '?':
                out += "%3F";
                break;
            case ' ':
                out += "%20";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

}  // namespace

std::string WithoutExtension(const std::string& fileName) {
    const char separator = platform::kPathSeparator[0];
    // Only a dot after the last separator starts the extension.
    size_t lastDot = std::string::npos;
    for (size_t at = 0; at < fileName.size(); at += RuntimeCharacterLength(fileName, at)) {
        if (fileName[at] == separator)
            lastDot = std::string::npos;
        else if (fileName[at] == '.')
            lastDot = at;
    }
    return lastDot == std::string::npos ? fileName : fileName.substr(0, lastDot);
}

std::string HelpFilePath(const ApplicationObject& app, const std::string& helpFile) {
    std::string path =
        helpFile.empty() ? WithoutExtension(app.ProgramFileName()) + kHelpSuffix : helpFile;
    if (!HasDirectory(path) && !app.ProgramDirectory().empty())
        path = app.ProgramDirectory() + platform::kPathSeparator + path;
    return path;
}

bool HelpFileExists(const std::string& path) {
    size_t slash = path.rfind(platform::kPathSeparator[0]);
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::optional<std::vector<std::string>> names = platform::ListFiles(directory);
    return names && std::binary_search(names->begin(), names->end(), name);
}

std::string HelpTarget(const std::string& path, int32_t command, int32_t context) {
    if (command != HELP_COMMAND_CONTEXT)
        return path;
    return "file://" + EscapeForUri(path) + "#" + kHelpContextAnchor + std::to_string(context);
}

bool ShowHelp(const ApplicationObject& app, const std::string& helpFile, int32_t context) {
    std::string path = HelpFilePath(app, helpFile);
    if (!HelpFileExists(path))
        return false;
    int32_t command = context != 0 ? HELP_COMMAND_CONTEXT : HELP_COMMAND_CONTENTS;
    std::string target = HelpTarget(path, command, context);
    return platform::shell::ShellExecute(nullptr, "open", target.c_str(), nullptr, nullptr,
                                         platform::SW_SHOWNORMAL) > 32;
}

}  // namespace rt
