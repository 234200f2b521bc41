#include "corelib/units/dialog_unit.h"

#include <cstring>
#include <mutex>

#include "corelib/units/core_unit_types.h"
#include "platform/dialogs/font_dialog.h"

namespace corelib::units {
namespace {

using namespace platform;

constexpr rt::PropertyDescriptor kProperties[DIALOG_PROPERTY_COUNT] = {
    Kind(rt::KIND_WORD),         Kind(rt::KIND_TEXT),         Kind(rt::KIND_TEXT),
    Kind(rt::KIND_TEXT),         Kind(rt::KIND_NON_NEGATIVE), Kind(rt::KIND_TEXT),
    Kind(rt::KIND_TEXT),         Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD),         Kind(rt::KIND_WORD),         Kind(rt::KIND_TEXT),
    Kind(rt::KIND_NON_NEGATIVE), Kind(rt::KIND_TEXT),         Kind(rt::KIND_WORD),
    Kind(rt::KIND_WORD),
};

bool IsTextProperty(int32_t index) {
    switch (index) {
        case DIALOG_TITLE:
        case DIALOG_FILE_NAME:
        case DIALOG_FILTER:
        case DIALOG_INITIAL_DIRECTORY:
        case DIALOG_DEFAULT_EXTENSION:
        case DIALOG_FONT_FACE:
        case DIALOG_HELP_FILE:
            return true;
        default:
            return false;
    }
}

int32_t StoredWord(int32_t index, int32_t word) {
    switch (index) {
        case DIALOG_KIND:
            return Clamp(word, DIALOG_OPEN_FILE, DIALOG_HELP);
        case DIALOG_FILTER_INDEX:
        case DIALOG_FONT_SIZE:
            return word < 0 ? 0 : word;
        case DIALOG_HELP_COMMAND:
            return Clamp(word, 0, 5);
        default:
            return word;
    }
}

// The unit's window does nothing but carry out stores for other threads.
constexpr const char* kDialogWindowClass = "PicbatchDialogUnit";
constexpr uint32_t kRunOnOwnThread = WM_USER + 0x100;

struct OwnThreadStore {
    DialogUnit* unit;
    void (*store)(DialogUnit&, const void*);
    const void* data;
};

LRESULT DialogWindowProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunOnOwnThread) {
        auto* request = reinterpret_cast<const OwnThreadStore*>(lParam);
        request->store(*request->unit, request->data);
        return 1;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool RegisterDialogWindowClass() {
    static const bool registered = [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = &DialogWindowProc;
        windowClass.lpszClassName = kDialogWindowClass;
        return RegisterClass(&windowClass) != 0;
    }();
    return registered;
}

int32_t OpenDialogUnit(uint32_t /*windowId*/, uint32_t /*unitId*/, rt::WindowObject* object) {
    auto* unit = dynamic_cast<DialogUnit*>(object);
    return unit ? unit->Open() : 0;
}

void* FindOperation(int32_t operation) {
    return StandardOperation<DialogUnit>(operation, false);
}

}  // namespace

rt::WindowObject* DialogUnit::Create(const rt::UnitCreateArgs& args) {
    if (!RegisterDialogWindowClass())
        return nullptr;
    auto* unit = new DialogUnit(args);
    // The unit's window only marks its place: it is never shown.
    rt::UnitCreateArgs hidden = args;
    hidden.style &= ~WS_VISIBLE;
    if (!unit->CreateControl(hidden, kDialogWindowClass, "", 0)) {
        delete unit;
        return nullptr;
    }
    ApplyPropertyBlock(*unit, args.propertyBlock, args.propertyBlockLength);
    return unit;
}

const CoreUnitType& DialogUnit::Type() const {
    return DialogType();
}

void DialogUnit::GetOwn(int32_t index, rt::PropertyValue* result) {
    // Only the unit's own thread writes, and it is the one reading here: the
    // text stays put until its next write.
    std::lock_guard guard(lock_);
    if (IsTextProperty(index))
        PutText(result, settings_.texts[index]);
    else
        PutWord(result, settings_.words[index]);
}

int32_t DialogUnit::SetOwn(int32_t index, const rt::PropertyValue& value) {
    std::lock_guard guard(lock_);
    if (IsTextProperty(index))
        settings_.texts[index] = TextOf(value);
    else
        settings_.words[index] = StoredWord(index, WordOf(value));
    return 0;
}

DialogSettings DialogUnit::Settings() const {
    std::lock_guard guard(lock_);
    return settings_;
}

HWND DialogUnit::Owner() const {
    return GetParent(Window());
}

void DialogUnit::StoreOnOwnThread(void (*store)(DialogUnit&, const void*), const void* data) {
    OwnThreadStore request{this, store, data};
    SendMessage(Window(), kRunOnOwnThread, 0, reinterpret_cast<LPARAM>(&request));
}

void DialogUnit::StoreFileName(const std::string& path) {
    StoreOnOwnThread(
        [](DialogUnit& unit, const void* data) {
            std::lock_guard guard(unit.lock_);
            unit.settings_.texts[DIALOG_FILE_NAME] = *static_cast<const std::string*>(data);
        },
        &path);
}

void DialogUnit::StoreFont(const LOGFONT& font, COLORREF colour) {
    struct Chosen {
        const LOGFONT* font;
        COLORREF colour;
    } chosen{&font, colour};
    StoreOnOwnThread(
        [](DialogUnit& unit, const void* data) {
            const auto& chosen = *static_cast<const Chosen*>(data);
            const LOGFONT& font = *chosen.font;
            std::lock_guard guard(unit.lock_);
            DialogSettings& s = unit.settings_;
            s.words[DIALOG_FONT_COLOUR] = int32_t(chosen.colour);
            s.words[DIALOG_FONT_BOLD] = font.lfWeight > 699 ? 1 : 0;
            s.words[DIALOG_FONT_ITALIC] = font.lfItalic ? 1 : 0;
            s.words[DIALOG_FONT_UNDERLINE] = font.lfUnderline ? 1 : 0;
            s.words[DIALOG_FONT_STRIKE_OUT] = font.lfStrikeOut ? 1 : 0;
            s.texts[DIALOG_FONT_FACE] =
                std::string(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
            s.words[DIALOG_FONT_SIZE] = dialogs::HeightToPointSize(font.lfHeight);
        },
        &chosen);
}

int32_t DialogUnit::Open() {
    DialogSettings settings = Settings();
    switch (settings.words[DIALOG_KIND]) {
        case DIALOG_OPEN_FILE:
        case DIALOG_SAVE_FILE:
            return RunFileDialog(*this, settings);
        case DIALOG_CHOOSE_FONT:
            return RunFontDialog(*this, settings);
        default:
            return RunHelp(*this, settings);
    }
}

const CoreUnitType& DialogType() {
    static const CoreUnitType type = {kDialogType,           "Dialog",      0, kProperties,
                                      DIALOG_PROPERTY_COUNT, &FindOperation};
    return type;
}

corelib::DialogOpenOperation DialogOpenOperationOfUnits() {
    return &OpenDialogUnit;
}

}  // namespace corelib::units
