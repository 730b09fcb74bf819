// SPDX-License-Identifier: MIT
// A plug-in whose entry point creates nothing.
#include "host/VstInterface.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
    return nullptr;
}
