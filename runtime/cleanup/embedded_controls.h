// Embedded controls: controls that live in a shared library of their own
// and are made known to the platform by that library. Start-up registers
// each one here; the end of the program undoes every registration (see
// ApplicationObject::ShutdownRuntime).
//
// The library exports two entries with the same shape, looked up by these
// fixed names; each gets the registration name and answers 0 on success:
//   int32_t PicbatchRegisterControl(const char* registrationName);
//   int32_t PicbatchUnregisterControl(const char* registrationName);
//
// A library file without a directory part is looked for in the second
// search directory when one is set, else in the program directory.
#pragma once

#include <string>

namespace rt {

class ApplicationObject;

inline constexpr const char* kRegisterControlEntry = "PicbatchRegisterControl";

enum class EmbeddedControlResult {
    Registered,
    LibraryNotFound,  // the file cannot be loaded
    NoRegistrationEntry,
    Refused,  // the entry answered non-zero
};

// Registers the control and records it in `app` for the end of the
// program; only a registration that succeeded is undone later. Runtime
// texts.
EmbeddedControlResult RegisterEmbeddedControl(ApplicationObject& app,
                                              const std::string& registrationName,
                                              const std::string& libraryFile);
// The same for the process-wide ApplicationObject.
EmbeddedControlResult RegisterEmbeddedControl(const std::string& registrationName,
                                              const std::string& libraryFile);

}  // namespace rt
