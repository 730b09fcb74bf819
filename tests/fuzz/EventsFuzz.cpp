// SPDX-License-Identifier: MIT
// Event lists built from the input (any type, size, frame offset, flags and MIDI bytes, up to
// 64 events, arrays exactly as long as announced) sent between processing calls of any length.
#include "FuzzHost.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    constexpr int kMaxFrames = 512;
    AEffect* effect = fuzzhost::createOpened(kMaxFrames);
    const int channels = std::max(effect->numInputs, effect->numOutputs);
    std::vector<std::vector<float>> buffers(static_cast<std::size_t>(channels),
                                            std::vector<float>(kMaxFrames, 0.25f));
    std::vector<float*> pointers;
    pointers.reserve(buffers.size());
    for (auto& channel : buffers)
        pointers.push_back(channel.data());

    for (int round = 0; round < 8 && input.remaining_bytes() > 0; ++round) {
        const int count = input.ConsumeIntegralInRange<int>(0, 64);
        std::vector<std::unique_ptr<VstEvent>> events;
        for (int i = 0; i < count; ++i) {
            auto event = std::make_unique<VstEvent>();
            event->type = input.ConsumeBool() ? kVstMidiType : input.ConsumeIntegral<VstInt32>();
            event->byteSize = input.ConsumeBool() ? static_cast<VstInt32>(sizeof(VstMidiEvent))
                                                  : input.ConsumeIntegral<VstInt32>();
            event->deltaFrames = input.ConsumeBool() ? input.ConsumeIntegralInRange(0, kMaxFrames)
                                                     : input.ConsumeIntegral<VstInt32>();
            event->flags = input.ConsumeIntegral<VstInt32>();
            const std::vector<char> bytes = input.ConsumeBytes<char>(sizeof event->data);
            if (!bytes.empty()) std::memcpy(event->data, bytes.data(), bytes.size());
            events.push_back(std::move(event));
        }
        // The header and exactly `count` pointer places (the record declares two).
        constexpr std::size_t kPlace = (sizeof(VstEvents) - offsetof(VstEvents, events)) / 2;
        const std::size_t listSize =
            offsetof(VstEvents, events) + kPlace * static_cast<std::size_t>(count);
        std::vector<unsigned char> storage(std::max(listSize, sizeof(VstEvents)));
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = count;
        VstEvent** slots = list->events;
        for (int i = 0; i < count; ++i)
            slots[i] = events[static_cast<std::size_t>(i)].get();
        fuzzhost::dispatch(effect, effProcessEvents, 0, 0, list);
        const int frames = input.ConsumeIntegralInRange(0, kMaxFrames);
        effect->processReplacing(effect, pointers.data(), pointers.data(), frames);
    }
    fuzzhost::close(effect);
    return 0;
}
