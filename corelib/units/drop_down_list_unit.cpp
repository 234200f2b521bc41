// The drop-down list (0x10009), a "ComboBox" control. Own properties:
//
//   INDEX  PROPERTY                 KIND   WRITE
//   0      style: 0 drop-down with  word   clamped 0..2; a change re-creates the
//          an edit field, 1 simple,        control, and a background colour (6)
//          2 drop-down list                of 0xff000000 becomes 0xffffff and one
//          (the default)                   of 0xffffff becomes 0xff000000;
//                                          answers 1 after a change
//   1      content text             text   shown (a list-only style selects the
//                                          entry of that text); read: as shown
//   2      maximum text length      word   clamped 0..32767 (0: none); 0x141
//   3      selection start          non-   not below 0; the edit-selection
//   4      selection length         neg.   message (0x142)
//   5      selected text            text   replaces the edit field's selection
//                                          (0x140, 0x142); read: the selection
//   6      background colour        word   redrawn (0xff000000: the system's)
//   7      field height in pixels   word   clamped 0..32767; 0x153 when it
//                                          differs from the current one (0x154)
//   8      text colour              word   redrawn (0xff000000: the system's)
//   9      sorted                   word   on when 1; re-creates the control on
//                                          a change, answers 1
//   10     font face name           text   applied to the control
//   11     current entry            word   -1 or a valid index (others: -1);
//                                          0x14E; read: as selected
//   12     the list's entries       text   one entry a line (a line feed ends
//                                          each, CR LF too); read: as listed
//   13     32-bit values kept with  bytes  four bytes an entry, kept in a
//          the entries                     ByteBuffer, applied to the entries
//   14     text kept for the        text   stored
//          application
//   15, 16 words kept for the       word   stored
//          application
//
// Events: 0 the selected entry changed (by the user), 1 the edit field's
// text changed (by the user).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "corelib/buffer/byte_buffer.h"
#include "corelib/units/control_unit.h"
#include "corelib/units/core_unit_types.h"
#include "corelib/units/unit_colours.h"
#include "corelib/units/unit_font.h"
#include "platform/controls/controls.h"
#include "runtime/unit_property_block.h"

namespace corelib::units {
namespace {

using namespace platform;

enum DropDownProperty : int32_t {
    LIST_STYLE = 0,
    LIST_CONTENT = 1,
    LIST_TEXT_LIMIT = 2,
    LIST_SELECTION_START = 3,
    LIST_SELECTION_LENGTH = 4,
    LIST_SELECTED_TEXT = 5,
    LIST_BACKGROUND = 6,
    LIST_FIELD_HEIGHT = 7,
    LIST_TEXT_COLOUR = 8,
    LIST_SORTED = 9,
    LIST_FACE = 10,
    LIST_CURRENT = 11,
    LIST_ENTRIES = 12,
    LIST_ENTRY_VALUES = 13,
    LIST_KEPT_TEXT = 14,
    LIST_KEPT_WORD_A = 15,
    LIST_KEPT_WORD_B = 16,
    LIST_PROPERTY_COUNT = 17,
};

constexpr rt::PropertyDescriptor kProperties[LIST_PROPERTY_COUNT] = {
    Kind(rt::KIND_WORD),         Kind(rt::KIND_TEXT),         Kind(rt::KIND_WORD),
    Kind(rt::KIND_NON_NEGATIVE), Kind(rt::KIND_NON_NEGATIVE), Kind(rt::KIND_TEXT_B),
    Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD),         Kind(rt::KIND_TEXT_C),       Kind(rt::KIND_WORD),
    Kind(rt::KIND_TEXT_D),       Kind(rt::KIND_BYTES),        Kind(rt::KIND_TEXT_E),
    Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),
};

// The order a window description's properties are applied in: the style
// first, the entries before what selects among them.
constexpr int32_t kLoadOrder[] = {
    LIST_STYLE,
    LIST_SORTED,
    LIST_FACE,
    LIST_BACKGROUND,
    LIST_TEXT_COLOUR,
    LIST_TEXT_LIMIT,
    LIST_FIELD_HEIGHT,
    LIST_ENTRIES,
    LIST_ENTRY_VALUES,
    LIST_CONTENT,
    LIST_CURRENT,
    LIST_SELECTION_START,
    LIST_SELECTION_LENGTH,
    LIST_SELECTED_TEXT,
    LIST_KEPT_TEXT,
    LIST_KEPT_WORD_A,
    LIST_KEPT_WORD_B,
};

