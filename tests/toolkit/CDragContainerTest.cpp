// SPDX-License-Identifier: MIT
// Drag and drop: the items a drag hands out (texts, files, resolved shortcuts), the drop
// target's events with their effect choice, and their way down the view tree.
#include "toolkit/CDragContainer.h"
#include "RecordingBackend.h"
#include "TestViews.h"
#include "toolkit/CDropHandler.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>

namespace VSTGUI::test {
namespace {

// A drag's data as a test scripts it.
class ScriptedDropSource : public platform::DropSource {
public:
    std::optional<std::u16string> text;
    bool textEmpty = false;
    std::vector<std::u16string> files;
    std::map<std::u16string, std::u16string> shortcuts; // shortcut path -> target short path
    std::vector<std::u16string>* resolved = nullptr;    // where resolution requests go
    bool* gone = nullptr;                               // set when the source is destroyed

    ~ScriptedDropSource() override {
        if (gone) *gone = true;
    }

    bool hasText() override { return text.has_value(); }
    platform::FetchResult fetchText(std::u16string& out) override {
        if (!text) return platform::FetchResult::unavailable;
        if (textEmpty) return platform::FetchResult::empty;
        out = *text;
        return platform::FetchResult::ok;
    }
    std::uint32_t fileCount() override { return static_cast<std::uint32_t>(files.size()); }
    bool hasFiles() override { return !files.empty(); }
    bool filePath(std::uint32_t index, std::u16string& path) override {
        if (index >= files.size()) return false;
        path = files[index];
        return true;
    }
    bool resolveShortcut(const std::u16string& path, std::u16string& target) override {
        if (resolved) resolved->push_back(path);
        const auto it = shortcuts.find(path);
        if (it == shortcuts.end()) return false;
        target = it->second;
        return true;
    }
};

struct Item {
    std::string text;
    std::int32_t size;
    std::int32_t type;
    bool operator==(const Item& other) const {
        return text == other.text && size == other.size && type == other.type;
    }
};

void PrintTo(const Item& item, std::ostream* out) {
    *out << "{\"" << item.text << "\", " << item.size << ", " << item.type << "}";
}

std::vector<Item> allItems(CDragContainer& drag) {
    std::vector<Item> items;
    std::int32_t size = -5;
    std::int32_t type = -5;
    for (const char* item = drag.first(size, type);; item = drag.next(size, type)) {
        items.push_back({item ? std::string(item) : std::string("<none>"), size, type});
        if (!item) break;
    }
    return items;
}

TEST(DragContainer, TextIsOneItemOfTypeTwoInUtf8) {
    auto source = std::make_unique<ScriptedDropSource>();
    source->text = u"gr\u00FC\u00DF";
    auto* drag = new CDragContainer(std::move(source));
    EXPECT_EQ(drag->getCount(), 1);
    EXPECT_EQ(drag->getType(0), CDragContainer::kText);
    EXPECT_EQ(allItems(*drag),
              (std::vector<Item>{{"gr\xC3\xBC\xC3\x9F", 6, 2}, {"<none>", 0, -1}}));
    std::int32_t size = 0;
    std::int32_t type = 0;
    EXPECT_EQ(drag->next(size, type), nullptr);  // still none
    EXPECT_NE(drag->first(size, type), nullptr); // first starts over
    drag->release();
}

TEST(DragContainer, EmptyTextGivesNoItem) {
    auto source = std::make_unique<ScriptedDropSource>();
    source->text = u"";
    source->textEmpty = true;
    auto* drag = new CDragContainer(std::move(source));
    EXPECT_EQ(allItems(*drag), (std::vector<Item>{{"<none>", 0, -1}}));
    drag->release();
}

TEST(DragContainer, FilesComeInOrderAsTypeZero) {
    auto source = std::make_unique<ScriptedDropSource>();
    source->files = {u"C:\\a.txt", u"C:\\b\\c.wav", u"D:\\\u00E9t\u00E9.png"};
    auto* drag = new CDragContainer(std::move(source));
    EXPECT_EQ(drag->getCount(), 3);
    EXPECT_EQ(drag->getType(0), CDragContainer::kFile);
    EXPECT_EQ(allItems(*drag), (std::vector<Item>{
                                   {"C:\\a.txt", 8, 0},
                                   {"C:\\b\\c.wav", 10, 0},
                                   {"D:\\\xC3\xA9t\xC3\xA9.png", 12, 0},
                                   {"<none>", 0, -1},
                               }));
    drag->release();
}

TEST(DragContainer, ShortcutsAreRecognisedByTheFileNamesLastExtension) {
    std::vector<std::u16string> resolved;
    auto source = std::make_unique<ScriptedDropSource>();
    source->resolved = &resolved;
    source->files = {u"C:\\links\\tool.lnk", u"C:\\my.files\\tool.LNK", u"C:\\x\\a.lnk.txt",
                     u"C:\\dir.lnk\\plain", u"C:\\x\\broken.lnk"};
    source->shortcuts = {{u"C:\\links\\tool.lnk", u"C:\\PROGRA~1\\tool.exe"},
                         {u"C:\\my.files\\tool.LNK", u"C:\\TOOLS\\T.EXE"}};
    auto* drag = new CDragContainer(std::move(source));
    EXPECT_EQ(allItems(*drag), (std::vector<Item>{
                                   {"C:\\PROGRA~1\\tool.exe", 20, 0},
                                   {"C:\\TOOLS\\T.EXE", 14, 0},
                                   {"C:\\x\\a.lnk.txt", 14, 0},
                                   {"C:\\dir.lnk\\plain", 16, 0},
                                   {"C:\\x\\broken.lnk", 15, 0}, // failure keeps the path
                                   {"<none>", 0, -1},
                               }));
    EXPECT_EQ(resolved,
              (std::vector<std::u16string>{u"C:\\links\\tool.lnk", u"C:\\my.files\\tool.LNK",
                                           u"C:\\x\\broken.lnk"}));
    drag->release();
}

TEST(DragContainer, WithoutDataEverythingAnswersError) {
    auto* drag = new CDragContainer(nullptr);
    std::int32_t size = 7;
    std::int32_t type = 0;
    EXPECT_EQ(drag->first(size, type), nullptr);
    EXPECT_EQ(type, CDragContainer::kError);
    EXPECT_EQ(drag->getType(0), CDragContainer::kError);
    EXPECT_EQ(drag->getCount(), 0);
    auto* nothing = new CDragContainer(std::make_unique<ScriptedDropSource>());
    EXPECT_EQ(nothing->first(size, type), nullptr);
    EXPECT_EQ(type, CDragContainer::kUnknown);
    EXPECT_EQ(size, 0);
    nothing->release();
    drag->release();
}

TEST(DragContainer, ShortcutRule) {
    EXPECT_TRUE(CDragContainer::isShortcutPath(u"a.lnk"));
    EXPECT_TRUE(CDragContainer::isShortcutPath(u"C:\\x.y\\b.LnK"));
    EXPECT_TRUE(CDragContainer::isShortcutPath(u"/home/u/x.tar.lnk"));
    EXPECT_FALSE(CDragContainer::isShortcutPath(u"C:\\a.lnk\\b"));
    EXPECT_FALSE(CDragContainer::isShortcutPath(u"C:\\a.lnkx"));
    EXPECT_FALSE(CDragContainer::isShortcutPath(u"lnk"));
}

class DropTest : public testing::Test {
protected:
    DropTest() {
        parent = backend->makeWindow({100, 100, 500, 400});
        frame = new CFrame(CCoordRect(0, 0, 300, 200), parent, nullptr);
        box = new JournalContainer("box", CCoordRect(100, 50, 300, 200), journal);
        left = new JournalView("left", CCoordRect(0, 0, 50, 50), journal);
        right = new JournalView("right", CCoordRect(60, 0, 120, 50), journal);
        box->addView(left);
        box->addView(right);
        frame->addView(box);
        events = backend->window(frame->getWindow()).dropEvents;
    }
    ~DropTest() override { frame->release(); }
    // Pointer at a frame-local position (the frame's window is at 100, 100 on the screen).
    void pointAt(std::int32_t x, std::int32_t y) { backend->cursor = {100 + x, 100 + y}; }
    std::unique_ptr<platform::DropSource> textSource() {
        auto source = std::make_unique<ScriptedDropSource>();
        source->text = u"hello";
        return source;
    }

