// SPDX-License-Identifier: MIT
// Dropped data read from OLE data objects, the drop target's forwarding, and (with a frame in a
// window) the items a view receives.
#include "toolkit/platform/win32_gdiplus/Win32Drop.h"

#include "toolkit/CDragContainer.h"
#include "toolkit/CDropHandler.h"
#include "toolkit/CFrame.h"

#include "TestDataObject.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace VSTGUI;
using toolkit_test::TestDataObject;

namespace {

class OleTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

using DropSourceTest = OleTest;

std::u16string u16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

TEST_F(DropSourceTest, ReadsOneTextAndGivesEveryMediumBack) {
    TestDataObject* data = TestDataObject::withText(L"Gr\u00FC\u00DFe \u20AC");
    {
        auto source = win32::makeDropSource(data);
        EXPECT_EQ(data->references(), 2u) << "the source holds the data object";
        EXPECT_TRUE(source->hasText());
        EXPECT_FALSE(source->hasFiles());
        EXPECT_EQ(source->fileCount(), 0u);
        std::u16string text;
        EXPECT_EQ(source->fetchText(text), platform::FetchResult::ok);
        EXPECT_EQ(text, u"Gr\u00FC\u00DFe \u20AC");
        std::u16string path;
        EXPECT_FALSE(source->filePath(0, path));
    }
    EXPECT_EQ(data->references(), 1u);
    EXPECT_GT(data->mediaHandedOut(), 0);
    EXPECT_EQ(data->mediaGivenBack(), data->mediaHandedOut());
    data->Release();
}

TEST_F(DropSourceTest, AnEmptyTextIsOfferedButEmpty) {
    TestDataObject* data = TestDataObject::withEmptyText();
    {
        auto source = win32::makeDropSource(data);
        EXPECT_TRUE(source->hasText());
        std::u16string text = u"left over";
        EXPECT_EQ(source->fetchText(text), platform::FetchResult::empty);
    }
    EXPECT_EQ(data->mediaGivenBack(), data->mediaHandedOut());
    data->Release();
}

TEST_F(DropSourceTest, ReadsThreeFilesInTheirOrder) {
    const std::vector<std::wstring> paths = {L"C:\\one.txt", L"C:\\folder\\two.wav", L"D:\\three"};
    TestDataObject* data = TestDataObject::withFiles(paths);
    {
        auto source = win32::makeDropSource(data);
        EXPECT_FALSE(source->hasText());
        EXPECT_TRUE(source->hasFiles());
        EXPECT_EQ(source->fileCount(), 3u);
        std::u16string text;
        EXPECT_EQ(source->fetchText(text), platform::FetchResult::unavailable);
        for (std::uint32_t i = 0; i < 3; ++i) {
            std::u16string path;
            ASSERT_TRUE(source->filePath(i, path));
            EXPECT_EQ(path, u16(paths[i]));
        }
        std::u16string path;
        EXPECT_FALSE(source->filePath(3, path));
    }
    EXPECT_EQ(data->mediaGivenBack(), data->mediaHandedOut());
    data->Release();
}

TEST_F(DropSourceTest, WithoutDataObjectNothingCanBeFetched) {
    auto source = win32::makeDropSource(nullptr);
    EXPECT_FALSE(source->hasText());
    EXPECT_FALSE(source->hasFiles());
    EXPECT_EQ(source->fileCount(), 0u);
    std::u16string text;
    EXPECT_EQ(source->fetchText(text), platform::FetchResult::unavailable);
}

TEST_F(DropSourceTest, ResolvesARealShortcutToItsTargetsShortPath) {
    const std::wstring folder = toolkit_test::makeTemporaryFolder(L"qt-links");
    const std::wstring target = folder + L"\\a long target name.txt";
    const std::wstring shortcut = folder + L"\\tool.lnk";
    ASSERT_TRUE(toolkit_test::touchFile(target));
    ASSERT_TRUE(toolkit_test::makeShortcut(shortcut, target));

    auto source = win32::makeDropSource(nullptr);
    std::u16string resolved;
    ASSERT_TRUE(source->resolveShortcut(u16(shortcut), resolved));
    // Windows answers the short form of the path; wine's shell links answer the long one.
    // Either way it names the target.
    const std::wstring answer(resolved.begin(), resolved.end());
    wchar_t longPath[MAX_PATH] = {};
    ASSERT_GT(GetLongPathNameW(answer.c_str(), longPath, MAX_PATH), 0u);
    EXPECT_EQ(_wcsicmp(longPath, target.c_str()), 0)
        << "resolved to " << std::string(answer.begin(), answer.end());
    // A file that is no shortcut does not resolve.
    EXPECT_FALSE(source->resolveShortcut(u16(target), resolved));
    DeleteFileW(shortcut.c_str());
    DeleteFileW(target.c_str());
    RemoveDirectoryW(folder.c_str());
}

// Records what the drop target hands on.
class RecordingDropEvents final : public platform::DropEvents {
public:
    void dragEnter(std::unique_ptr<platform::DropSource> source, std::uint32_t& effect) override {
        log.push_back(source != nullptr ? "enter" : "enter without data");
        if (source != nullptr) textOffered = source->hasText();
        effect = platform::kDropEffectCopy;
    }
    void dragOver(std::uint32_t& effect) override {
        log.push_back("over " + std::to_string(effect));
    }
    void dragLeave() override { log.push_back("leave"); }
    void drop() override { log.push_back("drop"); }

