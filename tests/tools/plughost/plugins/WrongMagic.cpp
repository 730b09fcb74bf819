// SPDX-License-Identifier: MIT
// A plug-in whose record does not carry the interface's magic number.
#include "host/VstInterface.h"

namespace {
AEffect g_record{};
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
    g_record.magic = 0x42616450; // "BadP"
    return &g_record;
}
