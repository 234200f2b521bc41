#include "platform/dialogs/folder_entry_list.h"

#include <string>

#include "platform/base/text_codec.h"

namespace platform::dialogs {

void ShowFolderEntries(HWND list, const std::vector<FolderEntry>& entries) {
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    for (const FolderEntry& entry : entries) {
        std::string shown =
            Utf8ToRuntime(entry.isFolder ? "[" + entry.utf8Name + "]" : entry.utf8Name);
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
}

const FolderEntry* SelectedFolderEntry(HWND list, const std::vector<FolderEntry>& entries) {
    int index = int(SendMessage(list, LB_GETCURSEL, 0, 0));
    if (index < 0 || size_t(index) >= entries.size())
        return nullptr;
    return &entries[size_t(index)];
}

}  // namespace platform::dialogs
