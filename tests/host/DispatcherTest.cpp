// SPDX-License-Identifier: MIT
#include "GuardedProcessing.h"
#include "LoadedTrimmer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace testhost;

namespace {

constexpr const char* kName = "Qualtrevin_multi-channel_level_trimmer_4x_stereo";

class Dispatcher : public LoadedTrimmer {
protected:
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
        return host.dispatch(effect, opcode, index, value, ptr, opt);
    }
    VstIntPtr canDo(const char* text) { return call(effCanDo, 0, 0, const_cast<char*>(text)); }
};

} // namespace

TEST_F(Dispatcher, ReportsTheIdentity) {
    char text[256];
    EXPECT_EQ(call(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, kName);
    EXPECT_EQ(call(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, kName);
    EXPECT_EQ(call(effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Qualtrevin");
    EXPECT_EQ(call(effGetProgramName, 0, 0, text), 0);
    EXPECT_STREQ(text, kName);
    EXPECT_EQ(call(effGetVendorVersion), 1000);
    EXPECT_EQ(call(effGetVstVersion), 2400);
    EXPECT_EQ(call(effIdentify), 0x4E764566);
    EXPECT_EQ(call(effGetPlugCategory), 0);
    EXPECT_EQ(call(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(call(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(call(effGetProgram), 0);
}

TEST_F(Dispatcher, AnswersOnlyTheExactMidiCapability) {
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(canDo("receiveVstMidiEvents"), -1);
    EXPECT_EQ(canDo("ReceiveVstMidiEvent"), -1);
    EXPECT_EQ(canDo("receiveVstMidiEven"), -1);
    for (const char* text : {"receiveVstEvents", "receiveVstTimeInfo", "sendVstEvents",
                             "sendVstMidiEvent", "offline", "midiProgramNames", "bypass", ""})
        EXPECT_EQ(canDo(text), -1) << text;
    EXPECT_EQ(call(effCanDo, 0, 0, nullptr), -1);
}

TEST_F(Dispatcher, FixedAnswersAndUnknownOpcodesChangeNothing) {
    AEffect before;
    std::memcpy(&before, effect, sizeof before);
    for (VstInt32 index : {0, 3, 99})
        EXPECT_EQ(call(effCanBeAutomated, index), 1);
    for (VstInt32 opcode : std::initializer_list<VstInt32>{9,
                                                           16,
                                                           17,
                                                           18,
                                                           20,
                                                           21,
                                                           28,
                                                           30,
                                                           31,
                                                           32,
                                                           36,
                                                           37,
                                                           43,
                                                           46,
                                                           53,
                                                           54,
                                                           55,
                                                           57,
                                                           80,
                                                           1000,
                                                           -1,
                                                           -100,
                                                           effString2Parameter,
                                                           effGetInputProperties,
                                                           effGetOutputProperties,
                                                           effOfflineNotify,
                                                           effOfflinePrepare,
                                                           effOfflineRun,
                                                           effProcessVarIo,
                                                           effSetSpeakerArrangement,
                                                           effSetBypass,
                                                           effVendorSpecific,
                                                           effGetTailSize,
                                                           effGetParameterProperties,
                                                           effGetMidiProgramName,
                                                           effGetMidiProgramCategory,
                                                           effHasMidiProgramsChanged,
                                                           effGetMidiKeyName,
                                                           effBeginSetProgram,
                                                           effEndSetProgram,
                                                           effShellGetNextPlugin,
                                                           effStartProcess,
                                                           effStopProcess,
                                                           effSetPanLaw,
                                                           effBeginLoadBank,
                                                           effBeginLoadProgram,
                                                           effSetProcessPrecision,
                                                           effGetNumMidiInputChannels,
                                                           effGetNumMidiOutputChannels}) {
        char buffer[8] = "intact";
        EXPECT_EQ(call(opcode, 1, 1, buffer, 1.0f), 0) << opcode;
        EXPECT_STREQ(buffer, "intact") << opcode;
    }
    EXPECT_EQ(std::memcmp(&before, effect, sizeof before), 0);
}

TEST_F(Dispatcher, ProgramNumberStaysWithinTheOneProgram) {
    call(effSetProgram, 0, 1);
    EXPECT_EQ(call(effGetProgram), 0);
    call(effSetProgram, 0, -1);
    EXPECT_EQ(call(effGetProgram), 0);
    call(effSetProgram, 0, 0);
    EXPECT_EQ(call(effGetProgram), 0);

    char text[64];
    std::memcpy(text, "untouched", 10);
    EXPECT_EQ(call(effGetProgramNameIndexed, 0, 0, text), 0);
    EXPECT_STREQ(text, "untouched");
}

TEST_F(Dispatcher, SpeakerArrangementIsNullInBothPlaces) {
    void* input = &host;
    void* output = &host;
    EXPECT_EQ(call(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(Dispatcher, NullPointersAreAnsweredWithoutTouchingAnything) {
    for (VstInt32 opcode :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
          effGetParamName, effGetChunk, effSetChunk, effProcessEvents, effGetProgramNameIndexed,
          effGetEffectName, effGetVendorString, effGetProductString, effGetSpeakerArrangement})
        EXPECT_EQ(call(opcode, 0, opcode == effGetSpeakerArrangement ? 0 : 16, nullptr), 0)
            << opcode;
    EXPECT_EQ(call(effGetVendorVersion), 1000);
}

TEST_F(Dispatcher, ResumeAsksForMidiBeforeTheEffectInitialises) {
    host.clearCalls();
    call(effMainsChanged, 0, 1);
    ASSERT_GE(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(host.calls[0].value, 1);
    EXPECT_TRUE(host.calls[0].withRecord);
    EXPECT_EQ(host.calls[1].opcode, audioMasterGetTime);
    EXPECT_EQ(host.calls[1].value, kVstTempoValid);

    host.clearCalls();
    call(effMainsChanged, 0, 0);
    EXPECT_EQ(host.calls.size(), 0u);
}

TEST_F(Dispatcher, AnyNonZeroMainsValueResumesAndZeroSuspends) {
    // Straight after open the gains are 0.0 (silence); a resume makes them follow the sliders.
    for (VstIntPtr value : {VstIntPtr{2}, VstIntPtr{-1}}) {
        TestHost& other = host;
        AEffect* fresh = other.create();
        ASSERT_NE(fresh, nullptr);
        other.dispatch(fresh, effOpen);
        ChannelBuffers<float> in(8, 4), out(8, 4);
        for (auto& channel : in.data)
            std::fill(channel.begin(), channel.end(), 0.5f);
        process(fresh, in, out, 4);
        EXPECT_EQ(out.data[0][0], 0.0f) << value;
        other.clearCalls();
        other.dispatch(fresh, effMainsChanged, 0, value);
        ASSERT_FALSE(other.calls.empty()) << value;
        EXPECT_EQ(other.calls[0].opcode, audioMasterWantMidi) << value;
        EXPECT_EQ(other.calls[0].value, 1) << value;
        EXPECT_EQ(other.count(audioMasterGetTime, kVstTempoValid), 1) << value; // OnInit ran
        process(fresh, in, out, 4);
        EXPECT_EQ(out.data, in.data) << value;

        other.clearCalls();
        other.dispatch(fresh, effMainsChanged, 0, 0);
        EXPECT_EQ(other.calls.size(), 0u) << value;
        other.close(fresh);
    }
}
