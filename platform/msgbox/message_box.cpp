#include "platform/msgbox/message_box.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/base/text_codec.h"

namespace platform {
namespace {

std::atomic<MessageBoxPresenter> g_presenter{nullptr};

}  // namespace

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    g_presenter.store(presenter);
}

int FirstButtonOf(uint32_t flags) {
    switch (flags & 0xf) {
        case MB_BUTTONS_ABORT_RETRY_IGNORE:
            return ANSWER_ABORT;
        case MB_BUTTONS_YES_NO_CANCEL:
        case MB_BUTTONS_YES_NO:
            return ANSWER_YES;
        case MB_BUTTONS_RETRY_CANCEL:
            return ANSWER_RETRY;
        default:
            return ANSWER_OK;
    }
}

int ShowMessageBox(uintptr_t parentWindow, std::string_view runtimeText,
                   std::string_view runtimeTitle, uint32_t flags) {
    if (MessageBoxPresenter presenter = g_presenter.load()) {
        int answer = presenter(parentWindow, runtimeText, runtimeTitle, flags);
        if (answer != ANSWER_NONE)
            return answer;
    }
    // One write, so that boxes from several threads do not interleave.
    std::string report =
        "[" + RuntimeToUtf8(runtimeTitle) + "]\n" + RuntimeToUtf8(runtimeText) + "\n";
    std::fwrite(report.data(), 1, report.size(), stderr);
    std::fflush(stderr);
    return FirstButtonOf(flags);
}

}  // namespace platform
