// SPDX-License-Identifier: MIT
#include "FuzzHost.h"

#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"

#include <cstdio>
#include <cstdlib>

namespace fuzzhost {
namespace {

VstTimeInfo g_time{};

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        g_time.sampleRate = 44100.0;
        g_time.tempo = 120.0;
        g_time.timeSigNumerator = 4;
        g_time.timeSigDenominator = 4;
        g_time.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid;
        return reinterpret_cast<VstIntPtr>(&g_time);
    case audioMasterGetSampleRate:
        return 44100;
    case audioMasterGetBlockSize:
        return 512;
    default:
        return 0;
    }
}

} // namespace

AEffect* createOpened(VstInt32 maxBlock) {
    AEffect* effect = createPlugin<TTarvoEffect>(&hostCallback);
    if (effect == nullptr) fault("the trimmer could not be created");
    dispatch(effect, effOpen);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effect, effSetBlockSize, 0, maxBlock);
    dispatch(effect, effMainsChanged, 0, 1);
    return effect;
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void close(AEffect* effect) {
    dispatch(effect, effMainsChanged, 0, 0);
    dispatch(effect, effClose);
}

std::vector<unsigned char> chunk(AEffect* effect) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effect, effGetChunk, 0, 0, &data);
    if (size < 0 || (size > 0 && data == nullptr)) fault("effGetChunk answered a broken chunk");
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

void fault(const char* reason) {
    std::fprintf(stderr, "fuzz: %s\n", reason);
    std::abort();
}

} // namespace fuzzhost
