// SPDX-License-Identifier: MIT
// Parameter changes (any index; values including NaN, infinities, subnormals and values out of
// 0..1), sample rate changes and processing calls of odd lengths, 32- and 64-bit, in place or
// not, with input samples from the input. Whatever the parameters were set to, an input that
// cannot overflow gives a finite output; a parameter last set within 0..1 or to a value that is
// not finite (which the runtime clears) reads back within 0..1. Finite values outside 0..1 are
// stored as computed, by design, and read back outside.
#include "FuzzHost.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr int kMaxFrames = 1024;

// Input samples up to this size cannot overflow with the largest gain a parameter set within
// -4..4 gives (+96 dB).
constexpr double kSafeInput = 1.0e30;

template <class Sample>
Sample specialOrValue(FuzzedDataProvider& input, bool withLargest = true) {
    switch (input.ConsumeIntegralInRange(0, withLargest ? 9 : 8)) {
    case 0:
        return std::numeric_limits<Sample>::quiet_NaN();
    case 1:
        return std::numeric_limits<Sample>::infinity();
    case 2:
        return -std::numeric_limits<Sample>::infinity();
    case 3:
        return std::numeric_limits<Sample>::denorm_min();
    case 4:
        return -std::numeric_limits<Sample>::min() / 3;
    case 5:
        return Sample(-0.0);
    case 7:
        return static_cast<Sample>(input.ConsumeFloatingPointInRange<double>(0.0, 1.0));
    case 9:
        return std::numeric_limits<Sample>::max();
    default:
        return static_cast<Sample>(input.ConsumeFloatingPointInRange<double>(-4.0, 4.0));
    }
}

template <class Sample>
void processBlock(FuzzedDataProvider& input, AEffect* effect) {
    const int channels = std::max(effect->numInputs, effect->numOutputs);
    const int frames = input.ConsumeIntegralInRange(0, kMaxFrames);
    const bool inPlace = input.ConsumeBool();
    std::vector<std::vector<Sample>> in(static_cast<std::size_t>(channels),
                                        std::vector<Sample>(static_cast<std::size_t>(frames)));
    std::vector<std::vector<Sample>> out = in;
    bool finite = true;
    const Sample level = specialOrValue<Sample>(input);
    const bool special = input.ConsumeBool();
    for (auto& channel : in)
        for (std::size_t j = 0; j < channel.size(); ++j) {
            channel[j] = special && j % 5 == 0
                             ? specialOrValue<Sample>(input)
                             : level * static_cast<Sample>(std::sin(0.01 * static_cast<double>(j)));
            finite = finite && std::fabs(static_cast<double>(channel[j])) <= kSafeInput;
        }
    std::vector<Sample*> inputs, outputs;
    for (int c = 0; c < channels; ++c) {
        inputs.push_back(in[static_cast<std::size_t>(c)].data());
        outputs.push_back(inPlace ? in[static_cast<std::size_t>(c)].data()
                                  : out[static_cast<std::size_t>(c)].data());
    }
    if constexpr (sizeof(Sample) == 4)
        effect->processReplacing(effect, inputs.data(), outputs.data(), frames);
    else
        effect->processDoubleReplacing(effect, inputs.data(), outputs.data(), frames);
    if (!finite) return;
    for (int c = 0; c < effect->numOutputs; ++c)
        for (int j = 0; j < frames; ++j)
            if (!std::isfinite(outputs[static_cast<std::size_t>(c)][j]))
                fuzzhost::fault("non-finite output from a finite input");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    AEffect* effect = fuzzhost::createOpened(kMaxFrames);
    std::vector<bool> outside(static_cast<std::size_t>(effect->numParams), false);
    for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0: {
            const VstInt32 index = input.ConsumeBool() ? input.ConsumeIntegralInRange(-1, 5)
                                                       : input.ConsumeIntegral<VstInt32>();
            const float value = specialOrValue<float>(input, false);
            effect->setParameter(effect, index, value);
            if (index >= 0 && index < effect->numParams)
                outside[static_cast<std::size_t>(index)] =
                    std::isfinite(value) && !(value >= 0.0f && value <= 1.0f);
            for (VstInt32 i = 0; i < effect->numParams; ++i) {
                const float back = effect->getParameter(effect, i);
                if (!outside[static_cast<std::size_t>(i)] && !(back >= 0.0f && back <= 1.0f))
                    fuzzhost::fault("a parameter set within 0..1 reads back outside");
            }
            break;
        }
        case 1: {
            // Hosts give positive rates; odd ones included.
            const float rate = input.ConsumeFloatingPointInRange<float>(1.0f, 1.0e6f);
            fuzzhost::dispatch(effect, effMainsChanged, 0, 0);
            fuzzhost::dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
            fuzzhost::dispatch(effect, effMainsChanged, 0, 1);
            break;
        }
        case 2:
            processBlock<double>(input, effect);
            break;
        default:
            processBlock<float>(input, effect);
            break;
        }
    }
    fuzzhost::close(effect);
    return 0;
}
