// SPDX-License-Identifier: MIT
// Creation of one plug-in instance: the effect, the host's version check, the shell around the
// effect and the link back from the effect to the shell.
#pragma once

#include "BridgeEntries.h"
#include "CVeST.h"

#include <memory>

// What an entry point sets up beyond the common table. The shipped plug-in uses the default:
// the view's draw, mouse and key entries stay empty, no canvas interface, no editor, and the
// effect keeps its own reset values. The editor-enabled library fills them in; nothing else
// tells the two libraries apart.
template <class Effect>
struct PluginConfiguration {
    void (*draw)(CVeST* shell, double width, double height) = nullptr;
    void (*mouseDown)(CVeST* shell, double x, double y, int buttons) = nullptr;
    void (*mouseUp)(CVeST* shell, double x, double y, int buttons) = nullptr;
    void (*mouseMoved)(CVeST* shell, double x, double y, int buttons) = nullptr;
    void (*keyDown)(CVeST* shell, int character, std::uint8_t modifier,
                    std::uint8_t virtualKey) = nullptr;
    void (*keyUp)(CVeST* shell, int character, std::uint8_t modifier,
                  std::uint8_t virtualKey) = nullptr;
    const CanvasInterface* canvas = nullptr;
    // With a canvas interface and a width above 0, its createEditor runs with this size right
    // after the effect is linked to the shell.
    std::int32_t editorWidth = 0;
    std::int32_t editorHeight = 0;
    // Runs on the new effect before anything else sees it.
    void (*prepareEffect)(Effect& effect) = nullptr;
};

// Answers the host record of a new instance of `Effect`, or null when the host gives no
// callback, answers 0 to audioMasterVersion, or memory runs out. Every call makes an
// independent instance. [ui]
template <class Effect>
AEffect* createPlugin(audioMasterCallback audioMaster,
                      const PluginConfiguration<Effect>& configuration = {}) noexcept {
    if (audioMaster == nullptr) return nullptr;
    try {
        HostBridgeTable table = makeBridgeTable<Effect>();
        table.draw = configuration.draw;
        table.mouseDown = configuration.mouseDown;
        table.mouseUp = configuration.mouseUp;
        table.mouseMoved = configuration.mouseMoved;
        table.keyDown = configuration.keyDown;
        table.keyUp = configuration.keyUp;
        // Held here until the shell owns it; any early return or failure deletes it.
        auto effect = std::make_unique<Effect>();
        if (configuration.prepareEffect != nullptr) configuration.prepareEffect(*effect);
        const VstInt32 parameters = effect->SliderRecordCount();
        if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        auto* shell = new CVeST(audioMaster, 1, parameters, effect.get(), table);
        shell->setCanvas(configuration.canvas);
        effect.release()->SetShell(shell);
        const CanvasInterface* canvas = configuration.canvas;
        if (canvas != nullptr && canvas->createEditor != nullptr && configuration.editorWidth > 0)
            canvas->createEditor(shell, configuration.editorWidth, configuration.editorHeight);
        return shell->getAeffect();
    } catch (...) {
        return nullptr;
    }
}
