// The progress bar (0x10012), a "msctls_progress32" control. Own
// properties, all words:
//
//   INDEX  PROPERTY            WRITE
//   0      appearance 0..5     clamped; the bar's colour: 0 the system's,
//                              1 paused (yellow), 2 error (red), 3 blue,
//                              4 grey, 5 dark
//   1      vertical            clamped 0..1; style bit 0x4; answers 1 on a change
//   2      smooth              clamped 0..1; style bit 0x1; answers 1 on a change
//   3      minimum 0..32767    clamped; the range message (0x401) with
//   4      maximum 0..32767      low word min(minimum, maximum) and high word
//                                max(minimum, maximum), then the position again
//   5      position 0..32767   clamped and stored; the position message
//                              (0x402) with the position held inside the range
//
// A position outside the range is stored as written and shown at the end
// of the range it passed; widening the range later shows it where it is.
#include <algorithm>

#include "corelib/units/control_unit.h"
#include "corelib/units/core_unit_types.h"
#include "platform/controls/controls.h"

namespace corelib::units {
namespace {

using namespace platform;

enum ProgressBarProperty : int32_t {
    PROGRESS_APPEARANCE = 0,
    PROGRESS_VERTICAL = 1,
    PROGRESS_SMOOTH = 2,
    PROGRESS_MINIMUM = 3,
    PROGRESS_MAXIMUM = 4,
    PROGRESS_POSITION = 5,
    PROGRESS_PROPERTY_COUNT = 6,
};

constexpr rt::PropertyDescriptor kProperties[PROGRESS_PROPERTY_COUNT] = {
    Kind(rt::KIND_WORD), Kind(rt::KIND_WORD), Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD), Kind(rt::KIND_WORD), Kind(rt::KIND_WORD),
};

constexpr int32_t kLargestValue = 32767;
constexpr COLORREF kAppearanceColours[6] = {
    CLR_INVALID,      RGB(218, 180, 0),   RGB(210, 40, 40),
    RGB(0, 120, 215), RGB(128, 128, 128), RGB(48, 48, 48),
};

class ProgressBarUnit : public ControlUnit {
public:
    static rt::WindowObject* Create(const rt::UnitCreateArgs& args) {
        return FinishCreate(new ProgressBarUnit(args), args, kProgressClass, 0);
    }

    const CoreUnitType& Type() const override { return ProgressBarType(); }

    void GetOwn(int32_t index, rt::PropertyValue* result) override {
        PutWord(result, words_[index]);
    }

    int32_t SetOwn(int32_t index, const rt::PropertyValue& value) override {
        int32_t word = WordOf(value);
        switch (index) {
            case PROGRESS_APPEARANCE:
                words_[index] = Clamp(word, 0, 5);
                Send(PBM_SETBARCOLOR, 0, LPARAM(kAppearanceColours[words_[index]]));
                return 0;
            case PROGRESS_VERTICAL:
            case PROGRESS_SMOOTH: {
                int32_t previous = words_[index];
                words_[index] = Clamp(word, 0, 1);
                uint32_t bit = index == PROGRESS_VERTICAL ? PBS_VERTICAL : PBS_SMOOTH;
                ChangeStyle(bit, words_[index] == 1 ? bit : 0);
                return words_[index] != previous ? 1 : 0;
            }
            case PROGRESS_MINIMUM:
            case PROGRESS_MAXIMUM:
                words_[index] = Clamp(word, 0, kLargestValue);
                ShowRange();
                return 0;
            case PROGRESS_POSITION:
                words_[index] = Clamp(word, 0, kLargestValue);
                ShowPosition();
                return 0;
            default:
                return 0;
        }
    }

private:
    explicit ProgressBarUnit(const rt::UnitCreateArgs& args) : ControlUnit(args) {
        words_[PROGRESS_MAXIMUM] = 100;
    }

    // The control starts with the stored range and position.
    void ControlCreated() override { ShowRange(); }

    int32_t Low() const { return std::min(words_[PROGRESS_MINIMUM], words_[PROGRESS_MAXIMUM]); }
    int32_t High() const { return std::max(words_[PROGRESS_MINIMUM], words_[PROGRESS_MAXIMUM]); }

    void ShowRange() {
        Send(PBM_SETRANGE, 0, MAKELPARAM(Low(), High()));
        // The control pulled the position into the old range; show the
        // stored one inside the new range.
        ShowPosition();
    }

    void ShowPosition() {
        Send(PBM_SETPOS, WPARAM(Clamp(words_[PROGRESS_POSITION], Low(), High())));
    }

    int32_t words_[PROGRESS_PROPERTY_COUNT] = {};
};

void* FindOperation(int32_t operation) {
    return StandardOperation<ProgressBarUnit>(operation, false);
}

}  // namespace

const CoreUnitType& ProgressBarType() {
    static const CoreUnitType type = {kProgressBarType, "ProgressBar",           0,
                                      kProperties,      PROGRESS_PROPERTY_COUNT, &FindOperation};
    return type;
}

}  // namespace corelib::units
