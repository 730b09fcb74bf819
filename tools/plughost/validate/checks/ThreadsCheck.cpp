// SPDX-License-Identifier: MIT
// threads: automation and chunk get and set from a second thread while processing.
#include "validate/CheckAudio.h"
#include "validate/CheckSupport.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace plughost::validate {

void checkThreads(CheckContext& context) {
    Findings& out = context.out;
    constexpr int kBlock = 512;
    const CheckedPlugin checked(context, 44100.0, kBlock);
    Plugin& plugin = *checked;
    const VstInt32 count = std::min(plugin.parameterCount(), kMaxSweptParameters);
    const double phase = std::max(context.seconds, 0.2) / 2.0;

    std::atomic<bool> finished{false};
    long changes = 0, roundTrips = 0;
    std::string chunkFailure; // what the second thread's chunk calls threw
    out.stage("processing while a second thread automates the parameters and swaps the chunk");
    std::thread worker([&] {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        const auto automationEnd = after(phase);
        while (Clock::now() < automationEnd) {
            for (VstInt32 i = 0; i < count; ++i, ++changes)
                plugin.setParameter(i, value(random));
            if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const auto chunkEnd = after(phase);
        while (Clock::now() < chunkEnd) {
            if (!plugin.programsAreChunks()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            try {
                plugin.setChunk(plugin.chunk());
            } catch (const Failure& failure) {
                chunkFailure = failure.what();
                break;
            }
            ++roundTrips;
        }
        finished = true;
    });

    GuardedBuffers<float> in(plugin.inputs(), kBlock), outBuffers(plugin.outputs(), kBlock);
    GuardedBuffers<double> din(plugin.inputs(), kBlock), dout(plugin.outputs(), kBlock);
    GuardedCall<float> call(out, plugin);
    GuardedCall<double> doubleCall(out, plugin);
    Case where;
    where.sampleRate = 44100.0;
    where.blockSize = kBlock;
    where.input = signalName(Signal::Sine);
    Case doubleWhere = where;
    where.precision = 32;
    doubleWhere.precision = 64;
    std::mt19937 random(5);
    long blocks = 0;
    Scan result, doubleResult;
    while (!finished) {
        const long position = blocks * kBlock;
        fill(in, plugin.inputs(), kBlock, Signal::Sine, position, 44100.0, random);
        call(in, outBuffers, kBlock, where);
        scan(outBuffers, plugin.outputs(), kBlock, position, result);
        if (plugin.canDoubleReplacing()) {
            fill(din, plugin.inputs(), kBlock, Signal::Sine, position, 44100.0, random);
            doubleCall(din, dout, kBlock, doubleWhere);
            scan(dout, plugin.outputs(), kBlock, position, doubleResult);
        }
        ++blocks;
    }
    worker.join();
    if (!chunkFailure.empty()) out.fail(chunkFailure + ", asked from a second thread");
    for (auto [found, at] : {std::pair{result, where}, std::pair{doubleResult, doubleWhere}}) {
        if (found.nonFinite == 0) continue;
        at.channel = found.nonFiniteChannel;
        at.frame = found.firstNonFinite;
        out.fail("NaN or infinite output while a second thread changed the plug-in",
                 std::to_string(found.nonFinite) + " samples", at);
    }
    out.note(std::to_string(blocks) + " blocks processed while a second thread made " +
             std::to_string(changes) + " parameter changes, then " + std::to_string(roundTrips) +
             " chunk get-and-set round trips");
}

} // namespace plughost::validate
