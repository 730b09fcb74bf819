// SPDX-License-Identifier: MIT
// A small, otherwise well-behaved effect with one fault chosen by name in the environment
// variable PLUGHOST_BROKEN_FAULT when it is loaded, so that `plughost validate` can be shown to
// fail the right check for each kind of fault, and to pass behaviour that is no fault. Two
// inputs, two outputs, two gain parameters, 32- and 64-bit processing, a state chunk.
#include "host/VstInterface.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

#define BROKEN_FAULTS(X)                                                                           \
    X(None)                                                                                        \
    X(TextOverflow)           /* a parameter name copied without a bound */                        \
    X(NonFiniteOutput)        /* divides by twice the input's peak: NaN on silence */              \
    X(StateNotRestored)       /* effSetChunk ignores the data */                                   \
    X(AllocatesInProcess)     /* a scratch vector per processing call */                           \
    X(CrashOnClose)           /* effClose faults */                                                \
    X(LeakPerInstance)        /* a buffer per instance never released */                           \
    X(HangsInProcess)         /* never returns from a 7-frame block */                             \
    X(EditorWithoutWindow)    /* claims an editor, opens nothing into the host's window */         \
    X(EditorWithoutSize)      /* claims an editor, gives neither a size nor a window */            \
    X(CrashOnEditorOpen)      /* claims an editor, effEditOpen faults */                           \
    X(RecoversAfter512)       /* NaN output for 512 frames after the last non-finite input */      \
    X(RecoversAfterOneSecond) /* ... for a second */                                               \
    X(NeverRecovers)          /* ... for ever */                                                   \
    X(ReadsRateAtCreation)    /* NaN output unless the rate set is the one given at creation */    \
    X(SnapsRestoredValues)    /* a restored chunk's values snapped to steps of 0.1 */              \
    X(AllocatesOnce)          /* 16 KB at its 20th effOpen in a process, kept: a lazy cache */     \
    X(GrowsFor1200Cycles)     /* 64 bytes more at each of its first 1200 effOpen, kept: a pool */  \
    X(CrashesAt8192)          /* faults in 8192-frame blocks */                                    \
    X(Latin1Texts)            /* its name and label in Latin-1 */                                  \
    X(PrintsToStderr)         /* a coloured line on standard error at effOpen */                   \
    X(WritesPastEnd)          /* one sample past the frames of every output */                     \
    X(InPlaceAliasing)        /* mixes input 1 into output 2 after writing output 1 */             \
    X(AddsToOutput)           /* adds to the output buffers instead of replacing them */           \
    X(SharedParameters)       /* gains shared by every instance */                                 \
    X(SharedState)            /* a smoothing filter's memory shared by every instance */           \
    X(TrustsChunkSize)        /* copies as many chunk bytes as the request's size says */          \
    X(TellsWhenUnloaded)      /* a line on standard error when its code is unloaded */
#define BROKEN_NAME(fault) #fault,
#define BROKEN_ENUM(fault) fault,
enum class Fault { BROKEN_FAULTS(BROKEN_ENUM) };
const char* const kFaultNames[] = {BROKEN_FAULTS(BROKEN_NAME)};

Fault faultFromEnvironment() {
    const char* name = std::getenv("PLUGHOST_BROKEN_FAULT");
    for (std::size_t i = 0; name != nullptr && i < std::size(kFaultNames); ++i)
        if (std::strcmp(name, kFaultNames[i]) == 0) return static_cast<Fault>(i);
    return Fault::None;
}
const Fault kFault = faultFromEnvironment();

struct Unloading {
    ~Unloading() {
        if (kFault == Fault::TellsWhenUnloaded) std::fprintf(stderr, "broken: unloaded\n");
    }
} unloading;

ERect editorSize{0, 0, 200, 320}; // 320 x 200 pixels
float sharedGain[2] = {0.5f, 0.5f};
double sharedMemory = 0.0;
int opened = 0;
std::vector<unsigned char> cache;

struct Effect {
    AEffect record{};
    float ownGain[2] = {0.5f, 0.5f};
    float* gain = kFault == Fault::SharedParameters ? sharedGain : ownGain;
    float chunk[2] = {};
    unsigned char* leaked = nullptr;
    double creationRate = 44100.0;
    double rate = 44100.0; // the rate set
    double ownMemory = 0.0;
    double& memory = kFault == Fault::SharedState ? sharedMemory : ownMemory;
    long sinceNonFinite = std::numeric_limits<long>::max() / 2; // frames since non-finite input
    long holdFrames = 0;                                        // NaN output after it
};

Effect* effectOf(AEffect* record) {
    return static_cast<Effect*>(record->object);
}

void crash() {
    volatile int* nowhere = nullptr;
    *nowhere = 1; // NOLINT(clang-analyzer-core.NullDereference): the fault itself
}

void restoreChunk(Effect* effect, const void* data, VstIntPtr size) {
    float restored[2];
    if (kFault == Fault::TrustsChunkSize) {
        std::vector<unsigned char> copy(static_cast<std::size_t>(size));
        if (!copy.empty()) std::memcpy(copy.data(), data, copy.size());
    }
    if (kFault == Fault::StateNotRestored || size != sizeof restored) return;
    std::memcpy(restored, data, sizeof restored);
    for (int i = 0; i < 2; ++i)
        if (restored[i] >= 0.0f && restored[i] <= 1.0f)
            effect->gain[i] = kFault == Fault::SnapsRestoredValues
                                  ? std::round(restored[i] * 10.0f) / 10.0f
                                  : restored[i];
}

