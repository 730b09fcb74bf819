// SPDX-License-Identifier: MIT
// The exported entry points of a plug-in library. Hosts look for VSTPluginMain, older ones
// for main or MAIN; each takes the host callback and answers a new instance's host record, or
// null. `main` is the same function as VSTPluginMain under a second name: Windows takes the
// export names from the library's module-definition file, which lists it so; ELF libraries
// export what is marked visible, and `main`, a name C++ keeps for itself, is made an alias
// under its assembler name. MAIN is an identical twin.
#pragma once

#include "PluginFactory.h"

#if defined(_WIN32)
#define QT_PLUGIN_EXPORT
#define QT_PLUGIN_MAIN_ALIAS
#else
#define QT_PLUGIN_EXPORT __attribute__((visibility("default")))
#define QT_PLUGIN_MAIN_ALIAS                                                                       \
    extern "C" QT_PLUGIN_EXPORT AEffect* vstPluginMainAlias(audioMasterCallback) noexcept __asm__( \
        "main") __attribute__((alias("VSTPluginMain")));
#endif

// Defines the entry points of a library whose plug-in is the effect class `Effect`, set up as
// `configuration` (a PluginConfiguration<Effect>) says. [ui]
#define QT_PLUGIN_CONFIGURED_ENTRY_POINTS(Effect, configuration)                                   \
    extern "C" {                                                                                   \
    QT_PLUGIN_EXPORT AEffect* VSTCALLBACK                                                          \
    VSTPluginMain(audioMasterCallback audioMaster) noexcept {                                      \
        return createPlugin<Effect>(audioMaster, configuration);                                   \
    }                                                                                              \
    QT_PLUGIN_EXPORT AEffect* VSTCALLBACK MAIN(audioMasterCallback audioMaster) noexcept {         \
        return createPlugin<Effect>(audioMaster, configuration);                                   \
    }                                                                                              \
    }                                                                                              \
    QT_PLUGIN_MAIN_ALIAS

// The same with the default configuration: no editor. [ui]
#define QT_PLUGIN_ENTRY_POINTS(Effect)                                                             \
    QT_PLUGIN_CONFIGURED_ENTRY_POINTS(Effect, PluginConfiguration<Effect>{})
