#include <cstring>
#include <string>

#include "libs/desktop/shell/modal_guard.h"
#include "libs/desktop/shell/shell_library.h"
#include "platform/dialogs/folder_dialog.h"

namespace desktop {
namespace {

bool Present(int32_t argCount, const rt::ArgRecord* args, int32_t index) {
    return argCount > index && !args[index].omitted();
}

}  // namespace

void BrowseForFolder(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    rt::SetResultPointer(result, nullptr, rt::TYPE_TEXT);
    platform::dialogs::FolderDialogRequest request;
    if (Present(argCount, args, 0) && args[0].asText())
        request.instruction = args[0].asText();
    // An edit box to type a name in always; the files too when asked.
    request.flags = platform::dialogs::BIF_EDITBOX;
    if (Present(argCount, args, 1) && args[1].asWord() != 0)
        request.flags |= platform::dialogs::BIF_BROWSEINCLUDEFILES;

    std::string chosen;
    bool confirmed;
    {
        ModalGuard guard(ShellSystem());
        request.owner = guard.Owner();
        confirmed = platform::dialogs::ShowFolderDialog(request, &chosen);
        guard.Restore();
    }
    if (!confirmed || chosen.empty())
        return;
    auto* text =
        reinterpret_cast<char*>(ShellSystem().Call(rt::SN_ALLOC, intptr_t(chosen.size() + 1), 0));
    if (!text)
        return;
    std::memcpy(text, chosen.c_str(), chosen.size() + 1);
    rt::SetResultPointer(result, text, rt::TYPE_TEXT);
}

}  // namespace desktop