constexpr uint32_t kKindStyles[3] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
constexpr int32_t kDefaultStyle = 2;
constexpr int32_t kLargestValue = 32767;

std::vector<std::string> SplitEntries(const std::string& text) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
        entries.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return entries;
}

class DropDownListUnit : public ControlUnit {
public:
    static rt::WindowObject* Create(const rt::UnitCreateArgs& args) {
        auto* unit = new DropDownListUnit(args);
        // The kind of combo box is fixed when it is made: take it from the
        // description before making it.
        rt::PropertyBlockReader block(args.propertyBlock, args.propertyBlockLength);
        if (block.Valid()) {
            unit->words_[LIST_STYLE] =
                Clamp(int32_t(block.Word(LIST_STYLE).value_or(kDefaultStyle)), 0, 2);
            unit->words_[LIST_SORTED] = int32_t(block.Word(LIST_SORTED).value_or(0));
        }
        return FinishCreate(unit, args, kComboBoxClass, unit->TypeStyle(), kLoadOrder,
                            int32_t(std::size(kLoadOrder)));
    }

    const CoreUnitType& Type() const override { return DropDownListType(); }

    void GetOwn(int32_t index, rt::PropertyValue* result) override {
        switch (index) {
            case LIST_CONTENT:
                texts_[index] = ShownText();
                PutText(result, texts_[index]);
                break;
            case LIST_SELECTED_TEXT:
                texts_[index] = SelectedText();
                PutText(result, texts_[index]);
                break;
            case LIST_FACE:
            case LIST_KEPT_TEXT:
                PutText(result, texts_[index]);
                break;
            case LIST_ENTRIES:
                texts_[index] = JoinedEntries();
                PutText(result, texts_[index]);
                break;
            case LIST_ENTRY_VALUES:
                result->w0 = reinterpret_cast<uintptr_t>(entryValues_.Data());
                result->w1 = entryValues_.Length();
                break;
            case LIST_CURRENT:
                words_[index] = int32_t(Send(CB_GETCURSEL));
                [[fallthrough]];
            default:
                PutWord(result, words_[index]);
                break;
        }
    }

    int32_t SetOwn(int32_t index, const rt::PropertyValue& value) override {
        int32_t word = WordOf(value);
        switch (index) {
            case LIST_STYLE:
                return ChangeKind(Clamp(word, 0, 2));
            case LIST_CONTENT:
                ShowText(&texts_[index], value);
                return 0;
            case LIST_TEXT_LIMIT:
                words_[index] = Clamp(word, 0, kLargestValue);
                Send(CB_LIMITTEXT, WPARAM(words_[index]));
                return 0;
            case LIST_SELECTION_START:
            case LIST_SELECTION_LENGTH:
                words_[index] = std::max(word, 0);
                ShowSelection();
                return 0;
            case LIST_SELECTED_TEXT:
                ReplaceSelection(TextOf(value));
                return 0;
            case LIST_BACKGROUND:
            case LIST_TEXT_COLOUR:
                words_[index] = word;
                Redraw();
                return 0;
            case LIST_FIELD_HEIGHT:
                words_[index] = Clamp(word, 0, kLargestValue);
                ShowFieldHeight();
                return 0;
            case LIST_SORTED: {
                bool wasSorted = IsOn(words_[index]);
                words_[index] = word;
                return IsOn(word) != wasSorted && Rebuild() ? 1 : 0;
            }
            case LIST_FACE:
                texts_[index] = TextOf(value);
                controlFont_.ApplyFace(Window(), texts_[index], 0);
                return 0;
            case LIST_CURRENT:
                Select(word);
                return 0;
            case LIST_ENTRIES:
                Fill(SplitEntries(TextOf(value)));
                return 0;
            case LIST_ENTRY_VALUES: {
                std::string bytes = BytesOf(value);
                entryValues_.Clear();
                entryValues_.Append(bytes.data(), int32_t(bytes.size()));
                ShowEntryValues();
                return 0;
            }
            case LIST_KEPT_TEXT:
                texts_[index] = TextOf(value);
                return 0;
            default:
                words_[index] = word;
                return 0;
        }
    }

