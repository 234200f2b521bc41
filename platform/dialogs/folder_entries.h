// Internal: what the file and folder dialogs list, and path helpers. Paths
// inside the dialogs are UTF-8; texts shown and answered are runtime texts.
#pragma once

#include <string>
#include <vector>

namespace platform::dialogs {

struct FolderEntry {
    std::string utf8Name;
    bool isFolder = false;
};

// The folders, then the files matching one of `patterns` (";"-separated
// shell patterns, letter case ignored; empty: all), each sorted; hidden
// names (leading ".") are left out. Empty when the folder cannot be read.
std::vector<FolderEntry> ListFolder(const std::string& utf8Folder, bool includeFiles,
                                    const std::string& patterns);

// `typed` resolved against `folder` ("~" is the home folder), normalised.
std::string ResolvePath(const std::string& utf8Folder, const std::string& utf8Typed);
std::string ParentFolder(const std::string& utf8Path);
std::string LastComponent(const std::string& utf8Path);
bool IsFolder(const std::string& utf8Path);
bool Exists(const std::string& utf8Path);
std::string CurrentFolder();

}  // namespace platform::dialogs
