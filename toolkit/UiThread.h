// SPDX-License-Identifier: MIT
// The window system's services for the thread that owns the editor's windows, as the editor's
// idle pass and its lifetime need them: the tick clock, a short pause, one waiting paint, and
// the thread's use of the window system.                                           [ui]
#pragma once

#include <cstdint>

namespace VSTGUI::ui_thread {

// Milliseconds from an arbitrary start, wrapping at 2^32.
std::uint32_t tickCount();
// Pauses the calling thread.
void sleep(std::uint32_t milliseconds);
// Handles one waiting paint of any of the thread's frame windows at once, if there is one.
void handleOnePendingPaint();
// Prepares the thread for the window system's services (Windows: OLE); answers whether
// endUse must follow.
bool beginUse();
void endUse();

} // namespace VSTGUI::ui_thread
