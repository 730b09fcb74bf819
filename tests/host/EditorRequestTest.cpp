// SPDX-License-Identifier: MIT
// The shell's side of the editor path: the has-editor flag, the editor opcodes reaching the
// editor, the runtime's redraw request and its timer, and the shell owning its editor.
#include "CountingEffect.h"
#include "TestHost.h"
#include "host/PluginFactory.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testhost;

namespace {

// An editor that records what the shell asks of it.
class TRecordingEditor final : public AEffEditor {
public:
    static inline int destroyed = 0;

    explicit TRecordingEditor(AudioEffect* effect) : AEffEditor(effect) {}
    ~TRecordingEditor() override { ++destroyed; }

    bool getRect(ERect** rect) override {
        *rect = &m_ownRect;
        return true;
    }
    bool open(void* ptr) override {
        openedWith = ptr;
        return openAnswer;
    }
    void close() override { ++closes; }
    void idle() override { ++idles; }
    bool onKeyDown(VstKeyCode& key) override {
        keys.push_back(key);
        return true;
    }
    bool onKeyUp(VstKeyCode& key) override {
        keys.push_back(key);
        return false;
    }
    bool setKnobMode(VstInt32 mode) override {
        knobMode = mode;
        return true;
    }
    bool redrawView() override {
        ++redraws;
        return hasView;
    }

    ERect m_ownRect{0, 0, 300, 400};
    void* openedWith = nullptr;
    bool openAnswer = true;
    bool hasView = true;
    int closes = 0;
    int idles = 0;
    int redraws = 0;
    VstInt32 knobMode = -1;
    std::vector<VstKeyCode> keys;
};

std::int32_t g_clock = 0;
std::int32_t testClock() noexcept {
    return g_clock;
}

class EditorRequests : public testing::Test {
protected:
    void SetUp() override {
        record = createPlugin<TCountingEffect>(&TestHost::callback);
        ASSERT_NE(record, nullptr);
        shell = static_cast<CVeST*>(record->object);
        editor = new TRecordingEditor(shell);
        shell->setEditor(editor);
    }
    void TearDown() override {
        if (record != nullptr) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }

    TestHost host; // answers the plug-in's host calls
    AEffect* record = nullptr;
    CVeST* shell = nullptr;
    TRecordingEditor* editor = nullptr;
};

} // namespace

TEST_F(EditorRequests, AnEditorSetsTheHasEditorFlag) {
    EXPECT_EQ(record->flags, 0x1031);
    EXPECT_EQ(shell->getEditor(), editor);
}

TEST_F(EditorRequests, OpcodesReachTheEditor) {
    ERect* rect = nullptr;
    EXPECT_EQ(call(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->m_ownRect);
    int window = 0;
    EXPECT_EQ(call(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(editor->openedWith, &window);
    editor->openAnswer = false;
    EXPECT_EQ(call(effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(call(effEditIdle), 0);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(call(effEditClose), 0);
    EXPECT_EQ(editor->closes, 1);
    EXPECT_EQ(call(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);
    EXPECT_EQ(call(effEditGetRect, 0, 0, nullptr), 0); // no place to store into
}

TEST_F(EditorRequests, KeysCarryCharacterVirtualKeyAndModifierBytes) {
    EXPECT_EQ(call(effEditKeyDown, 'a', 0x1FF, nullptr, 258.75f), 1);
    EXPECT_EQ(call(effEditKeyUp, -3, 0x0D, nullptr, 1.0f), 0);
    ASSERT_EQ(editor->keys.size(), 2u);
    EXPECT_EQ(editor->keys[0].character, 'a');
    EXPECT_EQ(editor->keys[0].virt, 0xFF);
    EXPECT_EQ(editor->keys[0].modifier, 2); // 258 cut to its low byte
    EXPECT_EQ(editor->keys[1].character, -3);
    EXPECT_EQ(editor->keys[1].virt, 0x0D);
    EXPECT_EQ(editor->keys[1].modifier, 1);
}

TEST_F(EditorRequests, RedrawRequestAsksTheView) {
    EXPECT_EQ(hostRedraw(shell), 1);
    editor->hasView = false;
    EXPECT_EQ(hostRedraw(shell), 0);
    EXPECT_EQ(editor->redraws, 2);
    EXPECT_EQ(hostRedraw(nullptr), 0);
}

TEST_F(EditorRequests, RedrawTimerFollowsTheRateOnTheInjectedClock) {
    TTarvo& effect = *shell->effect();
    effect.SetClockSource(testClock);
    g_clock = 100000;
    effect.SetRedrawRate(0.0);
    for (int i = 0; i < 3; ++i)
        shell->bridge().idle(shell);
    EXPECT_EQ(editor->redraws, 0);

    effect.SetRedrawRate(1000.0); // a redraw once more than 1 tick has passed
    shell->bridge().idle(shell);
    EXPECT_EQ(editor->redraws, 1);
    EXPECT_EQ(effect.LastRedrawTick(), 100000);
    g_clock += 1;
    shell->bridge().idle(shell);
    EXPECT_EQ(editor->redraws, 1);
    g_clock += 1;
    shell->bridge().idle(shell);
    EXPECT_EQ(editor->redraws, 2);

    effect.SetRedrawRate(30.0); // more than 33.33 ticks
    g_clock += 33;
    shell->bridge().idle(shell);
    EXPECT_EQ(editor->redraws, 2);
    g_clock += 1;
    shell->bridge().idle(shell);
    EXPECT_EQ(editor->redraws, 3);
}

TEST(EditorOwnership, TheShellDeletesItsEditorOnClose) {
    TestHost host;
    AEffect* record = createPlugin<TCountingEffect>(&TestHost::callback);
    ASSERT_NE(record, nullptr);
    auto* shell = static_cast<CVeST*>(record->object);
    TRecordingEditor::destroyed = 0;
    shell->setEditor(new TRecordingEditor(shell));
    shell->setEditor(new TRecordingEditor(shell)); // replacing one deletes the old one
    EXPECT_EQ(TRecordingEditor::destroyed, 1);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(TRecordingEditor::destroyed, 2);
}
