// The application's constant texts and numbers: separators, the format
// names (each also the output file suffix and subfolder name), the accepted
// extensions, and the pieces of the messages the user sees.
#pragma once

#include <cstdint>

namespace app {

inline constexpr const char* LINE_SEP = "\r\n";  // between dropped paths
inline constexpr const char* SEP = "/";          // ends every directory text
inline constexpr const char* DOT = ".";

inline constexpr const char* FMT_A = "jpg";  // JPEG, saved with code 2
inline constexpr const char* FMT_B = "tif";  // TIFF, code 4
inline constexpr const char* FMT_C = "png";  // PNG, code 5
inline constexpr const char* SUBDIR_A = "jpg/";
inline constexpr const char* SUBDIR_B = "tif/";
inline constexpr const char* SUBDIR_C = "png/";
inline constexpr int32_t CODE_A = 2;
inline constexpr int32_t CODE_B = 4;
inline constexpr int32_t CODE_C = 5;
inline constexpr int32_t QUALITY = 100;

inline constexpr const char* PATTERN = "*.*";
// What the imaging platform loads: JPEG, PNG, TIFF, BMP, GIF and icons. The
// test is a substring test against this whole text, ignoring case.
inline constexpr const char* EXT_LIST = "jpg jpeg jpe jfif png bmp dib gif tif tiff ico";

inline constexpr const char* FOLDER_PROMPT = "Choose a folder of pictures:";
inline constexpr const char* MSG_START = "Choose a format to begin";
inline constexpr const char* MSG_UNSUPPORTED = "Not a picture this can read.";
inline constexpr const char* MSG_BUSY =
    "A batch is running. Wait for it to finish, then try again.";
inline constexpr const char* MSG_NOTHING = "There are no pictures to convert in ";

// The completion message: "All 24 files done, 3.21 s" when every file
// converted; "22 of 24 files done, 3.21 s; 2 failed:" and the failed names
// (at most FAILED_SHOWN of them) otherwise.
inline constexpr const char* DONE_A = "All ";
inline constexpr const char* DONE_B = " files done, ";
inline constexpr const char* DONE_C = " s";
inline constexpr const char* DONE_OF = " of ";
inline constexpr const char* DONE_FAILED_A = "; ";
inline constexpr const char* DONE_FAILED_B = " failed:";
inline constexpr const char* DONE_MORE_A = "and ";
inline constexpr const char* DONE_MORE_B = " more";
inline constexpr int32_t FAILED_SHOWN = 10;
inline constexpr double DIVISOR = 1000.0;

// Failure reasons kept with a file that was given up.
inline constexpr const char* REASON_UNREADABLE = "not a picture this program can read";
inline constexpr const char* REASON_UNWRITABLE = "could not be written to ";
inline constexpr const char* REASON_MISSING = "no such file in ";
inline constexpr const char* REASON_SEP = ": ";
// The imaging platform's own reason goes in brackets after the words above:
// "photo.jpg: not a picture this program can read (Premature end of JPEG file)".
inline constexpr const char* DETAIL_OPEN = " (";
inline constexpr const char* DETAIL_CLOSE = ")";
// A single picked file that did not convert.
inline constexpr const char* MSG_SINGLE_FAILED = "Could not convert ";

// A file whose conversion keeps failing is given up after this many tries.
inline constexpr int32_t MAX_TRIES = 3;
inline constexpr int32_t WORKER_COUNT = 6;
inline constexpr int32_t STOP_WAIT_MS = 1000;
inline constexpr int32_t FOLDER_PAUSE_MS = 200;

// The start window and its units.
inline constexpr uint32_t START_WINDOW = 0x52010001;
inline constexpr uint32_t UNIT_MAIN_WINDOW = 0x6010000;
inline constexpr uint32_t UNIT_OPTION_BOX = 0x16011718;
inline constexpr uint32_t UNIT_FORMAT_BOX = 0x16010004;
inline constexpr uint32_t UNIT_PROGRESS_BAR = 0x160116f3;
inline constexpr uint32_t UNIT_FILE_DIALOG = 0x16010006;
inline constexpr uint32_t UNIT_DROP_TARGET = 0x160116f4;
inline constexpr uint32_t UNIT_FOLDER_BUTTON = 0x16010010;
inline constexpr uint32_t UNIT_FILE_BUTTON = 0x16010011;
inline constexpr uint32_t UNIT_FORMAT_LABEL = 0x16010012;
inline constexpr uint32_t UNIT_DROP_LABEL = 0x16010013;

// Unit types.
inline constexpr uint32_t TYPE_CORE_WINDOW = 0x10001;
inline constexpr uint32_t TYPE_WINDOW_UNIT = 0x10003;
inline constexpr uint32_t TYPE_LABEL = 0x10004;
inline constexpr uint32_t TYPE_PUSH_BUTTON = 0x10005;
inline constexpr uint32_t TYPE_CHECK_BOX = 0x10006;
inline constexpr uint32_t TYPE_DROP_DOWN = 0x10009;
inline constexpr uint32_t TYPE_PROGRESS_BAR = 0x10012;
inline constexpr uint32_t TYPE_DIALOG = 0x1001f;
inline constexpr uint32_t TYPE_DROP_TARGET = 0x60001;

// Property numbers (own index + 8).
inline constexpr uint32_t PROP_WINDOW_COLOUR = 10;  // the window's background colour
inline constexpr uint32_t PROP_WINDOW_ON_TOP = 29;  // the window stays above others
inline constexpr uint32_t PROP_TICKED = 18;         // check box: ticked state
inline constexpr uint32_t PROP_CONTENT_TEXT = 9;    // drop-down list: the chosen text
inline constexpr uint32_t PROP_MAXIMUM = 12;        // progress bar
inline constexpr uint32_t PROP_POSITION = 13;       // progress bar
inline constexpr uint32_t PROP_FILE_NAME = 10;      // dialog unit: the chosen path
inline constexpr uint32_t PROP_ACCEPT_FILES = 11;   // drop target: accept file lists
inline constexpr uint32_t DEFAULT_COLOUR = 0xff000000;

// Libraries.
inline constexpr uint32_t LIB_CONVERT = 1;
inline constexpr uint32_t LIB_THREADS = 3;
inline constexpr uint32_t LIB_SHELL = 4;
inline constexpr uint32_t LIB_DROP = 5;
inline constexpr uint32_t LIB_SKIN = 6;

}  // namespace app
