// SPDX-License-Identifier: MIT
#include "host/HostQueries.h"
#include "TestHost.h"
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"

#include <gtest/gtest.h>

using namespace testhost;

namespace {

class HostQueries : public testing::Test {
protected:
    void SetUp() override {
        effect = createPlugin<TTarvoEffect>(&TestHost::callback);
        ASSERT_NE(effect, nullptr);
        shell = static_cast<CVeST*>(effect->object);
        host.clearCalls();
    }
    void TearDown() override {
        if (effect != nullptr) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    // Sends the events as one host event list; the answer must be 1.
    void sendMidi(std::vector<VstMidiEvent> events) {
        std::vector<VstEvent*> pointers;
        for (VstMidiEvent& event : events)
            pointers.push_back(reinterpret_cast<VstEvent*>(&event));
        std::vector<unsigned char> storage(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*));
        auto* header = reinterpret_cast<VstEvents*>(storage.data());
        header->numEvents = static_cast<VstInt32>(pointers.size());
        std::copy(pointers.begin(), pointers.end(), header->events);
        EXPECT_EQ(effect->dispatcher(effect, effProcessEvents, 0, 0, header, 0.0f), 1);
    }
    static VstMidiEvent note(int delta, unsigned char status, unsigned char data1,
                             unsigned char data2, VstInt32 type = kVstMidiType) {
        VstMidiEvent event{};
        event.type = type;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = delta;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(data1);
        event.midiData[2] = static_cast<char>(data2);
        return event;
    }

    TestHost host;
    AEffect* effect = nullptr;
    CVeST* shell = nullptr;
};

} // namespace

TEST_F(HostQueries, WithoutAShellEverythingAnswersZero) {
    double tempo = 5.0;
    std::int32_t delta = 9;
    EXPECT_EQ(hostSampleRate(nullptr), 0.0);
    EXPECT_EQ(hostChannelCount(nullptr), 0);
    EXPECT_EQ(hostBlockSize(nullptr), 0);
    EXPECT_EQ(hostTempoAndTimeSig(nullptr, &tempo, nullptr, nullptr), 0);
    EXPECT_EQ(tempo, 5.0);
    EXPECT_EQ(hostSetLatency(nullptr, 10), 0);
    std::int32_t byte0 = -3;
    EXPECT_EQ(hostReadMidi(nullptr, &delta, &byte0, nullptr, nullptr), 0);
    EXPECT_EQ(delta, 9); // nothing is written without a shell
    EXPECT_EQ(byte0, -3);
    EXPECT_EQ(hostAutomate(nullptr, 0, 1.0), 0);
    EXPECT_EQ(host.calls.size(), 0u);
}

TEST_F(HostQueries, ShellValues) {
    EXPECT_EQ(hostSampleRate(shell), 44100.0);
    EXPECT_EQ(hostBlockSize(shell), 1024);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 256, nullptr, 0.0f);
    EXPECT_EQ(hostSampleRate(shell), 48000.0);
    EXPECT_EQ(hostBlockSize(shell), 256);
    EXPECT_EQ(hostChannelCount(shell), 8);
    EXPECT_EQ(hostOutputCount(shell), 8);

    EXPECT_EQ(hostSetLatency(shell, 256), 1);
    EXPECT_EQ(effect->initialDelay, 256);
    EXPECT_EQ(host.calls.size(), 0u); // the host reads the record; it is not called
    EXPECT_EQ(hostRedraw(shell), 0);  // no editor

    EXPECT_EQ(hostSetSynth(shell, true), 1);
    EXPECT_EQ(effect->dispatcher(effect, effGetPlugCategory, 0, 0, nullptr, 0.0f), 2);
    hostSetSynth(shell, false);
    EXPECT_EQ(effect->flags, 0x1030);
}

TEST_F(HostQueries, TimeInformationIsBelievedAsGiven) {
    host.timeInfo.tempo = 120.0;
    host.timeInfo.flags = kVstTransportPlaying; // no validity bits at all
    host.timeInfo.ppqPos = 16.5;
    host.timeInfo.barStartPos = 16.0;
    host.timeInfo.timeSigNumerator = 7;
    host.timeInfo.timeSigDenominator = 8;
    EXPECT_EQ(hostTempo(shell), 120.0);
    EXPECT_EQ(hostIsPlaying(shell), 1);
    EXPECT_EQ(hostIsRecording(shell), 0);
    EXPECT_EQ(hostPpqPos(shell), 16.5);
    EXPECT_EQ(hostBarStartPos(shell), 16.0);
    double tempo = 0.0, numerator = 0.0, denominator = 0.0;
    EXPECT_EQ(hostTempoAndTimeSig(shell, &tempo, &numerator, &denominator), 1);
    EXPECT_EQ(tempo, 120.0);
    EXPECT_EQ(numerator, 7.0);
    EXPECT_EQ(denominator, 8.0);
    EXPECT_EQ(hostTempoAndTimeSig(shell, nullptr, nullptr, nullptr), 1);
    host.timeInfo.flags = kVstTransportRecording;
    EXPECT_EQ(hostIsPlaying(shell), 0);
    EXPECT_EQ(hostIsRecording(shell), 1);

    ASSERT_EQ(host.calls.size(), 9u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterGetTime);
    EXPECT_EQ(host.calls[0].value, 0x400);
    EXPECT_EQ(host.calls[1].value, 0x2);
    EXPECT_EQ(host.calls[2].value, 0x8);
    EXPECT_EQ(host.calls[3].value, 0x200);
    EXPECT_EQ(host.calls[4].value, 0x800);
    EXPECT_EQ(host.calls[5].value, 0x2400);
}

