#include "app/external_routines.h"

namespace app {
namespace {

constexpr const char* K = kKernelLibrary;
constexpr const char* I = kImagingLibrary;

// Numbers 31 and 32 are the two one-argument thread operations the pool
// applies to every worker: reading a worker's id, and closing its handle
// (which the pool's clean-up uses; a thread runs on after its handle closes).
constexpr rt::ExternalDeclaration kTable[kExternalRoutineCount] = {
    {K, "GetCurrentProcess", 0},
    {K, "SetProcessWorkingSetSize", 3},
    {I, "GdiplusStartup", 3},
    {I, "GdipDisposeImage", 1},
    {K, "GlobalFree", 1},
    {K, "GlobalAlloc", 2},
    {K, "CreateStreamOnHGlobal", 3},
    {K, "GlobalLock", 1},
    {K, "RtlMoveMemory", 3},
    {K, "GlobalUnlock", 1},
    {K, "lstrcpynA", 3},
    {K, "RtlMoveMemory", 3},
    {I, "GdipLoadImageFromStream", 2},
    {I, "GdipLoadImageFromFile", 2},
    {K, "MultiByteToWideChar", 6},
    {K, "lstrcpynA", 3},
    {I, "CLSIDFromString", 2},
    {I, "GdipSaveImageToStream", 4},
    {K, "GlobalSize", 1},
    {K, "RtlMoveMemory", 3},
    {I, "GdipSaveImageToFile", 4},
    {I, "GdipGetImageWidth", 2},
    {I, "GdipGetImageHeight", 2},
    {I, "GdipCreateBitmapFromScan0", 6},
    {I, "GdipGetImageGraphicsContext", 2},
    {I, "GdipFillRectangle", 6},
    {I, "GdipDrawImageRectRect", 14},
    {I, "GdipDeleteGraphics", 1},
    {I, "GdipDeleteBrush", 1},
    {I, "GdipCreateSolidFill", 2},
    {I, "CLSIDFromString", 2},
    {K, "GetThreadId", 1},
    {K, "CloseHandle", 1},
    {K, "CreateIoCompletionPort", 4},
    {K, "CreateThread", 6},
    {K, "GetQueuedCompletionStatus", 5},
    {K, "CreateThread", 6},
    {K, "MsgWaitForMultipleObjects", 5},
    {K, "GetExitCodeThread", 2},
    {K, "TerminateThread", 2},
    {K, "PostQueuedCompletionStatus", 4},
    {K, "CloseHandle", 1},
    {K, "CreateWaitableTimerW", 3},
    {K, "SetWaitableTimer", 6},
    {I, "GdipGetLastFailureText", 2},
};

}  // namespace

const rt::ExternalDeclaration* ExternalRoutineTable() {
    return kTable;
}

void InstallExternalRoutines() {
    rt::SetExternalDeclarations(kTable, kExternalRoutineCount);
}

}  // namespace app
