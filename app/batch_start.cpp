// The window's load handler, the option box, and the two ways a batch
// starts: a chosen folder and files dropped on the window.
#include "app/calls.h"
#include "app/compiled.h"
#include "app/constants.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "app/path_pieces.h"
#include "corelib/commands/core_commands.h"
#include "libs/desktop/droptarget/drop_target_library.h"
#include "libs/desktop/shell/shell_library.h"
#include "libs/desktop/skin/skin_library.h"

namespace app {
namespace {

void ShowText(const char* text) {
    CallCore(&corelib::ShowMessage, {TextArgument(text), IntArgument(0)});
}

// Empties FileList, OutputBases and FailedList for a new batch.
void ResetBatchLists() {
    ReleaseArray(&FileList, true);
    ReleaseArray(&OutputBases, true);
    ReleaseArray(&FailedList, true);
    DoneCount.store(0);
    FailedCount.store(0);
}

// A batch runs until its completion: a new request then would rebuild
// FileList under the running workers. It is refused with a message.
bool RefuseWhileRunning() {
    if (BatchRunning.load() == 0)
        return false;
    ShowText(MSG_BUSY);
    return true;
}

// Sorts the 1-based positions 1..n of `keys` (an array of texts) by their
// text, positions of equal texts in list order: a bottom-up merge sort, so
// a list of a million names costs n log n comparisons.
rt::ArrayBlock* SortedPositions(rt::ArrayBlock* keys, int64_t n) {
    rt::ArrayBlock* order = rt::EmptyArray();
    rt::ArrayBlock* spare = rt::EmptyArray();
    Redimension(&order, n, sizeof(int32_t), false);
    Redimension(&spare, n, sizeof(int32_t), false);
    for (int64_t i = 1; i <= n; ++i)
        WriteElement<int32_t>(order, i, int32_t(i));
    for (int64_t width = 1; width < n; width = width * 2) {
        for (int64_t left = 1; left <= n; left = left + 2 * width) {
            int64_t middle = left + width < n + 1 ? left + width : n + 1;
            int64_t right = left + 2 * width < n + 1 ? left + 2 * width : n + 1;
            int64_t a = left;
            int64_t b = middle;
            for (int64_t k = left; k < right; ++k) {
                bool takeA = a < middle;
                if (takeA && b < right) {
                    rt::Text textA = ReadElement<rt::Text>(keys, ReadElement<int32_t>(order, a));
                    rt::Text textB = ReadElement<rt::Text>(keys, ReadElement<int32_t>(order, b));
                    takeA = CompareText(textA, textB) <= 0;
                }
                if (takeA) {
                    WriteElement<int32_t>(spare, k, ReadElement<int32_t>(order, a));
                    a = a + 1;
                } else {
                    WriteElement<int32_t>(spare, k, ReadElement<int32_t>(order, b));
                    b = b + 1;
                }
            }
        }
        rt::ArrayBlock* swap = order;
        order = spare;
        spare = swap;
    }
    ReleaseArray(&spare, false);
    return order;
}

// Replaces the text at position `i` of `texts` (releasing the old one).
void ReplaceText(rt::ArrayBlock* texts, int64_t i, rt::Text text) {
    rt::Text old = ReadElement<rt::Text>(texts, i);
    if (old)
        rt::RtFree(old);
    WriteElement<rt::Text>(texts, i, text);
}

// Fills OutputBases, so that no two listed files are written to one output:
// each name's base; or, when an earlier listed name has the same base, the
// whole name and a dot (photo.jpg and photo.bmp become photo.png and
// photo.bmp.png). A name without a dot is named the same way. What still
// meets an earlier output (the same name dropped twice) gets its list
// position added.
void ChooseOutputBases() {
    int64_t n = FileList ? int64_t(FileList->elementCount()) : 0;
    Redimension(&OutputBases, n, sizeof(rt::Text), true);
    for (int64_t i = 1; i <= n; ++i)
        WriteElement<rt::Text>(OutputBases, i, BaseOf(ReadElement<rt::Text>(FileList, i)));
    rt::ArrayBlock* order = SortedPositions(OutputBases, n);
    rt::ArrayBlock* taken = rt::EmptyArray();
    Redimension(&taken, n, sizeof(int32_t), false);
    for (int64_t k = 1; k <= n; ++k) {
        int32_t i = ReadElement<int32_t>(order, k);
        rt::Text base = ReadElement<rt::Text>(OutputBases, i);
        bool repeated = k > 1 && CompareText(ReadElement<rt::Text>(
                                                 OutputBases, ReadElement<int32_t>(order, k - 1)),
                                             base) == 0;
        if (!base || repeated)
            WriteElement<int32_t>(taken, i, 1);
    }
    for (int64_t i = 1; i <= n; ++i) {
        if (ReadElement<int32_t>(taken, i) == 1)
            ReplaceText(OutputBases, i, Concat({ReadElement<rt::Text>(FileList, i), DOT}));
    }
    ReleaseArray(&order, false);
    order = SortedPositions(OutputBases, n);
    int32_t first = n > 0 ? ReadElement<int32_t>(order, 1) : 0;
    for (int64_t k = 2; k <= n; ++k) {
        int32_t i = ReadElement<int32_t>(order, k);
        if (CompareText(ReadElement<rt::Text>(OutputBases, first),
                        ReadElement<rt::Text>(OutputBases, i)) != 0) {
            first = i;
            continue;
        }
        rt::Text position = TextOf(CallCore(&corelib::ToText, {IntArgument(i)}));
        ReplaceText(OutputBases, i,
                    Concat({ReadElement<rt::Text>(FileList, i), DOT, position, DOT}));
        rt::RtFree(position);
    }
    ReleaseArray(&order, false);
    ReleaseArray(&taken, false);
}

}  // namespace

void OnWindowLoad(rt::EventInvocation*) {
    AssignText(&AcceptedExtensions, EXT_LIST);
    uintptr_t handle = uintptr_t(
        PointerOf(CallCore(&corelib::WindowHandleOf,
                           {UnitArgument(START_WINDOW, UNIT_MAIN_WINDOW, TYPE_CORE_WINDOW)})));
    CallLibrary(LIB_DROP, &desktop::AcceptDrops,
                {UnitArgument(START_WINDOW, UNIT_DROP_TARGET, TYPE_DROP_TARGET),
                 rt::ArgRecord::Pointer(reinterpret_cast<const void*>(handle), rt::TYPE_INT)});
    SetIntProperty(START_WINDOW, UNIT_DROP_TARGET, PROP_ACCEPT_FILES, 1);
    CallLibrary(LIB_SKIN, &desktop::SetSkinScheme, {IntArgument(2)});
    SetIntProperty(START_WINDOW, UNIT_MAIN_WINDOW, PROP_WINDOW_COLOUR, int32_t(DEFAULT_COLOUR));
    CallCore(&corelib::ShowMessage, {TextArgument(MSG_START), IntArgument(0)});
}

void OnOptionToggle(rt::EventInvocation*) {
    int32_t ticked = GetIntProperty(START_WINDOW, UNIT_OPTION_BOX, PROP_TICKED);
    SetIntProperty(START_WINDOW, UNIT_MAIN_WINDOW, PROP_WINDOW_ON_TOP, ticked == 1 ? 1 : 0);
}

void ListFolder() {
    ResetBatchLists();
    rt::Text chosen = TextOf(CallLibrary(LIB_SHELL, &desktop::BrowseForFolder,
                                         {TextArgument(FOLDER_PROMPT), Omitted()}));
    rt::Text dir = Concat({chosen, SEP});
    if (chosen)
        rt::RtFree(chosen);
    if (SourceDir)
        rt::RtFree(SourceDir);
    SourceDir = dir;
    uintptr_t state = 0;
    if (CompareText(SourceDir, SEP) == 0) {
        rt::RtAssist(rt::HELP_END_FIND, state, 0, 0, 0);
        return;
    }
    rt::Text pattern = Concat({SourceDir, PATTERN});
    auto name = reinterpret_cast<rt::Text>(rt::RtAssist(rt::HELP_FIND_FILE,
                                                        reinterpret_cast<uintptr_t>(pattern), 0, 1,
                                                        reinterpret_cast<uintptr_t>(&state)));
    rt::RtFree(pattern);
    while (name) {
        rt::Text extension = ExtensionOf(name);
        if (IsAccepted(extension))
            AppendText(&FileList, name);
        if (extension)
            rt::RtFree(extension);
        rt::RtFree(name);
        name = reinterpret_cast<rt::Text>(
            rt::RtAssist(rt::HELP_FIND_FILE, 0, 0, 1, reinterpret_cast<uintptr_t>(&state)));
    }
    rt::RtAssist(rt::HELP_END_FIND, state, 0, 0, 0);
}

void OnConvertFolder(rt::EventInvocation*) {
    if (RefuseWhileRunning())
        return;
    ListFolder();
    if (CompareText(SourceDir, SEP) == 0)
        return;  // the folder choice was cancelled
    CallCore(&corelib::Pause, {IntArgument(FOLDER_PAUSE_MS)});
    StartBatch();
}

void OnFilesDropped(rt::EventInvocation* call) {
    if (RefuseWhileRunning())
        return;
    const char* text =
        call->argumentCount > 0 ? reinterpret_cast<const char*>(call->arguments[0]) : nullptr;
    auto* parts = static_cast<rt::ArrayBlock*>(
        PointerOf(CallCore(&corelib::SplitText, {TextArgument(text), TextArgument(LINE_SEP)})));
    if (!parts || parts->elementCount() == 0) {
        // An empty drop names no folder: there is nothing to convert.
        ReleaseArray(&parts, true);
        return;
    }
    // The directory keeps its trailing separator; a path without one names
    // no folder to look the files up in.
    rt::Text dir = DirectoryOf(ReadElement<rt::Text>(parts, 1));
    if (SourceDir)
        rt::RtFree(SourceDir);
    SourceDir = dir;
    ResetBatchLists();
    if (!SourceDir || CompareText(SourceDir, SEP) == 0) {
        ReleaseArray(&parts, true);
        return;
    }
    int64_t n = parts ? int64_t(parts->elementCount()) : 0;
    for (int64_t i = 1; i <= n; ++i) {
        rt::Text name = NameOf(ReadElement<rt::Text>(parts, i));
        if (LastDot(name) > -1) {
            rt::Text extension = ExtensionOf(name);
            if (IsAccepted(extension) && name)
                AppendText(&FileList, name);
            if (extension)
                rt::RtFree(extension);
        }
        if (name)
            rt::RtFree(name);
    }
    ReleaseArray(&parts, true);
    StartBatch();
}

void StartBatch() {
    int64_t n = FileList ? int64_t(FileList->elementCount()) : 0;
    if (n == 0) {
        // Nothing to convert: no pool is started, so nothing waits for a
        // completion that would never come.
        rt::Text message = Concat({MSG_NOTHING, SourceDir});
        ShowText(message);
        rt::RtFree(message);
        return;
    }
    ChooseOutputBases();
    BatchRunning.store(1);
    BatchStartTicks = IntOf(CallCore(&corelib::TickCount, {}));
    CallMethod<PoolStart>(&WorkerPool, POOL_START, WORKER_COUNT,
                          reinterpret_cast<uintptr_t>(&WorkerEntry), Omitted());
    SetIntProperty(START_WINDOW, UNIT_PROGRESS_BAR, PROP_MAXIMUM, int32_t(n));
    SetIntProperty(START_WINDOW, UNIT_PROGRESS_BAR, PROP_POSITION, 1);
    for (int64_t j = 1; j <= n; ++j)
        CallMethod<PoolPost>(&WorkerPool, POOL_POST, int32_t(j));
}

}  // namespace app
