// SPDX-License-Identifier: MIT
#include "EditorPlatform.h"

#include "toolkit/platform/ToolkitBackend.h"

#include <ctime>

namespace editor_platform {

void sleepMilliseconds(std::uint32_t milliseconds) noexcept {
    timespec pause{static_cast<time_t>(milliseconds / 1000u),
                   static_cast<long>(milliseconds % 1000u) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

// The toolkit's back end reads its window-system events itself: handling them paints the
// exposures that are waiting.
void dispatchOnePendingPaint() noexcept {
    VSTGUI::platform::backend().processPendingEvents();
}

} // namespace editor_platform
