// Each dialog opened and answered from the queue: the message box, the
// file dialogs with their checks and prompts, the folder chooser and the
// font chooser; and the keyboard navigation they share.
#include <gmock/gmock.h>

#include <cstring>

#include "platform/base/text_codec.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialog_navigation.h"
#include "platform/dialogs/file_dialog.h"
#include "platform/dialogs/folder_dialog.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/message_box_dialog.h"
#include "tests/dialogs/dialog_test_support.h"

using namespace dlgtest;
using namespace platform::dialogs;
using ::testing::HasSubstr;

namespace {

int Box(HWND owner, uint32_t flags) {
    return ShowMessageBoxDialog(reinterpret_cast<uintptr_t>(owner), "Converted 3 files.",
                                "picbatch", flags);
}

TEST_F(DialogTest, MessageBoxAnswersThePressedButtonsNumber) {
    Queue("press Yes");
    EXPECT_EQ(Box(owner_, MB_YESNO | MB_ICONQUESTION), IDYES);
    Queue("press retry");
    EXPECT_EQ(Box(owner_, MB_ABORTRETRYIGNORE | MB_ICONERROR), IDRETRY);
    Queue("press OK");
    EXPECT_EQ(Box(nullptr, MB_OK | MB_ICONINFORMATION), IDOK);
    Queue("cancel");
    EXPECT_EQ(Box(owner_, MB_YESNOCANCEL), IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(DialogTest, UnansweredOrMisansweredBoxesAreCancelledAndSaySo) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Box(owner_, MB_YESNO), IDNO);
    EXPECT_EQ(Box(owner_, MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(Box(owner_, MB_OK), IDOK);
    Queue("press Maybe");
    EXPECT_EQ(Box(owner_, MB_YESNO), IDNO);
    Queue("choose /tmp");
    EXPECT_EQ(Box(owner_, MB_RETRYCANCEL), IDCANCEL);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(said, HasSubstr("no answer queued"));
    EXPECT_THAT(said, HasSubstr("Converted 3 files."));
    EXPECT_THAT(said, HasSubstr("press Maybe"));
    EXPECT_THAT(said, HasSubstr("does not fit"));
}

TEST_F(DialogTest, AnOwnerDisabledBeforeTheDialogStaysDisabled) {
    EnableWindow(owner_, false);
    Queue("press OK");
    Box(owner_, MB_OK);
    EXPECT_FALSE(IsWindowEnabled(owner_));
}

TEST_F(DialogTest, OpenDialogChoosesExistingFilesAndRefusesMissingOnes) {
    Touch("a.png");
    FileDialogRequest request;
    request.owner = owner_;
    request.initialDirectory = folder_.string();
    request.filter = "Pictures|*.png;*.jpg|All files|*.*";
    request.filterIndex = 2;
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    FileDialogResult result;
    Queue("choose a.png");
    ASSERT_TRUE(ShowFileDialog(FileDialogKind::Open, request, &result));
    EXPECT_EQ(result.path, Path("a.png"));
    EXPECT_EQ(result.filterIndex, 2);

    // A missing file brings up an error box; with nothing left to answer
    // it, the open dialog is cancelled too.
    ::testing::internal::CaptureStderr();
    Queue("choose missing.png");
    EXPECT_FALSE(ShowFileDialog(FileDialogKind::Open, request, &result));
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(said, HasSubstr("File not found"));
    EXPECT_THAT(said, HasSubstr("left it open"));

    // A sub-folder typed as the name is opened; "press OK" then confirms
    // the initial name there.
    Touch("sub/b.jpg");
    request.fileName = "sub/b.jpg";
    Queue("press Open");
    ASSERT_TRUE(ShowFileDialog(FileDialogKind::Open, request, &result));
    EXPECT_EQ(result.path, Path("sub/b.jpg"));
}

TEST_F(DialogTest, CreatePromptAsksBeforeOpeningAMissingFile) {
    FileDialogRequest request;
    request.initialDirectory = folder_.string();
    request.flags = OFN_CREATEPROMPT | OFN_HIDEREADONLY;
    FileDialogResult result;
    Queue("choose new.txt");
    Queue("press Yes");
    ASSERT_TRUE(ShowFileDialog(FileDialogKind::Open, request, &result));
    EXPECT_EQ(result.path, Path("new.txt"));
}

TEST_F(DialogTest, SaveDialogAddsTheDefaultExtensionAndConfirmsOverwrites) {
    Touch("old.png");
    FileDialogRequest request;
    request.initialDirectory = folder_.string();
    request.defaultExtension = "png";
    request.flags = OFN_OVERWRITEPROMPT;
    FileDialogResult result;
    Queue("choose out");
    ASSERT_TRUE(ShowFileDialog(FileDialogKind::Save, request, &result));
    EXPECT_EQ(result.path, Path("out.png"));

    ::testing::internal::CaptureStderr();
    Queue("choose old");
    Queue("press No");
    EXPECT_FALSE(ShowFileDialog(FileDialogKind::Save, request, &result));
    ::testing::internal::GetCapturedStderr();
    Queue("choose old.png");
    Queue("press Yes");
    EXPECT_TRUE(ShowFileDialog(FileDialogKind::Save, request, &result));
    EXPECT_EQ(result.path, Path("old.png"));

    // Saving into a folder that does not exist is refused.
    ::testing::internal::CaptureStderr();
    Queue("choose nowhere/x.png");
    Queue("press OK");
    EXPECT_FALSE(ShowFileDialog(FileDialogKind::Save, request, &result));
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("left it open"));
}

TEST_F(DialogTest, FileNamesInRuntimeTextRoundTrip) {
    std::string utf8Name = "\xE5\x9B\xBE.png";  // a Chinese file name
    Touch(utf8Name);
    FileDialogRequest request;
    request.initialDirectory = Utf8ToRuntime(folder_.string());
    request.flags = OFN_FILEMUSTEXIST;
    FileDialogResult result;
    Queue(("choose " + Path(utf8Name)).c_str());
    ASSERT_TRUE(ShowFileDialog(FileDialogKind::Open, request, &result));
    EXPECT_EQ(result.path, Utf8ToRuntime(Path(utf8Name)));
}

TEST_F(DialogTest, FolderChooserTakesFoldersAndFilesOnlyWhenShown) {
    Touch("sub/f.png");
    FolderDialogRequest request;
    request.owner = owner_;
    request.instruction = "Choose the folder of pictures";
    request.initialDirectory = folder_.string();
    std::string chosen;
    Queue("choose sub");
    ASSERT_TRUE(ShowFolderDialog(request, &chosen));
    EXPECT_EQ(chosen, Path("sub"));

    ::testing::internal::CaptureStderr();
    Queue(("choose " + Path("sub/f.png")).c_str());
    EXPECT_FALSE(ShowFolderDialog(request, &chosen));
    EXPECT_FALSE(ShowFolderDialog(request, &chosen));  // nothing queued
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(said, HasSubstr("Choose the folder of pictures"));

    request.flags |= BIF_BROWSEINCLUDEFILES;
    Queue(("choose " + Path("sub/f.png")).c_str());
    ASSERT_TRUE(ShowFolderDialog(request, &chosen));
    EXPECT_EQ(chosen, Path("sub/f.png"));
    // "press OK" takes the folder shown.
    Queue("press OK");
    ASSERT_TRUE(ShowFolderDialog(request, &chosen));
    EXPECT_EQ(chosen, folder_.string());
}

TEST_F(DialogTest, FontChooserEditsTheFontInPlace) {
    LOGFONT font;
    std::strcpy(font.lfFaceName, "DejaVu Sans");
    font.lfHeight = PointSizeToHeight(10);
    COLORREF color = RGB(0, 0, 0);
    Queue("font DejaVu Serif 14 bold underline #FF0000");
    ASSERT_TRUE(ShowFontDialog(owner_, &font, &color, CF_SCREENFONTS | CF_EFFECTS));
    EXPECT_STREQ(font.lfFaceName, "DejaVu Serif");
    EXPECT_EQ(font.lfHeight, -19);
    EXPECT_EQ(HeightToPointSize(font.lfHeight), 14);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(color, RGB(255, 0, 0));

    LOGFONT before = font;
    Queue("cancel");
    EXPECT_FALSE(ShowFontDialog(owner_, &font, &color, CF_EFFECTS));
    EXPECT_EQ(std::memcmp(&before, &font, sizeof font), 0);
    // "press OK" keeps what was there.
    Queue("press OK");
    ASSERT_TRUE(ShowFontDialog(owner_, &font, &color, CF_EFFECTS));
    EXPECT_EQ(font.lfHeight, before.lfHeight);
    EXPECT_EQ(color, RGB(255, 0, 0));
}

// Keyboard navigation on a plain window holding controls.
std::vector<int>& Commands() {
    static std::vector<int> commands;
    return commands;
}
LRESULT NavigationProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        Commands().push_back(LOWORD(wParam));
    return DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(DialogTest, TabEnterAndEscapeNavigateAWindowOfControls) {
    RegisterStandardControls();
    WNDCLASS c;
    c.lpfnWndProc = NavigationProc;
    c.lpszClassName = "NavigationTest";
    RegisterClass(&c);
    HWND window = CreateWindowEx(0, "NavigationTest", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 300, 200, nullptr, nullptr, nullptr, nullptr);
    auto add = [&](const char* cls, uint32_t style, int id) {
        return CreateWindowEx(0, cls, "x", WS_CHILD | WS_VISIBLE | style, 0, id * 20, 80, 18,
                              window, reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
    };
    HWND edit = add(kEditClass, WS_TABSTOP, 10);
    HWND check = add(kButtonClass, WS_TABSTOP | BS_AUTOCHECKBOX, 11);
    HWND off = add(kButtonClass, WS_TABSTOP | WS_DISABLED, 12);
    add(kStaticClass, 0, 13);
    HWND ok = add(kButtonClass, WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    HWND cancel = add(kButtonClass, WS_TABSTOP, IDCANCEL);
    (void)off;
    SetFocus(edit);
    auto press = [&](uint8_t key) {
        MSG msg;
        msg.hwnd = GetFocus();
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        return IsDialogMessage(window, &msg);
    };
    std::vector<HWND> visited;
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(press(VK_TAB));
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited, (std::vector<HWND>{check, ok, cancel, edit}));
    auto pump = [] {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    };
    InjectKey(VK_SHIFT, true);
    pump();
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), cancel);
    InjectKey(VK_SHIFT, false);
    pump();
    // Enter on a focused push button presses it; elsewhere the default one.
    Commands().clear();
    press(VK_RETURN);
    SetFocus(edit);
    press(VK_RETURN);
    press(VK_ESCAPE);
    EXPECT_EQ(Commands(), (std::vector<int>{IDCANCEL, IDOK, IDCANCEL}));
    EXPECT_FALSE(press('A'));
    DestroyWindow(window);
}

}  // namespace