VstIntPtr dispatcher(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
    Effect* effect = effectOf(record);
    auto* text = static_cast<char*>(ptr);
    const bool inRange = index >= 0 && index < 2;
    switch (opcode) {
    case effOpen:
        if (kFault == Fault::PrintsToStderr)
            std::fprintf(stderr, "\x1B[31mbroken: opening\x1B[0m\n");
        ++opened;
        if (kFault == Fault::AllocatesOnce && opened == 20) cache.resize(16384);
        if (kFault == Fault::GrowsFor1200Cycles && opened <= 1200)
            cache.reserve(64 * static_cast<std::size_t>(opened));
        return 0;
    case effClose:
        if (kFault == Fault::CrashOnClose) crash();
        if (kFault != Fault::LeakPerInstance) delete[] effect->leaked;
        delete effect;
        return 1;
    case effSetSampleRate:
        effect->rate = static_cast<double>(opt);
        effect->holdFrames = kFault == Fault::RecoversAfter512         ? 512
                             : kFault == Fault::RecoversAfterOneSecond ? static_cast<long>(opt)
                             : kFault == Fault::NeverRecovers ? std::numeric_limits<long>::max() / 4
                                                              : 0;
        return 0;
    case effMainsChanged:
        if (value != 0) effect->memory = 0.0;
        return 0;
    case effGetParamName:
        if (!inRange) return 0;
        if (kFault == Fault::TextOverflow)
            std::strcpy(text, "gain of the channel pair as a linear factor, far longer than any "
                              "host buffer for parameter names");
        else
            std::snprintf(text, 8, "gain %d", index + 1);
        return 0;
    case effGetParamLabel:
        std::snprintf(text, 8, kFault == Fault::Latin1Texts ? "\xB0" : "x");
        return 0;
    case effGetParamDisplay:
        if (!inRange) return 0;
        std::snprintf(text, 8, kFault == Fault::SnapsRestoredValues ? "%.1f" : "%.3f",
                      static_cast<double>(effect->gain[index]));
        return 0;
    case effGetEffectName:
        std::snprintf(text, 32, kFault == Fault::Latin1Texts ? "broken \xB5s" : "broken");
        return 1;
    case effGetVendorString:
        std::snprintf(text, 64, "plughost tests");
        return 1;
    case effGetChunk:
        std::memcpy(effect->chunk, effect->gain, sizeof effect->chunk);
        *static_cast<void**>(ptr) = effect->chunk;
        return sizeof effect->chunk;
    case effSetChunk:
        restoreChunk(effect, ptr, value);
        return 1;
    case effEditGetRect:
        if (ptr == nullptr || kFault == Fault::EditorWithoutSize) return 0;
        *static_cast<ERect**>(ptr) = &editorSize;
        return 1;
    case effEditOpen:
        if (kFault == Fault::CrashOnEditorOpen) crash();
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
    if (kFault == Fault::CrashesAt8192 && frames == 8192) crash();
    std::vector<Sample> scratch;
    if (kFault == Fault::AllocatesInProcess) scratch.resize(static_cast<std::size_t>(frames));
    const auto scale = static_cast<Sample>(kFault == Fault::ReadsRateAtCreation &&
                                                   effect->rate != effect->creationRate
                                               ? std::numeric_limits<double>::quiet_NaN()
                                               : 1.0);
    Sample level[2] = {1, 1};
    for (int c = 0; c < 2 && kFault == Fault::NonFiniteOutput; ++c) {
        level[c] = 0;
        for (VstInt32 j = 0; j < frames; ++j)
            level[c] = std::fmax(level[c], std::fabs(inputs[c][j]) * Sample(2));
    }
    for (VstInt32 j = 0; j < frames; ++j) {
        const bool finite = std::isfinite(inputs[0][j]) && std::isfinite(inputs[1][j]);
        effect->sinceNonFinite = finite ? effect->sinceNonFinite + 1 : 0;
        for (int c = 0; c < 2; ++c) {
            Sample in = inputs[c][j] / level[c];
            if (kFault == Fault::SharedState)
                in = static_cast<Sample>(effect->memory = 0.5 * effect->memory + 0.5 * in);
            if (kFault == Fault::InPlaceAliasing && c == 1)
                in += inputs[0][j] * static_cast<Sample>(effect->gain[1] - 0.5f);
            Sample out = in * static_cast<Sample>(effect->gain[c]) * scale;
            if (effect->sinceNonFinite <= effect->holdFrames)
                out = std::numeric_limits<Sample>::quiet_NaN();
            outputs[c][j] = kFault == Fault::AddsToOutput ? outputs[c][j] + out : out;
        }
    }
    if (kFault == Fault::WritesPastEnd)
        for (int c = 0; c < 2; ++c)
            outputs[c][frames] = Sample(0);
}

void processFloat(AEffect* record, float** inputs, float** outputs, VstInt32 frames) {
    process(record, inputs, outputs, frames);
}
void processDouble(AEffect* record, double** inputs, double** outputs, VstInt32 frames) {
    process(record, inputs, outputs, frames);
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    auto* effect = new Effect;
    if (kFault == Fault::LeakPerInstance) effect->leaked = new unsigned char[4096]();
    if (kFault == Fault::ReadsRateAtCreation)
        effect->creationRate =
            static_cast<double>(host(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f));
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
    if (kFault == Fault::EditorWithoutWindow || kFault == Fault::EditorWithoutSize ||
        kFault == Fault::CrashOnEditorOpen)
        record.flags |= effFlagsHasEditor;
    record.object = effect;
    record.uniqueID = 0x42726B6E; // "Brkn"
    record.version = 1;
    record.processReplacing = processFloat;
    record.processDoubleReplacing = processDouble;
    return &record;
}
