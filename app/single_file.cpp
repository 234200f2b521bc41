// One picked file, converted on a thread of its own by library 1's
// file-to-file converters.
#include "app/calls.h"
#include "app/compiled.h"
#include "app/constants.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "app/path_pieces.h"
#include "corelib/commands/core_commands.h"
#include "libs/desktop/threads/thread_library.h"
#include "libs/imageconv/convert_commands.h"

namespace app {
namespace {

// Library 1's answer for a converted file.
constexpr int32_t CONVERT_OK = 1;

}  // namespace

void OnConvertSingle(rt::EventInvocation*) {
    CallLibrary(
        LIB_THREADS, &desktop::StartThread,
        {RoutineArgument(reinterpret_cast<const void*>(&SingleTask)), Omitted(), Omitted()});
}

uintptr_t SingleTask(uintptr_t) {
    ConvertSingleFile();
    return 0;
}

void ConvertSingleFile() {
    CallCore(&corelib::OpenFileDialog, {UnitArgument(START_WINDOW, UNIT_FILE_DIALOG, TYPE_DIALOG)});
    rt::Text path = GetTextProperty(START_WINDOW, UNIT_FILE_DIALOG, PROP_FILE_NAME);
    if (!path)
        return;  // nothing was picked
    rt::Text dir = DirectoryOf(path);
    rt::Text name = NameOf(path);
    rt::Text base = BaseOf(name);
    rt::Text extension = ExtensionOf(name);
    if (!IsAccepted(extension)) {
        CallCore(&corelib::ShowMessage, {TextArgument(MSG_UNSUPPORTED), IntArgument(0)});
    } else {
        rt::Text format = ChosenFormat();
        rt::Text folder = Concat({dir, format});
        CallCore(&corelib::MakeDirectory, {TextArgument(folder)});
        rt::RtFree(folder);
        if (format)
            rt::RtFree(format);
        format = ChosenFormat();
        rt::Text target = nullptr;
        int32_t result = -1;
        if (CompareText(format, FMT_A) == 0) {
            target = Concat({dir, SUBDIR_A, base, FMT_A});
            result = IntOf(CallLibrary(LIB_CONVERT, &imageconv::ConvertToJpeg,
                                       {TextArgument(path), TextArgument(target), BoolArgument(0),
                                        IntArgument(QUALITY), BoolArgument(1), IntArgument(0)}));
        } else if (CompareText(format, FMT_B) == 0) {
            target = Concat({dir, SUBDIR_B, base, FMT_B});
            result =
                IntOf(CallLibrary(LIB_CONVERT, &imageconv::ConvertToTiff,
                                  {TextArgument(path), TextArgument(target), BoolArgument(0)}));
        } else if (CompareText(format, FMT_C) == 0) {
            target = Concat({dir, SUBDIR_C, base, FMT_C});
            result =
                IntOf(CallLibrary(LIB_CONVERT, &imageconv::ConvertToPng,
                                  {TextArgument(path), TextArgument(target), IntArgument(24)}));
        }
        // A file that did not convert is said so; success stays silent.
        if (result != CONVERT_OK) {
            rt::Text message = Concat({MSG_SINGLE_FAILED, path});
            CallCore(&corelib::ShowMessage, {TextArgument(message), IntArgument(0)});
            rt::RtFree(message);
        }
        if (target)
            rt::RtFree(target);
        if (format)
            rt::RtFree(format);
    }
    rt::RtFree(path);
    if (dir)
        rt::RtFree(dir);
    if (name)
        rt::RtFree(name);
    if (base)
        rt::RtFree(base);
    if (extension)
        rt::RtFree(extension);
}

}  // namespace app
