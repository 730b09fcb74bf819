// SPDX-License-Identifier: MIT
// processing: every rate and block size, both precisions, test signals and special input, in
// place against separate buffers.
#include "validate/CheckSupport.h"

#include <algorithm>
#include <cmath>

namespace plughost::validate {
namespace {

struct ProcessingTally {
    int failures = 0;
    long subnormal = 0;
    std::string firstSubnormal;
    long frames = 0;
};

// One run of a signal at the instance's current rate, with block sizes cycling through
// blocks. Special inputs (NaN, infinity) fill the first half of the run; the output must be
// finite again in its last quarter.
template <class Sample>
void runSignal(Findings& out, Plugin& plugin, double rate, const std::vector<int>& blocks,
               Signal signal, long frames, ProcessingTally& tally) {
    const int largest = *std::max_element(blocks.begin(), blocks.end());
    ChannelBuffers<Sample> in(plugin.inputs(), largest), outBuffers(plugin.outputs(), largest);
    std::mt19937 random(1234);
    const bool special = signal == Signal::NotANumber || signal == Signal::Infinity;
    const std::string where = std::string(sizeof(Sample) == 4 ? "32-bit" : "64-bit") + ", " +
                              number(rate / 1000.0) + " kHz, " + signalName(signal) + " input";
    out.stage("processing " + where);
    Scan result;
    long done = 0;
    std::size_t next = 0;
    while (done < frames) {
        const int block =
            static_cast<int>(std::min<long>(blocks[next++ % blocks.size()], frames - done));
        const Signal now = special && done >= frames / 2 ? Signal::Sine : signal;
        fill(in.data, plugin.inputs(), block, now, done, rate, random);
        for (auto& channel : outBuffers.data)
            std::fill(channel.begin(), channel.begin() + block, Sample(0));
        plugin.process(in.channels(), outBuffers.channels(), block);
        if (!special || done >= frames * 3 / 4)
            scan(outBuffers.data, plugin.outputs(), block, result);
        done += block;
    }
    tally.frames += done;
    if (result.nonFinite > 0 && tally.failures++ < 8)
        out.fail(special
                     ? "output not finite again (" + std::to_string(result.nonFinite) +
                           " samples) after the " + signalName(signal) + " input ended; " + where
                     : std::to_string(result.nonFinite) + " NaN or infinite output samples; " +
                           where);
    if (result.subnormal > 0) {
        if (tally.subnormal == 0) tally.firstSubnormal = where;
        tally.subnormal += result.subnormal;
    }
}

// The same input processed by two instances, one with separate buffers and one in place.
template <class Sample>
void compareInPlace(Findings& out, const PluginLibrary& library) {
    constexpr int kBlock = 512;
    constexpr int kBlocks = 16;
    const std::string what = sizeof(Sample) == 4 ? "32-bit" : "64-bit";
    out.stage("processing " + what + " in place");
    const std::unique_ptr<Plugin> separateInstance = openInstance(library, 44100.0, kBlock);
    Plugin& separate = *separateInstance;
    const std::unique_ptr<Plugin> sharedInstance = openInstance(library, 44100.0, kBlock);
    Plugin& shared = *sharedInstance;
    const int inputs = separate.inputs(), outputs = separate.outputs();
    ChannelBuffers<Sample> in(inputs, kBlock), outBuffers(outputs, kBlock);
    ChannelBuffers<Sample> io(std::max(inputs, outputs), kBlock);
    std::vector<Sample*> ioIn(io.pointers.begin(), io.pointers.begin() + std::max(inputs, 1));
    std::vector<Sample*> ioOut(io.pointers.begin(), io.pointers.begin() + std::max(outputs, 1));
    std::mt19937 random(99);
    bool warned = false;
    for (int b = 0; b < kBlocks; ++b) {
        fill(in.data, inputs, kBlock, Signal::Sine, b * kBlock, 44100.0, random);
        for (auto& channel : io.data)
            std::fill(channel.begin(), channel.end(), Sample(0));
        fill(io.data, inputs, kBlock, Signal::Sine, b * kBlock, 44100.0, random);
        separate.process(in.channels(), outBuffers.channels(), kBlock);
        shared.process(ioIn.data(), ioOut.data(), kBlock);
        Scan result;
        scan(io.data, outputs, kBlock, result);
        if (result.nonFinite > 0) {
            out.fail(what + " in-place processing gives " + std::to_string(result.nonFinite) +
                     " NaN or infinite samples");
            return;
        }
        for (int c = 0; c < outputs && !warned; ++c)
            for (int j = 0; j < kBlock && !warned; ++j) {
                const double a =
                    outBuffers.data[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
                const double s = io.data[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
                if (std::fabs(a - s) > 1e-6 * std::max(1.0, std::fabs(a))) {
                    out.warn(what + " in-place output differs from separate buffers: channel " +
                             std::to_string(c) + ", frame " + std::to_string(b * kBlock + j) +
                             ": " + number(s) + " instead of " + number(a));
                    warned = true;
                }
            }
    }
}

} // namespace

void checkProcessing(CheckContext& context) {
    Findings& out = context.out;
    const bool full = context.level >= kFullProcessingLevel;
    const std::vector<double> rates = full
                                          ? std::vector<double>{44100.0, 48000.0, 96000.0, 192000.0}
                                          : std::vector<double>{44100.0, 48000.0};
    const std::vector<int> blocks =
        full ? std::vector<int>{1, 7, 64, 512, 4096, 8192} : std::vector<int>{64, 512};
    std::vector<Signal> signals{Signal::Silence, Signal::Sine, Signal::Noise};
    if (full)
        signals.insert(signals.end(), {Signal::NotANumber, Signal::Infinity, Signal::Subnormal});
    const int largest = *std::max_element(blocks.begin(), blocks.end());
    long blockSum = 0;
    for (int block : blocks)
        blockSum += block;

    const CheckedPlugin checked(context, rates.front(), largest);
    Plugin& plugin = *checked;
    ProcessingTally tally;
    for (const double rate : rates) {
        out.stage("changing the sample rate to " + number(rate) + " Hz");
        plugin.restart(rate, largest);
        const long frames = std::max(blockSum, static_cast<long>(rate * context.seconds * 0.25));
        for (const Signal signal : signals) {
            runSignal<float>(out, plugin, rate, blocks, signal, frames, tally);
            if (plugin.canDoubleReplacing())
                runSignal<double>(out, plugin, rate, blocks, signal, frames, tally);
        }
    }
    if (full) {
        compareInPlace<float>(out, checked.library());
        if (plugin.canDoubleReplacing()) compareInPlace<double>(out, checked.library());
    }
    if (tally.subnormal > 0)
        out.warn("subnormal output: " + std::to_string(tally.subnormal) + " samples, first with " +
                 tally.firstSubnormal);
    out.note(std::to_string(tally.frames) + " frames at " + std::to_string(rates.size()) +
             " sample rates, block sizes cycling through " + std::to_string(blocks.size()) +
             " sizes, " + (plugin.canDoubleReplacing() ? "32- and 64-bit" : "32-bit") +
             (full ? ", in place" : ""));
}

} // namespace plughost::validate
