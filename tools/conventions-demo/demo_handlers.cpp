#include "tools/conventions-demo/demo_handlers.h"

#include <cstdio>

#include "platform/controls/controls.h"
#include "platform/menus/menus.h"
#include "runtime/application_object.h"
#include "runtime/input/help_file.h"
#include "runtime/unit_type.h"
#include "tools/conventions-demo/demo_description.h"

namespace demo {
namespace {

using platform::HWND;

// The unit window that last held the focus.
HWND g_lastUnitFocus = nullptr;

rt::ApplicationObject& App() {
    return rt::ApplicationObject::Instance();
}

rt::WindowRecord* Record() {
    return App().Windows().FindWindow(kWindowId);
}

HWND UnitWindow(uint32_t unitId) {
    auto* object = reinterpret_cast<rt::WindowObject*>(
        App().Handle(rt::SN_FIND_UNIT_OBJECT, kWindowId, unitId));
    return object ? reinterpret_cast<HWND>(object->Handle()) : nullptr;
}

std::string UnitName(uint32_t unitId) {
    rt::WindowRecord* record = Record();
    rt::UnitEntryView unit =
        record ? record->units.ViewOf(unitId) : rt::UnitEntryView(nullptr, 0, false);
    return unit.Valid() ? unit.Name() : "";
}

uint32_t EventSource() {
    uint32_t ref[2] = {0, 0};
    App().Handle(rt::SN_GET_EVENT_SOURCE, reinterpret_cast<intptr_t>(ref), 0);
    return ref[1];
}

rt::FormWindowObject* FormOf(HWND hwnd) {
    return dynamic_cast<rt::FormWindowObject*>(
        rt::WindowObject::AttachedTo(reinterpret_cast<rt::NativeHandle>(hwnd)));
}

bool Checked(uint32_t unitId) {
    return platform::SendMessage(UnitWindow(unitId), platform::BM_GETCHECK, 0, 0) ==
           platform::BST_CHECKED;
}

std::string TextOf(uint32_t unitId) {
    char text[256] = {};
    platform::GetWindowText(UnitWindow(unitId), text, sizeof text);
    return text;
}

// A menu text as the status line shows it: no mnemonic marks, the key in
// brackets.
std::string Readable(const std::string& menuText) {
    std::string out;
    for (size_t i = 0; i < menuText.size(); ++i) {
        if (menuText[i] == '&' && i + 1 < menuText.size() && menuText[i + 1] != '&')
            continue;
        if (menuText[i] == '\t') {
            out += " (" + menuText.substr(i + 1) + ")";
            break;
        }
        out += menuText[i];
    }
    return out;
}

bool QueryMenuItem(uint32_t commandId, rt::MenuItemQuery* query) {
    *query = rt::MenuItemQuery{};
    query->windowId = kWindowId;
    query->commandId = commandId;
    return App().Handle(rt::SN_GET_MENU_ITEM, reinterpret_cast<intptr_t>(query), 0) == 1;
}

// The size items are one choice: the chosen one is checked, the others not.
void ChooseSize(HWND hwnd, uint32_t chosen) {
    platform::HMENU bar = platform::GetMenu(hwnd);
    rt::MenuItemQuery query;
    for (uint32_t id = rt::MENU_COMMAND_BASE; QueryMenuItem(id, &query); ++id) {
        std::string text = Readable(query.text);
        if (text == "Small" || text == "Medium" || text == "Large") {
            platform::CheckMenuItem(
                bar, id, platform::MF_BYCOMMAND | (id == chosen ? platform::MF_CHECKED : 0));
        }
    }
}

void MenuCommand(HWND hwnd, uint32_t commandId, bool fromAccelerator) {
    rt::MenuItemQuery query;
    if (!QueryMenuItem(commandId, &query))
        return;
    std::string text = Readable(query.text);
    ShowStatus(std::string(fromAccelerator ? "Accelerator: " : "Menu: ") + text + " [" +
               std::to_string(commandId) + "]");
    platform::HMENU bar = platform::GetMenu(hwnd);
    if (text.rfind("Exit", 0) == 0) {
        platform::SendMessage(hwnd, platform::WM_CLOSE, 0, 0);
    } else if (text == "Word wrap") {
        bool on =
            platform::GetMenuState(bar, commandId, platform::MF_BYCOMMAND) & platform::MF_CHECKED;
        platform::CheckMenuItem(bar, commandId,
                                platform::MF_BYCOMMAND | (on ? 0 : platform::MF_CHECKED));
    } else if (text == "Small" || text == "Medium" || text == "Large") {
        ChooseSize(hwnd, commandId);
    } else if (text == "Contents") {
        rt::FormWindowObject* form = FormOf(hwnd);
        bool shown = form && rt::ShowHelp(App(), form->input.helpFile, 0);
        ShowStatus(shown ? "Help: opened " + rt::HelpFilePath(App(), form->input.helpFile)
                         : std::string("Help: no help file"));
    } else if (text == "About") {
        ShowStatus("About: the picbatch keyboard and mouse conventions");
    }
}

// A control's click, raised as its unit's event 0 (what the window
// framework does with a control's notification).
void ControlClicked(HWND control) {
    rt::WindowRecord* record = Record();
    if (!record)
        return;
    for (int32_t i = 1; i < record->units.Count(); ++i) {
        rt::UnitEntryView unit = record->units.View(i);
        if (!unit.Valid() || unit.IsMenuItem() || !unit.Object() ||
            unit.Object()->Handle() != reinterpret_cast<rt::NativeHandle>(control)) {
            continue;
        }
        rt::EventCall call{};
        call.windowId = kWindowId;
        call.unitId = record->units.KeyAt(i);
        App().Handle(rt::SN_CALL_EVENT, reinterpret_cast<intptr_t>(&call), 0);
        return;
    }
}

}  // namespace

void ShowStatus(const std::string& text) {
    if (HWND status = UnitWindow(UNIT_STATUS))
        platform::SetWindowText(status, text.c_str());
    std::printf("status: %s\n", text.c_str());
    std::fflush(stdout);
}

void ReportFocus() {
    static HWND last = nullptr;
    HWND focus = platform::GetFocus();
    if (focus == last)
        return;
    last = focus;
    if (platform::IsChild(UnitWindow(0), focus))
        g_lastUnitFocus = focus;
    rt::WindowRecord* record = Record();
    for (int32_t i = 0; record && i < record->units.Count(); ++i) {
        rt::UnitEntryView unit = record->units.View(i);
        if (unit.Valid() && !unit.IsMenuItem() && unit.Object() &&
            unit.Object()->Handle() == reinterpret_cast<rt::NativeHandle>(focus)) {
            ShowStatus("Focus: " + std::string(unit.Name()));
            return;
        }
    }
}

void ReportHelp() {
    rt::FormWindowObject* form = FormOf(UnitWindow(0));
    static bool reported = false;
    if (!form || reported || form->input.helpShown != 1)
        return;
    reported = true;
    ShowStatus("Help: opened " + rt::HelpFilePath(App(), form->input.helpFile));
}

void OnQualityCharacter(rt::EventInvocation* call) {
    auto character = uint32_t(call->arguments[0]);
    bool digit = character >= '0' && character <= '9';
    if (digit || character == '\b')
        return;
    // Anything else is swallowed: the text box never sees it.
    call->returnedValue = true;
    call->result = 0;
    ShowStatus("Quality takes digits only");
}

void OnFormatChosen(rt::EventInvocation*) {
    ShowStatus("Format: " + UnitName(EventSource()));
}

void OnKeepFolders(rt::EventInvocation*) {
    ShowStatus(std::string("Keep folders: ") + (Checked(UNIT_KEEP_FOLDERS) ? "on" : "off"));
}

void OnConvert(rt::EventInvocation*) {
    const char* format = Checked(UNIT_PNG) ? "PNG" : Checked(UNIT_TIFF) ? "TIFF" : "JPEG";
    ShowStatus("Convert: name=\"" + TextOf(UNIT_NAME) + "\" quality=" + TextOf(UNIT_QUALITY) +
               " format=" + format + " keep-folders=" + (Checked(UNIT_KEEP_FOLDERS) ? "1" : "0"));
}

void OnClose(rt::EventInvocation*) {
    if (HWND window = UnitWindow(0))
        platform::SendMessage(window, platform::WM_CLOSE, 0, 0);
}

void OnLoad(rt::EventInvocation*) {
    ShowStatus("Tab, Enter, Esc, F1, Alt+letters, arrows and the menus all work.");
}

platform::LRESULT FormProcedure(HWND hwnd, uint32_t message, platform::WPARAM wParam,
                                platform::LPARAM lParam) {
    switch (message) {
        case platform::WM_COMMAND:
            if (lParam == 0 && platform::LOWORD(wParam) >= rt::MENU_COMMAND_BASE) {
                MenuCommand(hwnd, platform::LOWORD(wParam), platform::HIWORD(wParam) == 1);
            } else if (lParam != 0 && platform::HIWORD(wParam) == platform::BN_CLICKED) {
                ControlClicked(reinterpret_cast<HWND>(lParam));
            }
            return 0;
        case platform::WM_ACTIVATE:
            // The focus comes back to the unit that had it when the window
            // was last active (a menu or another program took it).
            if (platform::LOWORD(wParam) != platform::WA_INACTIVE &&
                platform::IsChild(hwnd, g_lastUnitFocus)) {
                platform::SetFocus(g_lastUnitFocus);
                return 0;
            }
            return platform::DefWindowProc(hwnd, message, wParam, lParam);
        case platform::WM_TIMER:
            platform::DestroyWindow(hwnd);
            return 0;
        default:
            return platform::MainWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace demo
