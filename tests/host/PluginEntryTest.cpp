// SPDX-License-Identifier: MIT
#include "CountingEffect.h"
#include "TestHost.h"
#include "host/HostQueries.h"
#include "host/PluginFactory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace testhost;

TEST(PluginEntry, CreatesTheRecordHostsExpect) {
    TestHost host;
    ASSERT_TRUE(host.loaded()) << host.loadError();
    AEffect* effect = host.create();
    ASSERT_NE(effect, nullptr);

    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numInputs, 8);
    EXPECT_EQ(effect->numOutputs, 8);
    EXPECT_EQ(effect->numParams, 4);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->flags, 0x1030);
    EXPECT_EQ(effect->uniqueID, 0);
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_NE(effect->object, nullptr);
    for (char c : effect->future)
        EXPECT_EQ(c, 0);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);

    // The version is asked exactly once, before any record exists.
    ASSERT_EQ(host.count(audioMasterVersion), 1);
    EXPECT_EQ(host.calls.front().opcode, audioMasterVersion);
    EXPECT_FALSE(host.calls.front().withRecord);
}

TEST(PluginEntry, GivesNoPluginWithoutAnAnsweringHost) {
    TestHost host;
    ASSERT_TRUE(host.loaded()) << host.loadError();
    host.versionAnswer = 0;
    EXPECT_EQ(host.create("VSTPluginMain"), nullptr);
    EXPECT_EQ(host.create("MAIN"), nullptr);
    EXPECT_EQ(host.createWithCallback("VSTPluginMain", nullptr), nullptr);
    EXPECT_EQ(host.createWithCallback("main", nullptr), nullptr);

    // The effect made before the refusal is not left behind.
    TCountingEffect::destroyed = 0;
    EXPECT_EQ(createPlugin<TCountingEffect>(&TestHost::callback), nullptr);
    EXPECT_EQ(TCountingEffect::destroyed, 1);
}

TEST(PluginEntry, EveryEntryNameMakesAnIndependentInstance) {
    TestHost host;
    ASSERT_TRUE(host.loaded()) << host.loadError();
    AEffect* a = host.create("VSTPluginMain");
    AEffect* b = host.create("main");
    AEffect* c = host.create("MAIN");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_EQ(std::memcmp(&a->numPrograms, &c->numPrograms, 5 * sizeof(VstInt32)), 0);

    a->setParameter(a, 0, 1.0f);
    c->setParameter(c, 0, 0.0f);
    EXPECT_FLOAT_EQ(a->getParameter(a, 0), 1.0f);
    EXPECT_FLOAT_EQ(b->getParameter(b, 0), 0.5f);
    EXPECT_FLOAT_EQ(c->getParameter(c, 0), 0.0f);
}

TEST(PluginEntry, CloseDestroysTheEffectOnceAndAnswersOne) {
    TestHost host;
    TCountingEffect::destroyed = 0;
    AEffect* effect = createPlugin<TCountingEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numParams, 1);
    EXPECT_EQ(TCountingEffect::destroyed, 0);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(TCountingEffect::destroyed, 1);
}

namespace {

// Records what it can still reach of its shell when it is closed, and when it is destroyed.
class TCloseOrderEffect final : public TTarvo {
public:
    static inline std::vector<std::string> events;

    TCloseOrderEffect() { m_channelCount = 2; }
    ~TCloseOrderEffect() override { events.push_back("destroyed"); }
    void OnClose() override {
        // The shell must still be there: its sample rate is the one the host set.
        events.push_back("closed at " + std::to_string(hostSampleRate(Shell())));
    }
};

} // namespace

TEST(PluginEntry, CloseRunsBeforeTheShellGoes) {
    TestHost host;
    TCloseOrderEffect::events.clear();
    AEffect* effect = createPlugin<TCloseOrderEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 32000.0f);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(TCloseOrderEffect::events,
              (std::vector<std::string>{"closed at 32000.000000", "destroyed"}));
}

TEST(PluginEntry, EditorEntriesAreEmptyAndNoEditorExists) {
    TestHost host;
    AEffect* effect = createPlugin<TCountingEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    const HostBridgeTable& table = static_cast<CVeST*>(effect->object)->bridge();
    EXPECT_EQ(table.draw, nullptr);
    EXPECT_EQ(table.mouseDown, nullptr);
    EXPECT_EQ(table.mouseUp, nullptr);
    EXPECT_EQ(table.mouseMoved, nullptr);
    EXPECT_EQ(table.keyDown, nullptr);
    EXPECT_EQ(table.keyUp, nullptr);
    EXPECT_NE(table.create, nullptr);
    EXPECT_NE(table.setChunk, nullptr);
    EXPECT_EQ(effect->flags & effFlagsHasEditor, 0);

    void* rect = &host;
    EXPECT_EQ(effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, &host);
    for (VstInt32 opcode :
         {effEditOpen, effEditClose, effEditIdle, effEditKeyDown, effEditKeyUp, effSetEditKnobMode})
        EXPECT_EQ(effect->dispatcher(effect, opcode, 0, 0, nullptr, 0.0f), 0) << opcode;
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
