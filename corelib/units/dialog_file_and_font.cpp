// The dialog unit's file dialogs (kinds 0 and 1) and font dialog (kind 2).
#include <cstring>

#include "corelib/units/dialog_unit.h"
#include "platform/dialogs/file_dialog.h"
#include "platform/dialogs/font_dialog.h"

namespace corelib::units {

using namespace platform;

int32_t RunFileDialog(DialogUnit& unit, const DialogSettings& s) {
    uint32_t flags = s.IsSet(DIALOG_CREATE_PROMPT)
                         ? dialogs::OFN_CREATEPROMPT | dialogs::OFN_HIDEREADONLY
                         : dialogs::OFN_HIDEREADONLY;
    if (s.IsSet(DIALOG_FILE_MUST_EXIST))
        flags |= dialogs::OFN_FILEMUSTEXIST;
    if (s.IsSet(DIALOG_CONFIRM_OVERWRITE))
        flags |= dialogs::OFN_OVERWRITEPROMPT;
    if (s.IsSet(DIALOG_PATH_MUST_EXIST))
        flags |= dialogs::OFN_PATHMUSTEXIST;
    if (s.IsSet(DIALOG_KEEP_DIRECTORY))
        flags |= dialogs::OFN_NOCHANGEDIR;

    dialogs::FileDialogRequest request;
    request.owner = unit.Owner();
    request.title = s.texts[DIALOG_TITLE];
    request.fileName = s.texts[DIALOG_FILE_NAME];
    request.filter = s.texts[DIALOG_FILTER];
    request.filterIndex = request.filter.empty() ? 0 : s.words[DIALOG_FILTER_INDEX] + 1;
    request.initialDirectory = s.texts[DIALOG_INITIAL_DIRECTORY];
    request.defaultExtension = s.texts[DIALOG_DEFAULT_EXTENSION];
    request.flags = flags;

    dialogs::FileDialogResult result;
    auto kind = s.words[DIALOG_KIND] == DIALOG_SAVE_FILE ? dialogs::FileDialogKind::Save
                                                         : dialogs::FileDialogKind::Open;
    // A cancelled or failed dialog leaves every property as it was.
    if (!dialogs::ShowFileDialog(kind, request, &result) || result.path.empty())
        return 0;
    unit.StoreFileName(result.path);
    return 1;
}

int32_t RunFontDialog(DialogUnit& unit, const DialogSettings& s) {
    LOGFONT font{};
    font.lfWeight = s.IsSet(DIALOG_FONT_BOLD) ? FW_BOLD : 0;
    font.lfItalic = s.IsSet(DIALOG_FONT_ITALIC);
    font.lfUnderline = s.IsSet(DIALOG_FONT_UNDERLINE);
    font.lfStrikeOut = s.IsSet(DIALOG_FONT_STRIKE_OUT);
    const std::string& face = s.texts[DIALOG_FONT_FACE];
    std::memcpy(font.lfFaceName, face.data(), std::min(face.size(), sizeof font.lfFaceName - 1));
    // No size yet lets the dialog offer its own.
    int32_t points = s.words[DIALOG_FONT_SIZE];
    font.lfHeight = points > 0 ? dialogs::PointSizeToHeight(points) : 0;
    auto colour = COLORREF(s.words[DIALOG_FONT_COLOUR]);

    if (!dialogs::ShowFontDialog(unit.Owner(), &font, &colour,
                                 dialogs::CF_SCREENFONTS | dialogs::CF_EFFECTS))
        return 0;
    unit.StoreFont(font, colour);
    return 1;
}

}  // namespace corelib::units
