// The push button (0x10005), a "Button" control. Own properties:
//
//   INDEX  PROPERTY                  KIND   WRITE
//   0      caption                   text   shown; answers 1
//   1      default button            word   clamped 0..1; style bit 0x1, redrawn
//   2      font face name            text   applied to the control (empty: default)
//   3      horizontal alignment      word   clamped 0..2; style mask 0x300
//   4      vertical alignment        word   clamped 0..2; style mask 0xC00
//   5      picture data              bytes  kept for the application
//
// Event 0: click (a click, Space, Enter when the window gives it the key,
// or its mnemonic).
#include <string>

#include "corelib/units/alignment.h"
#include "corelib/units/control_unit.h"
#include "corelib/units/core_unit_types.h"
#include "corelib/units/unit_font.h"
#include "platform/controls/controls.h"

namespace corelib::units {
namespace {

using namespace platform;

enum PushButtonProperty : int32_t {
    BUTTON_CAPTION = 0,
    BUTTON_DEFAULT = 1,
    BUTTON_FACE = 2,
    BUTTON_HORIZONTAL = 3,
    BUTTON_VERTICAL = 4,
    BUTTON_PICTURE = 5,
    BUTTON_PROPERTY_COUNT = 6,
};

constexpr rt::PropertyDescriptor kProperties[BUTTON_PROPERTY_COUNT] = {
    Kind(rt::KIND_TEXT), Kind(rt::KIND_WORD), Kind(rt::KIND_TEXT_B),
    Kind(rt::KIND_WORD), Kind(rt::KIND_WORD), Kind(rt::KIND_BYTES),
};

class PushButtonUnit : public ControlUnit {
public:
    static rt::WindowObject* Create(const rt::UnitCreateArgs& args) {
        return FinishCreate(new PushButtonUnit(args), args, kButtonClass,
                            BS_PUSHBUTTON | BS_CENTER | BS_VCENTER);
    }

    const CoreUnitType& Type() const override { return PushButtonType(); }

    void GetOwn(int32_t index, rt::PropertyValue* result) override {
        switch (index) {
            case BUTTON_CAPTION:
                PutText(result, caption_);
                break;
            case BUTTON_FACE:
                PutText(result, face_);
                break;
            case BUTTON_PICTURE:
                PutBytes(result, picture_);
                break;
            default:
                PutWord(result, words_[index]);
                break;
        }
    }

    int32_t SetOwn(int32_t index, const rt::PropertyValue& value) override {
        switch (index) {
            case BUTTON_CAPTION:
                ShowText(&caption_, value);
                return 1;
            case BUTTON_DEFAULT:
                words_[index] = Clamp(WordOf(value), 0, 1);
                ChangeStyle(BS_DEFPUSHBUTTON, words_[index] == 1 ? BS_DEFPUSHBUTTON : 0);
                return 0;
            case BUTTON_FACE:
                face_ = TextOf(value);
                controlFont_.ApplyFace(Window(), face_, 0);
                return 0;
            case BUTTON_HORIZONTAL:
                words_[index] = ClampAlignment(WordOf(value));
                ChangeStyle(kHorizontalAlignmentMask, HorizontalAlignmentStyle(words_[index]));
                return 0;
            case BUTTON_VERTICAL:
                words_[index] = ClampAlignment(WordOf(value));
                ChangeStyle(kVerticalAlignmentMask, VerticalAlignmentStyle(words_[index]));
                return 0;
            case BUTTON_PICTURE:
                picture_ = BytesOf(value);
                return 0;
            default:
                return 0;
        }
    }

    std::vector<int32_t> Events(uint32_t code) override {
        if (code == BN_CLICKED)
            return {PUSH_BUTTON_EVENT_CLICK};
        return {};
    }

private:
    explicit PushButtonUnit(const rt::UnitCreateArgs& args) : ControlUnit(args) {
        words_[BUTTON_HORIZONTAL] = 1;
        words_[BUTTON_VERTICAL] = 1;
    }

    std::string caption_;
    std::string face_;
    std::string picture_;
    int32_t words_[BUTTON_PROPERTY_COUNT] = {};
    UnitFont controlFont_;
};

// Entry 10: an enabled button takes Enter, and the window then raises its
// event 0 as for a click.
int32_t TakesEnter(rt::WindowObject* object) {
    auto* unit = dynamic_cast<PushButtonUnit*>(object);
    return unit && IsWindowEnabled(unit->Window()) ? 1 : 0;
}

void* FindOperation(int32_t operation) {
    if (operation == rt::UNIT_ENTRY_TAKES_ENTER)
        return reinterpret_cast<void*>(&TakesEnter);
    return StandardOperation<PushButtonUnit>(operation, true);
}

}  // namespace

const CoreUnitType& PushButtonType() {
    static const CoreUnitType type = {
        kPushButtonType, "PushButton",          rt::TYPE_FLAG_KIND1 | rt::TYPE_FLAG_BUTTON,
        kProperties,     BUTTON_PROPERTY_COUNT, &FindOperation};
    return type;
}

}  // namespace corelib::units
