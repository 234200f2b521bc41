#include "platform/dialogs/folder_entries.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace platform::dialogs {

// Paths on Linux are bytes, so UTF-8 passes through std::filesystem whole.
namespace fs = std::filesystem;

namespace {

bool Matches(const std::string& name, const std::string& patterns) {
    if (patterns.empty())
        return true;
    std::stringstream list(patterns);
    for (std::string pattern; std::getline(list, pattern, ';');) {
        pattern.erase(0, pattern.find_first_not_of(' '));
        if (pattern.empty())
            continue;
        if (pattern == "*.*" || fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::vector<FolderEntry> ListFolder(const std::string& utf8Folder, bool includeFiles,
                                    const std::string& patterns) {
    std::vector<FolderEntry> folders, files;
    std::error_code error;
    fs::directory_iterator it(fs::path(utf8Folder), fs::directory_options::skip_permission_denied,
                              error);
    if (error)
        return {};
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            folders.push_back({name, true});
        } else if (includeFiles && Matches(name, patterns)) {
            files.push_back({name, false});
        }
    }
    auto byName = [](const FolderEntry& a, const FolderEntry& b) {
        return a.utf8Name < b.utf8Name;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), files.begin(), files.end());
    return folders;
}

std::string ResolvePath(const std::string& utf8Folder, const std::string& utf8Typed) {
    std::string typed = utf8Typed;
    if (!typed.empty() && typed[0] == '~' && (typed.size() == 1 || typed[1] == '/')) {
        const char* home = std::getenv("HOME");
        typed = std::string(home ? home : "") + typed.substr(1);
    }
    fs::path path = fs::path(typed);
    if (path.is_relative())
        path = fs::path(utf8Folder) / path;
    std::string out = path.lexically_normal().string();
    if (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

std::string ParentFolder(const std::string& utf8Path) {
    std::string parent = fs::path(utf8Path).parent_path().string();
    return parent.empty() ? "/" : parent;
}

std::string LastComponent(const std::string& utf8Path) {
    return fs::path(utf8Path).filename().string();
}

bool IsFolder(const std::string& utf8Path) {
    std::error_code error;
    return fs::is_directory(fs::path(utf8Path), error);
}

bool Exists(const std::string& utf8Path) {
    std::error_code error;
    return fs::exists(fs::path(utf8Path), error);
}

std::string CurrentFolder() {
    std::error_code error;
    fs::path current = fs::current_path(error);
    return error ? std::string("/") : current.string();
}

}  // namespace platform::dialogs
