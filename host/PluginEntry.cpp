// SPDX-License-Identifier: MIT
// The library's exported entry points. Hosts look for VSTPluginMain, older ones for main or
// MAIN; each takes the host callback and answers a new instance's host record, or null.
#include "PluginExport.h"
#include "PluginFactory.h"
#include "effect/TTarvoEffect.h"

extern "C" {

QT_PLUGIN_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) noexcept {
    return createPlugin<TTarvoEffect>(audioMaster);
}

QT_PLUGIN_EXPORT AEffect* VSTCALLBACK MAIN(audioMasterCallback audioMaster) noexcept {
    return createPlugin<TTarvoEffect>(audioMaster);
}

} // extern "C"

QT_PLUGIN_MAIN_ALIAS
