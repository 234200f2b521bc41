// Internal: the engine every dialog runs on. A dialog is a top-level window
// made of standard controls, modal to its owner (the owner is disabled
// while it runs). With a queued answer the answer is acted out on the
// dialog's own controls; with a display and no answer a person answers;
// with neither the dialog is cancelled and says so on standard error.
#pragma once

#include <string>

#include "platform/controls/controls.h"
#include "platform/dialogs/answer_queue.h"
#include "platform/dialogs/dialog_navigation.h"

namespace platform::dialogs {

class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    // Creates the controls; answers false to give up (the dialog is cancelled).
    virtual bool Build(HWND dialog) = 0;
    // WM_COMMAND from a control; the default ends with IDOK and IDCANCEL.
    virtual void Command(HWND dialog, int id, uint16_t code, HWND control);
    // Acts out a queued answer on the controls; false when the answer does
    // not fit this dialog.
    virtual bool Act(HWND dialog, const Answer& answer);
    // The result when the dialog is cancelled without a button.
    virtual int CancelResult() const { return IDCANCEL; }
    // The control that has the focus first (null: the first tab stop).
    virtual HWND InitialFocus(HWND) const { return nullptr; }
    // What the user would have read (runtime text), for the report of a
    // dialog that nobody answered.
    virtual std::string Summary() const { return {}; }
    // A custom colour for a static control (CLR_INVALID: the default).
    virtual COLORREF StaticColor(HWND) const { return CLR_INVALID; }

    // Ends the dialog with `result` once the current message is handled.
    void End(int result);
    bool Ended() const { return ended_; }
    int Result() const { return result_; }

protected:
    // Presses the button whose caption (without "&") is `label`.
    bool PressButton(HWND dialog, const std::string& label);

private:
    bool ended_ = false;
    int result_ = 0;
};

// Runs the dialog modally and answers its result. `title` is runtime text.
int RunModal(HWND owner, ModalDialog& dialog, const std::string& title, int width, int height);

// Helpers for building: a child control with the dialog font.
HWND AddControl(HWND dialog, const char* className, const char* text, uint32_t style, int x, int y,
                int width, int height, int id);
// A modal message box over `owner` for a dialog's own errors and questions.
int AskFromDialog(HWND owner, const std::string& runtimeText, const std::string& runtimeTitle,
                  uint32_t flags);

}  // namespace platform::dialogs
