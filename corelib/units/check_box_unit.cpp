// The check box (0x10006), a "Button" control that ticks itself when
// clicked. Own properties ("on" means: the word equals 1):
//
//   INDEX  PROPERTY                  KIND   WRITE
//   0      caption                   text   shown; answers 1
//   1      push-like                 word   style bit 0x1000 when on
//   2      flat                      word   style bit 0x8000 when on
//   3      font face name            text   applied with index 8's size
//   4      caption on the left       word   style bit 0x20 when on
//   5      horizontal alignment      word   clamped 0..2; style mask 0x300
//   6      vertical alignment        word   clamped 0..2; style mask 0xC00
//   7      text colour               word   redrawn (0xff000000: the system's)
//   8      font size in points       word   applied with index 3's face (0: default)
//   9      picture data              bytes  kept for the application
//   10     ticked state              word   stored; the box shows a tick
//                                           exactly when it is 1
//   11     text kept for the         text   stored
//          application
//   12     second such text          text   stored
//
// Events: 0 click, 1 change (the user changed the ticked state; index 10
// already holds the new state when it is raised).
#include <string>

#include "corelib/units/alignment.h"
#include "corelib/units/control_unit.h"
#include "corelib/units/core_unit_types.h"
#include "corelib/units/unit_colours.h"
#include "corelib/units/unit_font.h"
#include "platform/controls/controls.h"

namespace corelib::units {
namespace {

using namespace platform;

enum CheckBoxProperty : int32_t {
    CHECK_CAPTION = 0,
    CHECK_PUSH_LIKE = 1,
    CHECK_FLAT = 2,
    CHECK_FACE = 3,
    CHECK_LEFT_TEXT = 4,
    CHECK_HORIZONTAL = 5,
    CHECK_VERTICAL = 6,
    CHECK_TEXT_COLOUR = 7,
    CHECK_FONT_SIZE = 8,
    CHECK_PICTURE = 9,
    CHECK_TICKED = 10,
    CHECK_TEXT_A = 11,
    CHECK_TEXT_B = 12,
    CHECK_PROPERTY_COUNT = 13,
};

constexpr rt::PropertyDescriptor kProperties[CHECK_PROPERTY_COUNT] = {
    Kind(rt::KIND_TEXT),   Kind(rt::KIND_WORD),  Kind(rt::KIND_WORD), Kind(rt::KIND_TEXT_B),
    Kind(rt::KIND_WORD),   Kind(rt::KIND_WORD),  Kind(rt::KIND_WORD), Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD),   Kind(rt::KIND_BYTES), Kind(rt::KIND_WORD), Kind(rt::KIND_TEXT_C),
    Kind(rt::KIND_TEXT_C),
};

struct StyleSwitch {
    int32_t index;
    uint32_t bit;
};
constexpr StyleSwitch kStyleSwitches[] = {
    {CHECK_PUSH_LIKE, BS_PUSHLIKE},
    {CHECK_FLAT, BS_FLAT},
    {CHECK_LEFT_TEXT, BS_LEFTTEXT},
};

class CheckBoxUnit : public ControlUnit {
public:
    static rt::WindowObject* Create(const rt::UnitCreateArgs& args) {
        return FinishCreate(new CheckBoxUnit(args), args, kButtonClass,
                            BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER);
    }

    const CoreUnitType& Type() const override { return CheckBoxType(); }

    void GetOwn(int32_t index, rt::PropertyValue* result) override {
        switch (index) {
            case CHECK_CAPTION:
            case CHECK_FACE:
            case CHECK_TEXT_A:
            case CHECK_TEXT_B:
                PutText(result, texts_[index]);
                break;
            case CHECK_PICTURE:
                PutBytes(result, picture_);
                break;
            case CHECK_TICKED:
                FollowControl();
                [[fallthrough]];
            default:
                PutWord(result, words_[index]);
                break;
        }
    }

