#include <mutex>

#include "platform/controls/control_classes.h"
#include "platform/controls/control_common.h"

namespace platform {

bool RegisterStandardControls() {
    struct Entry {
        const char* name;
        WNDPROC proc;
        uint32_t style;
    };
    const Entry entries[] = {
        {kButtonClass, controls::ButtonWindowProc(), CS_DBLCLKS},
        {kStaticClass, controls::StaticWindowProc(), 0},
        {kEditClass, controls::EditWindowProc(), CS_DBLCLKS},
        {kListBoxClass, controls::ListBoxWindowProc(), CS_DBLCLKS},
        {kComboBoxClass, controls::ComboBoxWindowProc(), CS_DBLCLKS},
        {kProgressClass, controls::ProgressWindowProc(), 0},
        {kUpDownClass, controls::UpDownWindowProc(), 0},
    };
    static std::mutex lock;
    std::lock_guard guard(lock);
    bool all = true;
    for (const Entry& entry : entries) {
        WNDCLASS existing;
        if (GetClassInfo(nullptr, entry.name, &existing))
            continue;
        WNDCLASS windowClass;
        windowClass.style = entry.style | CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = entry.proc;
        windowClass.cbWndExtra = controls::kStateBytes;
        windowClass.lpszClassName = entry.name;
        if (!RegisterClass(&windowClass))
            all = false;
    }
    return all;
}

}  // namespace platform
