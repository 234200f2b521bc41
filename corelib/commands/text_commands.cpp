// TextLength, LeftPart, RightPart, FindFirst, FindLast and SplitText.
#include <cstring>

#include "corelib/commands/command_arguments.h"
#include "corelib/commands/core_commands.h"
#include "corelib/commands/text_search.h"

namespace corelib {
namespace {

// The ignore-case argument counts only when it is exactly 1.
bool IgnoreCase(int32_t count, const rt::ArgRecord* args) {
    rt::ArgRecord flag = ArgumentAt(count, args, 3);
    return !flag.omitted() && IntegerOf(flag) == 1;
}

size_t ClampedCount(const rt::ArgRecord& arg, size_t length) {
    int32_t count = IntegerOf(arg);
    if (count <= 0)
        return 0;
    return size_t(count) < length ? size_t(count) : length;
}

}  // namespace

void TextLength(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::SetResultInt(result, int32_t(TextOf(ArgumentAt(count, args, 0)).size()));
}

void LeftPart(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    std::string_view text = TextOf(ArgumentAt(count, args, 0));
    SetTextResult(result, text.substr(0, ClampedCount(ArgumentAt(count, args, 1), text.size())));
}

void RightPart(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    std::string_view text = TextOf(ArgumentAt(count, args, 0));
    size_t take = ClampedCount(ArgumentAt(count, args, 1), text.size());
    SetTextResult(result, text.substr(text.size() - take));
}

void FindFirst(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    std::string_view text = TextOf(ArgumentAt(count, args, 0));
    std::string_view sought = TextOf(ArgumentAt(count, args, 1));
    rt::ArgRecord start = ArgumentAt(count, args, 2);
    size_t begin = 0;
    if (!start.omitted()) {
        int32_t position = IntegerOf(start);
        begin = position < 1 ? 0 : size_t(position) - 1;
    }
    rt::SetResultInt(result,
                     SearchText(text, sought, begin, text.size(), false, IgnoreCase(count, args)));
}

void FindLast(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    std::string_view text = TextOf(ArgumentAt(count, args, 0));
    std::string_view sought = TextOf(ArgumentAt(count, args, 1));
    rt::ArgRecord endArg = ArgumentAt(count, args, 2);
    size_t end = text.size();
    if (!endArg.omitted()) {
        int32_t position = IntegerOf(endArg);
        end = position <= 1 ? 0 : size_t(position) - 1;
    }
    rt::SetResultInt(result, SearchText(text, sought, 0, end, true, IgnoreCase(count, args)));
}

void SplitText(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    std::string_view text = TextOf(ArgumentAt(count, args, 0));
    rt::ArgRecord separatorArg = ArgumentAt(count, args, 1);
    std::string_view separator =
        separatorArg.omitted() ? kDefaultSplitSeparator : TextOf(separatorArg);
    rt::ArgRecord limitArg = ArgumentAt(count, args, 2);
    int32_t limit = -1;
    if (!limitArg.omitted())
        limit = IntegerOf(limitArg) < 0 ? 0 : IntegerOf(limitArg);

    std::vector<TextPiece> pieces = SplitPieces(text, separator, limit);
    rt::ArrayBlock* array = NewPointerArray(pieces.size());
    if (!array)
        return;
    for (size_t i = 0; i < pieces.size(); ++i) {
        char* piece = NewResultText(text.substr(pieces[i].offset, pieces[i].length));
        std::memcpy(array->elements() + i * sizeof(char*), &piece, sizeof piece);
    }
    rt::SetResultPointer(result, array, rt::TYPE_TEXT | rt::ARRAY_FLAG);
}

}  // namespace corelib
