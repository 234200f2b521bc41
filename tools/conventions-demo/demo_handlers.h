// What the demonstration window does: its units' event handlers, its menu
// commands and the status line that reports every convention as it
// happens (also printed on standard output as "status: ...", so a script
// driving the window can follow it).
#pragma once

#include <string>

#include "platform/windowing/windows.h"
#include "runtime/event_call.h"

namespace demo {

void OnQualityCharacter(rt::EventInvocation* call);  // digits only
void OnFormatChosen(rt::EventInvocation* call);
void OnKeepFolders(rt::EventInvocation* call);
void OnConvert(rt::EventInvocation* call);
void OnClose(rt::EventInvocation* call);
// The window unit's one handler: it runs once, when the window is loaded.
void OnLoad(rt::EventInvocation* call);

// The window unit's window procedure: menu and accelerator commands,
// control notifications raised as unit events, and the end of the loop.
platform::LRESULT FormProcedure(platform::HWND hwnd, uint32_t message, platform::WPARAM wParam,
                                platform::LPARAM lParam);

void ShowStatus(const std::string& text);
// Reports the unit that holds the focus when it changed since last asked.
void ReportFocus();
// Reports, once, that F1 opened the window's help.
void ReportHelp();

}  // namespace demo
