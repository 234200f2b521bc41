// Drops from other programs, as the display layer reports them.
#include <map>
#include <mutex>

#include "platform/base/text_codec.h"
#include "platform/dragdrop/data_object.h"
#include "platform/dragdrop/drag_session.h"

namespace platform::dragdrop {
namespace {

struct Pending {
    std::vector<std::string> files;
    std::string text;
};
std::mutex g_lock;
std::map<HWND, Pending> g_pending;

uint32_t KeyStateNow() {
    uint32_t keys = 0;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000)
        keys |= MK_CONTROL;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000)
        keys |= MK_SHIFT;
    if (GetAsyncKeyState(VK_MENU) & 0x8000)
        keys |= MK_ALT;
    return keys;
}

}  // namespace

uint32_t DeliverExternalDrop(HWND topLevel, POINT point, const std::vector<std::string>& utf8Files,
                             const std::string& utf8Text) {
    if (!IsWindow(topLevel) || (utf8Files.empty() && utf8Text.empty()))
        return DROPEFFECT_NONE;
    DataObject* data = DataObject::Create();
    if (!utf8Files.empty()) {
        std::vector<std::string> files;
        for (const std::string& file : utf8Files)
            files.push_back(Utf8ToRuntime(file));
        data->SetFiles(files);
    }
    if (!utf8Text.empty())
        data->SetText(Utf8ToRuntime(utf8Text));
    POINT screen = point;
    ClientToScreen(topLevel, &screen);
    uint32_t effect = DROPEFFECT_NONE;
    {
        DragSession session(data, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
        // Drop enters the target first: a drop from outside is enter then drop.
        effect = session.Drop(screen, KeyStateNow());
    }
    data->Release();
    return effect;
}

void OnDisplayDrop(HWND topLevel, DisplayDropEvent event, const char* utf8, int x, int y) {
    std::string item = utf8 ? utf8 : "";
    Pending ready;
    bool deliver = false;
    {
        std::lock_guard guard(g_lock);
        auto it = g_pending.find(topLevel);
        switch (event) {
            case DisplayDropEvent::Begin:
                g_pending[topLevel] = Pending{};
                break;
            case DisplayDropEvent::File:
            case DisplayDropEvent::Text:
                if (it == g_pending.end()) {
                    if (event == DisplayDropEvent::File)
                        ready.files.push_back(item);
                    else
                        ready.text = item;
                    deliver = true;
                } else if (event == DisplayDropEvent::File) {
                    it->second.files.push_back(item);
                } else {
                    it->second.text += item;
                }
                break;
            case DisplayDropEvent::Complete:
                if (it != g_pending.end()) {
                    ready = std::move(it->second);
                    g_pending.erase(it);
                    deliver = true;
                }
                break;
        }
    }
    if (deliver)
        DeliverExternalDrop(topLevel, POINT{x, y}, ready.files, ready.text);
}

void OnDisplayDropEvent(HWND topLevel, int event, const char* utf8, int x, int y) {
    if (event < 0 || event > 3)
        return;
    OnDisplayDrop(topLevel, DisplayDropEvent(event), utf8, x, y);
}

}  // namespace platform::dragdrop
