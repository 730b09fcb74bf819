// SPDX-License-Identifier: MIT
// The editor's idle pass on an injected tick count, sleep and paint, and its use of the
// window system for its thread.
#include "RecordingBackend.h"
#include "TestHost.h"
#include "editor/CVeSTEditor.h"
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testhost;
using VSTGUI::test::ScopedRecordingBackend;

namespace {

struct IdleWorld {
    std::uint32_t now = 0;
    std::vector<std::uint32_t> sleeps;
    int paints = 0;
    bool threadUseBegins = true;
    int threadUseBegun = 0;
    int threadUseEnded = 0;
    VstIntPtr editAnswer = 0; // the host's answer to begin and end edit
};
IdleWorld* g_world = nullptr;

// The test host, answering begin and end edit as the world says, and answering its own idle
// with the editor's idle, as a host may.
VstIntPtr VSTCALLBACK worldCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                    VstIntPtr value, void* ptr, float opt) {
    const VstIntPtr answer = TestHost::callback(effect, opcode, index, value, ptr, opt);
    if (opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit) return g_world->editAnswer;
    if (opcode == audioMasterIdle && effect != nullptr) {
        VSTGUI::test::recorder().log("host idle");
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
    }
    return answer;
}

AEffGUIEditor::Services testServices() {
    return {[] { return g_world->now; },
            [](std::uint32_t ms) {
                g_world->sleeps.push_back(ms);
                g_world->now += ms;
            },
            [] {
                ++g_world->paints;
                VSTGUI::test::recorder().log("paint");
            },
            [] {
                ++g_world->threadUseBegun;
                return g_world->threadUseBegins;
            },
            [] { ++g_world->threadUseEnded; }};
}

class IdlePass : public testing::Test {
protected:
    void SetUp() override {
        g_world = &world;
        record = createPlugin<TTarvoEffect>(&worldCallback);
        ASSERT_NE(record, nullptr);
        shell = static_cast<CVeST*>(record->object);
    }
    void TearDown() override {
        if (record != nullptr) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        g_world = nullptr;
    }
    CVeSTEditor* makeEditor() { return new CVeSTEditor(shell, 400, 300, testServices()); }
    // Host idle calls so far.
    int hostIdles() const { return host.count(audioMasterIdle); }

    IdleWorld world;
    ScopedRecordingBackend backend;
    TestHost host;
    AEffect* record = nullptr;
    CVeST* shell = nullptr;
};

} // namespace

TEST_F(IdlePass, RunsAtOnceFromTheDeadlineAndSetsTheNextOne) {
    world.now = 5000;
    CVeSTEditor* editor = makeEditor();
    editor->doIdleStuff();
    EXPECT_TRUE(world.sleeps.empty());
    EXPECT_EQ(world.paints, 1);
    EXPECT_EQ(hostIdles(), 1);
    EXPECT_EQ(editor->idleDeadline(), 5100u);
}

TEST_F(IdlePass, ThirtyMillisecondsAfterAPassOnlySleeps) {
    world.now = 5000;
    CVeSTEditor* editor = makeEditor();
    editor->doIdleStuff();
    world.now = 5030;
    editor->doIdleStuff();
    EXPECT_EQ(world.sleeps, (std::vector<std::uint32_t>{4}));
    EXPECT_EQ(world.paints, 1);
    EXPECT_EQ(hostIdles(), 1);
    EXPECT_EQ(editor->idleDeadline(), 5100u);
}

TEST_F(IdlePass, SixtyMillisecondsAfterAPassSleepsThenRuns) {
    world.now = 5000;
    CVeSTEditor* editor = makeEditor();
    editor->doIdleStuff();
    world.now = 5060;
    editor->doIdleStuff();
    EXPECT_EQ(world.sleeps, (std::vector<std::uint32_t>{4}));
    EXPECT_EQ(world.paints, 2);
    EXPECT_EQ(hostIdles(), 2);
    EXPECT_EQ(editor->idleDeadline(), 5164u); // from the time after the sleep
    world.now = 5164 - 55;                    // after its 4 ms of sleep still more than 50 early
    editor->doIdleStuff();
    EXPECT_EQ(hostIdles(), 2);
    world.now = 5164 - 54; // exactly 50 early after the sleep
    editor->doIdleStuff();
    EXPECT_EQ(hostIdles(), 3);
}

