// Internal: the dialog unit (0x1001f), a unit without anything to see that
// runs the platform's standard dialogs: open a file, save a file, choose a
// font, or open help. Its own properties:
//
//   INDEX  PROPERTY                        KIND          WRITE
//   0      kind: 0 open, 1 save, 2 font,   word          clamped 0..3
//          3 help
//   1      title                           text          copied
//   2      file name (the chosen path      text          copied
//          after a confirmed file dialog)
//   3      filter ("Pictures|*.jpg|...")   text          copied
//   4      initial filter index (0-based)  non-negative  below 0 becomes 0
//   5      initial directory               text          copied
//   6      default extension               text          copied
//   7      create-prompt option            word          stored; set when 1
//   8      file-must-exist option          word          stored; set when 1
//   9      confirm-overwrite option        word          stored; set when 1
//   10     path-must-exist option          word          stored; set when 1
//   11     keep-current-directory option   word          stored; set when 1
//   12     font colour (0x00BBGGRR)        word          stored
//   13     font bold                       word          stored; set when 1
//   14     font italic                     word          stored; set when 1
//   15     font underline                  word          stored; set when 1
//   16     font strike-out                 word          stored; set when 1
//   17     font face name                  text          copied
//   18     font size in points             non-negative  below 0 becomes 0
//   19     help file                       text          copied
//   20     help command 0..5               word          clamped
//   21     help topic number               word          stored
//
// The dialog runs on the thread that asks for it (OpenFileDialog may come
// from any thread); what it reads is a copy taken under the unit's lock and
// what it stores is written on the unit's own thread, so the window's
// thread never sees a property change under its feet.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "corelib/commands/core_commands.h"
#include "corelib/units/control_unit.h"

namespace corelib::units {

enum DialogProperty : int32_t {
    DIALOG_KIND = 0,
    DIALOG_TITLE = 1,
    DIALOG_FILE_NAME = 2,
    DIALOG_FILTER = 3,
    DIALOG_FILTER_INDEX = 4,
    DIALOG_INITIAL_DIRECTORY = 5,
    DIALOG_DEFAULT_EXTENSION = 6,
    DIALOG_CREATE_PROMPT = 7,
    DIALOG_FILE_MUST_EXIST = 8,
    DIALOG_CONFIRM_OVERWRITE = 9,
    DIALOG_PATH_MUST_EXIST = 10,
    DIALOG_KEEP_DIRECTORY = 11,
    DIALOG_FONT_COLOUR = 12,
    DIALOG_FONT_BOLD = 13,
    DIALOG_FONT_ITALIC = 14,
    DIALOG_FONT_UNDERLINE = 15,
    DIALOG_FONT_STRIKE_OUT = 16,
    DIALOG_FONT_FACE = 17,
    DIALOG_FONT_SIZE = 18,
    DIALOG_HELP_FILE = 19,
    DIALOG_HELP_COMMAND = 20,
    DIALOG_HELP_TOPIC = 21,
    DIALOG_PROPERTY_COUNT = 22,
};

enum DialogKind : int32_t {
    DIALOG_OPEN_FILE = 0,
    DIALOG_SAVE_FILE = 1,
    DIALOG_CHOOSE_FONT = 2,
    DIALOG_HELP = 3,
};

// A copy of the unit's properties, for the dialog to read.
struct DialogSettings {
    int32_t words[DIALOG_PROPERTY_COUNT] = {};
    std::string texts[DIALOG_PROPERTY_COUNT];

    bool IsSet(int32_t index) const { return words[index] == 1; }
};

class DialogUnit : public ControlUnit {
public:
    static rt::WindowObject* Create(const rt::UnitCreateArgs& args);

    const CoreUnitType& Type() const override;
    void GetOwn(int32_t index, rt::PropertyValue* result) override;
    int32_t SetOwn(int32_t index, const rt::PropertyValue& value) override;

    // Runs the dialog of the unit's kind; answers 1 when the user confirmed
    // (help: when the request was made).
    int32_t Open();

    DialogSettings Settings() const;
    // Stores properties from another thread: the unit's own thread does the
    // writing while the caller waits.
    void StoreFileName(const std::string& path);
    void StoreFont(const platform::LOGFONT& font, platform::COLORREF colour);
    // The window the dialog belongs to: the unit window's parent.
    platform::HWND Owner() const;

private:
    explicit DialogUnit(const rt::UnitCreateArgs& args) : ControlUnit(args) {}
    void StoreOnOwnThread(void (*store)(DialogUnit&, const void*), const void* data);

    mutable std::mutex lock_;
    DialogSettings settings_;
};

// The three kinds of dialog, each in its own file.
int32_t RunFileDialog(DialogUnit& unit, const DialogSettings& settings);
int32_t RunFontDialog(DialogUnit& unit, const DialogSettings& settings);
int32_t RunHelp(DialogUnit& unit, const DialogSettings& settings);

// What OpenFileDialog runs for a dialog unit.
corelib::DialogOpenOperation DialogOpenOperationOfUnits();

// The help file the help kind opens when index 19 is empty: the program's
// directory and file name without its extension, with ".html" appended.
std::string DerivedHelpFile();

}  // namespace corelib::units
