// SPDX-License-Identifier: MIT
// Processing calls for tests that put a guard area before and after every input and output
// buffer and check it after the call, so that a write beyond a buffer's frames fails by
// assertion in every build instead of corrupting memory.
#pragma once

#include "EntryCall.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

namespace testhost {

// The trimmer's channels: every processing call of these tests passes eight.
constexpr int kChannels = 8;

template <class Sample>
bool sameBits(Sample a, Sample b) {
    using Bits = std::conditional_t<sizeof(Sample) == 4, std::uint32_t, std::uint64_t>;
    return std::bit_cast<Bits>(a) == std::bit_cast<Bits>(b);
}

// Samples of guard before and after every buffer: more than a cache line in either precision.
constexpr int kGuard = 16;

// Everything in `block` but the first `frames` samples of each of the `outputs` (which lie in
// it) is as in `before`: a write beyond an output's frames, or into an input, fails here.
template <class Sample>
void expectOnlyOutputsWritten(const std::vector<Sample>& before, const std::vector<Sample>& block,
                              Sample* const* outputs, int frames) {
    std::vector<bool> writable(block.size());
    for (int c = 0; c < kChannels; ++c)
        for (int j = 0; j < frames; ++j)
            writable[static_cast<std::size_t>(outputs[c] + j - block.data())] = true;
    for (std::size_t i = 0; i < block.size(); ++i)
        if (!writable[i] && !sameBits(block[i], before[i])) {
            ADD_FAILURE() << "sample " << i << " of the block written, outside the outputs";
            return;
        }
}

// Runs `entry(inputs, outputs)` on copies of the channels laid out in one block, every buffer
// between guard areas of NaN (which processing turns into 0.0), checks that nothing but the
// outputs' frames changed, and copies those back. Buffers the caller uses as input and output
// are shared in the copy too.
template <class Sample, class Entry>
void callGuarded(Sample* const* inputs, Sample* const* outputs, int frames, Entry entry) {
    const auto length = static_cast<std::size_t>(std::max(frames, 0));
    std::vector<Sample*> buffers;   // the caller's, each once
    std::vector<std::size_t> slots; // of inputs 0 to 7, then of outputs 0 to 7
    slots.reserve(2 * kChannels);
    for (int k = 0; k < 2 * kChannels; ++k) {
        Sample* buffer = k < kChannels ? inputs[k] : outputs[k - kChannels];
        const auto slot = static_cast<std::size_t>(
            std::find(buffers.begin(), buffers.end(), buffer) - buffers.begin());
        if (slot == buffers.size()) buffers.push_back(buffer);
        slots.push_back(slot);
    }
    const std::size_t stride = kGuard + length;
    std::vector<Sample> block(buffers.size() * stride + kGuard,
                              std::numeric_limits<Sample>::quiet_NaN());
    for (std::size_t s = 0; s < buffers.size(); ++s)
        std::copy_n(buffers[s], length, block.data() + kGuard + s * stride);
    std::vector<Sample*> copies;
    copies.reserve(slots.size());
    for (std::size_t slot : slots)
        copies.push_back(block.data() + kGuard + slot * stride);
    const std::vector<Sample> before = block;
    entry(copies.data(), copies.data() + kChannels);
    expectOnlyOutputsWritten(before, block, copies.data() + kChannels, frames);
    for (int c = 0; c < kChannels; ++c)
        std::copy_n(copies[kChannels + c], length, outputs[c]);
}

// The host record's processing entry of the samples' precision, called on guarded copies.
template <class Sample>
void process(AEffect* effect, Sample* const* in, Sample* const* out, int frames) {
    callGuarded(in, out, frames, [&](Sample** inputs, Sample** outputs) {
        if constexpr (sizeof(Sample) == sizeof(float))
            callEntry(effect->processReplacing, effect, inputs, outputs, frames);
        else
            callEntry(effect->processDoubleReplacing, effect, inputs, outputs, frames);
    });
}

template <class Sample>
void process(AEffect* effect, ChannelBuffers<Sample>& in, ChannelBuffers<Sample>& out, int frames) {
    process(effect, in.channels(), out.channels(), frames);
}

} // namespace testhost
