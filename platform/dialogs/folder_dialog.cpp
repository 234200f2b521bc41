#include "platform/dialogs/folder_dialog.h"

#include <vector>

#include "platform/base/text_codec.h"
#include "platform/dialogs/folder_entries.h"
#include "platform/dialogs/folder_entry_list.h"
#include "platform/dialogs/message_box_dialog.h"
#include "platform/dialogs/modal_dialog.h"

namespace platform::dialogs {
namespace {

enum : int { kInstructionId = 300, kPathId, kListId, kNameLabelId, kNameId, kUpId };

class FolderDialog : public ModalDialog {
public:
    explicit FolderDialog(const FolderDialogRequest& request) : request_(request) {
        std::string initial = RuntimeToUtf8(request.initialDirectory);
        std::string resolved = ResolvePath(CurrentFolder(), initial);
        folder_ = !initial.empty() && IsFolder(resolved) ? resolved : CurrentFolder();
    }

    bool Build(HWND dialog) override {
        dialog_ = dialog;
        RECT client;
        GetClientRect(dialog, &client);
        int right = client.right - 12;
        AddControl(dialog, kStaticClass, request_.instruction.c_str(), SS_LEFT, 12, 10, right - 12,
                   34, kInstructionId);
        path_ =
            AddControl(dialog, kStaticClass, "", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | SS_SUNKEN,
                       12, 48, right - 12 - 40, 22, kPathId);
        AddControl(dialog, kButtonClass, "Up", WS_TABSTOP | BS_PUSHBUTTON, right - 36, 48, 36, 22,
                   kUpId);
        bool editBox = request_.flags & BIF_EDITBOX;
        int listBottom = client.bottom - 48 - (editBox ? 34 : 0);
        list_ = AddControl(dialog, kListBoxClass, "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, 12, 76,
                           right - 12, listBottom - 76, kListId);
        if (editBox) {
            AddControl(dialog, kStaticClass, "&Folder:", SS_LEFT | SS_CENTERIMAGE, 12,
                       listBottom + 8, 60, 24, kNameLabelId);
            name_ = AddControl(dialog, kEditClass, "", WS_TABSTOP | ES_AUTOHSCROLL, 76,
                               listBottom + 8, right - 76, 24, kNameId);
        }
        AddControl(dialog, kButtonClass, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, right - 184,
                   client.bottom - 38, 88, 26, IDOK);
        AddControl(dialog, kButtonClass, "Cancel", WS_TABSTOP | BS_PUSHBUTTON, right - 88,
                   client.bottom - 38, 88, 26, IDCANCEL);
        Refresh();
        return true;
    }

    void Command(HWND dialog, int id, uint16_t code, HWND control) override {
        switch (id) {
            case IDOK:
                Confirm();
                break;
            case kUpId:
                Open(ParentFolder(folder_));
                break;
            case kListId: {
                const FolderEntry* entry = SelectedFolderEntry(list_, entries_);
                if (!entry)
                    break;
                if (code == LBN_SELCHANGE && name_) {
                    SetWindowText(name_, Utf8ToRuntime(entry->utf8Name).c_str());
                } else if (code == LBN_DBLCLK && entry->isFolder) {
                    Open(ResolvePath(folder_, entry->utf8Name));
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
            typed_ = answer.path;
            if (name_)
                SetWindowText(name_, Utf8ToRuntime(answer.path).c_str());
            SendMessage(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            return true;
        }
        return ModalDialog::Act(dialog, answer);
    }

    std::string Summary() const override { return request_.instruction; }
    const std::string& Chosen() const { return chosen_; }

private:
    void Open(const std::string& folder) {
        folder_ = folder;
        if (name_)
            SetWindowText(name_, "");
        Refresh();
    }

    void Refresh() {
        entries_ = ListFolder(folder_, request_.flags & BIF_BROWSEINCLUDEFILES, "");
        ShowFolderEntries(list_, entries_);
        SetWindowText(path_, Utf8ToRuntime(folder_).c_str());
    }

    void Confirm() {
        // The typed name wins; else the chosen entry; else the folder shown.
        std::string typed = typed_;
        typed_.clear();
        if (name_) {
            char buffer[4096] = {};
            GetWindowText(name_, buffer, sizeof buffer);
            typed = RuntimeToUtf8(buffer);
        }
        std::string path = folder_;
        if (!typed.empty()) {
            path = ResolvePath(folder_, typed);
        } else {
            if (const FolderEntry* entry = SelectedFolderEntry(list_, entries_))
                path = ResolvePath(folder_, entry->utf8Name);
        }
        bool acceptable =
            IsFolder(path) || ((request_.flags & BIF_BROWSEINCLUDEFILES) && Exists(path));
        if (!acceptable) {
            char title[256] = {};
            GetWindowText(dialog_, title, sizeof title);
            AskFromDialog(dialog_,
                          Utf8ToRuntime(path + "\nThe folder does not exist or cannot be used."),
                          title, MB_OK | MB_ICONWARNING);
            return;
        }
        chosen_ = path;
        End(IDOK);
    }

    FolderDialogRequest request_;
    std::string folder_;
    std::string typed_;
    std::vector<FolderEntry> entries_;
    std::string chosen_;
    HWND dialog_ = nullptr;
    HWND path_ = nullptr;
    HWND list_ = nullptr;
    HWND name_ = nullptr;
};

}  // namespace

bool ShowFolderDialog(const FolderDialogRequest& request, std::string* chosenPath) {
    FolderDialog dialog(request);
    if (RunModal(request.owner, dialog, "Choose a folder", 440, 420) != IDOK ||
        dialog.Chosen().empty())
        return false;
    if (chosenPath)
        *chosenPath = Utf8ToRuntime(dialog.Chosen());
    return true;
}

}  // namespace platform::dialogs
