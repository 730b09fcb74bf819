// SPDX-License-Identifier: MIT
// plughost built without a window system (no X11 development files): no host window.
#include "HostWindow.h"

namespace plughost {

std::unique_ptr<HostWindow> HostWindow::open(int, int, const std::string&, std::string& reason) {
    reason = "this plughost was built without X11: it cannot show editors";
    return nullptr;
}

} // namespace plughost
