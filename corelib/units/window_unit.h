// Internal: the window unit (0x10003), a window's own unit: the top-level
// native window of the form class, its look, and the keyboard and mouse
// conventions that input pre-translation reads (rt::FormInputSettings).
// Own properties ("logical" values set by the application arrive as 0 or
// 1; a switch is on when it equals 1):
//
//   INDEX  NUMBER  PROPERTY                    KIND     WRITE
//   0      8       caption                     text     the title; answers 1
//   1      9       text colour of the window's word     0xff000000: the system's;
//                  labels and check boxes               others 0x00BBGGRR
//   2      10      background colour           word     0xff000000: the system's
//                                                       colour for window faces;
//                                                       others 0x00BBGGRR
//   3      11      input disabled              logical  input settings
//   4      12      foreign windows count as    logical  input settings
//                  units
//   5      13      Enter moves the focus       logical  input settings
//   6      14      Escape closes the window    logical  input settings
//   7      15      F1 opens help               logical  input settings
//   8      16      help file                   text     input settings
//   9      17      help context number         word     input settings
//   10     18      help was shown              logical  input settings
//   11     19      drag by the client area     logical  input settings
//   12     20      resizable frame             logical  style bit 0x40000
//   13     21      minimise box                logical  style bit 0x20000
//   14     22      maximise box                logical  style bit 0x10000
//   15     23      system menu and close box   logical  style bit 0x80000
//   16     24      title bar                   logical  style bits 0xC00000
//   17     25      state: 0 normal,            word     clamped 0..2; shown so
//                  1 minimised, 2 maximised             when the window is visible
//   18     26      centred on the screen       logical  becoming 1 centres the window
//   19     27      tool window                 logical  extended bit 0x80
//   20     28      sunken client edge          logical  extended bit 0x200
//   21     29      stay on top                 logical  extended bit 0x8 and
//                                                       the top-most z-order
//
// Style-bit properties read back from the window itself.
#pragma once

#include <cstdint>
#include <string>

#include "corelib/units/core_unit.h"
#include "corelib/units/unit_colours.h"
#include "platform/windowing/windows.h"

namespace corelib::units {

enum WindowUnitProperty : int32_t {
    FORM_CAPTION = 0,
    FORM_TEXT_COLOUR = 1,
    FORM_BACKGROUND = 2,
    FORM_INPUT_DISABLED = 3,
    FORM_FOREIGN_UNITS = 4,
    FORM_ENTER_MOVES_FOCUS = 5,
    FORM_ESCAPE_CLOSES = 6,
    FORM_F1_HELP = 7,
    FORM_HELP_FILE = 8,
    FORM_HELP_CONTEXT = 9,
    FORM_HELP_SHOWN = 10,
    FORM_DRAG_ANYWHERE = 11,
    FORM_RESIZABLE = 12,
    FORM_MINIMISE_BOX = 13,
    FORM_MAXIMISE_BOX = 14,
    FORM_SYSTEM_MENU = 15,
    FORM_TITLE_BAR = 16,
    FORM_STATE = 17,
    FORM_CENTRED = 18,
    FORM_TOOL_WINDOW = 19,
    FORM_CLIENT_EDGE = 20,
    FORM_STAY_ON_TOP = 21,
    FORM_PROPERTY_COUNT = 22,
};

class WindowUnit : public rt::FormWindowObject, public CoreUnit {
public:
    static rt::WindowObject* Create(const rt::UnitCreateArgs& args);
    ~WindowUnit() override;

    const CoreUnitType& Type() const override;
    void GetOwn(int32_t index, rt::PropertyValue* result) override;
    int32_t SetOwn(int32_t index, const rt::PropertyValue& value) override;

    platform::HWND Window() const { return reinterpret_cast<platform::HWND>(Handle()); }
    // What the window's procedure asks of the unit.
    void PaintBackground(platform::HDC dc) const;
    platform::LRESULT ColourControl(uint32_t message, platform::HDC dc, platform::HWND control);

private:
    explicit WindowUnit(const rt::UnitCreateArgs& args);
    // styleWord: GWL_STYLE or GWL_EXSTYLE.
    void ChangeStyle(int styleWord, uint32_t bits, bool on);
    bool HasStyle(int styleWord, uint32_t bits) const;
    void ShowState();
    void Centre();
    void StayOnTop(bool on);

    std::string caption_;
    uint32_t textColour_ = kSystemColour;
    uint32_t background_ = kSystemColour;
    int32_t state_ = 0;
    int32_t centred_ = 0;
    mutable ColourBrush backgroundBrush_;
};

// The form class: every window unit's native window is one.
inline constexpr const char* kFormWindowClass = "PicbatchForm";
bool RegisterFormWindowClass();

// A control of the window told its parent `code` (WM_COMMAND's high word or
// WM_NOTIFY's code): raise the unit events its type makes of it.
void RaiseControlEvents(uint32_t windowId, platform::HWND control, uint32_t code);

}  // namespace corelib::units
