// Drop registration, data objects, drag sessions over windows, drops from
// other programs, the file-list fallback and the drag-image helper.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/text_codec.h"
#include "platform/dragdrop/data_object.h"
#include "platform/dragdrop/drag_session.h"

using namespace platform;
using namespace platform::dragdrop;

namespace {

std::string ReadText(IDataObject* data, uint16_t format) {
    FORMATETC wanted;
    wanted.cfFormat = format;
    STGMEDIUM medium;
    if (data->GetData(&wanted, &medium) != S_OK)
        return "<none>";
    std::string text(static_cast<const char*>(kernel::GlobalLock(medium.hGlobal)));
    kernel::GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return text;
}

std::vector<std::string> ReadFiles(IDataObject* data) {
    FORMATETC wanted;
    wanted.cfFormat = CF_HDROP;
    STGMEDIUM medium;
    if (data->GetData(&wanted, &medium) != S_OK)
        return {};
    std::vector<std::string> names;
    uint32_t count = DragQueryFile(medium.hGlobal, 0xFFFFFFFF, nullptr, 0);
    for (uint32_t i = 0; i < count; ++i) {
        std::string name(DragQueryFile(medium.hGlobal, i, nullptr, 0) + 1, '\0');
        name.resize(DragQueryFile(medium.hGlobal, i, name.data(), uint32_t(name.size())));
        names.push_back(name);
    }
    ReleaseStgMedium(&medium);
    return names;
}

// A target that records each call and picks effects by the usual keys.
class RecordingTarget final : public IDropTarget {
public:
    std::vector<std::string> calls;
    std::vector<std::string> droppedFiles;
    std::string droppedText;
    uint32_t lastKeys = 0;
    uint32_t references = 1;

    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++references; }
    uint32_t Release() override { return --references; }  // lives on the test's stack

    HRESULT DragEnter(IDataObject*, uint32_t keys, POINTL, uint32_t* effect) override {
        calls.push_back("enter");
        return Choose(keys, effect);
    }
    HRESULT DragOver(uint32_t keys, POINTL, uint32_t* effect) override {
        calls.push_back("over");
        return Choose(keys, effect);
    }
    HRESULT DragLeave() override {
        calls.push_back("leave");
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, uint32_t keys, POINTL, uint32_t* effect) override {
        calls.push_back("drop");
        droppedFiles = ReadFiles(data);
        droppedText = ReadText(data, CF_TEXT);
        Choose(keys, effect);
        return E_FAIL;  // a target may report failure after taking the data
    }

private:
    HRESULT Choose(uint32_t keys, uint32_t* effect) {
        lastKeys = keys;
        uint32_t wanted = (keys & MK_CONTROL) ? DROPEFFECT_COPY
                          : (keys & MK_SHIFT) ? DROPEFFECT_MOVE
                                              : DROPEFFECT_COPY;
        *effect = (*effect & wanted) ? wanted : DROPEFFECT_NONE;
        return S_OK;
    }
};

std::vector<uint32_t>& DroppedFilesMessages() {
    static std::vector<uint32_t> counts;
    return counts;
}

LRESULT TestWindowProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == 0x0233) {  // WM_DROPFILES
        auto drop = kernel::MemoryHandle(wParam);
        DroppedFilesMessages().push_back(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0));
        DragFinish(drop);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

class DragDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPresentationMode(PresentationMode::Memory);
        static bool registered = [] {
            WNDCLASS c;
            c.lpfnWndProc = TestWindowProc;
            c.lpszClassName = "DragDropTestWindow";
            return RegisterClass(&c) != 0;
        }();
        ASSERT_TRUE(registered);
        top_ = Window(nullptr, 100, 100, 300, 200);
        child_ = Window(top_, 10, 10, 100, 80);
        other_ = Window(nullptr, 500, 100, 200, 200);
        DroppedFilesMessages().clear();
    }
    void TearDown() override {
        RevokeDragDrop(top_);
        RevokeDragDrop(other_);
        for (HWND w : {top_, other_}) {
            if (IsWindow(w))
                DestroyWindow(w);
        }
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
    }
    HWND Window(HWND parent, int x, int y, int w, int h, uint32_t exStyle = 0) {
        return CreateWindowEx(exStyle, "DragDropTestWindow", "",
                              (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, x, y, w, h, parent,
                              nullptr, nullptr, nullptr);
    }
    POINT ScreenOf(HWND hwnd, int x, int y) {
        POINT p{x, y};
        ClientToScreen(hwnd, &p);
        return p;
    }
    HWND top_ = nullptr, child_ = nullptr, other_ = nullptr;
    // Targets outlive TearDown, which revokes them.
    RecordingTarget target, first, second;
};

