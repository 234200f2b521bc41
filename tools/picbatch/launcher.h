// Bringing the program up around the application: the runtime system, its
// support libraries in their numbered places, the subsystems that fill the
// runtime's hook tables, the standard controls and the application's
// declarations. What the application's start routine then finds in place.
#pragma once

namespace picbatch {

enum class MessageBoxes { Dialogs, Custom };

// `boxes`: Dialogs routes the runtime's message boxes to the real dialog;
// Custom leaves the presenter the caller installed.
void StartRuntime(MessageBoxes boxes);

// The runtime's tear-down in its fixed order (windows, the application's
// exit routines, the libraries, what the runtime still holds).
void EndRuntime(int exitCode);

}  // namespace picbatch
