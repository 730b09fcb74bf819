// SPDX-License-Identifier: MIT
// The runtime's functions for the bridge table's view entries: the drawing pass and the mouse
// bridge. The editor's view calls them with its shell; each reaches the effect through the
// shell's effect pointer. The runtime has nothing for the key entries.
//
// The mouse bridge stores the pointer position exactly as received, translates the toolkit's
// button and modifier flags into the effect's bits (1 left, 2 right, 4 control, 8 shift,
// 16 alt, 64 middle; the extra buttons and the double-click flag are dropped) and raises the
// redraw rate to at least 30 per second, so the editor follows the mouse.
#pragma once

#include <cstdint>

class CVeST;

namespace tarvo_view {

// The lowest redraw rate while the mouse is used.
inline constexpr double kMouseRedrawRate = 30.0;

// The effect's button bits for a set of toolkit mouse flags.
std::int32_t effectButtons(std::int32_t f) noexcept;

// Entry `draw`: runs the effect's drawing pass (the effect asks for its area size itself). [ui]
void draw(CVeST* shell, double width, double height);
// Entry `mouseDown`: position and translated buttons. [ui]
void mouseDown(CVeST* shell, double x, double y, int flags);
// Entry `mouseUp`: buttons cleared, position. [ui]
void mouseUp(CVeST* shell, double x, double y, int flags);
// Entry `mouseMoved`: position only; the buttons of the last mouse-down stay. [ui]
void mouseMoved(CVeST* shell, double x, double y, int flags);

} // namespace tarvo_view
