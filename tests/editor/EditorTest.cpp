// SPDX-License-Identifier: MIT
// The editor and its view on the toolkit, seen through the recording back end: the
// editor-enabled configuration, open and close, the idle pass, the view's events and the
// drawing pass end to end.
#include "RecordingBackend.h"
#include "TestHost.h"
#include "TestViews.h"
#include "editor/CVeSTEditor.h"
#include "editor/CVeSTView.h"
#include "editor/EditorConfiguration.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace testhost;
using VSTGUI::test::ScopedRecordingBackend;
namespace platform = VSTGUI::platform;

namespace {

bool logHas(const std::vector<std::string>& calls, const std::string& text) {
    return std::find(calls.begin(), calls.end(), text) != calls.end();
}

// The editor-enabled trimmer and a host window for its editor.
class Editor : public testing::Test {
protected:
    void SetUp() override {
        record = createPlugin<TTarvoEffect>(&TestHost::callback, editorConfiguration());
        ASSERT_NE(record, nullptr);
        shell = static_cast<CVeST*>(record->object);
        editor = dynamic_cast<CVeSTEditor*>(shell->getEditor());
        ASSERT_NE(editor, nullptr);
        parent = backend->makeWindow({100, 100, 900, 700});
    }
    void TearDown() override {
        if (record != nullptr) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    TTarvoEffect& trimmer() { return *static_cast<TTarvoEffect*>(shell->effect()); }

    ScopedRecordingBackend backend;
    TestHost host;
    AEffect* record = nullptr;
    CVeST* shell = nullptr;
    CVeSTEditor* editor = nullptr;
    platform::WindowHandle parent = nullptr;
};

} // namespace

TEST_F(Editor, ConfigurationReportsAnEditorOf400By300) {
    EXPECT_EQ(record->flags, 0x1031);
    ERect* rect = nullptr;
    EXPECT_EQ(call(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 300);
    EXPECT_EQ(rect->right, 400);
    const HostBridgeTable& table = shell->bridge();
    EXPECT_NE(table.draw, nullptr);
    EXPECT_NE(table.mouseDown, nullptr);
    EXPECT_NE(table.mouseUp, nullptr);
    EXPECT_NE(table.mouseMoved, nullptr);
    EXPECT_EQ(table.keyDown, nullptr);
    EXPECT_EQ(table.keyUp, nullptr);
    for (int i = 0; i < 2; ++i) {
        call(effOpen);
        EXPECT_EQ(trimmer().BackgroundColor(), 3112767.0);
        trimmer().SetBackgroundColor(0.0);
    }
}

TEST_F(Editor, WideEditorCutsTheHostRectangleButNotTheFrame) {
    TestHost otherHost;
    AEffect* other = createPlugin<TTarvoEffect>(&TestHost::callback);
    auto* otherShell = static_cast<CVeST*>(other->object);
    auto* wide = new CVeSTEditor(otherShell, 70000, 20);
    ERect* rect = nullptr;
    ASSERT_TRUE(wide->getRect(&rect));
    EXPECT_EQ(rect->right, 4464);
    EXPECT_EQ(rect->bottom, 20);
    ASSERT_TRUE(wide->open(parent));
    EXPECT_EQ(wide->getFrame()->getViewSize().getWidth(), 70000.0);
    EXPECT_EQ(wide->view()->getViewSize().getWidth(), 70000.0);
    EXPECT_EQ(wide->view()->area().right, 70000.0);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(Editor, OpenCloseAndReopen) {
    EXPECT_EQ(call(effEditOpen, 0, 0, parent), 1);
    ASSERT_NE(editor->getFrame(), nullptr);
    ASSERT_NE(editor->view(), nullptr);
    EXPECT_FALSE(editor->isOpen()); // the host's window is not recorded
    const platform::WindowHandle first = backend->lastCreatedWindow;
    EXPECT_EQ(call(effEditClose), 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->view(), nullptr);
    EXPECT_TRUE(backend->window(first).destroyed);
    EXPECT_EQ(call(effEditClose), 0); // twice is harmless
    EXPECT_EQ(call(effEditOpen, 0, 0, parent), 1);
    EXPECT_NE(editor->getFrame(), nullptr);
    EXPECT_NE(backend->lastCreatedWindow, first);
    EXPECT_EQ(backend->count("createFrameWindow"), 2u);
    // Opening again while open replaces the frame instead of leaking it.
    EXPECT_EQ(call(effEditOpen, 0, 0, parent), 1);
    EXPECT_EQ(VSTGUI::CFrame::windowClassUseCount(), 1);
}

TEST_F(Editor, ClosingThePluginWithTheEditorOpenClosesTheFrame) {
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    const platform::WindowHandle window = backend->lastCreatedWindow;
    call(effClose);
    record = nullptr;
    EXPECT_TRUE(backend->window(window).destroyed);
    EXPECT_EQ(VSTGUI::CFrame::windowClassUseCount(), 0);
    EXPECT_EQ(backend->count("endThreadUse"), backend->count("beginThreadUse"));
}

TEST_F(Editor, KnobModeIsSharedByEveryEditor) {
    TestHost otherHost;
    AEffect* other = createPlugin<TTarvoEffect>(&TestHost::callback, editorConfiguration());
    auto* otherEditor = static_cast<AEffGUIEditor*>(
        dynamic_cast<CVeSTEditor*>(static_cast<CVeST*>(other->object)->getEditor()));
    ASSERT_NE(otherEditor, nullptr);
    EXPECT_EQ(call(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(otherEditor->getKnobMode(), 2);
    EXPECT_EQ(editor->getKnobMode(), 2);
    editor->setKnobMode(0);
    EXPECT_EQ(otherEditor->getKnobMode(), 0);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(Editor, DrawRectangleOrdersReversedEdges) {
    ERect reversed{50, 30, 10, 5}; // top 50, left 30, bottom 10, right 5
    editor->draw(&reversed);       // without a frame: nothing
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    backend->clearLog();
    editor->draw(&reversed);
    const auto clips = backend->callsOf("setClipRectI");
    ASSERT_FALSE(clips.empty());
    bool found = false;
    for (const std::string& clip : clips)
        found = found || clip.find(", 5, 10, 25, 40, ") != std::string::npos;
    EXPECT_TRUE(found) << ::testing::PrintToString(clips);
}

TEST_F(Editor, BeginAndEndEditReachTheHost) {
    host.clearCalls();
    editor->beginEdit(3);
    editor->endEdit(3);
    ASSERT_EQ(host.count(audioMasterBeginEdit), 1);
    ASSERT_EQ(host.count(audioMasterEndEdit), 1);
    const auto begin = std::find_if(host.calls.begin(), host.calls.end(), [](const HostCall& c) {
        return c.opcode == audioMasterBeginEdit;
    });
    EXPECT_EQ(begin->index, 3);
    EXPECT_FALSE(editor->lastEditAnswer()); // the test host answers 0
}

TEST_F(Editor, TheWheelGoesToTheViewUnderThePointerWithThePolledButtons) {
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    VSTGUI::test::Journal journal;
    editor->getFrame()->addView(
        new VSTGUI::test::JournalView("top", VSTGUI::CCoordRect(0, 0, 100, 100), journal));
    backend->cursor = {150, 160}; // the frame's window sits at 100, 100
    backend->pressedNow = {platform::PolledKey::shift};
    backend->clearLog();
    EXPECT_TRUE(editor->onWheel(2.0f));
    EXPECT_EQ(journal, (VSTGUI::test::Journal{"top: wheel 50,60 2 flags=16"}));
    // The draw context it read the pointer through is gone again.
    EXPECT_EQ(backend->count("getWindowDeviceContext"), 1u);
    EXPECT_EQ(backend->count("releaseWindowDeviceContext"), 1u);
}

TEST_F(Editor, DrawingWithoutARectangleRedrawsTheWholeFrame) {
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    VSTGUI::test::Journal journal;
    editor->getFrame()->addView(
        new VSTGUI::test::JournalView("top", VSTGUI::CCoordRect(300, 200, 400, 300), journal));
    editor->draw(nullptr);
    EXPECT_EQ(journal, (VSTGUI::test::Journal{
                           "top: draw update=0,0,400,300 clip=300,200,400,300 offset=0,0"}));
}

namespace {
std::vector<std::string> g_keys;
void recordKeyDown(CVeST*, int character, std::uint8_t modifier, std::uint8_t virtualKey) {
    g_keys.push_back("down " + std::to_string(character) + " " + std::to_string(modifier) + " " +
                     std::to_string(virtualKey));
}
void recordKeyUp(CVeST*, int character, std::uint8_t modifier, std::uint8_t virtualKey) {
    g_keys.push_back("up " + std::to_string(character) + " " + std::to_string(modifier) + " " +
                     std::to_string(virtualKey));
}
} // namespace

TEST_F(Editor, KeysReachTheEntriesThroughTheFrameAndAnswerOneOnlyWhenTheFrameUsedThem) {
    PluginConfiguration<TTarvoEffect> configuration = editorConfiguration();
    configuration.keyDown = recordKeyDown;
    configuration.keyUp = recordKeyUp;
    AEffect* other = createPlugin<TTarvoEffect>(&TestHost::callback, configuration);
    auto* otherEditor = dynamic_cast<CVeSTEditor*>(static_cast<CVeST*>(other->object)->getEditor());
    ASSERT_TRUE(otherEditor->open(parent));
    const auto key = [other](VstInt32 opcode) {
        // Character 97 in the index, virtual key 40 in the value, modifiers 5 in the option.
        return other->dispatcher(other, opcode, 97, 40, nullptr, 5.0f);
    };
    g_keys.clear();
    // No focus view: the frame answers -1 and the view hears nothing.
    EXPECT_EQ(key(effEditKeyDown), 0);
    EXPECT_TRUE(g_keys.empty());
    // The view with the focus answers 1 and hands the key on unchanged.
    otherEditor->getFrame()->setFocusView(otherEditor->view());
    EXPECT_EQ(key(effEditKeyDown), 1);
    EXPECT_EQ(key(effEditKeyUp), 1);
    EXPECT_EQ(g_keys, (std::vector<std::string>{"down 97 5 40", "up 97 5 40"}));
    // A focus view answering 0 is an answer of 0.
    VSTGUI::test::Journal journal;
    auto* quiet = new VSTGUI::test::JournalView("quiet", VSTGUI::CCoordRect(0, 0, 5, 5), journal);
    quiet->keyAnswer = 0;
    otherEditor->getFrame()->addView(quiet);
    otherEditor->getFrame()->setFocusView(quiet);
    EXPECT_EQ(key(effEditKeyDown), 0);
    EXPECT_EQ(journal, (VSTGUI::test::Journal{"quiet: keydown 40"}));
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(Editor, KeysWithoutAFrameAnswerZero) {
    EXPECT_EQ(call(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(call(effEditKeyUp, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_FALSE(editor->onWheel(1.0f));
}

TEST_F(Editor, ViewMouseEventsReachTheEffect) {
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    CVeSTView* view = editor->view();
    VSTGUI::CCoordPoint where(-5.5, 1000.25);
    EXPECT_EQ(view->onMouseDown(where, 0x12), VSTGUI::kMouseHandled);
    EXPECT_EQ(trimmer().MouseButtons(), 9.0);
    EXPECT_EQ(trimmer().MouseX(), -5.5);
    EXPECT_EQ(trimmer().MouseY(), 1000.25);
    EXPECT_EQ(view->onMouseUp(where, 0x12), VSTGUI::kMouseHandled);
    EXPECT_EQ(trimmer().MouseButtons(), 0.0);
    // Through the frame's window, as the system would deliver a click.
    platform::WindowMessage down;
    down.kind = platform::MessageKind::buttonDown;
    down.point = {10, 20};
    down.keyState = platform::kMkLButton | platform::kMkShift;
    ASSERT_TRUE(backend->send(backend->lastCreatedWindow, down));
    EXPECT_EQ(trimmer().MouseButtons(), 9.0);
    EXPECT_EQ(trimmer().MouseX(), 10.0);
    EXPECT_EQ(trimmer().MouseY(), 20.0);
    EXPECT_EQ(backend->capture, backend->lastCreatedWindow);
    VSTGUI::VstKeyCode key{'k', 0, 0};
    EXPECT_EQ(view->onKeyDown(key), 1);
    EXPECT_EQ(view->onKeyUp(key), 1);
}

TEST_F(Editor, IdleTicksRedrawOnTheEffectsTimer) {
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    static std::int32_t clock = 0;
    clock = 1000;
    trimmer().SetClockSource([]() noexcept { return clock; });
    trimmer().SetRedrawRate(0.0);
    backend->clearLog();
    call(effEditIdle);
    call(effEditIdle);
    EXPECT_EQ(backend->count("invalidateRect"), 0u);
    trimmer().SetRedrawRate(1000.0);
    call(effEditIdle);
    EXPECT_EQ(backend->count("invalidateRect"), 1u);
    EXPECT_TRUE(logHas(backend->calls, "invalidateRect(" +
                                           backend->nameOf(backend->lastCreatedWindow) +
                                           ", 0, 0, 400, 300, erase)"))
        << ::testing::PrintToString(backend->calls);
    clock += 1;
    call(effEditIdle);
    EXPECT_EQ(backend->count("invalidateRect"), 1u);
    clock += 1;
    call(effEditIdle);
    EXPECT_EQ(backend->count("invalidateRect"), 2u);
    call(effEditClose);
    clock += 100;
    call(effEditIdle); // closed: no timer
    EXPECT_EQ(trimmer().LastRedrawTick(), 1002);
}

TEST_F(Editor, TheRedrawTimerGoesOnAcrossTheWrapOfTheClock) {
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    static std::int32_t clock = 0;
    clock = 0x7FFFFFF0; // 16 ms before the 31-bit clock starts again at 0
    trimmer().SetClockSource([]() noexcept { return clock; });
    trimmer().SetRedrawRate(30.0); // every 33.3 ms
    call(effEditIdle);
    EXPECT_EQ(trimmer().LastRedrawTick(), 0x7FFFFFF0);
    clock = 0x10; // 32 ms later
    call(effEditIdle);
    EXPECT_EQ(trimmer().LastRedrawTick(), 0x7FFFFFF0);
    clock = 0x20; // 48 ms later
    call(effEditIdle);
    EXPECT_EQ(trimmer().LastRedrawTick(), 0x20);
}

TEST_F(Editor, PaintRunsTheDrawingPassWithTheCurrentDrawContext) {
    call(effOpen);
    ASSERT_EQ(call(effEditOpen, 0, 0, parent), 1);
    backend->clearLog();
    platform::WindowMessage paint;
    paint.kind = platform::MessageKind::paint;
    paint.updateRect = {0, 0, 400, 300};
    paint.paintContext = reinterpret_cast<platform::DeviceContextHandle>(0x40);
    ASSERT_TRUE(backend->send(backend->lastCreatedWindow, paint));
    EXPECT_EQ(shell->drawContext(), nullptr);
    // The effect's fill: the green fill colour, then the whole area (after whatever the
    // frame draws below its view).
    const std::vector<std::string>& calls = backend->calls;
    const auto green = std::find_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.rfind("setSolidFillColor(", 0) == 0 && c.find("0xff3f7f2f") != std::string::npos;
    });
    ASSERT_NE(green, calls.end()) << ::testing::PrintToString(calls);
    ASSERT_NE(green + 1, calls.end());
    EXPECT_EQ(green[1].rfind("fillRectangle(", 0), 0u) << green[1];
    EXPECT_NE(green[1].find(", 0, 0, 400, 300)"), std::string::npos) << green[1];
    EXPECT_EQ(trimmer().AreaWidth(), 400.0);
    ASSERT_EQ(shell->fontCache().size(), 1u);
    EXPECT_STREQ(static_cast<VSTGUI::CFontDesc*>(shell->fontCache()[0])->getName(), "Courier New");
}

// ---- the view without the editor configuration --------------------------------------------

namespace {
VSTGUI::CDrawContext* g_seenContext = nullptr;
int g_draws = 0;
void recordDraw(CVeST* shell, double, double) {
    ++g_draws;
    g_seenContext = shell->drawContext();
}
} // namespace

TEST(EditorView, SetsTheDrawContextForExactlyTheDrawCall) {
    ScopedRecordingBackend backend;
    TestHost host;
    for (bool withEntry : {false, true}) {
        PluginConfiguration<TTarvoEffect> configuration;
        if (withEntry) configuration.draw = recordDraw;
        AEffect* record = createPlugin<TTarvoEffect>(&TestHost::callback, configuration);
        auto* shell = static_cast<CVeST*>(record->object);
        g_draws = 0;
        g_seenContext = nullptr;
        auto* view = new CVeSTView(VSTGUI::CCoordRect(0, 0, 40, 30), shell);
        auto* context = new VSTGUI::CDrawContext(nullptr, nullptr, nullptr);
        view->draw(context);
        EXPECT_EQ(g_draws, withEntry ? 1 : 0);
        EXPECT_EQ(g_seenContext, withEntry ? context : nullptr);
        EXPECT_EQ(shell->drawContext(), nullptr);
        // No mouse entries: still handled.
        VSTGUI::CCoordPoint where(1, 2);
        EXPECT_EQ(view->onMouseDown(where, 0x2), VSTGUI::kMouseHandled);
        EXPECT_EQ(shell->effect()->MouseButtons(), 0.0);
        context->release();
        view->release();
        record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }
}
