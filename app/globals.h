// The program's globals: the current batch (its folder, its files, how many
// are done and how many failed), the accepted extensions, the worker pool
// and the imaging platform's token. All zero or null before start-up.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/task_pool.h"
#include "runtime/values.h"

namespace app {

extern rt::Text SourceDir;        // ends in SEP
extern rt::ArrayBlock* FileList;  // names without directory
// The output file name (without its suffix) of each listed file, in step
// with FileList: the name's base, or, when an earlier listed name has the
// same base, the whole name and a dot, so that photo.jpg and photo.bmp in
// one folder become photo.png and photo.bmp.png instead of one file.
extern rt::ArrayBlock* OutputBases;
// Files counted so far: converted or given up. The batch completes when it
// reaches the number of listed files.
extern std::atomic<int32_t> DoneCount;
extern std::atomic<int32_t> FailedCount;
// "name: reason" of every file given up in the current batch.
extern rt::ArrayBlock* FailedList;
extern std::atomic<int32_t> FailedListLock;
extern std::atomic<int32_t> BatchRunning;
// Conversions now running on worker threads; clean-up waits for them.
extern std::atomic<int32_t> ActiveConversions;
extern rt::Text AcceptedExtensions;
extern int32_t BatchStartTicks;
extern TaskPoolObject* WorkerPool;
extern uintptr_t ImagingToken;

}  // namespace app