    std::vector<std::string> log;
    bool textOffered = false;
};

TEST_F(OleTest, DropTargetForwardsEveryEventAndAnswersOk) {
    RecordingDropEvents events;
    auto* target = new win32::DropTarget(&events);
    TestDataObject* data = TestDataObject::withText(L"x");
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    const POINTL point{5, 6};
    EXPECT_EQ(target->DragEnter(data, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(events.textOffered);
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragOver(0, point, &effect), S_OK);
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(target->DragEnter(nullptr, 0, point, &effect), S_OK);
    EXPECT_EQ(target->Drop(data, 0, point, &effect), S_OK);
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"enter", "over 2", "leave", "enter without data", "drop"}));
    EXPECT_EQ(data->references(), 1u) << "no drop source outlived its event";

    void* object = nullptr;
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDropTarget*>(target));
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(target->QueryInterface(IID_IStream, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(target->Release(), 0u);
    data->Release();
}

// ---- drops through a frame in a window --------------------------------------------------

struct Item {
    std::string text;
    std::int32_t size = 0;
    std::int32_t type = 0;
};

// Reads every item of each drag that enters it.
class DropProbeView : public CView {
public:
    explicit DropProbeView(const CCoordRect& size) : CView(size) {}
    void onDragEnter(CDragContainer* drag, const CCoordPoint&) override {
        ++enters;
        count = drag->getCount();
        kind = drag->getType(0);
        items.clear();
        std::int32_t size = 0;
        std::int32_t type = 0;
        for (const char* item = drag->first(size, type); item != nullptr;
             item = drag->next(size, type))
            items.push_back({item, size, type});
        lastType = type;
    }
    void onDragLeave(CDragContainer*, const CCoordPoint&) override { ++leaves; }
    bool onDrop(CDragContainer*, const CCoordPoint&) override {
        ++drops;
        return true;
    }

    int enters = 0;
    int leaves = 0;
    int drops = 0;
    std::int32_t count = -5;
    std::int32_t kind = -5;
    std::int32_t lastType = -5;
    std::vector<Item> items;
};

class FrameDropTest : public testing::Test {
protected:
    void SetUp() override {
        parent = toolkit_test::makeHostWindow(0, 0, 300, 200);
        ASSERT_NE(parent, nullptr);
        frame = new CFrame(CCoordRect(0, 0, 200, 100),
                           reinterpret_cast<platform::WindowHandle>(parent), nullptr);
        view = new DropProbeView(CCoordRect(0, 0, 200, 100));
        frame->addView(view);
        // The drop target asks where the pointer is: inside the frame.
        SetCursorPos(50, 50);
        target = win32::registeredDropTarget(reinterpret_cast<HWND>(frame->getWindow()));
        ASSERT_NE(target, nullptr);
    }
    void TearDown() override {
        if (frame != nullptr) frame->release();
        if (parent != nullptr) DestroyWindow(parent);
    }

    // One whole drag: enter, over, drop; answers the effect chosen at enter.
    DWORD dragAndDrop(TestDataObject* data, DWORD offered) {
        DWORD effect = offered;
        const POINTL point{50, 50};
        EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, point, &effect), S_OK);
        const DWORD chosen = effect;
        effect = offered;
        EXPECT_EQ(target->DragOver(MK_LBUTTON, point, &effect), S_OK);
        EXPECT_EQ(target->Drop(data, 0, point, &effect), S_OK);
        return chosen;
    }

    HWND parent = nullptr;
    CFrame* frame = nullptr;
    DropProbeView* view = nullptr;
    IDropTarget* target = nullptr;
};

