// SPDX-License-Identifier: MIT
// editor: opened in a host window, idled for a second and closed, twice.
#include "validate/CheckSupport.h"

#include "os/HostWindow.h"

#include <thread>

namespace plughost::validate {
namespace {

// The plug-in's windows live on its own display connection: what it made or destroyed may reach
// the server a moment after its call returned. Waits up to 200 ms for the count to settle on
// the wanted side and answers the last count seen.
int childWindowsSettled(HostWindow& window, bool wantSome) {
    const auto end = after(0.2);
    int count = window.childWindows();
    while ((count > 0) != wantSome && Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        window.pump();
        count = window.childWindows();
    }
    return count;
}

// One round: the editor opened in a window of the size it gives (400 x 300 when it gives none),
// idled for a second (its window following its size requests) and closed. Answers false when
// there is no display.
bool editorRound(Findings& out, Plugin& plugin, int round) {
    constexpr EditorSize kDefaultSize{400, 300};
    const std::string which = " (round " + std::to_string(round) + ")";
    out.stage("asking for the editor's size" + which);
    const std::optional<EditorSize> given = plugin.editorSize();
    if (!given && round == 1)
        out.warn("effEditGetRect gave no size before the editor was opened; 400 x 300 used");
    const EditorSize size = given.value_or(kDefaultSize);
    std::string reason;
    const std::unique_ptr<HostWindow> window =
        HostWindow::open(size.width, size.height, "plughost validate", reason);
    if (window == nullptr) {
        out.skip(reason);
        return false;
    }
    out.stage("opening the editor" + which);
    plugin.openEditor(window->handle());
    bool sized = given || plugin.editorSize();
    out.stage("idling the editor" + which);
    const auto end = after(1.0);
    while (Clock::now() < end) {
        plugin.idleEditor();
        if (const std::optional<EditorSize> wanted = plugin.takeSizeRequest()) {
            window->resize(wanted->width, wanted->height);
            sized = true;
        }
        window->pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const bool windowed = childWindowsSettled(*window, true) > 0;
    if (!windowed && !sized)
        out.fail("the editor flag promises an editor that gives neither a size nor a window "
                 "(hosts show an empty window)" +
                 which);
    else if (!windowed)
        out.warn("the editor put no window into the host's window" + which);
    out.stage("closing the editor" + which);
    plugin.closeEditor();
    window->pump();
    const int left = childWindowsSettled(*window, false);
    if (left > 0)
        out.warn("the editor left " + std::to_string(left) +
                 " window(s) in the host's window after effEditClose" + which);
    if (round == 1)
        out.note("editor of " + std::to_string(size.width) + " x " + std::to_string(size.height) +
                 " pixels opened, idled for a second and closed twice");
    return true;
}

} // namespace

void checkEditor(CheckContext& context) {
    Findings& out = context.out;
    const CheckedPlugin checked(context);
    if (!checked->hasEditor()) {
        out.skip("the plug-in has no editor");
        return;
    }
    for (int round = 1; round <= 2; ++round)
        if (!editorRound(out, *checked, round)) return;
}

} // namespace plughost::validate
