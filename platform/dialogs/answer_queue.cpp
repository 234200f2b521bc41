#include "platform/dialogs/answer_queue.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <sstream>
#include <vector>

namespace platform::dialogs {
namespace {

std::mutex g_lock;
std::deque<Answer> g_queue;

std::string Trim(std::string_view text) {
    size_t start = 0;
    size_t end = text.size();
    while (start < end && std::isspace(uint8_t(text[start])))
        ++start;
    while (end > start && std::isspace(uint8_t(text[end - 1])))
        --end;
    return std::string(text.substr(start, end - start));
}

bool Same(std::string_view a, const char* b) {
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

bool Fail(std::string* error, std::string message) {
    if (error)
        *error = std::move(message);
    return false;
}

bool ParseFont(const std::string& rest, FontAnswer* font, std::string* error) {
    std::istringstream words(rest);
    std::vector<std::string> tokens;
    for (std::string word; words >> word;)
        tokens.push_back(word);
    // The face is every word before the first number.
    size_t at = 0;
    std::string face;
    while (at < tokens.size() && !std::isdigit(uint8_t(tokens[at][0]))) {
        face += (face.empty() ? "" : " ") + tokens[at];
        ++at;
    }
    if (face.empty() || at == tokens.size())
        return Fail(error, "a font answer needs a face and a size");
    char* end = nullptr;
    long size = std::strtol(tokens[at].c_str(), &end, 10);
    if (*end || size < 1 || size > 1638)
        return Fail(error, "font size \"" + tokens[at] + "\" is not 1 to 1638");
    font->face = face;
    font->pointSize = int(size);
    for (++at; at < tokens.size(); ++at) {
        const std::string& t = tokens[at];
        if (Same(t, "bold")) {
            font->bold = true;
        } else if (Same(t, "italic")) {
            font->italic = true;
        } else if (Same(t, "underline")) {
            font->underline = true;
        } else if (Same(t, "strikeout")) {
            font->strikeOut = true;
        } else if (t.size() == 7 && t[0] == '#') {
            unsigned long rgb = std::strtoul(t.c_str() + 1, &end, 16);
            if (*end)
                return Fail(error, "\"" + t + "\" is not a colour");
            font->hasColor = true;
            font->color = uint32_t(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
        } else {
            return Fail(error, "unknown font attribute \"" + t + "\"");
        }
    }
    return true;
}

}  // namespace

std::optional<Answer> ParseAnswer(std::string_view text, std::string* error) {
    std::string trimmed = Trim(text);
    size_t space = trimmed.find_first_of(" \t");
    std::string verb = trimmed.substr(0, space);
    std::string rest =
        space == std::string::npos ? "" : Trim(std::string_view(trimmed).substr(space));
    Answer answer;
    answer.text = trimmed;
    if (Same(verb, "cancel") && rest.empty()) {
        answer.kind = AnswerKind::Cancel;
    } else if (Same(verb, "press") && !rest.empty()) {
        answer.kind = AnswerKind::Press;
        answer.button = rest;
    } else if (Same(verb, "choose") && !rest.empty()) {
        answer.kind = AnswerKind::Choose;
        answer.path = rest;
    } else if (Same(verb, "font")) {
        answer.kind = AnswerKind::Font;
        if (!ParseFont(rest, &answer.font, error))
            return std::nullopt;
    } else {
        Fail(
            error,
            "\"" + trimmed +
                "\" is not a dialog answer (press LABEL, cancel, choose PATH, font FACE SIZE ...)");
        return std::nullopt;
    }
    return answer;
}

bool QueueAnswer(std::string_view text, std::string* error) {
    std::optional<Answer> answer = ParseAnswer(text, error);
    if (!answer)
        return false;
    std::lock_guard guard(g_lock);
    g_queue.push_back(std::move(*answer));
    return true;
}

bool TakeAnswerArguments(int* argc, char** argv, std::string* error) {
    std::vector<Answer> found;
    std::vector<char*> kept;
    for (int i = 0; i < *argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        if (i > 0 && arg == "--answer") {
            if (i + 1 >= *argc)
                return Fail(error, "--answer needs a text");
            value = argv[++i];
        } else if (i > 0 && arg.substr(0, 9) == "--answer=") {
            value = arg.substr(9);
        } else {
            kept.push_back(argv[i]);
            continue;
        }
        std::optional<Answer> answer = ParseAnswer(value, error);
        if (!answer)
            return false;
        found.push_back(std::move(*answer));
    }
    for (size_t i = 0; i < kept.size(); ++i)
        argv[i] = kept[i];
    *argc = int(kept.size());
    if (!found.empty())
        argv[*argc] = nullptr;
    std::lock_guard guard(g_lock);
    for (Answer& answer : found)
        g_queue.push_back(std::move(answer));
    return true;
}

std::optional<Answer> TakeNextAnswer() {
    std::lock_guard guard(g_lock);
    if (g_queue.empty())
        return std::nullopt;
    Answer answer = std::move(g_queue.front());
    g_queue.pop_front();
    return answer;
}

size_t PendingAnswers() {
    std::lock_guard guard(g_lock);
    return g_queue.size();
}

void ClearAnswers() {
    std::lock_guard guard(g_lock);
    g_queue.clear();
}

}  // namespace platform::dialogs
