// SPDX-License-Identifier: MIT
// Dispatcher calls with opcode, index, value, pointer payload and option drawn from the input.
// Pointers are what a host passes for each opcode: a text or structure buffer of the size hosts
// use followed by a guard zone that must stay untouched, a pointer slot, or bytes with their
// length.
#include "FuzzHost.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kHostBuffer = 256; // structures the host fills or reads fit in 256
constexpr std::size_t kGuard = 64;
constexpr unsigned char kGuardByte = 0xCD;
constexpr int kMaxCalls = 24;

// Opcodes whose pointer is the host's, not a buffer the plug-in writes into.
bool isSpecial(VstInt32 opcode) {
    return opcode == effGetChunk || opcode == effSetChunk || opcode == effEditGetRect ||
           opcode == effProcessEvents || opcode == effClose || opcode == effEditOpen ||
           opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement ||
           opcode == effVendorSpecific || opcode == effShellGetNextPlugin ||
           opcode == effOfflineNotify || opcode == effOfflinePrepare || opcode == effOfflineRun ||
           opcode == effProcessVarIo;
}

// Texts the plug-in writes get a buffer of the size its texts are bounded to.
std::size_t bufferSize(VstInt32 opcode) {
    switch (opcode) {
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effGetProgramNameIndexed:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
        return kVstMaxHostTextLength;
    default:
        return kHostBuffer;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    AEffect* effect = fuzzhost::createOpened();
    std::vector<unsigned char> area(kHostBuffer + kGuard);
    for (int call = 0; call < kMaxCalls && input.remaining_bytes() > 0; ++call) {
        const auto opcode = input.ConsumeIntegralInRange<VstInt32>(-1, 81);
        const VstInt32 index = input.ConsumeBool() ? input.ConsumeIntegralInRange<VstInt32>(-2, 8)
                                                   : input.ConsumeIntegral<VstInt32>();
        const VstIntPtr value = input.ConsumeBool() ? input.ConsumeIntegralInRange<VstIntPtr>(-2, 4)
                                                    : input.ConsumeIntegral<VstIntPtr>();
        float opt = 0.0f;
        const auto optBits = input.ConsumeIntegral<std::uint32_t>();
        std::memcpy(&opt, &optBits, sizeof opt);

        if (opcode == effGetChunk) {
            (void)fuzzhost::chunk(effect);
        } else if (opcode == effSetChunk) {
            std::vector<unsigned char> bytes = input.ConsumeBytes<unsigned char>(
                input.ConsumeIntegralInRange<std::size_t>(0, 600));
            unsigned char none = 0;
            fuzzhost::dispatch(effect, effSetChunk, index & 1, static_cast<VstIntPtr>(bytes.size()),
                               bytes.empty() ? &none : bytes.data());
        } else if (opcode == effEditGetRect) {
            ERect* rect = nullptr;
            fuzzhost::dispatch(effect, opcode, index, value, &rect, opt);
        } else if (isSpecial(opcode)) {
            continue; // covered by their own targets or not part of this plug-in's protocol
        } else {
            // A host buffer: text from the input (terminated), then the guard zone.
            const auto hostSize = static_cast<std::ptrdiff_t>(bufferSize(opcode));
            std::fill(area.begin(), area.end(), 0);
            std::fill(area.begin() + hostSize, area.end(), kGuardByte);
            const std::string text =
                input.ConsumeRandomLengthString(static_cast<std::size_t>(hostSize) - 1);
            std::memcpy(area.data(), text.data(), text.size());
            const bool nullPointer = input.ConsumeBool() && input.ConsumeBool();
            fuzzhost::dispatch(effect, opcode, index, value, nullPointer ? nullptr : area.data(),
                               opt);
            if (std::any_of(area.begin() + hostSize, area.end(),
                            [](unsigned char b) { return b != kGuardByte; }))
                fuzzhost::fault("the plug-in wrote past the host buffer");
        }
    }
    fuzzhost::close(effect);
    return 0;
}
