// The terminal face: drives the start window as a person would, from the
// command line. It picks the format in FormatBox, answers the folder or file
// dialog from the dialogs' answer queue and presses the button, or drops
// the files on the window; it follows ProgressBar's property writes with a
// text progress bar, prints the closing message and every file that failed,
// and closes the window. Everything it shows the person goes through the
// message-box presenter it installs, so nothing waits for a click.
#pragma once

#include "tools/picbatch/options.h"

namespace picbatch {

// Installs the face's observers and message-box presenter; call before the
// application's start routine. The face starts its work once the start
// window is shown.
void InstallTerminalFace(const Options& options);

// The exit status once the event loop has returned: 0 all converted, 1
// some failed or nothing was converted.
int TerminalExitStatus();

// Saves the start window as a PNG when --screenshot asked for it (before the
// window closes). Answers false with a reason printed when it fails.
bool SaveStartWindowScreenshot(const std::string& path);

}  // namespace picbatch