TEST_F(HostQueries, NoTimeInformationAnswersZeroAndWritesNothing) {
    host.giveTimeInfo = false;
    double tempo = 1.0, numerator = 2.0, denominator = 3.0;
    EXPECT_EQ(hostTempoAndTimeSig(shell, &tempo, &numerator, &denominator), 0);
    EXPECT_EQ(tempo, 1.0);
    EXPECT_EQ(numerator, 2.0);
    EXPECT_EQ(denominator, 3.0);
    EXPECT_EQ(hostTempo(shell), 0.0);
    EXPECT_EQ(hostIsPlaying(shell), 0);
    EXPECT_EQ(hostPpqPos(shell), 0.0);
}

TEST_F(HostQueries, DisplayUpdatesAndAutomationReachTheHost) {
    host.updateDisplayAnswer = 1;
    EXPECT_EQ(hostUpdateDisplay(shell), 1);
    host.updateDisplayAnswer = 0;
    EXPECT_EQ(hostUpdateDisplay(shell), 0);
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 2);

    EXPECT_EQ(hostAutomate(shell, 2, 1.0), 1);
    EXPECT_EQ(effect->getParameter(effect, 2), 1.0f);
    ASSERT_EQ(host.calls.back().opcode, audioMasterAutomate);
    EXPECT_EQ(host.calls.back().index, 2);
    EXPECT_EQ(host.calls.back().opt, 1.0f);
}

TEST_F(HostQueries, MidiEventsPassThroughTheRing) {
    std::int32_t delta = 7, b0 = 7, b1 = 7, b2 = 7;
    EXPECT_EQ(hostReadMidi(shell, &delta, &b0, &b1, &b2), 0);
    EXPECT_EQ(delta + b0 + b1 + b2, 0);

    VstMidiEvent other = note(1, 0x90, 1, 1, 6);
    sendMidi({note(3, 0x90, 60, 100), other, note(5, 0x80, 60, 0)});
    EXPECT_EQ(hostReadMidi(shell, &delta, &b0, &b1, &b2), 1);
    EXPECT_EQ(delta, 3);
    EXPECT_EQ(b0, 0x90 - 256); // data bytes read as signed
    EXPECT_EQ(b1, 60);
    EXPECT_EQ(b2, 100);
    EXPECT_EQ(hostReadMidi(shell, &delta, &b0, nullptr, nullptr), 1);
    EXPECT_EQ(delta, 5);
    EXPECT_EQ(b0, 0x80 - 256);
    EXPECT_EQ(hostReadMidi(shell, &delta, &b0, &b1, &b2), 0);

    // A null event and a negative count are skipped.
    VstEvents empty{};
    empty.numEvents = -3;
    EXPECT_EQ(effect->dispatcher(effect, effProcessEvents, 0, 0, &empty, 0.0f), 1);
    empty.numEvents = 1;
    empty.events[0] = nullptr;
    EXPECT_EQ(effect->dispatcher(effect, effProcessEvents, 0, 0, &empty, 0.0f), 1);
    EXPECT_EQ(shell->midiWriteIndex(), 2);
}

TEST_F(HostQueries, TheRingOverwritesItsOldestEvents) {
    std::vector<VstMidiEvent> events;
    for (int i = 0; i < 1001; ++i)
        events.push_back(note(i, 0x90, static_cast<unsigned char>(i % 128), 1));
    sendMidi(events);
    EXPECT_EQ(shell->midiWriteIndex(), 1);
    EXPECT_EQ(shell->midiEvent(0).deltaFrames, 1000);
    EXPECT_EQ(shell->midiEvent(1).deltaFrames, 1);

    // Reader at 0, writer at 1: one event to read, the newest.
    std::int32_t delta = 0;
    EXPECT_EQ(hostReadMidi(shell, &delta, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(delta, 1000);
    EXPECT_EQ(hostReadMidi(shell, &delta, nullptr, nullptr, nullptr), 0);
}