TEST_F(DragDropTest, RegistrationIsOncePerWindowAndHoldsAReference) {
    EXPECT_EQ(RegisterDragDrop(top_, &target), S_OK);
    EXPECT_EQ(target.references, 2u);
    EXPECT_EQ(RegisterDragDrop(top_, &target), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RegisterDragDrop(nullptr, &target), DRAGDROP_E_INVALIDHWND);
    EXPECT_EQ(RegisterDragDrop(other_, nullptr), E_INVALIDARG);
    HWND found = nullptr;
    EXPECT_EQ(FindDropTarget(child_, &found), &target);  // children drop on their registered parent
    EXPECT_EQ(found, top_);
    EXPECT_EQ(RevokeDragDrop(top_), S_OK);
    EXPECT_EQ(target.references, 1u);
    EXPECT_EQ(RevokeDragDrop(top_), DRAGDROP_E_NOTREGISTERED);

    // A destroyed window's registration goes with it.
    HWND doomed = Window(nullptr, 0, 0, 50, 50);
    ASSERT_EQ(RegisterDragDrop(doomed, &target), S_OK);
    DestroyWindow(doomed);
    EXPECT_EQ(FindDropTarget(other_), nullptr);
    EXPECT_EQ(target.references, 1u);
}

TEST_F(DragDropTest, DataObjectsOfferTextFilesAndRegisteredFormats) {
    uint16_t html = RegisterClipboardFormat("HTML Format");
    EXPECT_GE(html, 0xC000);
    EXPECT_EQ(RegisterClipboardFormat("html format"), html);
    EXPECT_NE(RegisterClipboardFormat("Other"), html);
    EXPECT_EQ(RegisterClipboardFormat(""), 0);

    DataObject* data = DataObject::Create();
    data->SetText("hello");
    data->SetFiles({"/tmp/a.png", "/tmp/b c.jpg"});
    data->SetData(html, {'<', 'b', '>', 0});
    FORMATETC query;
    for (uint16_t format : {CF_TEXT, CF_HDROP, html}) {
        query.cfFormat = format;
        EXPECT_EQ(data->QueryGetData(&query), S_OK) << format;
    }
    query.cfFormat = CF_UNICODETEXT;
    EXPECT_EQ(data->QueryGetData(&query), DV_E_FORMATETC);
    query.cfFormat = CF_TEXT;
    query.tymed = 4;  // not a memory block
    EXPECT_EQ(data->QueryGetData(&query), DV_E_TYMED);
    EXPECT_EQ(ReadText(data, CF_TEXT), "hello");
    EXPECT_EQ(ReadText(data, html), "<b>");
    EXPECT_EQ(ReadFiles(data), (std::vector<std::string>{"/tmp/a.png", "/tmp/b c.jpg"}));

    // A small buffer gets a cut, zero-ended name.
    query = FORMATETC{};
    query.cfFormat = CF_HDROP;
    STGMEDIUM medium;
    ASSERT_EQ(data->GetData(&query, &medium), S_OK);
    char small[5];
    EXPECT_EQ(DragQueryFile(medium.hGlobal, 1, small, sizeof small), 4u);
    EXPECT_STREQ(small, "/tmp");
    EXPECT_EQ(DragQueryFile(medium.hGlobal, 7, small, sizeof small), 0u);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(medium.hGlobal, 0u);

    void* asTarget = nullptr;
    EXPECT_EQ(data->QueryInterface(IID_IDropTarget, &asTarget), E_NOINTERFACE);
    EXPECT_EQ(asTarget, nullptr);
    EXPECT_EQ(data->Release(), 0u);
}

TEST_F(DragDropTest, ASessionEntersMovesLeavesAndDropsOnTheTargetUnderThePoint) {
    ASSERT_EQ(RegisterDragDrop(top_, &first), S_OK);
    ASSERT_EQ(RegisterDragDrop(other_, &second), S_OK);
    DataObject* data = DataObject::Create();
    data->SetFiles({"/pictures/one.jpg"});
    {
        DragSession session(data, DROPEFFECT_COPY | DROPEFFECT_MOVE);
        EXPECT_EQ(session.MoveTo(ScreenOf(child_, 5, 5), 0), DROPEFFECT_COPY);
        EXPECT_EQ(session.MoveTo(ScreenOf(top_, 200, 150), MK_SHIFT), DROPEFFECT_MOVE);
        EXPECT_EQ(session.MoveTo(ScreenOf(other_, 5, 5), MK_CONTROL), DROPEFFECT_COPY);
        EXPECT_EQ(session.MoveTo(POINT{2000, 2000}, 0), DROPEFFECT_NONE);
        EXPECT_EQ(session.MoveTo(ScreenOf(other_, 6, 6), 0), DROPEFFECT_COPY);
        EXPECT_EQ(session.Drop(ScreenOf(other_, 6, 6), MK_CONTROL), DROPEFFECT_COPY);
    }
    EXPECT_EQ(first.calls, (std::vector<std::string>{"enter", "over", "leave"}));
    EXPECT_EQ(second.calls, (std::vector<std::string>{"enter", "leave", "enter", "over", "drop"}));
    EXPECT_EQ(second.lastKeys, uint32_t(MK_CONTROL));
    EXPECT_EQ(second.droppedFiles, (std::vector<std::string>{"/pictures/one.jpg"}));
    EXPECT_EQ(first.references, 2u);  // the session released what it took
    data->Release();

    // A session abandoned over a target leaves it.
    DataObject* text = DataObject::Create();
    text->SetText("x");
    {
        DragSession session(text, DROPEFFECT_COPY);
        session.MoveTo(ScreenOf(top_, 150, 150), 0);
    }
    EXPECT_EQ(first.calls.back(), "leave");
    text->Release();
}

