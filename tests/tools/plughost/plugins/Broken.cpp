// SPDX-License-Identifier: MIT
// A small, otherwise well-behaved effect with one fault chosen at build time (BROKEN_FAULT),
// so that `plughost validate` can be shown to fail the right check for each kind of fault.
// Two inputs, two outputs, two gain parameters, 32- and 64-bit processing, a state chunk.
#include "host/VstInterface.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

enum class Fault {
    TextOverflow,        // a parameter name copied without a bound
    NonFiniteOutput,     // divides by the input level: NaN on silence
    StateNotRestored,    // effSetChunk ignores the data
    AllocatesInProcess,  // a scratch vector per processing call
    CrashOnClose,        // effClose faults
    LeakPerInstance,     // a buffer per instance never released
    HangsInProcess,      // never returns from a 7-frame block
    EditorWithoutWindow, // claims an editor, opens nothing into the host's window
    CrashOnEditorOpen,   // claims an editor, effEditOpen faults
};
constexpr Fault kFault = Fault::BROKEN_FAULT;

ERect editorSize{0, 0, 200, 320}; // 320 x 200 pixels

struct Effect {
    AEffect record{};
    float gain[2] = {0.5f, 0.5f};
    float chunk[2] = {};
    unsigned char* leaked = nullptr;
};

Effect* effectOf(AEffect* record) {
    return static_cast<Effect*>(record->object);
}

VstIntPtr dispatcher(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float) {
    Effect* effect = effectOf(record);
    auto* text = static_cast<char*>(ptr);
    const bool inRange = index >= 0 && index < 2;
    switch (opcode) {
    case effClose:
        if (kFault == Fault::CrashOnClose) {
            volatile int* nowhere = nullptr;
            *nowhere = 1; // NOLINT(clang-analyzer-core.NullDereference): the fault itself
        }
        if (kFault != Fault::LeakPerInstance) delete[] effect->leaked;
        delete effect;
        return 1;
    case effGetParamName:
        if (!inRange) return 0;
        if (kFault == Fault::TextOverflow)
            std::strcpy(text, "gain of the channel pair as a linear factor, far longer than any "
                              "host buffer for parameter names");
        else
            std::snprintf(text, 8, "gain %d", index + 1);
        return 0;
    case effGetParamLabel:
        std::snprintf(text, 8, "x");
        return 0;
    case effGetParamDisplay:
        if (!inRange) return 0;
        std::snprintf(text, 8, "%.3f", static_cast<double>(effect->gain[index]));
        return 0;
    case effGetEffectName:
        std::snprintf(text, 32, "broken");
        return 1;
    case effGetVendorString:
        std::snprintf(text, 64, "plughost tests");
        return 1;
    case effGetChunk:
        std::memcpy(effect->chunk, effect->gain, sizeof effect->chunk);
        *static_cast<void**>(ptr) = effect->chunk;
        return sizeof effect->chunk;
    case effSetChunk:
        if (kFault != Fault::StateNotRestored && value == sizeof effect->chunk) {
            float restored[2];
            std::memcpy(restored, ptr, sizeof restored);
            for (int i = 0; i < 2; ++i)
                if (restored[i] >= 0.0f && restored[i] <= 1.0f) effect->gain[i] = restored[i];
        }
        return 1;
    case effEditGetRect:
        if (ptr == nullptr) return 0;
        *static_cast<ERect**>(ptr) = &editorSize;
        return 1;
    case effEditOpen:
        if (kFault == Fault::CrashOnEditorOpen) {
            volatile int* nowhere = nullptr;
            *nowhere = 1; // NOLINT(clang-analyzer-core.NullDereference): the fault itself
        }
        return 1;
    case effEditClose:
        return 1;
    case effGetVstVersion:
        return 2400;
    default:
        return 0;
    }
}

void setParameter(AEffect* record, VstInt32 index, float value) {
    if (index >= 0 && index < 2 && value >= 0.0f && value <= 1.0f)
        effectOf(record)->gain[index] = value;
}

float getParameter(AEffect* record, VstInt32 index) {
    return index >= 0 && index < 2 ? effectOf(record)->gain[index] : 0.0f;
}

template <class Sample>
void process(AEffect* record, Sample** inputs, Sample** outputs, VstInt32 frames) {
    Effect* effect = effectOf(record);
    if (kFault == Fault::HangsInProcess && frames == 7) {
        volatile bool forever = true;
        while (forever) {
        }
    }
    std::vector<Sample> scratch;
    if (kFault == Fault::AllocatesInProcess) scratch.resize(static_cast<std::size_t>(frames));
    for (int c = 0; c < 2; ++c) {
        Sample level = 0;
        if (kFault == Fault::NonFiniteOutput) {
            for (VstInt32 j = 0; j < frames; ++j)
                level = std::fmax(level, std::fabs(inputs[c][j]));
        }
        for (VstInt32 j = 0; j < frames; ++j) {
            Sample out = inputs[c][j] * static_cast<Sample>(effect->gain[c]);
            if (kFault == Fault::NonFiniteOutput) out = out / level * Sample(0.5);
            outputs[c][j] = out;
        }
    }
}

void processFloat(AEffect* record, float** inputs, float** outputs, VstInt32 frames) {
    process(record, inputs, outputs, frames);
}
void processDouble(AEffect* record, double** inputs, double** outputs, VstInt32 frames) {
    process(record, inputs, outputs, frames);
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
    auto* effect = new Effect;
    if (kFault == Fault::LeakPerInstance) effect->leaked = new unsigned char[4096]();
    AEffect& record = effect->record;
    record.magic = kEffectMagic;
    record.dispatcher = dispatcher;
    record.setParameter = setParameter;
    record.getParameter = getParameter;
    record.numPrograms = 1;
    record.numParams = 2;
    record.numInputs = 2;
    record.numOutputs = 2;
    record.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsProgramChunks;
    if (kFault == Fault::EditorWithoutWindow || kFault == Fault::CrashOnEditorOpen)
        record.flags |= effFlagsHasEditor;
    record.object = effect;
    record.uniqueID = 0x42726B6E; // "Brkn"
    record.version = 1;
    record.processReplacing = processFloat;
    record.processDoubleReplacing = processDouble;
    return &record;
}