    std::vector<int32_t> Events(uint32_t code) override {
        if (code == CBN_SELCHANGE) {
            words_[LIST_CURRENT] = int32_t(Send(CB_GETCURSEL));
            return {DROP_DOWN_EVENT_SELECTION_CHANGED};
        }
        if (code == CBN_EDITCHANGE)
            return {DROP_DOWN_EVENT_TEXT_CHANGED};
        return {};
    }

    HBRUSH ControlColours(HDC dc) override {
        ApplyTextColour(dc, uint32_t(words_[LIST_TEXT_COLOUR]));
        return background_.For(uint32_t(words_[LIST_BACKGROUND]));
    }

    // Entry 8: the list keeps its arrow keys and F4, and Enter and Escape
    // while it is open.
    bool ClaimsKey(uint32_t keyCode) const {
        uint8_t key = uint8_t(keyCode & 0xFF);
        if (key == VK_UP || key == VK_DOWN || key == VK_F1 + 3)
            return true;
        return (key == VK_RETURN || key == VK_ESCAPE) && Send(CB_GETDROPPEDSTATE) != 0;
    }

private:
    explicit DropDownListUnit(const rt::UnitCreateArgs& args)
        : ControlUnit(args), creationHeight_(args.height) {
        words_[LIST_STYLE] = kDefaultStyle;
        words_[LIST_BACKGROUND] = int32_t(kSystemColour);
        words_[LIST_TEXT_COLOUR] = int32_t(kSystemColour);
        words_[LIST_CURRENT] = -1;
    }

    uint32_t TypeStyle() const {
        return kKindStyles[words_[LIST_STYLE]] | CBS_AUTOHSCROLL |
               (IsOn(words_[LIST_SORTED]) ? CBS_SORT : 0);
    }

    int32_t ChangeKind(int32_t style) {
        if (style == words_[LIST_STYLE])
            return 0;
        // What the system shows for "its" colour differs between the styles
        // with and without an edit field: keep the look the user chose.
        if (uint32_t(words_[LIST_BACKGROUND]) == kSystemColour)
            words_[LIST_BACKGROUND] = int32_t(kWhite);
        else if (uint32_t(words_[LIST_BACKGROUND]) == kWhite)
            words_[LIST_BACKGROUND] = int32_t(kSystemColour);
        words_[LIST_STYLE] = style;
        return Rebuild() ? 1 : 0;
    }

    // A new control of the current style holding what the old one held.
    bool Rebuild() {
        std::vector<std::string> entries = Entries();
        std::string shown = ShownText();
        int32_t current = int32_t(Send(CB_GETCURSEL));
        if (!RecreateControl(kComboBoxClass, "", TypeStyle(), creationHeight_))
            return false;
        controlFont_.ApplyFace(Window(), texts_[LIST_FACE], 0);
        Send(CB_LIMITTEXT, WPARAM(words_[LIST_TEXT_LIMIT]));
        ShowFieldHeight();
        words_[LIST_CURRENT] = current;
        texts_[LIST_CONTENT] = shown;
        Fill(entries);
        if (current < 0)
            SetWindowText(Window(), shown.c_str());
        return true;
    }

    void Fill(const std::vector<std::string>& entries) {
        Send(CB_RESETCONTENT);
        for (const std::string& entry : entries)
            Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        ShowEntryValues();
        // What was selected stays selected when the list still has it.
        if (words_[LIST_CURRENT] >= 0)
            Select(words_[LIST_CURRENT]);
        else if (!texts_[LIST_CONTENT].empty())
            SetWindowText(Window(), texts_[LIST_CONTENT].c_str());
    }

    void Select(int32_t index) {
        auto count = int32_t(Send(CB_GETCOUNT));
        if (index < -1 || index >= count)
            index = -1;
        words_[LIST_CURRENT] = index;
        Send(CB_SETCURSEL, WPARAM(intptr_t(index)));
    }

