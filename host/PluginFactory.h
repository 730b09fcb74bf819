// SPDX-License-Identifier: MIT
// Creation of one plug-in instance: the effect, the host's version check, the shell around the
// effect and the link back from the effect to the shell.
#pragma once

#include "BridgeEntries.h"
#include "CVeST.h"

#include <memory>

// Answers the host record of a new instance of `Effect`, or null when the host gives no
// callback, answers 0 to audioMasterVersion, or memory runs out. Every call makes an
// independent instance. [ui]
template <class Effect>
AEffect* createPlugin(audioMasterCallback audioMaster) noexcept {
    if (audioMaster == nullptr) return nullptr;
    try {
        const HostBridgeTable table = makeBridgeTable<Effect>();
        // Held here until the shell owns it; any early return or failure deletes it.
        auto effect = std::make_unique<Effect>();
        const VstInt32 parameters = effect->SliderRecordCount();
        if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        auto* shell = new CVeST(audioMaster, 1, parameters, effect.get(), table);
        effect.release()->SetShell(shell);
        return shell->getAeffect();
    } catch (...) {
        return nullptr;
    }
}
