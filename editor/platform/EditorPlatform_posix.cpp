// SPDX-License-Identifier: MIT
#include "EditorPlatform.h"

#include <ctime>

namespace editor_platform {

void sleepMilliseconds(std::uint32_t milliseconds) noexcept {
    timespec pause{static_cast<time_t>(milliseconds / 1000u),
                   static_cast<long>(milliseconds % 1000u) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

// No native window system here: a frame's views are painted by whoever draws the frame.
void dispatchOnePendingPaint() noexcept {}

} // namespace editor_platform
