// What the painters share: the buffered drawing every painter runs in,
// the scheme to paint in, the state's gradient set for boxes and circles,
// and for the caption-bearing painters (push button, check box, radio
// button, group box) the background the parent gave the control, its
// caption and font, and the caption colour.
#pragma once

#include <string>

#include "libs/desktop/skin/drawing.h"

namespace desktop::skin {

// The calling thread's scheme (the blue one when none is set).
int32_t PaintScheme();

// Where a painter draws: the PaintBuffer's memory context and the client
// rectangle, in the calling thread's scheme.
struct PaintTarget {
    HDC dc;
    RECT client;
    int32_t scheme;
};

// Runs `draw` on a PaintBuffer that starts from the window's present pixels
// and shows the result in one transfer. Nothing is drawn when the buffer
// cannot be made.
void PaintBuffered(const SkinRecord& record,
                   void (*draw)(const SkinRecord& record, const PaintTarget& target));

// The gradient set (BoxSetIndex) of a check box or radio button in state
// `flags`: pressed, hot, or normal.
int BoxStateSet(uint32_t flags);

// Fills the client area with the parent's background brush from the
// record (the button face before the control's first erase message).
void FillBackground(HDC dc, const RECT& client, const SkinRecord& record);

// The caption, at most 256 characters.
std::string ReadCaption(HWND window);

// Selects the control's font (its WM_GETFONT answer, or the default GUI
// font) for as long as it lives.
class SelectedFont {
public:
    SelectedFont(HDC dc, HWND window);
    ~SelectedFont();
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc_;
    platform::HGDIOBJ previous_;
};

// The platform's gray-text colour for a disabled control, otherwise the
// text colour the parent left.
COLORREF CaptionColor(const SkinRecord& record);

}  // namespace desktop::skin
