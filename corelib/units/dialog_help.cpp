// The dialog unit's help kind (3). This desktop has no help service of its
// own: help is an HTML file shown by the user's browser through the
// desktop's opener. Help commands:
//
//   0  the help file's contents (the file itself)
//   1  the topic of index 21 as a page: the file at "#topic-N" (without a
//   2    topic, the contents); 2, a topic as a pop-up, is shown as a page
//   3  the help file, forced: the file itself
//   4  close help: nothing of ours stays open, so this is done at once
//   5  help on using help: not offered here (answers 0)
//
// The file is index 19, or the derived name when that is empty; a file that
// does not exist is not opened (answers 0).
#include <cstdio>
#include <filesystem>
#include <string>

#include "corelib/commands/core_library.h"
#include "corelib/units/dialog_unit.h"
#include "platform/base/text_codec.h"
#include "platform/shell/shell_open.h"
#include "runtime/notify.h"

namespace corelib::units {
namespace {

using namespace platform;

enum HelpCommand : int32_t {
    HELP_CONTENTS = 0,
    HELP_TOPIC = 1,
    HELP_TOPIC_POPUP = 2,
    HELP_FORCE_FILE = 3,
    HELP_QUIT = 4,
    HELP_ON_HELP = 5,
};

constexpr const char* kHelpSuffix = ".html";

std::filesystem::path PathOf(const std::string& runtimePath) {
    return std::filesystem::path(RuntimeToUtf8(runtimePath));
}

bool HelpFileExists(const std::string& runtimePath) {
    std::error_code error;
    return std::filesystem::is_regular_file(PathOf(runtimePath), error);
}

// A file: URL of the file at an anchor. Everything but unreserved
// characters and separators is percent-encoded from UTF-8, so the URL is
// plain ASCII, and so a valid runtime text.
std::string TopicUrl(const std::string& runtimePath, int32_t topic) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(PathOf(runtimePath), error);
    std::string utf8 = (error ? PathOf(runtimePath) : absolute).string();
    std::string url = "file://";
    for (unsigned char c : utf8) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            url += char(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            url += escaped;
        }
    }
    return url + "#topic-" + std::to_string(topic);
}

}  // namespace

std::string DerivedHelpFile() {
    const auto* name = reinterpret_cast<const char*>(CallSystem(rt::SN_GET_PROGRAM_NAME));
    if (!name || !*name)
        return {};
    std::string base = name;
    // Runtime texts never hold '.' or '/' as the second byte of a
    // character, so a plain search finds the real separators.
    size_t separator = base.rfind('/');
    size_t dot = base.rfind('.');
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
        base.resize(dot);
    const auto* directory = reinterpret_cast<const char*>(CallSystem(rt::SN_GET_PROGRAM_DIR));
    std::string prefix = directory && *directory && base.find('/') == std::string::npos
                             ? std::string(directory) + "/"
                             : std::string();
    return prefix + base + kHelpSuffix;
}

int32_t RunHelp(DialogUnit& unit, const DialogSettings& s) {
    HWND owner = unit.Owner();
    if (!owner || !IsWindow(owner))
        return 0;
    int32_t command = s.words[DIALOG_HELP_COMMAND];
    if (command == HELP_QUIT)
        return 1;
    if (command == HELP_ON_HELP)
        return 0;
    std::string file =
        s.texts[DIALOG_HELP_FILE].empty() ? DerivedHelpFile() : s.texts[DIALOG_HELP_FILE];
    if (file.empty() || !HelpFileExists(file))
        return 0;
    int32_t topic = s.words[DIALOG_HELP_TOPIC];
    bool atTopic = (command == HELP_TOPIC || command == HELP_TOPIC_POPUP) && topic != 0;
    std::string target = atTopic ? TopicUrl(file, topic) : file;
    intptr_t answer =
        shell::ShellExecute(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return answer > 32 ? 1 : 0;
}

}  // namespace corelib::units
