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
    const CheckedPlugin checked(context, SineBlocks::kRate, SineBlocks::kBlock);
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

    SineBlocks sine(out, plugin, 5);
    while (!finished)
        sine.step();
    worker.join();
    if (!chunkFailure.empty()) out.fail(chunkFailure + ", asked from a second thread");
    for (const int precision : {32, 64}) {
        const Scan& found = sine.found(precision);
        if (found.nonFinite == 0) continue;
        Case at = sine.where(precision);
        at.channel = found.nonFiniteChannel;
        at.frame = found.firstNonFinite;
        out.fail("NaN or infinite output while a second thread changed the plug-in",
                 std::to_string(found.nonFinite) + " samples", at);
    }
    out.note(std::to_string(sine.blocks()) + " blocks processed while a second thread made " +
             std::to_string(changes) + " parameter changes, then " + std::to_string(roundTrips) +
             " chunk get-and-set round trips");
}

} // namespace plughost::validate
