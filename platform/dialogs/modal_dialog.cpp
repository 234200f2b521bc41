#include "platform/dialogs/modal_dialog.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "platform/base/text_codec.h"
#include "platform/dialogs/message_box_dialog.h"

namespace platform::dialogs {
namespace {

constexpr const char* kDialogClass = "PicbatchDialog";

ModalDialog* DialogOf(HWND hwnd) {
    return reinterpret_cast<ModalDialog*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
}

LRESULT DialogProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    ModalDialog* dialog = DialogOf(hwnd);
    switch (message) {
        case WM_COMMAND:
            if (dialog)
                dialog->Command(hwnd, LOWORD(wParam), HIWORD(wParam),
                                reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CLOSE:
            if (dialog)
                dialog->Command(hwnd, IDCANCEL, BN_CLICKED, nullptr);
            return 0;
        case WM_CTLCOLORSTATIC: {
            COLORREF color =
                dialog ? dialog->StaticColor(reinterpret_cast<HWND>(lParam)) : CLR_INVALID;
            LRESULT brush = DefWindowProc(hwnd, message, wParam, lParam);
            if (color != CLR_INVALID)
                SetTextColor(reinterpret_cast<HDC>(wParam), color);
            return brush;
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

bool RegisterDialogClass() {
    RegisterStandardControls();
    return EnsureWindowClass(kDialogClass, DialogProc, COLOR_BTNFACE);
}

void Pump() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

void Report(const std::string& title, const std::string& what) {
    std::string line = "picbatch: dialog \"" + RuntimeToUtf8(title) + "\": " + what + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// The person at the display answers.
void RunInteractive(HWND window, ModalDialog& dialog) {
    MSG msg;
    while (!dialog.Ended()) {
        int got = GetMessage(&msg, nullptr, 0, 0);
        if (got == 0) {  // the program is ending: leave the quit for the main loop
            PostQuitMessage(int(msg.wParam));
            dialog.End(dialog.CancelResult());
            break;
        }
        if (IsDialogMessage(window, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        if (!IsWindow(window))
            break;
    }
}

}  // namespace

void ModalDialog::Command(HWND, int id, uint16_t, HWND) {
    if (id == IDOK)
        End(IDOK);
    if (id == IDCANCEL)
        End(CancelResult());
}

bool ModalDialog::Act(HWND dialog, const Answer& answer) {
    if (answer.kind == AnswerKind::Cancel) {
        SendMessage(dialog, WM_CLOSE, 0, 0);
        return true;
    }
    if (answer.kind == AnswerKind::Press)
        return PressButton(dialog, answer.button);
    return false;
}

void ModalDialog::End(int result) {
    if (ended_)
        return;
    ended_ = true;
    result_ = result;
}

bool ModalDialog::PressButton(HWND dialog, const std::string& label) {
    std::string wanted = Utf8ToRuntime(label);
    for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassName(w, name, sizeof name);
        if (std::string(name) != kButtonClass)
            continue;
        char caption[128] = {};
        GetWindowText(w, caption, sizeof caption);
        std::string plain;
        for (const char* c = caption; *c; ++c) {
            if (*c != '&')
                plain += *c;
        }
        if (plain.size() == wanted.size() &&
            strncasecmp(plain.c_str(), wanted.c_str(), plain.size()) == 0) {
            if (!IsWindowEnabled(w))
                return false;
            SendMessage(w, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

HWND AddControl(HWND dialog, const char* className, const char* text, uint32_t style, int x, int y,
                int width, int height, int id) {
    return CreateWindowEx(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                          dialog, reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
}

int RunModal(HWND owner, ModalDialog& dialog, const std::string& title, int width, int height) {
    if (!RegisterDialogClass())
        return dialog.CancelResult();
    if (owner && !IsWindow(owner))
        owner = nullptr;
    HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    // Centred over the owner, or on the screen.
    RECT area{0, 0, GetScreenSize().cx, GetScreenSize().cy};
    if (root)
        GetWindowRect(root, &area);
    int x = std::max(0, int(area.left + area.right - width) / 2);
    int y = std::max(0, int(area.top + area.bottom - height) / 2);
    HWND window = CreateWindowEx(WS_EX_CONTROLPARENT, kDialogClass, title.c_str(),
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, root,
                                 nullptr, nullptr, nullptr);
    if (!window)
        return dialog.CancelResult();
    SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(&dialog));
    if (!dialog.Build(window)) {
        DestroyWindow(window);
        return dialog.CancelResult();
    }
    bool ownerWasEnabled = root && IsWindowEnabled(root);
    if (ownerWasEnabled)
        EnableWindow(root, false);
    ShowWindow(window, SW_SHOW);
    SetActiveWindow(window);
    HWND first = dialog.InitialFocus(window);
    if (!first)
        first = GetNextDlgTabItem(window, nullptr, false);
    if (first)
        SetFocus(first);
    UpdateWindow(window);

    if (std::optional<Answer> answer = TakeNextAnswer()) {
        bool fits = dialog.Act(window, *answer);
        Pump();
        if (!dialog.Ended()) {
            Report(title, fits ? "the answer \"" + answer->text + "\" left it open; cancelled"
                               : "the answer \"" + answer->text + "\" does not fit it; cancelled");
            dialog.End(dialog.CancelResult());
        }
    } else if (CurrentPresentationMode() == PresentationMode::Display) {
        RunInteractive(window, dialog);
    } else {
        std::string summary = dialog.Summary();
        Report(title, "no answer queued and no display; cancelled" +
                          (summary.empty() ? std::string() : "\n" + RuntimeToUtf8(summary)));
        dialog.End(dialog.CancelResult());
    }

    SetWindowLongPtr(window, GWLP_USERDATA, 0);
    if (ownerWasEnabled)
        EnableWindow(root, true);
    if (IsWindow(window))
        DestroyWindow(window);
    // The owner may belong to another thread (a worker's message box over
    // the main window): activation is per thread, so ask the owner's.
    if (root && IsWindow(root))
        SetForegroundWindow(root);
    Pump();
    return dialog.Result();
}

int AskFromDialog(HWND owner, const std::string& runtimeText, const std::string& runtimeTitle,
                  uint32_t flags) {
    return ShowMessageBoxDialog(reinterpret_cast<uintptr_t>(owner), runtimeText, runtimeTitle,
                                flags);
}

}  // namespace platform::dialogs
