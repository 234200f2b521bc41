#include "platform/dialogs/file_dialog.h"

#include <algorithm>
#include <vector>

#include "platform/base/text_codec.h"
#include "platform/dialogs/folder_entries.h"
#include "platform/dialogs/folder_entry_list.h"
#include "platform/dialogs/message_box_dialog.h"
#include "platform/dialogs/modal_dialog.h"

namespace platform::dialogs {
namespace {

enum : int { kFolderId = 200, kListId, kNameId, kFilterId, kNameLabelId, kFilterLabelId, kUpId };

struct Filter {
    std::string description;  // runtime text
    std::string patterns;     // UTF-8
};

std::vector<Filter> ParseFilter(const std::string& text) {
    char separator = text.find('\0') != std::string::npos ? '\0' : '|';
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<Filter> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty())
            break;
        filters.push_back({parts[i], RuntimeToUtf8(parts[i + 1])});
    }
    return filters;
}

bool HasExtension(const std::string& utf8Name) {
    size_t dot = utf8Name.rfind('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < utf8Name.size();
}

class FileDialog : public ModalDialog {
public:
    FileDialog(FileDialogKind kind, const FileDialogRequest& request)
        : kind_(kind), request_(request) {
        filters_ = ParseFilter(request.filter);
        filter_ = std::clamp(request.filterIndex > 0 ? request.filterIndex - 1 : 0, 0,
                             std::max(0, int(filters_.size()) - 1));
        std::string initial = RuntimeToUtf8(request.initialDirectory);
        folder_ = !initial.empty() && IsFolder(ResolvePath(CurrentFolder(), initial))
                      ? ResolvePath(CurrentFolder(), initial)
                      : CurrentFolder();
        std::string name = RuntimeToUtf8(request.fileName);
        // An initial name with a folder part opens in that folder.
        if (name.find('/') != std::string::npos) {
            std::string full = ResolvePath(folder_, name);
            if (IsFolder(ParentFolder(full))) {
                folder_ = ParentFolder(full);
                name = LastComponent(full);
            }
        }
        initialName_ = name;
    }

    bool Build(HWND dialog) override {
        dialog_ = dialog;
        RECT client;
        GetClientRect(dialog, &client);
        int right = client.right - 12;
        folderLabel_ = AddControl(dialog, kStaticClass, "", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE,
                                  12, 10, right - 12 - 40, 22, kFolderId);
        AddControl(dialog, kButtonClass, "Up", WS_TABSTOP | BS_PUSHBUTTON, right - 36, 10, 36, 22,
                   kUpId);
        list_ = AddControl(dialog, kListBoxClass, "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, 12, 38,
                           right - 12, client.bottom - 38 - 84, kListId);
        int rowY = client.bottom - 78;
        AddControl(dialog, kStaticClass, "File &name:", SS_LEFT | SS_CENTERIMAGE, 12, rowY, 86, 24,
                   kNameLabelId);
        name_ = AddControl(dialog, kEditClass, Utf8ToRuntime(initialName_).c_str(),
                           WS_TABSTOP | ES_AUTOHSCROLL, 100, rowY, right - 100 - 96, 24, kNameId);
        AddControl(dialog, kButtonClass, kind_ == FileDialogKind::Open ? "&Open" : "&Save",
                   WS_TABSTOP | BS_DEFPUSHBUTTON, right - 88, rowY, 88, 26, IDOK);
        rowY += 34;
        AddControl(dialog, kStaticClass, "Files of &type:", SS_LEFT | SS_CENTERIMAGE, 12, rowY, 86,
                   24, kFilterLabelId);
        filterBox_ = AddControl(dialog, kComboBoxClass, "", WS_TABSTOP | CBS_DROPDOWNLIST, 100,
                                rowY, right - 100 - 96, 160, kFilterId);
        for (const Filter& f : filters_) {
            SendMessage(filterBox_, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(f.description.c_str()));
        }
        if (filters_.empty())
            SendMessage(filterBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("All files"));
        SendMessage(filterBox_, CB_SETCURSEL, WPARAM(filter_), 0);
        AddControl(dialog, kButtonClass, "Cancel", WS_TABSTOP | BS_PUSHBUTTON, right - 88, rowY, 88,
                   26, IDCANCEL);
        Refresh();
        return true;
    }

    HWND InitialFocus(HWND) const override { return name_; }

    void Command(HWND dialog, int id, uint16_t code, HWND control) override {
        switch (id) {
            case IDOK:
                Confirm();
                break;
            case kUpId:
                folder_ = ParentFolder(folder_);
                Refresh();
                break;
            case kFilterId:
                if (code == CBN_SELCHANGE) {
                    filter_ = int(SendMessage(filterBox_, CB_GETCURSEL, 0, 0));
                    Refresh();
                }
                break;
            case kListId: {
                const FolderEntry* entry = SelectedFolderEntry(list_, entries_);
                if (!entry)
                    break;
                if (code == LBN_SELCHANGE && !entry->isFolder) {
                    SetWindowText(name_, Utf8ToRuntime(entry->utf8Name).c_str());
                } else if (code == LBN_DBLCLK) {
                    if (entry->isFolder) {
                        folder_ = ResolvePath(folder_, entry->utf8Name);
                        Refresh();
                    } else {
                        Confirm();
                    }
                }
                break;
            }
            default:
                ModalDialog::Command(dialog, id, code, control);  // Cancel
                break;
        }
    }

    bool Act(HWND dialog, const Answer& answer) override {
        if (answer.kind == AnswerKind::Choose) {
            SetWindowText(name_, Utf8ToRuntime(answer.path).c_str());
            SendMessage(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            return true;
        }
        return ModalDialog::Act(dialog, answer);
    }

    const std::string& Chosen() const { return chosen_; }
    int FilterIndex() const { return filter_ + 1; }

private:
    std::string Patterns() const {
        return size_t(filter_) < filters_.size() ? filters_[size_t(filter_)].patterns
                                                 : std::string();
    }

    void Refresh() {
        entries_ = ListFolder(folder_, true, Patterns());
        ShowFolderEntries(list_, entries_);
        SetWindowText(folderLabel_, Utf8ToRuntime(folder_).c_str());
    }

    int Ask(const std::string& utf8Text, uint32_t flags) {
        std::string title = WindowText();
        return AskFromDialog(dialog_, Utf8ToRuntime(utf8Text), title, flags);
    }

    std::string WindowText() {
        char title[256] = {};
        GetWindowText(dialog_, title, sizeof title);
        return title;
    }

    void Confirm() {
        char buffer[4096] = {};
        GetWindowText(name_, buffer, sizeof buffer);
        std::string typed = RuntimeToUtf8(buffer);
        if (typed.empty())
            return;
        std::string path = ResolvePath(folder_, typed);
        if (IsFolder(path)) {  // a folder typed in is opened, not chosen
            folder_ = path;
            SetWindowText(name_, "");
            Refresh();
            return;
        }
        if (typed.find_first_of("*?") != std::string::npos) {  // a pattern filters the list
            entries_ = ListFolder(folder_, true, LastComponent(path));
            SendMessage(list_, LB_RESETCONTENT, 0, 0);
            for (const FolderEntry& entry : entries_) {
                SendMessage(list_, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(Utf8ToRuntime(entry.utf8Name).c_str()));
            }
            return;
        }
        std::string extension = RuntimeToUtf8(request_.defaultExtension);
        if (!extension.empty() && extension[0] == '.')
            extension.erase(0, 1);
        if (!extension.empty() && !HasExtension(LastComponent(path)) && !Exists(path))
            path += "." + extension;
        uint32_t flags = request_.flags;
        bool exists = Exists(path);
        std::string name = LastComponent(path);
        if (!IsFolder(ParentFolder(path)) &&
            (kind_ == FileDialogKind::Save || (flags & OFN_PATHMUSTEXIST))) {
            Ask(path + "\nThe folder does not exist.\nCheck the path and try again.",
                MB_OK | MB_ICONWARNING);
            return;
        }
        if (kind_ == FileDialogKind::Open && !exists) {
            if (flags & OFN_CREATEPROMPT) {
                if (Ask(name + " does not exist.\nDo you want to create it?",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
                    return;
            } else if (flags & OFN_FILEMUSTEXIST) {
                Ask(path + "\nFile not found.\nCheck the file name and try again.",
                    MB_OK | MB_ICONWARNING);
                return;
            }
        }
        if (kind_ == FileDialogKind::Save && exists && (flags & OFN_OVERWRITEPROMPT)) {
            if (Ask(name + " already exists.\nDo you want to replace it?",
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
                return;
            }
        }
        chosen_ = path;
        End(IDOK);
    }

    FileDialogKind kind_;
    FileDialogRequest request_;
    std::vector<Filter> filters_;
    int filter_ = 0;
    std::string folder_;
    std::string initialName_;
    std::vector<FolderEntry> entries_;
    std::string chosen_;
    HWND dialog_ = nullptr;
    HWND folderLabel_ = nullptr;
    HWND list_ = nullptr;
    HWND name_ = nullptr;
    HWND filterBox_ = nullptr;
};

}  // namespace

bool ShowFileDialog(FileDialogKind kind, const FileDialogRequest& request,
                    FileDialogResult* result) {
    FileDialog dialog(kind, request);
    std::string title =
        request.title.empty() ? (kind == FileDialogKind::Open ? "Open" : "Save As") : request.title;
    if (RunModal(request.owner, dialog, title, 520, 400) != IDOK || dialog.Chosen().empty())
        return false;
    if (result) {
        result->path = Utf8ToRuntime(dialog.Chosen());
        result->filterIndex = dialog.FilterIndex();
    }
    return true;
}

}  // namespace platform::dialogs
