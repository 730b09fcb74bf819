// SPDX-License-Identifier: MIT
// `plughost editor PLUGIN [--seconds S] [--screenshot FILE.png]`: shows a plug-in's editor in a
// top-level window of its own, sized from the editor's rectangle, and sends it idle ticks at
// about 60 Hz. With --screenshot the editor area is saved as PNG after S seconds (default 1)
// and the editor closed; without --seconds it runs until the window is closed.
#pragma once

#include <string>
#include <vector>

namespace plughost {

struct EditorOptions {
    std::string plugin;
    double seconds = 0.0; // 0: until the window is closed
    std::string screenshot;
};

// Reads the arguments after "editor"; throws UsageError.
EditorOptions parseEditorArguments(const std::vector<std::string>& arguments);
// Runs the command and answers the process's exit code; reports failures on stderr.
int runEditorCommand(const std::vector<std::string>& arguments);

// The window-system part: opens the editor of the loaded plug-in (`record` is its AEffect
// record) in a window, runs it and takes the picture. Throws Failure.
void showEditor(void* record, const EditorOptions& options);

} // namespace plughost
