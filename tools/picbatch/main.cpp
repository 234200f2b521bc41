// picbatch: converts picture files in batches. With a display and no
// options it opens the start window; from a terminal it drives the same
// window (see --help).
#include <cstdio>
#include <string>

#include "app/application.h"
#include "platform/dialogs/answer_queue.h"
#include "platform/windowing/windows.h"
#include "tools/picbatch/launcher.h"
#include "tools/picbatch/options.h"
#include "tools/picbatch/terminal_face.h"

int main(int argc, char** argv) {
    picbatch::Options options;
    std::string error;
    // "--answer TEXT" answers the next dialog before the terminal face's own
    // answers (for scripts that want to cancel one, say).
    if (!platform::dialogs::TakeAnswerArguments(&argc, argv, &error)) {
        std::fprintf(stderr, "picbatch: %s\nTry 'picbatch --help'.\n", error.c_str());
        return 2;
    }
    if (!picbatch::ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "picbatch: %s\nTry 'picbatch --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(picbatch::kUsage, stdout);
        return 0;
    }
    bool terminal = picbatch::DrivesFromTerminal(options) || !options.screenshot.empty();
    if (terminal) {
        platform::SetPresentationMode(platform::PresentationMode::Memory);
        picbatch::InstallTerminalFace(options);
        picbatch::StartRuntime(picbatch::MessageBoxes::Custom);
    } else {
        if (platform::SetPresentationMode(platform::PresentationMode::Automatic) !=
            platform::PresentationMode::Display) {
            std::fprintf(stderr,
                         "picbatch: there is no display to open the window on; to convert from "
                         "the terminal give --format and a folder, a file or files.\n"
                         "Try 'picbatch --help'.\n");
            return 2;
        }
        picbatch::StartRuntime(picbatch::MessageBoxes::Dialogs);
    }
    int32_t code = app::StartRoutine();
    int status = terminal ? picbatch::TerminalExitStatus() : int(code);
    picbatch::EndRuntime(status);
    return status;
}
