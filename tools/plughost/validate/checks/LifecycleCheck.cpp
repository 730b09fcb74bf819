// SPDX-License-Identifier: MIT
// lifecycle: open, resume, suspend and close, again and again, with memory in use measured
// after every cycle. What counts is the trend: memory a plug-in takes now and then (at its
// first use, for a cache, a pool that fills up) grows in steps that become rarer and stop, a
// leak grows steadily: in every one of the last four eighths of the cycles, by more than a few
// bytes per cycle on average. Growth that goes on after the cycles a level asks for is followed,
// the cycles doubled each time, to kMostCycles or for as long as kFollowSeconds allow, before it
// is judged; growth still steady when that time runs out is a warning, since it may yet stop.
#include "validate/CheckSupport.h"

#include "os/AllocationWatch.h"

#include <algorithm>
#include <cmath>

namespace plughost::validate {
namespace {

// Growth per cycle, over the last half, above which steady growth is a leak.
constexpr double kLeakBytesPerCycle = 16.0;
constexpr int kWarmUp = 10;
constexpr int kParts = 8;
constexpr int kMostCycles = 3200;
constexpr double kFollowSeconds = 120.0;
// Time allowed per cycle beyond the usual time-out: a slow plug-in is not a hung one.
constexpr double kSecondsPerCycle = 0.5;

std::string bytes(double count) {
    const std::string exact = std::to_string(std::llround(count)) + " bytes";
    return count >= 10240.0 ? number(std::round(count / 102.4) / 10.0) + " KB (" + exact + ")"
                            : exact;
}

// Runs cycles more cycles (after a warm-up when none ran yet), adding the memory in use after
// each to inUse (which starts with the memory in use after the warm-up).
void runCycles(Findings& out, const PluginLibrary& library, int cycles,
               std::vector<double>& inUse) {
    const bool first = inUse.empty();
    const int done = first ? -kWarmUp : static_cast<int>(inUse.size()) - 1;
    for (int cycle = done; cycle < done + (first ? kWarmUp : 0) + cycles; ++cycle) {
        const std::string which = " (cycle " + std::to_string(cycle + kWarmUp + 1) + ")";
        out.stage("opening the plug-in" + which);
        const std::unique_ptr<Plugin> plugin = openInstance(library);
        plugin->suspend();
        out.stage("closing the plug-in" + which);
        plugin->close();
        if (cycle >= -1) inUse.push_back(static_cast<double>(heapBytesInUse()));
    }
}

struct Trend {
    double growth = 0.0;   // bytes, over all counted cycles
    double lastHalf = 0.0; // bytes per cycle over the last half
    bool steady = true;    // grown in each of the last four eighths
    bool leak() const { return steady && lastHalf > kLeakBytesPerCycle; }
};

Trend trendOf(const std::vector<double>& inUse) {
    const int cycles = static_cast<int>(inUse.size()) - 1;
    const auto at = [&](int part) {
        return inUse[static_cast<std::size_t>(part * cycles / kParts)];
    };
    Trend trend;
    for (int part = kParts / 2; part < kParts; ++part)
        trend.steady = trend.steady && at(part + 1) > at(part);
    trend.growth = inUse.back() - inUse.front();
    const int half = kParts / 2 * cycles / kParts;
    trend.lastHalf = (inUse.back() - at(kParts / 2)) / (cycles - half);
    return trend;
}

} // namespace

double lifecycleTime(int level, double) {
    return (kWarmUp + lifecycleCycles(level)) * kSecondsPerCycle + kFollowSeconds;
}

void checkLifecycle(CheckContext& context) {
    Findings& out = context.out;
    out.stage("loading the library");
    const PluginLibrary library(context.plugin);
    const int asked = lifecycleCycles(context.level);
    std::vector<double> inUse;
    inUse.reserve(static_cast<std::size_t>(std::max(asked, kMostCycles) + 1)); // not to be measured
    const Clock::time_point start = Clock::now();
    runCycles(out, library, asked, inUse);
    const Clock::time_point followUntil = after(kFollowSeconds);
    Trend trend = trendOf(inUse);
    bool outOfTime = false;
    for (int cycles = asked; cycles < kMostCycles && trend.lastHalf > kLeakBytesPerCycle;
         cycles = static_cast<int>(inUse.size()) - 1) {
        // A round of as many cycles as all before it takes about as long as they did.
        outOfTime = Clock::now() + (Clock::now() - start) > followUntil;
        if (outOfTime) break;
        runCycles(out, library, std::min(cycles, kMostCycles - cycles), inUse);
        trend = trendOf(inUse);
    }
    const int cycles = static_cast<int>(inUse.size()) - 1;
    const std::string over = " over " + std::to_string(cycles) +
                             " open-resume-suspend-close cycles" +
                             (cycles > asked ? " (followed beyond the " + std::to_string(asked) +
                                                   " asked for, since it kept growing)"
                                             : "");
    const std::string perCycle = number(std::round(trend.lastHalf)) +
                                 " bytes per cycle over the last half; " + bytes(trend.growth) +
                                 over;
    // Growth that may yet stop (a pool filling up) is not called a leak unseen.
    if (trend.leak() && outOfTime)
        out.warn("memory in use still grew steadily when the time for following it ran out "
                 "(level 8 runs 1000 cycles)",
                 perCycle);
    else if (trend.leak())
        out.fail("memory in use grows with every cycle", perCycle);
    else if (trend.growth > 0.0)
        out.note("memory in use grew by " + bytes(trend.growth) + over + ", not steadily",
                 number(trend.lastHalf) + " bytes per cycle over the last half");
    else
        out.note("memory in use did not grow" + over);
}

} // namespace plughost::validate
