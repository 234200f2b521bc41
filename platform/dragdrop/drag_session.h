// Carrying a drag across windows: the enter, over, leave and drop calls to
// whichever registered target is under the point, for drags made inside
// the program, by tests, and for data dropped from other programs.
#pragma once

#include <string>
#include <vector>

#include "platform/dragdrop/drop_interfaces.h"

namespace platform::dragdrop {

// The target registered for `hwnd` or its nearest ancestor (no reference
// added); null when none. *window gets the registered window.
IDropTarget* FindDropTarget(HWND hwnd, HWND* window = nullptr);

class DragSession {
public:
    // Holds a reference to `data` until the session ends.
    DragSession(IDataObject* data, uint32_t allowedEffects);
    ~DragSession();  // a session still over a target leaves it
    DragSession(const DragSession&) = delete;
    DragSession& operator=(const DragSession&) = delete;

    // The pointer at `screen` with `keyState` (MK_* bits): enters, moves
    // over, or leaves targets; answers the effect the target would perform.
    uint32_t MoveTo(POINT screen, uint32_t keyState);
    // Drops at `screen`; answers the effect performed (NONE with no target).
    // Windows with WS_EX_ACCEPTFILES and no target get WM_DROPFILES
    // instead when the data holds files.
    uint32_t Drop(POINT screen, uint32_t keyState);
    // The drag was abandoned (Escape): leaves the target.
    void Cancel();

    HWND CurrentWindow() const { return window_; }

private:
    IDataObject* data_;
    uint32_t allowed_;
    HWND window_ = nullptr;
    IDropTarget* target_ = nullptr;
};

// Files and text dropped on `topLevel` (at client point `point`) by another
// program: builds a data object (files as a file list, text as CF_TEXT,
// both converted to runtime text) and drops it there with COPY, MOVE and
// LINK allowed and the keyboard's current Ctrl and Shift state. Answers
// the effect performed.
uint32_t DeliverExternalDrop(HWND topLevel, POINT point, const std::vector<std::string>& utf8Files,
                             const std::string& utf8Text);

// The display layer's drop events, in the order the display reports them:
// Begin, then File or Text for each item, then Complete, which delivers
// them all at (x, y), client coordinates of `topLevel`. A File or Text
// without a Begin is delivered on its own at once.
enum class DisplayDropEvent { Begin, File, Text, Complete };
void OnDisplayDrop(HWND topLevel, DisplayDropEvent event, const char* utf8, int x, int y);
// The same with the event as a number (0 Begin, 1 File, 2 Text, 3
// Complete; others are ignored), for the display layer to hold as a plain
// function pointer.
void OnDisplayDropEvent(HWND topLevel, int event, const char* utf8, int x, int y);

}  // namespace platform::dragdrop
