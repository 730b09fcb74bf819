// SPDX-License-Identifier: MIT
// A native 2-D object as the toolkit holds it: the handle and the last failing status of a
// call that acted on it. Failures are recorded and otherwise ignored: drawing simply does
// not appear.
#pragma once

#include "toolkit/platform/Drawing2D.h"

namespace VSTGUI {

// Truncation towards zero, as every integer platform call takes its coordinates.
inline std::int32_t trunc32(double value) {
    return static_cast<std::int32_t>(value);
}

template <typename Handle>
struct PlatformObject {
    Handle handle = nullptr;
    platform::Status lastStatus = platform::kOk;

    // Records a non-zero status and answers it.
    platform::Status record(platform::Status status) {
        if (status != platform::kOk) lastStatus = status;
        return status;
    }
};

using PlatformGraphics = PlatformObject<platform::GraphicsHandle>;
using PlatformPen = PlatformObject<platform::PenHandle>;
using PlatformBrush = PlatformObject<platform::BrushHandle>;

} // namespace VSTGUI
