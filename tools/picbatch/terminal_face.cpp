#include "tools/picbatch/terminal_face.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "app/compiled.h"
#include "app/constants.h"
#include "app/globals.h"
#include "libs/desktop/threads/thread_library.h"
#include "platform/base/text_codec.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/answer_queue.h"
#include "platform/dragdrop/drag_session.h"
#include "platform/msgbox/message_box.h"
#include "platform/shell/shell_open.h"
#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/framework/window_framework.h"
#include "runtime/services.h"
#include "tools/picbatch/progress_line.h"

namespace picbatch {
namespace {

using platform::HWND;

constexpr uint32_t kStepMessage = platform::WM_USER + 1;
constexpr uint32_t kFinishMessage = platform::WM_USER + 2;
constexpr uintptr_t kPollTimer = 1;
constexpr uint32_t kPollMs = 50;
constexpr int32_t kFormatIndexProperty = 19;  // FormatBox: current entry

enum class Outcome { Running, Converted, SomeFailed, Nothing, Failed };

struct Face {
    Options options;
    std::mutex mutex;
    Outcome outcome = Outcome::Running;
    bool started = false;  // the button was pressed or the files dropped
    std::atomic<bool> singleRunning{false};
    HWND driver = nullptr;
    ProgressLine progress{stderr, isatty(STDERR_FILENO) == 1};
};

Face* g_face = nullptr;

std::string Utf8(std::string_view runtimeText) {
    return platform::RuntimeToUtf8(std::string(runtimeText));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

HWND UnitWindow(uint32_t unitId) {
    auto* object = reinterpret_cast<rt::WindowObject*>(rt::ApplicationObject::Instance().Handle(
        rt::SN_FIND_UNIT_OBJECT, app::START_WINDOW, unitId));
    return object ? reinterpret_cast<HWND>(object->Handle()) : nullptr;
}

void CloseStartWindow() {
    rt::NativeHandle window = rt::StartWindowHandle();
    if (window)
        platform::PostMessage(reinterpret_cast<HWND>(window), platform::WM_CLOSE, 0, 0);
}

// Records how the run ended (the first word counts) and has the interface
// thread take the screenshot and close the window.
void Finish(Outcome outcome) {
    {
        std::lock_guard lock(g_face->mutex);
        if (g_face->outcome != Outcome::Running)
            return;
        g_face->outcome = outcome;
    }
    platform::PostMessage(g_face->driver, kFinishMessage, 0, 0);
}

void CloseAfterRun() {
    g_face->progress.Finish();
    if (!g_face->options.screenshot.empty())
        SaveStartWindowScreenshot(g_face->options.screenshot);
    CloseStartWindow();
}

// Every file given up in the batch, as "path: reason".
void PrintFailures() {
    int64_t n = app::FailedList ? int64_t(app::FailedList->elementCount()) : 0;
    for (int64_t i = 1; i <= n; ++i) {
        std::string line = Utf8(app::SourceDir ? app::SourceDir : "") +
                           Utf8(app::ReadElement<rt::Text>(app::FailedList, i));
        std::printf("%s\n", line.c_str());
    }
}

// What the program shows the person arrives here, from any thread.
int PresentMessage(uintptr_t, std::string_view text, std::string_view, uint32_t flags) {
    int answer = platform::FirstButtonOf(flags);
    bool started;
    {
        std::lock_guard lock(g_face->mutex);
        started = g_face->started;
    }
    if (!started)
        return answer;  // the greeting at load
    std::string utf8 = Utf8(text);
    if (StartsWith(text, app::MSG_NOTHING) || StartsWith(text, app::MSG_UNSUPPORTED) ||
        StartsWith(text, app::MSG_SINGLE_FAILED) || StartsWith(text, app::MSG_BUSY)) {
        g_face->progress.Finish();
        std::fprintf(stderr, "picbatch: %s\n", utf8.c_str());
        Finish(StartsWith(text, app::MSG_NOTHING) ? Outcome::Nothing : Outcome::Failed);
        return answer;
    }
    if (text.find(app::DONE_B) != std::string_view::npos) {
        g_face->progress.Finish();
        // The message names at most a few failed files; all of them follow.
        std::string summary = utf8.substr(0, utf8.find('\r'));
        std::printf("%s\n", summary.c_str());
        PrintFailures();
        std::fflush(stdout);
        Finish(app::FailedCount.load() > 0 ? Outcome::SomeFailed : Outcome::Converted);
        return answer;
    }
    std::fprintf(stderr, "picbatch: %s\n", utf8.c_str());
    return answer;
}

void FollowProgress(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t,
                    uint32_t valueLow, uint32_t) {
    if (windowId != app::START_WINDOW || unitId != app::UNIT_PROGRESS_BAR)
        return;
    if (property == app::PROP_MAXIMUM)
        g_face->progress.SetTotal(int32_t(valueLow));
    else if (property == app::PROP_POSITION)
        g_face->progress.SetDone(int32_t(valueLow));
}

bool ChooseFormat() {
    const char* formats[] = {app::FMT_A, app::FMT_B, app::FMT_C};
    for (int32_t i = 0; i < 3; ++i) {
        if (g_face->options.format != formats[i])
            continue;
        rt::RtSetProperty(app::START_WINDOW, app::UNIT_FORMAT_BOX, kFormatIndexProperty, -1,
                          uint32_t(i), 0);
        rt::Text chosen = reinterpret_cast<rt::Text>(uintptr_t(rt::RtGetProperty(
            app::START_WINDOW, app::UNIT_FORMAT_BOX, app::PROP_CONTENT_TEXT, -1)));
        bool ok = app::CompareText(chosen, formats[i]) == 0;
        if (chosen)
            rt::RtFree(chosen);
        return ok;
    }
    return false;
}

void Press(uint32_t buttonUnit) {
    {
        std::lock_guard lock(g_face->mutex);
        g_face->started = true;
    }
    HWND button = UnitWindow(buttonUnit);
    if (button)
        platform::SendMessage(button, platform::BM_CLICK, 0, 0);
}

// After a folder batch or a drop was asked for: when no batch runs and
// nothing was said, the request ended without one.
void CheckBatchStarted(const char* what) {
    if (app::BatchRunning.load() != 0)
        return;
    {
        std::lock_guard lock(g_face->mutex);
        if (g_face->outcome != Outcome::Running)
            return;
    }
    std::fprintf(stderr, "picbatch: %s\n", what);
    Finish(Outcome::Nothing);
}

void Drive() {
    const Options& options = g_face->options;
    if (options.source == Source::None) {
        Finish(Outcome::Converted);
        return;
    }
    if (!ChooseFormat()) {
        std::fprintf(stderr, "picbatch: the window offers no format '%s'\n",
                     options.format.c_str());
        Finish(Outcome::Failed);
        return;
    }
    switch (options.source) {
        case Source::Folder:
            platform::dialogs::QueueAnswer("choose " + options.folder);
            Press(app::UNIT_FOLDER_BUTTON);
            CheckBatchStarted(("no batch was started for " + options.folder).c_str());
            break;
        case Source::Files: {
            {
                std::lock_guard lock(g_face->mutex);
                g_face->started = true;
            }
            HWND window = reinterpret_cast<HWND>(rt::StartWindowHandle());
            platform::dragdrop::DeliverExternalDrop(window, platform::POINT{20, 20}, options.files,
                                                    std::string());
            CheckBatchStarted("none of the files dropped is a picture this program converts");
            break;
        }
        case Source::File:
            platform::dialogs::QueueAnswer("choose " + options.file);
            Press(app::UNIT_FILE_BUTTON);
            platform::SetTimer(g_face->driver, kPollTimer, kPollMs, nullptr);
            break;
        case Source::None:
            Finish(Outcome::Converted);
            break;
    }
}

// The single file converts on a thread of its own: it is done when no
// thread of library 3 runs any more.
void PollSingleFile() {
    if (desktop::RunningThreadCount() > 0)
        return;
    platform::KillTimer(g_face->driver, kPollTimer);
    Finish(Outcome::Converted);
}

platform::LRESULT DriverProcedure(HWND hwnd, uint32_t message, platform::WPARAM wParam,
                                  platform::LPARAM lParam) {
    if (message == kStepMessage) {
        Drive();
        return 0;
    }
    if (message == kFinishMessage) {
        CloseAfterRun();
        return 0;
    }
    if (message == platform::WM_TIMER && wParam == kPollTimer) {
        PollSingleFile();
        return 0;
    }
    return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

void OnStartWindowShown(rt::NativeHandle) {
    platform::WNDCLASS windowClass;
    windowClass.lpfnWndProc = &DriverProcedure;
    windowClass.lpszClassName = "PicbatchTerminalFace";
    platform::RegisterClass(&windowClass);
    g_face->driver = platform::CreateWindowEx(0, "PicbatchTerminalFace", "", 0, 0, 0, 0, 0, nullptr,
                                              nullptr, nullptr, nullptr);
    // The work starts from the event loop, not from inside the window's
    // showing.
    platform::PostMessage(g_face->driver, kStepMessage, 0, 0);
}

}  // namespace

void InstallTerminalFace(const Options& options) {
    g_face = new Face;
    g_face->options = options;
    platform::SetMessageBoxPresenter(&PresentMessage);
    rt::SetPropertyWriteObserver(&FollowProgress);
    rt::SetStartWindowShownObserver(&OnStartWindowShown);
    if (options.noOpen)
        platform::shell::SetLauncher([](const platform::shell::Launch&) { return true; });
}

int TerminalExitStatus() {
    std::lock_guard lock(g_face->mutex);
    return g_face->outcome == Outcome::Converted ? 0 : 1;
}

bool SaveStartWindowScreenshot(const std::string& path) {
    std::string error;
    HWND window = reinterpret_cast<HWND>(rt::StartWindowHandle());
    // Paints still queued (a run that ends at once has had no turn of the
    // loop to paint in) would leave their windows blank in the picture.
    if (window) {
        using namespace platform;
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (!window || !platform::SaveWindowScreenshot(window, path, &error)) {
        std::fprintf(stderr, "picbatch: could not save the screenshot %s: %s\n", path.c_str(),
                     error.c_str());
        return false;
    }
    return true;
}

}  // namespace picbatch
