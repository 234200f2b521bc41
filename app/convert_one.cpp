// The workers' side of a batch: one file loaded into a Picture and saved in
// the chosen format, the count, the progress bar, and the completion run
// by the worker that counts the last file.
#include "app/calls.h"
#include "app/compiled.h"
#include "app/constants.h"
#include "app/external_routines.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "app/path_pieces.h"
#include "app/picture.h"
#include "corelib/commands/core_commands.h"
#include "libs/desktop/shell/shell_library.h"

namespace app {
namespace {

int32_t ListedCount() {
    return FileList ? int32_t(FileList->elementCount()) : 0;
}

// The save code of a format name; 0 when it names none.
int32_t CodeOf(const char* format) {
    if (CompareText(format, FMT_A) == 0)
        return CODE_A;
    if (CompareText(format, FMT_B) == 0)
        return CODE_B;
    if (CompareText(format, FMT_C) == 0)
        return CODE_C;
    return 0;
}

bool FileExists(const char* path) {
    uintptr_t state = 0;
    auto found = reinterpret_cast<rt::Text>(rt::RtAssist(rt::HELP_FIND_FILE,
                                                         reinterpret_cast<uintptr_t>(path), 0, 1,
                                                         reinterpret_cast<uintptr_t>(&state)));
    rt::RtAssist(rt::HELP_END_FIND, state, 0, 0, 0);
    if (!found)
        return false;
    rt::RtFree(found);
    return true;
}

// Remembers a file given up, with why, for the completion message; the
// platform's own reason follows in brackets when it gave one.
void RecordFailure(const char* name, const char* reason, const char* detail) {
    rt::Text line = rt::TextLength(detail) > 0
                        ? Concat({name, REASON_SEP, reason, DETAIL_OPEN, detail, DETAIL_CLOSE})
                        : Concat({name, REASON_SEP, reason});
    int32_t expected = 0;
    while (!FailedListLock.compare_exchange_weak(expected, 1))
        expected = 0;
    Append<rt::Text>(&FailedList, line);
    FailedListLock.store(0);
    FailedCount.fetch_add(1);
}

// The completion message: the counts, the time, and the files given up.
rt::Text CompletionMessage(int32_t converted, int32_t listed, int32_t failed, double seconds) {
    rt::Text count = TextOf(CallCore(&corelib::ToText, {IntArgument(converted)}));
    rt::Text time = TextOf(CallCore(&corelib::ToText, {DoubleArgument(seconds)}));
    if (failed == 0) {
        rt::Text message = Concat({DONE_A, count, DONE_B, time, DONE_C});
        rt::RtFree(count);
        rt::RtFree(time);
        return message;
    }
    rt::Text total = TextOf(CallCore(&corelib::ToText, {IntArgument(listed)}));
    rt::Text failedText = TextOf(CallCore(&corelib::ToText, {IntArgument(failed)}));
    rt::Text message = Concat(
        {count, DONE_OF, total, DONE_B, time, DONE_C, DONE_FAILED_A, failedText, DONE_FAILED_B});
    int64_t n = FailedList ? int64_t(FailedList->elementCount()) : 0;
    for (int64_t i = 1; i <= n && i <= FAILED_SHOWN; ++i) {
        rt::Text longer = Concat({message, LINE_SEP, ReadElement<rt::Text>(FailedList, i)});
        rt::RtFree(message);
        message = longer;
    }
    if (n > FAILED_SHOWN) {
        rt::Text more =
            TextOf(CallCore(&corelib::ToText, {IntArgument(int32_t(n - FAILED_SHOWN))}));
        rt::Text longer = Concat({message, LINE_SEP, DONE_MORE_A, more, DONE_MORE_B});
        rt::RtFree(message);
        rt::RtFree(more);
        message = longer;
    }
    rt::RtFree(count);
    rt::RtFree(time);
    rt::RtFree(total);
    rt::RtFree(failedText);
    return message;
}

void Completion() {
    CallMethod<PoolStop>(&WorkerPool, POOL_STOP, IntArgument(STOP_WAIT_MS), Omitted(), Omitted());
    TrimMemory();
    rt::Text format = ChosenFormat();
    rt::Text outputDir = Concat({SourceDir, format, SEP});
    int32_t elapsed = IntOf(CallCore(&corelib::TickCount, {})) - BatchStartTicks;
    int32_t failed = FailedCount.load();
    rt::Text message = CompletionMessage(DoneCount.load() - failed, ListedCount(), failed,
                                         double(elapsed) / DIVISOR);
    // Everything this batch's globals hold is read: a new batch may start.
    BatchRunning.store(0);
    CallLibrary(LIB_SHELL, &desktop::ShellOpen,
                {IntArgument(2), TextArgument(outputDir), Omitted(), Omitted(), Omitted()});
    CallCore(&corelib::ShowMessage, {TextArgument(message), IntArgument(0)});
    if (format)
        rt::RtFree(format);
    rt::RtFree(outputDir);
    rt::RtFree(message);
}

// Counts one file (converted or given up); the one that counts the last
// file runs the completion.
void CountFile() {
    int32_t done = DoneCount.fetch_add(1) + 1;
    SetIntProperty(START_WINDOW, UNIT_PROGRESS_BAR, PROP_POSITION, done);
    if (done == ListedCount())
        Completion();
}

}  // namespace

rt::Text ChosenFormat() {
    return GetTextProperty(START_WINDOW, UNIT_FORMAT_BOX, PROP_CONTENT_TEXT);
}

uintptr_t WorkerEntry(uintptr_t value) {
    ActiveConversions.fetch_add(1);
    ConvertOne(int32_t(uint32_t(value)));
    ActiveConversions.fetch_sub(1);
    return 0;
}

void ConvertOne(int32_t index) {
    PictureObject* picture = NewPicture();
    rt::Text name = ReadElement<rt::Text>(FileList, index);
    rt::Text base = ReadElement<rt::Text>(OutputBases, index);
    rt::Text source = Concat({SourceDir, name});
    rt::Text format = ChosenFormat();
    rt::Text folder = Concat({SourceDir, format});
    rt::Text target = Concat({folder, SEP, base, format});
    CallCore(&corelib::MakeDirectory, {TextArgument(folder)});
    int32_t result = 0;
    int32_t loaded = 0;
    int32_t tries = 0;
    while (result == 0 && tries < MAX_TRIES) {
        tries = tries + 1;
        rt::Text chosen = ChosenFormat();
        int32_t code = CodeOf(chosen);
        if (chosen)
            rt::RtFree(chosen);
        if (code != 0) {
            loaded = CallMethod<PicLoadFromFile>(&picture, PIC_LOAD_FROM_FILE, &source);
            result = CallMethod<PicSaveToFile>(&picture, PIC_SAVE_TO_FILE, &target, code,
                                               IntArgument(QUALITY));
        }
    }
    if (result != 1) {
        // Read before anything else reaches the platform on this thread.
        rt::Text detail = FailureReason();
        if (loaded == 1) {
            rt::Text reason = Concat({REASON_UNWRITABLE, target});
            RecordFailure(name, reason, detail);
            rt::RtFree(reason);
        } else if (!FileExists(source)) {
            rt::Text reason = Concat({REASON_MISSING, SourceDir});
            RecordFailure(name, reason, "");
            rt::RtFree(reason);
        } else {
            RecordFailure(name, REASON_UNREADABLE, detail);
        }
        rt::RtFree(detail);
    }
    rt::RtFree(source);
    if (format)
        rt::RtFree(format);
    rt::RtFree(folder);
    rt::RtFree(target);
    CallMethod<PicCleanUp>(&picture, PIC_CLEAN_UP);
    rt::RtFree(picture);
    CountFile();
}

void TrimMemory() {
    uintptr_t process = CallExternal(EXT_CURRENT_PROCESS);
    CallExternal(EXT_TRIM_WORKING_SET, process, 50000, 100000);
}

}  // namespace app
