#include "app/globals.h"

namespace app {

rt::Text SourceDir = nullptr;
rt::ArrayBlock* FileList = nullptr;
rt::ArrayBlock* OutputBases = nullptr;
std::atomic<int32_t> DoneCount{0};
std::atomic<int32_t> FailedCount{0};
rt::ArrayBlock* FailedList = nullptr;
std::atomic<int32_t> FailedListLock{0};
std::atomic<int32_t> BatchRunning{0};
std::atomic<int32_t> ActiveConversions{0};
rt::Text AcceptedExtensions = nullptr;
int32_t BatchStartTicks = 0;
TaskPoolObject* WorkerPool = nullptr;
uintptr_t ImagingToken = 0;

}  // namespace app
