// SPDX-License-Identifier: MIT
// The level trimmer's library: its entry points make TTarvoEffect instances.
#include "PluginExport.h"
#include "effect/TTarvoEffect.h"

QT_PLUGIN_ENTRY_POINTS(TTarvoEffect)