TEST_F(IdlePass, KeepsRunningAcrossTheWrapOfTheTickCount) {
    world.now = 0xFFFFFF00u;
    CVeSTEditor* editor = makeEditor();
    editor->doIdleStuff();
    EXPECT_EQ(editor->idleDeadline(), 0xFFFFFF64u);
    world.now = 0x10; // 272 ms later, past the wrap
    editor->doIdleStuff();
    EXPECT_EQ(hostIdles(), 2);
    EXPECT_EQ(editor->idleDeadline(), 0x74u);
    world.now = 0x20; // 16 ms later: only a sleep
    editor->doIdleStuff();
    EXPECT_EQ(hostIdles(), 2);
    // A deadline that itself wraps: pass at 0xFFFFFFF0, deadline 0x54.
    world.now = 0xFFFFFFF0u;
    CVeSTEditor* second = new CVeSTEditor(shell, 10, 10, testServices()); // replaces the first
    second->doIdleStuff();
    EXPECT_EQ(second->idleDeadline(), 0x54u);
    world.now = 0xFFFFFFF8u; // 8 ms after: before the deadline, sleep only
    second->doIdleStuff();
    EXPECT_EQ(hostIdles(), 3);
    world.now = 0x60;
    second->doIdleStuff();
    EXPECT_EQ(hostIdles(), 4);
}

TEST_F(IdlePass, TheThreadsUseIsEndedOnlyWhenItBegan) {
    for (bool begins : {true, false}) {
        world = IdleWorld{};
        world.threadUseBegins = begins;
        shell->setEditor(makeEditor());
        EXPECT_EQ(world.threadUseBegun, 1);
        shell->setEditor(nullptr);
        EXPECT_EQ(world.threadUseEnded, begins ? 1 : 0) << begins;
    }
    EXPECT_EQ(record->flags & effFlagsHasEditor, 0);
}

TEST_F(IdlePass, EditorIdleThenOnePaintThenTheHostsIdleWhichDoesNotRunTheFramesIdleAgain) {
    world.now = 5000;
    CVeSTEditor* editor = makeEditor();
    ASSERT_TRUE(editor->open(backend->makeWindow({0, 0, 800, 600})));
    const std::string window = backend->nameOf(editor->getFrame()->getWindow());
    backend->clearLog();
    editor->doIdleStuff();
    // The frame's idle (its events, dirty views and paint), the one waiting paint, the host's
    // idle; the editor idle the host sends from inside its own finds the in-idle flag set.
    EXPECT_EQ(backend->calls, (std::vector<std::string>{"handlePendingEvents()",
                                                        "paintPendingUpdate(" + window + ")",
                                                        "paint", "host idle"}));
    EXPECT_EQ(hostIdles(), 1);
    // Outside the pass the same request runs the frame's idle.
    backend->clearLog();
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(backend->count("handlePendingEvents"), 1u);
}

// The shell owns the editor from its construction on.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
TEST_F(IdlePass, TheLastEditAnswerIsTheHostsAnswer) {
    CVeSTEditor* editor = makeEditor();
    for (VstIntPtr answer : {1, 0, 7}) {
        world.editAnswer = answer;
        editor->beginEdit(2);
        EXPECT_EQ(editor->lastEditAnswer(), answer != 0) << "begin " << answer;
        world.editAnswer = answer == 0 ? 1 : 0;
        editor->endEdit(2);
        EXPECT_EQ(editor->lastEditAnswer(), answer == 0) << "end " << answer;
    }
}
// NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
