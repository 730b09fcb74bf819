// SPDX-License-Identifier: MIT
// lifecycle: open, resume, suspend and close, again and again, with memory in use measured.
#include "validate/CheckSupport.h"

#include "os/AllocationWatch.h"

namespace plughost::validate {

void checkLifecycle(CheckContext& context) {
    Findings& out = context.out;
    out.stage("loading the library");
    const PluginLibrary library(context.plugin);
    const int cycles = context.level >= kLongLifecycleLevel ? 1000 : 100;
    constexpr int kWarmUp = 10;
    std::size_t before = 0;
    for (int cycle = 0; cycle < kWarmUp + cycles; ++cycle) {
        if (cycle == kWarmUp) before = heapBytesInUse();
        if (cycle < 3) out.stage("opening the plug-in (cycle " + std::to_string(cycle + 1) + ")");
        const std::unique_ptr<Plugin> plugin = openInstance(library);
        plugin->suspend();
        if (cycle < 3) out.stage("closing the plug-in (cycle " + std::to_string(cycle + 1) + ")");
        plugin->close();
    }
    const std::size_t now = heapBytesInUse();
    const double growth = static_cast<double>(now) - static_cast<double>(before);
    const std::string text = "memory in use grew by " + number(growth) + " bytes over " +
                             std::to_string(cycles) + " open-resume-suspend-close cycles (" +
                             number(growth / cycles) + " per cycle)";
    if (growth > 32.0 * cycles)
        out.fail(text);
    else
        out.note(text);
}

} // namespace plughost::validate
