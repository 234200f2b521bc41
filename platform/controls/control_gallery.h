// Every standard control in each of its states, and a menu bar, placed in
// a window: for looking at the controls (and at skins drawn over them).
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/controls/controls.h"
#include "platform/windowing/windows.h"

namespace platform {

// Fills `parent`'s client area: a menu bar across the top and a panel of
// controls below it. Registers the controls first. Answers the panel (null
// when the parent is not a window). Best with a client area of about 800
// by 560 pixels.
HWND FillControlGallery(HWND parent);

// What other sheets of controls (the skin sheet of picbatch-gallery) build
// the gallery's way.

// Adds controls to a panel one by one: each a visible child of the panel
// with the next id, from 100.
class GalleryBuilder {
public:
    explicit GalleryBuilder(HWND panel) : panel_(panel) {}
    HWND Add(const char* cls, const char* text, uint32_t style, int x, int y, int w, int h);
    // Adds `items` to a list or combo box with `addMessage` (LB_ADDSTRING,
    // CB_ADDSTRING).
    void Fill(HWND list, uint32_t addMessage, std::initializer_list<const char*> items);

private:
    HWND panel_;
    int nextId_ = 100;
};

// The caption of an owner-drawn sample button: "Owner-drawn", centred, in
// the default GUI font, over whatever the panel filled in.
void DrawOwnerDrawnCaption(const DRAWITEMSTRUCT& item);

}  // namespace platform
