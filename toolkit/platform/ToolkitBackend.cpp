// SPDX-License-Identifier: MIT
#include "toolkit/platform/ToolkitBackend.h"

namespace VSTGUI::platform {

namespace {
ToolkitBackend* g_installedBackend = nullptr;
} // namespace

ToolkitBackend& backend() {
    return g_installedBackend ? *g_installedBackend : defaultBackend();
}

void installBackend(ToolkitBackend* backend) {
    g_installedBackend = backend;
}

} // namespace VSTGUI::platform
