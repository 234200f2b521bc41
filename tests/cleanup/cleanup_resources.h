// One of everything the end of the program releases, each recording its
// release into one event list, so the tests can read back the order.
#pragma once

#include <string>
#include <vector>

#include "platform/windowing/windows.h"
#include "runtime/application_object.h"

namespace cleanuptest {

void Record(const std::string& event);
std::vector<std::string> Events();
void ClearEvents();

// The events of a full clean-up of what Provide gave, in the required order.
std::vector<std::string> ExpectedOrder(bool withHiddenProbe);

struct Provided {
    platform::HWND unitWindow = nullptr;
    std::string controlLibrary;  // full path of the embedded control's library
    void* keepLibraryLoaded = nullptr;
};

// Gives `app` a window whose unit owns a real native window, an exit
// routine, three libraries (the middle one without a notification entry),
// application icons, an owned object, a runtime object, a picture, sound,
// a loaded library, both platform facilities and an embedded control. With
// `withHiddenProbe`, also a hidden main window that records its end.
Provided Provide(rt::ApplicationObject& app, bool withHiddenProbe);
// Lets go of the test's own hold on the control library.
void Release(Provided& provided);

// Native windows of the calling thread that still exist.
int LiveWindowsOfThisThread();
bool LibraryStillLoaded(const std::string& path);

}  // namespace cleanuptest
