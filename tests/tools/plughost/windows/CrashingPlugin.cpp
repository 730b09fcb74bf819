// SPDX-License-Identifier: MIT
// A Windows plug-in that makes an access violation in its first processing call.
#include "host/VstInterface.h"

namespace {

AEffect g_record{};

VstIntPtr dispatcher(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

void processReplacing(AEffect*, float**, float**, VstInt32) {
    volatile int* volatile nowhere = nullptr; // volatile: the store is made, not dropped
    *nowhere = 1;
}

} // namespace

extern "C" __declspec(dllexport) AEffect* VSTPluginMain(audioMasterCallback) {
    g_record.magic = kEffectMagic;
    g_record.dispatcher = dispatcher;
    g_record.numInputs = 8;
    g_record.numOutputs = 8;
    g_record.flags = effFlagsCanReplacing;
    g_record.processReplacing = processReplacing;
    return &g_record;
}
