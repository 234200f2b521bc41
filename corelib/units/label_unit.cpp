// The label (0x10004): a caption in a "Static" control. Own properties:
//
//   INDEX  PROPERTY                           KIND   WRITE
//   0      caption                            text   shown; answers 1
//   1      horizontal alignment (0 left,      word   clamped 0..2; style bits 0x3
//          1 centre, 2 right)
//   2      one line, centred vertically       word   on when 1; style bit 0x200
//   3      background colour                  word   0xff000000: the window's
//   4      text colour                        word   0xff000000: the system's
//   5      font                               font   a 60-byte logical font
//   6      ampersands shown as they are       word   on when 1; style bit 0x80
//
// Events: 0 click, 1 double click.
#include <cstring>
#include <string>

#include "corelib/units/control_unit.h"
#include "corelib/units/core_unit_types.h"
#include "corelib/units/unit_colours.h"
#include "corelib/units/unit_font.h"
#include "platform/controls/controls.h"

namespace corelib::units {
namespace {

using namespace platform;

enum LabelProperty : int32_t {
    LABEL_CAPTION = 0,
    LABEL_ALIGNMENT = 1,
    LABEL_CENTRED_LINE = 2,
    LABEL_BACKGROUND = 3,
    LABEL_TEXT_COLOUR = 4,
    LABEL_FONT = 5,
    LABEL_NO_PREFIX = 6,
    LABEL_PROPERTY_COUNT = 7,
};

constexpr rt::PropertyDescriptor kProperties[LABEL_PROPERTY_COUNT] = {
    Kind(rt::KIND_TEXT), Kind(rt::KIND_WORD), Kind(rt::KIND_WORD), Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD), Kind(rt::KIND_FONT), Kind(rt::KIND_WORD),
};

constexpr uint32_t kAlignmentMask = 0x3;
constexpr uint32_t kAlignmentStyles[3] = {SS_LEFT, SS_CENTER, SS_RIGHT};

class LabelUnit : public ControlUnit {
public:
    static rt::WindowObject* Create(const rt::UnitCreateArgs& args) {
        return FinishCreate(new LabelUnit(args), args, kStaticClass, SS_LEFT | SS_NOTIFY);
    }

    const CoreUnitType& Type() const override { return LabelType(); }

    void GetOwn(int32_t index, rt::PropertyValue* result) override {
        switch (index) {
            case LABEL_CAPTION:
                PutText(result, caption_);
                break;
            case LABEL_FONT:
                if (hasFont_)
                    *result = {reinterpret_cast<uintptr_t>(&logicalFont_), sizeof logicalFont_};
                break;
            default:
                PutWord(result, words_[index]);
                break;
        }
    }

    int32_t SetOwn(int32_t index, const rt::PropertyValue& value) override {
        switch (index) {
            case LABEL_CAPTION:
                ShowText(&caption_, value);
                return 1;
            case LABEL_ALIGNMENT:
                words_[index] = Clamp(WordOf(value), 0, 2);
                ChangeStyle(kAlignmentMask, kAlignmentStyles[words_[index]]);
                return 0;
            case LABEL_CENTRED_LINE:
                words_[index] = WordOf(value);
                ChangeStyle(SS_CENTERIMAGE, IsOn(words_[index]) ? SS_CENTERIMAGE : 0);
                return 0;
            case LABEL_NO_PREFIX:
                words_[index] = WordOf(value);
                ChangeStyle(SS_NOPREFIX, IsOn(words_[index]) ? SS_NOPREFIX : 0);
                return 0;
            case LABEL_BACKGROUND:
            case LABEL_TEXT_COLOUR:
                words_[index] = WordOf(value);
                Redraw();
                return 0;
            case LABEL_FONT:
                hasFont_ = value.w0 && value.w1 == sizeof logicalFont_;
                if (hasFont_)
                    std::memcpy(&logicalFont_, reinterpret_cast<const void*>(value.w0),
                                sizeof logicalFont_);
                controlFont_.ApplyLogical(Window(), hasFont_ ? &logicalFont_ : nullptr);
                return 1;
            default:
                return 0;
        }
    }

    std::vector<int32_t> Events(uint32_t code) override {
        if (code == STN_CLICKED)
            return {LABEL_EVENT_CLICK};
        if (code == STN_DBLCLK)
            return {LABEL_EVENT_DOUBLE_CLICK};
        return {};
    }

    bool SeeThrough() const override { return true; }

    HBRUSH ControlColours(HDC dc) override {
        ApplyTextColour(dc, uint32_t(words_[LABEL_TEXT_COLOUR]));
        return background_.For(uint32_t(words_[LABEL_BACKGROUND]));
    }

private:
    explicit LabelUnit(const rt::UnitCreateArgs& args) : ControlUnit(args) {
        words_[LABEL_BACKGROUND] = int32_t(kSystemColour);
        words_[LABEL_TEXT_COLOUR] = int32_t(kSystemColour);
    }

    std::string caption_;
    int32_t words_[LABEL_PROPERTY_COUNT] = {};
    bool hasFont_ = false;
    LOGFONT logicalFont_;
    UnitFont controlFont_;
    ColourBrush background_;
};

void* FindOperation(int32_t operation) {
    return StandardOperation<LabelUnit>(operation, true);
}

}  // namespace

const CoreUnitType& LabelType() {
    static const CoreUnitType type = {
        kLabelType,
        "Label",
        rt::TYPE_FLAG_KIND1 | rt::TYPE_FLAG_LABEL | rt::TYPE_FLAG_DRAGS_WINDOW,
        kProperties,
        LABEL_PROPERTY_COUNT,
        &FindOperation};
    return type;
}

}  // namespace corelib::units
