// Files dropped by another program on a real display window reach the drop
// target registered for it. SDL's dummy video driver stands in for a display,
// so this runs headless; the test is skipped where SDL cannot start at all.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/dragdrop/data_object.h"
#include "platform/dragdrop/drag_session.h"

using namespace platform;
using namespace platform::dragdrop;

namespace {

class FileListTarget final : public IDropTarget {
public:
    std::vector<std::string> files;
    int drops = 0;

    HRESULT QueryInterface(const GUID&, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }  // lives on the test's stack
    HRESULT DragEnter(IDataObject*, uint32_t, POINTL, uint32_t* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT DragOver(uint32_t, POINTL, uint32_t* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT DragLeave() override { return S_OK; }
    HRESULT Drop(IDataObject* data, uint32_t, POINTL, uint32_t* effect) override {
        ++drops;
        FORMATETC wanted;
        wanted.cfFormat = CF_HDROP;
        STGMEDIUM medium;
        if (data->GetData(&wanted, &medium) == S_OK) {
            uint32_t count = DragQueryFile(medium.hGlobal, 0xFFFFFFFF, nullptr, 0);
            for (uint32_t i = 0; i < count; ++i) {
                std::string name(DragQueryFile(medium.hGlobal, i, nullptr, 0) + 1, '\0');
                name.resize(DragQueryFile(medium.hGlobal, i, name.data(), uint32_t(name.size())));
                files.push_back(name);
            }
            ReleaseStgMedium(&medium);
        }
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
};

void PushDrop(uint32_t type, uint32_t windowId, const char* file) {
    SDL_Event event{};
    event.type = type;
    event.drop.windowID = windowId;
    event.drop.file = file ? SDL_strdup(file) : nullptr;
    SDL_PushEvent(&event);
}

TEST(DisplayDrop, FilesDroppedByAnotherProgramReachTheTarget) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SetPresentationMode(PresentationMode::Display) != PresentationMode::Display)
        GTEST_SKIP() << "SDL cannot start here";
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.lpszClassName = "DisplayDropTestWindow";
    ASSERT_NE(RegisterClass(&windowClass), 0);
    HWND window = CreateWindowEx(0, "DisplayDropTestWindow", "drop here", WS_POPUP | WS_VISIBLE, 0,
                                 0, 200, 150, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    FileListTarget target;
    ASSERT_EQ(RegisterDragDrop(window, &target), S_OK);

    SDL_Window* display = SDL_GetWindowFromID(1);
    ASSERT_NE(display, nullptr);
    uint32_t id = SDL_GetWindowID(display);
    PushDrop(SDL_DROPBEGIN, id, nullptr);
    PushDrop(SDL_DROPFILE, id, "/photos/a.jpg");
    PushDrop(SDL_DROPFILE, id, "/photos/b.png");
    PushDrop(SDL_DROPCOMPLETE, id, nullptr);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);

    EXPECT_EQ(target.drops, 1);
    EXPECT_EQ(target.files, (std::vector<std::string>{"/photos/a.jpg", "/photos/b.png"}));
    RevokeDragDrop(window);
    DestroyWindow(window);
}

}  // namespace
