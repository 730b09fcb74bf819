// SPDX-License-Identifier: MIT
// A small plug-in that records what its host does. Two inputs, four outputs, 32-bit
// processing only, one parameter "mix" shown in percent, exported only as MAIN.
//   outputs 0 and 1: inputs 0 and 1 times mix
//   output 2: the host's sample position of each frame (block start + frame), -1 without time
//   output 3: the host's quarter-note position at the start of the block
// With PLUGHOST_PROBE_LOG set, every request is also appended to that file, one line each.
#include "host/VstInterface.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct Probe {
    AEffect record{};
    audioMasterCallback host = nullptr;
    float mix = 1.0f;
};

void log(const char* format, double a = 0, double b = 0, double c = 0, double d = 0) {
    const char* path = std::getenv("PLUGHOST_PROBE_LOG");
    if (path == nullptr) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, format, a, b, c, d);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

Probe* probeOf(AEffect* effect) {
    return static_cast<Probe*>(effect->object);
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
    Probe* probe = probeOf(effect);
    auto* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        log("open");
        return 0;
    case effClose:
        log("close");
        delete probe;
        return 1;
    case effSetSampleRate:
        log("sample rate %g", static_cast<double>(opt));
        return 0;
    case effSetBlockSize:
        log("block size %g", static_cast<double>(value));
        return 0;
    case effMainsChanged:
        log(value != 0 ? "resume" : "suspend");
        return 0;
    case effGetParamName:
        std::snprintf(text, 16, "mix");
        return 0;
    case effGetParamLabel:
        std::snprintf(text, 8, "%%");
        return 0;
    case effGetParamDisplay:
        std::snprintf(text, 16, "%.0f", static_cast<double>(probe->mix) * 100.0);
        return 0;
    case effGetEffectName:
        std::snprintf(text, 32, "plughost probe");
        return 1;
    default:
        (void)index;
        return 0;
    }
}

void setParameter(AEffect* effect, VstInt32, float value) {
    probeOf(effect)->mix = value;
}
float getParameter(AEffect* effect, VstInt32) {
    return probeOf(effect)->mix;
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    Probe* probe = probeOf(effect);
    const auto* time = reinterpret_cast<const VstTimeInfo*>(
        probe->host(effect, audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid, nullptr, 0));
    if (time != nullptr)
        log("process %g at %g, tempo %g, %g/4", frames, time->samplePos, time->tempo,
            time->timeSigNumerator);
    for (VstInt32 j = 0; j < frames; ++j) {
        outputs[0][j] = inputs[0][j] * probe->mix;
        outputs[1][j] = inputs[1][j] * probe->mix;
        outputs[2][j] = time != nullptr ? static_cast<float>(time->samplePos + j) : -1.0f;
        outputs[3][j] = time != nullptr ? static_cast<float>(time->ppqPos) : -1.0f;
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* MAIN(audioMasterCallback host) {
    log("host version %g",
        static_cast<double>(host(nullptr, audioMasterVersion, 0, 0, nullptr, 0)));
    auto* probe = new Probe;
    probe->host = host;
    AEffect& record = probe->record;
    record.magic = kEffectMagic;
    record.dispatcher = dispatcher;
    record.setParameter = setParameter;
    record.getParameter = getParameter;
    record.numPrograms = 1;
    record.numParams = 1;
    record.numInputs = 2;
    record.numOutputs = 4;
    record.flags = effFlagsCanReplacing;
    record.object = probe;
    record.uniqueID = 0x50726F62; // "Prob"
    record.version = 1;
    record.processReplacing = processReplacing;
    return &record;
}
