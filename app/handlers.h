// The start window's event handlers and the routines they run: a folder
// batch, a drop batch and a single picked file. Handlers run on the
// user-interface thread; WorkerEntry runs on the pool's workers and
// SingleTask on a thread of its own.
#pragma once

#include <cstdint>

#include "runtime/event_call.h"
#include "runtime/values.h"

namespace app {

void OnWindowLoad(rt::EventInvocation* call);
void OnOptionToggle(rt::EventInvocation* call);
void OnConvertFolder(rt::EventInvocation* call);
// Argument 1: the dropped-files text (paths separated by LINE_SEP).
void OnFilesDropped(rt::EventInvocation* call);
void OnConvertSingle(rt::EventInvocation* call);

// Fills FileList from a folder the user chooses.
void ListFolder();
// Starts the pool on FileList; nothing when the list is empty.
void StartBatch();
uintptr_t WorkerEntry(uintptr_t value);
// Converts FileList[index] (1-based) into the chosen format.
void ConvertOne(int32_t index);
void TrimMemory();

uintptr_t SingleTask(uintptr_t parameter);
void ConvertSingleFile();

// The chosen format's name, read from FormatBox (a fresh text).
rt::Text ChosenFormat();

}  // namespace app