TEST_F(FrameDropTest, ADraggedTextIsOneItemOfTypeTwo) {
    TestDataObject* data = TestDataObject::withText(L"Trim \u00E9");
    EXPECT_EQ(dragAndDrop(data, DROPEFFECT_COPY | DROPEFFECT_MOVE),
              static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(view->enters, 1);
    EXPECT_EQ(view->drops, 1);
    EXPECT_EQ(view->count, 1);
    EXPECT_EQ(view->kind, CDragContainer::kText);
    ASSERT_EQ(view->items.size(), 1u);
    EXPECT_EQ(view->items[0].text, "Trim \xC3\xA9");
    EXPECT_EQ(view->items[0].size, 7);
    EXPECT_EQ(view->items[0].type, CDragContainer::kUnicodeText);
    EXPECT_EQ(CDropHandler::currentDrag(), nullptr) << "the drop ends the drag";
    EXPECT_EQ(data->mediaGivenBack(), data->mediaHandedOut());
    EXPECT_EQ(data->references(), 1u);
    data->Release();
}

TEST_F(FrameDropTest, ThreeDraggedFilesAreThreeItemsInOrder) {
    TestDataObject* data = TestDataObject::withFiles(
        {L"C:\\audio\\kick.wav", L"C:\\audio\\snare.wav", L"C:\\audio\\hat.wav"});
    EXPECT_EQ(dragAndDrop(data, DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(view->count, 3);
    EXPECT_EQ(view->kind, CDragContainer::kFile);
    ASSERT_EQ(view->items.size(), 3u);
    EXPECT_EQ(view->items[0].text, "C:\\audio\\kick.wav");
    EXPECT_EQ(view->items[1].text, "C:\\audio\\snare.wav");
    EXPECT_EQ(view->items[2].text, "C:\\audio\\hat.wav");
    for (const Item& item : view->items) {
        EXPECT_EQ(item.type, CDragContainer::kFile);
        EXPECT_EQ(item.size, static_cast<std::int32_t>(item.text.size()));
    }
    EXPECT_EQ(view->lastType, CDragContainer::kUnknown) << "after the last item: none";
    EXPECT_EQ(data->mediaGivenBack(), data->mediaHandedOut());
    data->Release();
}

TEST_F(FrameDropTest, ShortcutsAreResolvedAlsoInFoldersWithADot) {
    const std::wstring base = toolkit_test::makeTemporaryFolder(L"qt-drop");
    const std::wstring links = base + L"\\links";
    const std::wstring dotted = base + L"\\my.files";
    CreateDirectoryW(links.c_str(), nullptr);
    CreateDirectoryW(dotted.c_str(), nullptr);
    const std::wstring linked = base + L"\\sample.wav";
    ASSERT_TRUE(toolkit_test::touchFile(linked));
    ASSERT_TRUE(toolkit_test::makeShortcut(links + L"\\tool.lnk", linked));
    ASSERT_TRUE(toolkit_test::makeShortcut(dotted + L"\\TOOL.LNK", linked));
    TestDataObject* data = TestDataObject::withFiles(
        {links + L"\\tool.lnk", dotted + L"\\TOOL.LNK", dotted + L"\\notes.lnk.txt"});
    dragAndDrop(data, DROPEFFECT_COPY);
    ASSERT_EQ(view->items.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        const std::string& item = view->items[static_cast<std::size_t>(i)].text;
        const std::wstring path(item.begin(), item.end());
        wchar_t longPath[MAX_PATH] = {};
        ASSERT_GT(GetLongPathNameW(path.c_str(), longPath, MAX_PATH), 0u) << item;
        EXPECT_EQ(_wcsicmp(longPath, linked.c_str()), 0) << item;
    }
    EXPECT_NE(view->items[2].text.find("notes.lnk.txt"), std::string::npos)
        << "not a shortcut: delivered as it is";
    data->Release();
    DeleteFileW((links + L"\\tool.lnk").c_str());
    DeleteFileW((dotted + L"\\TOOL.LNK").c_str());
    DeleteFileW(linked.c_str());
    RemoveDirectoryW(links.c_str());
    RemoveDirectoryW(dotted.c_str());
    RemoveDirectoryW(base.c_str());
}

TEST_F(FrameDropTest, DragOverWithoutEnterAnswersOkAndLeavesTheEffect) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(target->DragOver(0, POINTL{50, 50}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK));
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(target->Drop(nullptr, 0, POINTL{50, 50}, &effect), S_OK);
    EXPECT_EQ(view->enters + view->leaves + view->drops, 0);
}

TEST_F(FrameDropTest, AnEnterWithoutDataRefusesTheDrop) {
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(nullptr, 0, POINTL{50, 50}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(view->enters, 0);
}

TEST_F(FrameDropTest, DroppingIsRevokedWithTheFrame) {
    const HWND window = reinterpret_cast<HWND>(frame->getWindow());
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_EQ(win32::registeredDropTarget(window), nullptr);
    EXPECT_TRUE(frame->setDropActive(true));
    EXPECT_NE(win32::registeredDropTarget(window), nullptr);
    frame->release();
    frame = nullptr;
    EXPECT_EQ(win32::registeredDropTarget(window), nullptr);
}

} // namespace
