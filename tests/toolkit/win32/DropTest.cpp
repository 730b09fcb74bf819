// SPDX-License-Identifier: MIT
// Dropped data read from OLE data objects, the drop target's forwarding, and (with a frame in a
// window) the items a view receives.
#include "toolkit/platform/win32_gdiplus/Win32Drop.h"

#include "TestDataObject.h"

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

} // namespace