TEST_F(DragDropTest, FilesAndTextFromAnotherProgramArriveAsOneDrop) {
    ASSERT_EQ(RegisterDragDrop(top_, &target), S_OK);
    OnDisplayDrop(top_, DisplayDropEvent::Begin, nullptr, 0, 0);
    OnDisplayDrop(top_, DisplayDropEvent::File, "/home/u/\xE5\x9B\xBE.png", 0, 0);
    OnDisplayDrop(top_, DisplayDropEvent::File, "/home/u/b.tif", 0, 0);
    EXPECT_TRUE(target.calls.empty());
    OnDisplayDrop(top_, DisplayDropEvent::Complete, nullptr, 150, 120);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"enter", "drop"}));
    EXPECT_EQ(
        target.droppedFiles,
        (std::vector<std::string>{Utf8ToRuntime("/home/u/\xE5\x9B\xBE.png"), "/home/u/b.tif"}));

    // Text without a begin is delivered at once.
    target.calls.clear();
    OnDisplayDrop(top_, DisplayDropEvent::Text, "dropped words", 20, 20);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"enter", "drop"}));
    EXPECT_EQ(target.droppedText, "dropped words");
    EXPECT_TRUE(target.droppedFiles.empty());
    // Nothing dropped, or a window without a target: nothing happens.
    EXPECT_EQ(DeliverExternalDrop(top_, POINT{20, 20}, {}, ""), DROPEFFECT_NONE);
    EXPECT_EQ(DeliverExternalDrop(other_, POINT{20, 20}, {"/a"}, ""), DROPEFFECT_NONE);
}

TEST_F(DragDropTest, OutsideDropsCarryTheKeysHeldAndFindTheParentsTarget) {
    ASSERT_EQ(RegisterDragDrop(top_, &target), S_OK);
    InjectKey(VK_SHIFT, true);
    // (20, 20) of the top level lies on the child, which has no target.
    EXPECT_EQ(DeliverExternalDrop(top_, POINT{20, 20}, {"/a.png"}, ""), DROPEFFECT_MOVE);
    InjectKey(VK_SHIFT, false);
    EXPECT_EQ(target.lastKeys, uint32_t(MK_SHIFT));
    EXPECT_EQ(target.droppedFiles, (std::vector<std::string>{"/a.png"}));
}

TEST_F(DragDropTest, WindowsThatAcceptFilesTheOldWayGetThemPosted) {
    HWND old = Window(nullptr, 900, 100, 100, 100, WS_EX_ACCEPTFILES);
    EXPECT_EQ(DeliverExternalDrop(old, POINT{10, 10}, {"/a.png", "/b.png", "/c.png"}, ""),
              DROPEFFECT_COPY);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
    EXPECT_EQ(DroppedFilesMessages(), (std::vector<uint32_t>{3}));
    DestroyWindow(old);
}

TEST_F(DragDropTest, DragImageHelperShowsWhatIsDraggedWhileOverATarget) {
    void* object = nullptr;
    EXPECT_EQ(CreateInstance(IID_IDataObject, IID_IDropTargetHelper, &object), REGDB_E_CLASSNOTREG);
    ASSERT_EQ(CreateInstance(CLSID_DragImageHelper, IID_IDropTargetHelper, &object), S_OK);
    auto* helper = static_cast<IDropTargetHelper*>(object);
    DataObject* data = DataObject::Create();
    data->SetFiles({"/a", "/b"});
    POINT at = ScreenOf(top_, 10, 10);
    ASSERT_EQ(helper->DragEnter(top_, data, &at, DROPEFFECT_COPY), S_OK);
    auto findImage = [] {
        HWND found = nullptr;
        EnumWindows(
            [](HWND w, LPARAM out) {
                char name[64] = {};
                GetClassName(w, name, sizeof name);
                if (std::string(name) == "PicbatchDragImage")
                    *reinterpret_cast<HWND*>(out) = w;
                return true;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    };
    HWND image = findImage();
    ASSERT_NE(image, nullptr);
    char label[64] = {};
    GetWindowText(image, label, sizeof label);
    EXPECT_STREQ(label, "Copy: 2 files");
    helper->Show(false);
    EXPECT_FALSE(IsWindowVisible(image));
    helper->DragLeave();
    EXPECT_EQ(findImage(), nullptr);
    EXPECT_EQ(helper->Release(), 0u);
    data->Release();
}

}  // namespace