    void ShowEntryValues() {
        auto count = uint32_t(std::max<LRESULT>(Send(CB_GETCOUNT), 0));
        uint32_t values = entryValues_.Length() / 4;
        for (uint32_t i = 0; i < std::min(count, values); ++i) {
            uint32_t word;
            std::memcpy(&word, entryValues_.Data() + 4 * i, 4);
            Send(CB_SETITEMDATA, WPARAM(i), LPARAM(word));
        }
    }

    void ShowSelection() {
        int32_t start = words_[LIST_SELECTION_START];
        int32_t end = std::min<int64_t>(int64_t(start) + words_[LIST_SELECTION_LENGTH], 0xFFFF);
        Send(CB_SETEDITSEL, 0, MAKELPARAM(std::min(start, 0xFFFF), end));
    }

    void ShowFieldHeight() {
        int32_t height = words_[LIST_FIELD_HEIGHT];
        if (height > 0 && Send(CB_GETITEMHEIGHT, WPARAM(intptr_t(-1))) != height)
            Send(CB_SETITEMHEIGHT, WPARAM(intptr_t(-1)), LPARAM(height));
    }

    std::string ShownText() const {
        int length = GetWindowTextLength(Window());
        std::string text(size_t(std::max(length, 0)) + 1, '\0');
        int copied = GetWindowText(Window(), text.data(), int(text.size()));
        text.resize(size_t(std::max(copied, 0)));
        return text;
    }

    bool EditSelection(uint32_t* start, uint32_t* end) const {
        return Send(CB_GETEDITSEL, reinterpret_cast<WPARAM>(start),
                    reinterpret_cast<LPARAM>(end)) != CB_ERR;
    }

    std::string SelectedText() const {
        uint32_t start = 0, end = 0;
        std::string shown = ShownText();
        if (!EditSelection(&start, &end) || start >= end || start >= shown.size())
            return {};
        return shown.substr(start, end - start);
    }

    void ReplaceSelection(const std::string& text) {
        uint32_t start = 0, end = 0;
        if (!EditSelection(&start, &end))
            return;
        std::string shown = ShownText();
        start = std::min<uint32_t>(start, uint32_t(shown.size()));
        end = std::clamp<uint32_t>(end, start, uint32_t(shown.size()));
        shown.replace(start, end - start, text);
        SetWindowText(Window(), shown.c_str());
        auto caret = int(std::min<size_t>(start + text.size(), 0xFFFF));
        Send(CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        auto count = int32_t(Send(CB_GETCOUNT));
        for (int32_t i = 0; i < count; ++i) {
            LRESULT length = Send(CB_GETLBTEXTLEN, WPARAM(i));
            std::string entry(size_t(std::max<LRESULT>(length, 0)) + 1, '\0');
            Send(CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(entry.data()));
            entry.resize(size_t(std::max<LRESULT>(length, 0)));
            entries.push_back(std::move(entry));
        }
        return entries;
    }

    std::string JoinedEntries() const {
        std::string joined;
        for (const std::string& entry : Entries()) {
            joined += entry;
            joined += '\n';
        }
        return joined;
    }

    int32_t creationHeight_;
    int32_t words_[LIST_PROPERTY_COUNT] = {};
    std::string texts_[LIST_PROPERTY_COUNT];
    ByteBuffer entryValues_;
    UnitFont controlFont_;
    ColourBrush background_;
};

int32_t ClaimsKey(rt::WindowObject* object, uint32_t keyCode) {
    auto* unit = dynamic_cast<DropDownListUnit*>(object);
    return unit && unit->ClaimsKey(keyCode) ? 1 : 0;
}

void* FindOperation(int32_t operation) {
    if (operation == rt::UNIT_ENTRY_CLAIMS_KEY)
        return reinterpret_cast<void*>(&ClaimsKey);
    return StandardOperation<DropDownListUnit>(operation, true);
}

}  // namespace

const CoreUnitType& DropDownListType() {
    static const CoreUnitType type = {kDropDownListType, "DropDownList",      rt::TYPE_FLAG_KIND1,
                                      kProperties,       LIST_PROPERTY_COUNT, &FindOperation};
    return type;
}

}  // namespace corelib::units
