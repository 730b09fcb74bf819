// SPDX-License-Identifier: MIT
// How the editor-enabled library sets up each trimmer instance: the view's draw and mouse
// entries reach the runtime, the canvas interface draws on the toolkit, an editor of
// 400 x 300 pixels is made right after the shell is linked, and every reset gives the
// background colour 0x2F7F3F (as 0xBBGGRR: red 0x3F, green 0x7F, blue 0x2F).
#pragma once

#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"

inline constexpr std::int32_t kEditorWidth = 400;
inline constexpr std::int32_t kEditorHeight = 300;
inline constexpr double kEditorBackgroundColor = 3112767.0;

const PluginConfiguration<TTarvoEffect>& editorConfiguration();
