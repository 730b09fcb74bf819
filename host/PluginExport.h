// SPDX-License-Identifier: MIT
// Export spelling of the entry points. Windows takes its export names from the library's
// module-definition file (which also names `main` as a second name of VSTPluginMain); ELF
// libraries export what is marked visible, and `main`, a name C++ keeps for itself, is made
// an alias of VSTPluginMain under its assembler name.
#pragma once

#if defined(_WIN32)
#define QT_PLUGIN_EXPORT
#define QT_PLUGIN_MAIN_ALIAS
#else
#define QT_PLUGIN_EXPORT __attribute__((visibility("default")))
#define QT_PLUGIN_MAIN_ALIAS                                                                       \
    extern "C" QT_PLUGIN_EXPORT AEffect* vstPluginMainAlias(audioMasterCallback) noexcept __asm__( \
        "main") __attribute__((alias("VSTPluginMain")));
#endif