    ScopedRecordingBackend backend;
    Journal journal;
    platform::WindowHandle parent = nullptr;
    CFrame* frame = nullptr;
    JournalContainer* box = nullptr;
    JournalView* left = nullptr;
    JournalView* right = nullptr;
    platform::DropEvents* events = nullptr;
};

TEST_F(DropTest, EventsTravelToTheViewUnderThePointer) {
    ASSERT_NE(events, nullptr);
    std::uint32_t effect = platform::kDropEffectCopy | platform::kDropEffectMove;
    pointAt(110, 60);
    events->dragEnter(textSource(), effect);
    EXPECT_EQ(effect, platform::kDropEffectCopy);
    ASSERT_NE(CDropHandler::currentDrag(), nullptr);
    pointAt(120, 70);
    effect = platform::kDropEffectMove | platform::kDropEffectLink;
    events->dragOver(effect);
    EXPECT_EQ(effect, platform::kDropEffectMove);
    pointAt(170, 60);
    events->dragOver(effect);
    pointAt(175, 65);
    events->drop();
    EXPECT_EQ(CDropHandler::currentDrag(), nullptr);
    EXPECT_EQ(journal, (Journal{
                           "left: dragenter 10,10",
                           "left: dragmove 20,20",
                           "left: dragleave 70,10",
                           "right: dragenter 70,10",
                           "right: drop 75,15",
                           "right: dragleave 75,15",
                       }));
}

TEST_F(DropTest, LeaveEndsTheDragAndDropOnAnotherViewLeavesTheOldOne) {
    std::uint32_t effect = platform::kDropEffectLink;
    pointAt(110, 60);
    events->dragEnter(textSource(), effect);
    EXPECT_EQ(effect, platform::kDropEffectLink);
    events->dragLeave();
    EXPECT_EQ(CDropHandler::currentDrag(), nullptr);
    events->dragEnter(textSource(), effect);
    pointAt(170, 60);
    events->drop();
    EXPECT_EQ(journal, (Journal{
                           "left: dragenter 10,10",
                           "left: dragleave 10,10",
                           "left: dragenter 10,10",
                           "left: dragleave 70,10",
                           "right: drop 70,10",
                           "right: dragleave 70,10",
                       }));
}

TEST_F(DropTest, ASecondEnterWithoutALeaveReleasesTheFirstDrag) {
    bool firstGone = false;
    auto first = std::make_unique<ScriptedDropSource>();
    first->text = u"one";
    first->gone = &firstGone;
    std::uint32_t effect = platform::kDropEffectCopy;
    pointAt(110, 60);
    events->dragEnter(std::move(first), effect);
    events->dragEnter(textSource(), effect);
    EXPECT_TRUE(firstGone);
    ASSERT_NE(CDropHandler::currentDrag(), nullptr);
    EXPECT_EQ(CDropHandler::currentDrag()->getCount(), 1);
    EXPECT_EQ(journal, (Journal{
                           "left: dragenter 10,10",
                           "left: dragleave 10,10",
                           "left: dragenter 10,10",
                       }));
    events->dragLeave();
}

TEST_F(DropTest, WithoutADragOverAndDropChangeNothing) {
    std::uint32_t effect = platform::kDropEffectMove | platform::kDropEffectCopy;
    events->dragOver(effect);
    EXPECT_EQ(effect, platform::kDropEffectMove | platform::kDropEffectCopy);
    events->drop();
    events->dragLeave();
    EXPECT_TRUE(journal.empty());
    // An enter without data: effect none, no drag.
    events->dragEnter(nullptr, effect);
    EXPECT_EQ(effect, platform::kDropEffectNone);
    EXPECT_EQ(CDropHandler::currentDrag(), nullptr);
    // An offer of nothing known keeps the effect.
    effect = 0x80000000u;
    pointAt(110, 60);
    events->dragEnter(textSource(), effect);
    EXPECT_EQ(effect, 0x80000000u);
    events->dragLeave();
}

TEST_F(DropTest, DropActivationRegistersAndRevokes) {
    const auto window = frame->getWindow();
    EXPECT_TRUE(backend->window(window).dropRegistered);
    backend->clearLog();
    EXPECT_TRUE(frame->setDropActive(true)); // revokes first, then registers anew
    EXPECT_EQ(backend->calls, (std::vector<std::string>{"revokeDropTarget(window2)",
                                                        "registerDropTarget(window2)"}));
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_FALSE(backend->window(window).dropRegistered);
}

TEST_F(DropTest, AFrameDestroyedDuringADragReleasesTheDrag) {
    std::uint32_t effect = platform::kDropEffectCopy;
    pointAt(110, 60);
    events->dragEnter(textSource(), effect);
    ASSERT_NE(CDropHandler::currentDrag(), nullptr);
    frame->release();
    frame = new CFrame(CCoordRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(CDropHandler::currentDrag(), nullptr);
}

TEST(DropDispatch, ContainerWithoutFrameIgnoresDrags) {
    ScopedRecordingBackend backend;
    Journal journal;
    auto* box = new JournalContainer("box", CCoordRect(0, 0, 100, 100), journal);
    box->addView(new JournalView("v", CCoordRect(0, 0, 100, 100), journal));
    box->onDragEnter(nullptr, CCoordPoint(5, 5));
    box->onDragMove(nullptr, CCoordPoint(5, 5));
    EXPECT_FALSE(box->onDrop(nullptr, CCoordPoint(5, 5)));
    box->onDragLeave(nullptr, CCoordPoint(5, 5));
    EXPECT_TRUE(journal.empty());
    box->release();
}

} // namespace
} // namespace VSTGUI::test
