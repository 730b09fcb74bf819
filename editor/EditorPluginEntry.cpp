// SPDX-License-Identifier: MIT
// The level trimmer with its editor: the same plug-in as the shipped library, with the entry
// point configured for the editor path.
#include "EditorConfiguration.h"
#include "host/PluginExport.h"

QT_PLUGIN_CONFIGURED_ENTRY_POINTS(TTarvoEffect, editorConfiguration())
