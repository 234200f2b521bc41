// The fast boundary-aware search against a plain character-by-character
// scan, over random texts dense with two-byte characters.
#include "corelib/commands/text_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

size_t Next(const std::string& text, size_t at, size_t end) {
    if (!(static_cast<unsigned char>(text[at]) & 0x80))
        return at + 1;
    return at + 2 <= end ? at + 2 : end;
}

int32_t ReferenceSearch(const std::string& text, const std::string& sought, size_t begin,
                        size_t end, bool last) {
    if (begin >= end)
        return -1;
    if (sought.empty())
        return 1;
    int32_t found = -1;
    for (size_t at = begin; end - at >= sought.size(); at = Next(text, at, end)) {
        if (std::memcmp(text.data() + at, sought.data(), sought.size()) == 0) {
            found = int32_t(at + 1);
            if (!last)
                return found;
        }
    }
    return found;
}

std::string RandomText(std::mt19937& random, size_t maxLength) {
    static const char kAlphabet[] = {'a', 'b', ';', '\xB0', '\xA1', '\x61', '\xC4'};
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 1);
    std::string text(length(random), ' ');
    for (char& c : text)
        c = kAlphabet[pick(random)];
    return text;
}

TEST(TextSearch, AgreesWithACharacterByCharacterScan) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::string text = RandomText(random, 40);
        std::string sought = RandomText(random, 3);
        std::uniform_int_distribution<size_t> position(0, text.size() + 1);
        size_t begin = position(random);
        size_t end = position(random);
        bool last = round % 2 == 1;
        ASSERT_EQ(corelib::SearchText(text, sought, begin, end, last, false),
                  ReferenceSearch(text, sought, begin, std::min(end, text.size()), last))
            << "round " << round;
    }
}

TEST(TextSearch, SplitPiecesRejoinToTheTextUpToTheLimit) {
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        std::string text = RandomText(random, 40);
        std::string separator = RandomText(random, 2);
        if (separator.empty())
            continue;
        auto pieces = corelib::SplitPieces(text, separator, -1);
        // Every piece boundary is a separator found on a character boundary.
        std::string rejoined;
        for (size_t i = 0; i < pieces.size(); ++i) {
            if (i)
                rejoined += separator;
            rejoined += text.substr(pieces[i].offset, pieces[i].length);
        }
        if (text.size() >= separator.size() &&
            text.compare(text.size() - separator.size(), separator.size(), separator) == 0 &&
            rejoined.size() + separator.size() == text.size()) {
            rejoined += separator;  // a trailing separator adds no piece
        }
        ASSERT_EQ(rejoined, text) << "round " << round;
        for (size_t i = 0; i + 1 < pieces.size(); ++i) {
            size_t at = pieces[i].offset + pieces[i].length;
            ASSERT_EQ(corelib::SearchText(text, separator, at, text.size(), false, false),
                      int32_t(at + 1));
        }
    }
}

}  // namespace
