// Answers for dialogs shown without a person in front of the screen. A
// test or the command line queues them in order; each dialog takes the
// next one and acts on it as if the user had: pressing a button, choosing a
// path, or setting a font. A dialog that finds the queue empty and cannot
// ask anyone (no display) is cancelled and says so on standard error.
//
// Answer texts (words are not case sensitive):
//   press LABEL        the button with that caption: OK, Cancel, Yes, No,
//                      Abort, Retry, Ignore, Open, Save
//   cancel             close the dialog without confirming
//   choose PATH        a file or folder (UTF-8), then confirm
//   font FACE SIZE [bold] [italic] [underline] [strikeout] [#RRGGBB]
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::dialogs {

enum class AnswerKind { Press, Cancel, Choose, Font };

struct FontAnswer {
    std::string face;  // UTF-8
    int pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool hasColor = false;
    uint32_t color = 0;  // COLORREF
};

struct Answer {
    AnswerKind kind = AnswerKind::Cancel;
    std::string text;    // the answer as given, for messages
    std::string button;  // Press: the label
    std::string path;    // Choose: UTF-8
    FontAnswer font;     // Font
};

// Parses one answer text; nullopt (and *error) when it is not one.
std::optional<Answer> ParseAnswer(std::string_view text, std::string* error = nullptr);
// Queues an answer; false (nothing queued) when the text is not an answer.
bool QueueAnswer(std::string_view text, std::string* error = nullptr);
// Takes every "--answer TEXT" and "--answer=TEXT" out of the arguments,
// queueing them in order; the other arguments keep their order. False (and
// nothing queued) when one is malformed or has no text.
bool TakeAnswerArguments(int* argc, char** argv, std::string* error = nullptr);

// The next queued answer, removed from the queue.
std::optional<Answer> TakeNextAnswer();
size_t PendingAnswers();
void ClearAnswers();

}  // namespace platform::dialogs
