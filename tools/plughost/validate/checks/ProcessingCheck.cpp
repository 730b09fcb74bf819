// SPDX-License-Identifier: MIT
// processing: every sample rate on an instance of its own (created while the host answers that
// rate), every block size on its own and then changing between calls, both precisions and the
// test signals, each run after a reset (suspend, resume), every output sample scanned. From
// level 5, NaN and infinite input follow, and how long the output stays non-finite after that
// input ends is measured.
#include "validate/CheckAudio.h"
#include "validate/CheckSupport.h"

#include <algorithm>
#include <cmath>

namespace plughost::validate {
namespace {

// The recovery runs: a lead of sine, the bad input, then sine again, in blocks of this size.
constexpr int kRecoveryBlock = 512;
constexpr long kRecoveryLead = 8 * kRecoveryBlock;
constexpr long kRecoveryBad = 8 * kRecoveryBlock;
// Output finite for this long (beyond the plug-in's delay) counts as recovered.
constexpr double kSettleSeconds = 0.5;

struct Plan {
    std::vector<double> rates;
    std::vector<int> blockSizes; // each on its own, then all of them changing between calls
    std::vector<Signal> signals;
    bool recovery = false;
    double seconds = 1.0;
    int level = 5;

    int largest() const { return *std::max_element(blockSizes.begin(), blockSizes.end()); }
    // Frames of a run with blockSize frames per call (0: changing sizes): a share of
    // --seconds, at most kMostCalls calls of tiny blocks (some plug-ins take a millisecond per
    // call, whatever its length), at least two calls.
    long frames(double rate, int blockSize) const {
        constexpr long kMostCalls = 512;
        if (blockSize == 0) {
            long sum = 0;
            for (const int size : blockSizes)
                sum += size;
            return std::max(sum, static_cast<long>(rate * seconds / 4.0));
        }
        return std::max(2L * blockSize,
                        std::min(kMostCalls * blockSize, static_cast<long>(rate * seconds / 16.0)));
    }
};

Plan planFor(int level, double seconds) {
    Plan plan;
    plan.seconds = seconds;
    plan.level = level;
    if (level < kFullProcessingLevel) {
        plan.rates = {44100.0, 48000.0};
        plan.blockSizes = {64, 512};
        plan.signals = {Signal::Silence, Signal::Sine, Signal::Noise};
        return plan;
    }
    plan.rates = {44100.0, 48000.0, 96000.0, 192000.0};
    plan.blockSizes = {1, 7, 64, 512, 4096, 8192};
    plan.signals = {Signal::Silence, Signal::Sine, Signal::Noise, Signal::Subnormal};
    plan.recovery = true;
    return plan;
}

// One run of a signal from a reset, blockSize frames per call (0: the plan's sizes in turn).
template <class Sample>
long runSignal(Findings& out, Plugin& plugin, const Plan& plan, double rate, int blockSize,
               Signal signal) {
    const int largest = plan.largest();
    plugin.restart(rate, blockSize == 0 ? largest : blockSize);
    GuardedBuffers<Sample> in(plugin.inputs(), largest), outBuffers(plugin.outputs(), largest);
    GuardedCall<Sample> call(out, plugin);
    Case where;
    where.precision = static_cast<int>(sizeof(Sample) * 8);
    where.sampleRate = rate;
    where.blockSize = blockSize;
    where.changingBlocks = blockSize == 0;
    where.placement = placementName(Placement::Separate);
    where.input = signalName(signal);
    out.stage("processing " + describe(where), where);
    std::mt19937 random(1234);
    Scan result;
    const long frames = plan.frames(rate, blockSize);
    std::size_t next = 0;
    for (long done = 0; done < frames;) {
        const int size =
            blockSize != 0 ? blockSize : plan.blockSizes[next++ % plan.blockSizes.size()];
        const int block = static_cast<int>(std::min<long>(size, frames - done));
        fill(in, plugin.inputs(), block, signal, done, rate, random);
        fill(outBuffers, plugin.outputs(), block, Signal::Silence, done, rate, random);
        call(in, outBuffers, block, where);
        scan(outBuffers, plugin.outputs(), block, done, result);
        done += block;
    }
    if (result.nonFinite > 0) {
        Case at = where;
        at.channel = result.nonFiniteChannel;
        at.frame = result.firstNonFinite;
        out.fail("NaN or infinite output", std::to_string(result.nonFinite) + " samples", at);
    }
    if (result.subnormal > 0) {
        Case at = where;
        at.channel = result.subnormalChannel;
        at.frame = result.firstSubnormal;
        out.warn("subnormal output", std::to_string(result.subnormal) + " samples", at);
    }
    return frames;
}

// Where a recovery run stands.
struct Recovery {
    Scan lead;               // the output before the bad input
    Scan after;              // the output after the bad input's blocks
    long long inputEnd = -1; // the frame after the last non-finite input sample
    long long done = 0;
    bool recovered = false;
};

// Judges a finished recovery run.
void judgeRecovery(Findings& out, const Recovery& run, Case where, double allowance, long delay) {
    const std::string input = std::string(where.input) + " input";
    if (run.lead.nonFinite > 0) {
        where.frame = run.lead.firstNonFinite;
        out.fail("NaN or infinite output after a reset that followed NaN or infinite input",
                 std::to_string(run.lead.nonFinite) +
                     " non-finite samples in the sine given before the " + input,
                 where);
        return;
    }
    const double rate = where.sampleRate;
    const long long late =
        run.after.lastNonFinite < 0 ? 0 : run.after.lastNonFinite + 1 - run.inputEnd - delay;
    const std::string delayText =
        delay > 0 ? ", beyond the plug-in's delay of " + std::to_string(delay) + " frames" : "";
    where.frame = run.after.lastNonFinite;
    if (!run.recovered)
        out.fail("output not finite again within " + duration(allowance) + " after the " + input +
                     " ended",
                 "still non-finite at frame " + std::to_string(run.after.lastNonFinite) +
                     ", the input ended at frame " + std::to_string(run.inputEnd),
                 where);
    else if (static_cast<double>(late) > allowance * rate)
        out.fail("output not finite again within " + duration(allowance) + " after the " + input +
                     " ended",
                 "finite again after " + duration(static_cast<double>(late) / rate) + delayText,
                 where);
    else if (late > where.blockSize)
        out.warn("output non-finite for a while after the " + input + " ended",
                 "finite again after " + duration(static_cast<double>(late) / rate) + " (" +
                     std::to_string(late) + " frames)" + delayText,
                 where);
}

// A lead of sine, the bad input, then sine until the output has been finite for a while (or
// for longer than the level allows): how long the output stays non-finite after the bad input.
template <class Sample>
long measureRecovery(Findings& out, Plugin& plugin, const Plan& plan, double rate, Signal bad) {
    if (plugin.inputs() == 0) return 0; // nothing to give it
    plugin.restart(rate, kRecoveryBlock);
    const long delay = plugin.reportedDelay();
    const double allowance = recoveryAllowanceSeconds(plan.level);
    const auto settle = static_cast<long long>(kSettleSeconds * rate) + delay;
    const auto giveUp = static_cast<long long>(allowance * rate) + settle;
    GuardedBuffers<Sample> in(plugin.inputs(), kRecoveryBlock),
        outBuffers(plugin.outputs(), kRecoveryBlock);
    GuardedCall<Sample> call(out, plugin);
    Case where;
    where.precision = static_cast<int>(sizeof(Sample) * 8);
    where.sampleRate = rate;
    where.blockSize = kRecoveryBlock;
    where.placement = placementName(Placement::Separate);
    where.input = signalName(bad);
    out.stage("measuring the recovery from " + describe(where), where);
    std::mt19937 random(1234);
    Recovery run;
    for (;;) {
        const long long at = run.done;
        const bool badNow = at >= kRecoveryLead && at < kRecoveryLead + kRecoveryBad;
        fill(in, plugin.inputs(), kRecoveryBlock, badNow ? bad : Signal::Sine, at, rate, random);
        if (badNow) {
            Scan input;
            scan(in, plugin.inputs(), kRecoveryBlock, at, input);
            if (input.lastNonFinite >= 0) run.inputEnd = input.lastNonFinite + 1;
        }
        call(in, outBuffers, kRecoveryBlock, where);
        if (at < kRecoveryLead) // the bad input's own blocks are not judged
            scan(outBuffers, plugin.outputs(), kRecoveryBlock, at, run.lead);
        else if (!badNow)
            scan(outBuffers, plugin.outputs(), kRecoveryBlock, at, run.after);
        run.done += kRecoveryBlock;
        if (run.done < kRecoveryLead + kRecoveryBad || run.inputEnd < 0) continue;
        const long long finiteSince = std::max(run.inputEnd, run.after.lastNonFinite + 1);
        if (run.done - finiteSince >= settle) {
            run.recovered = true;
            break;
        }
        if (run.done - run.inputEnd >= giveUp) break;
    }
    judgeRecovery(out, run, where, allowance, delay);
    return static_cast<long>(run.done);
}

} // namespace

double processingTime(int level, double seconds) {
    const Plan plan = planFor(level, seconds);
    double audio = 0.0;
    for (const double rate : plan.rates) {
        for (const int size : plan.blockSizes)
            audio += static_cast<double>(plan.frames(rate, size)) / rate;
        audio += static_cast<double>(plan.frames(rate, 0)) / rate;
    }
    audio *= 2.0 * static_cast<double>(plan.signals.size());
    if (plan.recovery)
        audio += static_cast<double>(plan.rates.size()) * 4.0 *
                 (recoveryAllowanceSeconds(level) + kSettleSeconds + 0.2);
    // A plug-in may process at half real time before it counts as hung.
    return 2.0 * audio;
}

void checkProcessing(CheckContext& context) {
    Findings& out = context.out;
    const Plan plan = planFor(context.level, context.seconds);
    out.stage("loading the library");
    const PluginLibrary library(context.plugin);
    std::vector<int> sizes = plan.blockSizes;
    sizes.push_back(0); // changing between calls
    long frames = 0;
    bool doubles = false;
    for (const double rate : plan.rates) {
        out.stage("creating and opening the plug-in at " + number(rate) + " Hz");
        const std::unique_ptr<Plugin> instance = openInstance(library, rate, plan.largest());
        Plugin& plugin = *instance;
        doubles = plugin.canDoubleReplacing();
        for (const int size : sizes)
            for (const Signal signal : plan.signals) {
                frames += runSignal<float>(out, plugin, plan, rate, size, signal);
                if (doubles) frames += runSignal<double>(out, plugin, plan, rate, size, signal);
            }
        if (!plan.recovery) continue;
        for (const Signal bad : {Signal::NotANumber, Signal::Infinity}) {
            frames += measureRecovery<float>(out, plugin, plan, rate, bad);
            if (doubles) frames += measureRecovery<double>(out, plugin, plan, rate, bad);
        }
    }
    out.note(std::to_string(frames) + " frames at " + std::to_string(plan.rates.size()) +
             " sample rates, " + std::to_string(plan.blockSizes.size()) +
             " block sizes on their own and changing between calls, " +
             (doubles ? "32- and 64-bit" : "32-bit") + ", each run after a reset" +
             (plan.recovery ? "; recovery from NaN and infinite input measured" : ""));
}

} // namespace plughost::validate
