// SPDX-License-Identifier: MIT
// The two system services of the editor's idle pass that the toolkit's back end does not
// offer, one small file per platform.
#pragma once

#include <cstdint>

namespace editor_platform {

// Pauses the calling thread. [ui]
void sleepMilliseconds(std::uint32_t milliseconds) noexcept;
// Takes one pending paint message of any window of the thread, if there is one, and handles it
// at once. [ui]
void dispatchOnePendingPaint() noexcept;

} // namespace editor_platform
