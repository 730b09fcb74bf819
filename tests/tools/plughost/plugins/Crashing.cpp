// SPDX-License-Identifier: MIT
// A plug-in that faults in its first processing call.
#include "host/VstInterface.h"

#include <csignal>

namespace {

AEffect g_record{};

VstIntPtr dispatcher(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

void processReplacing(AEffect*, float**, float**, VstInt32) {
    std::raise(SIGSEGV);
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
    g_record.magic = kEffectMagic;
    g_record.dispatcher = dispatcher;
    g_record.numInputs = 8;
    g_record.numOutputs = 8;
    g_record.flags = effFlagsCanReplacing;
    g_record.processReplacing = processReplacing;
    return &g_record;
}
