// SPDX-License-Identifier: MIT
// Arbitrary bytes restored as the state chunk (bank or program), then the chunk asked for,
// a block processed and the chunk asked for again. When the parameters read back within 0..1
// (gains within their -12..+12 dB), the output of a finite input is finite; restored values are
// not range-checked by design, so a chunk can set gains that overflow. The chunk the plug-in
// answers restores to itself.
#include "FuzzHost.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const VstInt32 isProgram = input.ConsumeBool() ? 1 : 0;
    // Exactly as long as the host says, so that reading past it is caught.
    std::vector<unsigned char> bytes = input.ConsumeRemainingBytes<unsigned char>();
    AEffect* effect = fuzzhost::createOpened(64);
    unsigned char none = 0;
    fuzzhost::dispatch(effect, effSetChunk, isProgram, static_cast<VstIntPtr>(bytes.size()),
                       bytes.empty() ? &none : bytes.data());
    const std::vector<unsigned char> first = fuzzhost::chunk(effect);

    constexpr int kFrames = 64;
    const int channels = std::max(effect->numInputs, effect->numOutputs);
    std::vector<std::vector<float>> in(static_cast<std::size_t>(channels),
                                       std::vector<float>(kFrames, 0.5f));
    std::vector<std::vector<float>> out(static_cast<std::size_t>(channels),
                                        std::vector<float>(kFrames));
    std::vector<float*> inputs, outputs;
    for (int c = 0; c < channels; ++c) {
        inputs.push_back(in[static_cast<std::size_t>(c)].data());
        outputs.push_back(out[static_cast<std::size_t>(c)].data());
    }
    effect->processReplacing(effect, inputs.data(), outputs.data(), kFrames);
    bool inRange = true;
    for (VstInt32 i = 0; i < effect->numParams; ++i) {
        const float value = effect->getParameter(effect, i);
        inRange = inRange && value >= 0.0f && value <= 1.0f;
    }
    for (int c = 0; c < (inRange ? effect->numOutputs : 0); ++c)
        for (float sample : out[static_cast<std::size_t>(c)])
            if (!std::isfinite(sample)) fuzzhost::fault("non-finite output after a restored chunk");

    std::vector<unsigned char> copy = first;
    fuzzhost::dispatch(effect, effSetChunk, 0, static_cast<VstIntPtr>(copy.size()),
                       copy.empty() ? &none : copy.data());
    if (fuzzhost::chunk(effect) != first)
        fuzzhost::fault("the plug-in's own chunk does not restore to itself");
    fuzzhost::close(effect);
    return 0;
}
