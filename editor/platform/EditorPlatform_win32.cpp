// SPDX-License-Identifier: MIT
#include "EditorPlatform.h"

#include <windows.h>

namespace editor_platform {

void sleepMilliseconds(std::uint32_t milliseconds) noexcept {
    Sleep(milliseconds);
}

void dispatchOnePendingPaint() noexcept {
    MSG message;
    if (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) != 0)
        DispatchMessageW(&message);
}

} // namespace editor_platform
