// SPDX-License-Identifier: MIT
#include "toolkit/UiThread.h"

#include "toolkit/platform/WindowSystem.h"

namespace VSTGUI::ui_thread {

namespace winsys = platform::window_system;

std::uint32_t tickCount() {
    return winsys::tickCount();
}

void sleep(std::uint32_t milliseconds) {
    winsys::sleep(milliseconds);
}

void handleOnePendingPaint() {
    winsys::handleOnePendingPaint();
}

bool beginUse() {
    return winsys::beginThreadUse();
}

void endUse() {
    winsys::endThreadUse();
}

} // namespace VSTGUI::ui_thread
