// SPDX-License-Identifier: MIT
// `plughost editor`: the plug-in's editor in a host window of its own, idle ticks about 60
// times a second, the window following the editor's size, and a picture on request.
//
// An editor that gives no size before it is opened (many do: they know it once they have made
// their window) gets a window of kDefaultSize; once open it is asked again and the window takes
// the size it gives. A request of the plug-in to resize its window (audioMasterSizeWindow) is
// followed at the next tick, the picture included.
#include "Commands.h"

#include "core/Plugin.h"
#include "os/HostWindow.h"

#include <chrono>
#include <optional>
#include <thread>

namespace plughost {
namespace {

constexpr EditorSize kDefaultSize{400, 300};
constexpr double kSampleRate = 44100.0;
constexpr VstInt32 kBlockSize = 512;
constexpr auto kIdleInterval = std::chrono::microseconds(16667);
// Time the plug-in's own drawing gets to be done before the picture.
constexpr auto kSettleTime = std::chrono::milliseconds(50);

// Gives the window the size the editor asks for, if it asks for another.
void followEditorSize(HostWindow& window, std::optional<EditorSize> size) {
    if (size && (size->width != window.width() || size->height != window.height()))
        window.resize(size->width, size->height);
}

// Idle ticks until the window is closed or the time is up; answers whether it is still open.
bool idle(Plugin& plugin, HostWindow& window, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(seconds);
    auto next = start;
    for (;;) {
        if (!window.pump()) return false;
        plugin.idleEditor();
        followEditorSize(window, plugin.takeSizeRequest());
        if (seconds > 0 && std::chrono::steady_clock::now() - start >= limit) return true;
        next += kIdleInterval;
        std::this_thread::sleep_until(next);
    }
}

void takePicture(Plugin& plugin, HostWindow& window, const std::string& path) {
    std::this_thread::sleep_for(kSettleTime);
    plugin.idleEditor();
    followEditorSize(window, plugin.takeSizeRequest());
    window.pump();
    std::this_thread::sleep_for(kSettleTime);
    window.savePicture(path);
}

} // namespace

void runEditor(const EditorOptions& options) {
    const PluginLibrary library(options.plugin);
    Plugin plugin(library, kSampleRate, kBlockSize);
    plugin.open(kSampleRate, kBlockSize);
    if (!plugin.hasEditor()) throw Failure(options.plugin + ": the plug-in has no editor");
    plugin.resume();

    const EditorSize size = plugin.editorSize().value_or(kDefaultSize);
    std::string reason;
    const std::unique_ptr<HostWindow> window =
        HostWindow::open(size.width, size.height, "plughost editor: " + options.plugin, reason);
    if (window == nullptr) throw Failure("cannot show the editor: " + reason);
    if (!plugin.openEditor(window->handle()))
        throw Failure(options.plugin + ": the editor did not open (effEditOpen)");
    followEditorSize(*window, plugin.editorSize());
    std::string failure;
    if (idle(plugin, *window, options.seconds) && !options.screenshot.empty()) {
        try {
            takePicture(plugin, *window, options.screenshot);
        } catch (const Failure& error) {
            failure = error.what();
        }
    }
    plugin.closeEditor();
    window->pump();
    if (!failure.empty()) throw Failure(failure);
}

} // namespace plughost
