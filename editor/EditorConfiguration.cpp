// SPDX-License-Identifier: MIT
#include "EditorConfiguration.h"

#include "TarvoCanvas.h"
#include "TarvoViewEvents.h"

namespace {

void prepareTrimmer(TTarvoEffect& effect) {
    effect.SetResetBackgroundColor(kEditorBackgroundColor);
}

} // namespace

const PluginConfiguration<TTarvoEffect>& editorConfiguration() {
    static const PluginConfiguration<TTarvoEffect> configuration{tarvo_view::draw,
                                                                 tarvo_view::mouseDown,
                                                                 tarvo_view::mouseUp,
                                                                 tarvo_view::mouseMoved,
                                                                 nullptr,
                                                                 nullptr,
                                                                 &toolkitCanvas(),
                                                                 kEditorWidth,
                                                                 kEditorHeight,
                                                                 prepareTrimmer};
    return configuration;
}
