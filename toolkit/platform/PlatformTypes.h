// SPDX-License-Identifier: MIT
// What both halves of the toolkit's platform seam share: the status answer of a 2-D call, the
// opaque handles that pass from one half to the other (a window's device context, the window
// itself) and the name of a module resource.
#pragma once

#include <cstdint>

namespace VSTGUI::platform {

using Status = std::int32_t;
inline constexpr Status kOk = 0;
// Answer of an operation given an argument it cannot use (the GDI+ "invalid parameter" status).
inline constexpr Status kInvalidParameter = 2;
// Answer of an operation the back end does not provide (the GDI+ "not implemented" status).
inline constexpr Status kNotImplemented = 6;

// Each names one native object; the back end casts its own pointers to and from these types.
// A null handle is "none".
struct NativeDeviceContext;
struct NativeWindow;
using DeviceContextHandle = NativeDeviceContext*; // what a window paints into
using WindowHandle = NativeWindow*;

// A resource of the module the toolkit is linked into: by name when `name` is not null, else
// by `number`.
struct ResourceName {
    const char* name = nullptr;
    std::uint16_t number = 0;
};

} // namespace VSTGUI::platform