    int32_t SetOwn(int32_t index, const rt::PropertyValue& value) override {
        for (const StyleSwitch& entry : kStyleSwitches) {
            if (entry.index == index) {
                words_[index] = WordOf(value);
                ChangeStyle(entry.bit, IsOn(words_[index]) ? entry.bit : 0);
                return 0;
            }
        }
        switch (index) {
            case CHECK_CAPTION:
                ShowText(&texts_[index], value);
                return 1;
            case CHECK_FACE:
                texts_[index] = TextOf(value);
                controlFont_.ApplyFace(Window(), texts_[CHECK_FACE], words_[CHECK_FONT_SIZE]);
                return 0;
            case CHECK_FONT_SIZE:
                words_[index] = WordOf(value);
                controlFont_.ApplyFace(Window(), texts_[CHECK_FACE], words_[CHECK_FONT_SIZE]);
                return 0;
            case CHECK_HORIZONTAL:
                words_[index] = ClampAlignment(WordOf(value));
                ChangeStyle(kHorizontalAlignmentMask, HorizontalAlignmentStyle(words_[index]));
                return 0;
            case CHECK_VERTICAL:
                words_[index] = ClampAlignment(WordOf(value));
                ChangeStyle(kVerticalAlignmentMask, VerticalAlignmentStyle(words_[index]));
                return 0;
            case CHECK_TEXT_COLOUR:
                words_[index] = WordOf(value);
                Redraw();
                return 0;
            case CHECK_PICTURE:
                picture_ = BytesOf(value);
                return 0;
            case CHECK_TICKED:
                words_[index] = WordOf(value);
                Send(BM_SETCHECK, IsOn(words_[index]) ? BST_CHECKED : BST_UNCHECKED);
                return 0;
            case CHECK_TEXT_A:
            case CHECK_TEXT_B:
                texts_[index] = TextOf(value);
                return 0;
            default:
                return 0;
        }
    }

    std::vector<int32_t> Events(uint32_t code) override {
        if (code != BN_CLICKED)
            return {};
        // The box has ticked or cleared itself already; the change event
        // finds the new state stored.
        if (FollowControl())
            return {CHECK_BOX_EVENT_CLICK, CHECK_BOX_EVENT_CHANGE};
        return {CHECK_BOX_EVENT_CLICK};
    }

    bool SeeThrough() const override { return true; }

    HBRUSH ControlColours(HDC dc) override {
        ApplyTextColour(dc, uint32_t(words_[CHECK_TEXT_COLOUR]));
        return nullptr;
    }

private:
    explicit CheckBoxUnit(const rt::UnitCreateArgs& args) : ControlUnit(args) {
        words_[CHECK_VERTICAL] = 1;
        words_[CHECK_TEXT_COLOUR] = int32_t(kSystemColour);
    }

    // The stored ticked state follows the box when someone else changed it
    // (a click, a key, a mnemonic): a stored 2 shows no tick and stays 2
    // while the box shows none. Answers whether the state changed.
    bool FollowControl() {
        bool ticked = Send(BM_GETCHECK) == BST_CHECKED;
        if (ticked == IsOn(words_[CHECK_TICKED]))
            return false;
        words_[CHECK_TICKED] = ticked ? 1 : 0;
        return true;
    }

    std::string texts_[CHECK_PROPERTY_COUNT];
    std::string picture_;
    int32_t words_[CHECK_PROPERTY_COUNT] = {};
    UnitFont controlFont_;
};

void* FindOperation(int32_t operation) {
    return StandardOperation<CheckBoxUnit>(operation, true);
}

}  // namespace

const CoreUnitType& CheckBoxType() {
    static const CoreUnitType type = {
        kCheckBoxType, "CheckBox",           rt::TYPE_FLAG_KIND1 | rt::TYPE_FLAG_CHECK_BOX,
        kProperties,   CHECK_PROPERTY_COUNT, &FindOperation};
    return type;
}

}  // namespace corelib::units
