// SPDX-License-Identifier: MIT
// A stand-in for a look-ahead effect: two inputs, two outputs, each output is its input delayed
// by kDelay frames, a delay the record announces once the plug-in is resumed. It keeps no
// state chunk, so a host must save its parameter values. Its parameters show the kinds of
// display text hosts have to read back:
//   0 "frequency"  20 Hz * 1000^v, one decimal, label "Hz" (smooth and logarithmic)
//   1 "mode"       "Peak" below 0.5, "RMS" from 0.5 (a word)
//   2 "bypass"     "off" below 0.5, "on" from 0.5 (a word)
//   3 "ratio"      1 + 19 v^2, two decimals, no label (a bare number)
//   4 "echo"       "off" below 0.5, "on" from 0.5: on adds a repeat every kEchoFrames frames at
//                  half the level of the one before, a tail that dies away slowly
//   5 "gain"       output gain 0 to 8 (v * 8), two decimals, label "x"
// Its delay, as look-ahead effects report theirs, is set through the environment:
//   PLUGHOST_LOOKAHEAD_DELAY=N         the delay in frames instead of kDelay
//   PLUGHOST_LOOKAHEAD_REPORT_AFTER=B  the record reads 0 after resume and announces the delay
//                                      (audioMasterIOChanged) only in the B-th processing call;
//                                      the audio is delayed from the start all the same
//   PLUGHOST_LOOKAHEAD_CHANGE=F:D      once F frames have been processed since resume, the
//                                      delay becomes D, from the start of that call on, and is
//                                      announced in it
#include "host/VstInterface.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kDelay = 240;
constexpr int kMaxDelay = 4096;
constexpr int kEchoFrames = 4800;
constexpr int kParameters = 6;

struct Channel {
    std::array<float, kMaxDelay> delay{}; // the last kMaxDelay inputs, by frame modulo kMaxDelay
    std::array<float, kEchoFrames> echo{};
};

struct Lookahead {
    AEffect record{};
    std::array<float, kParameters> values{0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.125f};
    std::array<Channel, 2> channels{};
    std::array<char, 25> programName{"lookahead default"};
    audioMasterCallback host = nullptr;
    int delay = kDelay;
    long frame = 0; // frames processed since resume
    long calls = 0; // processing calls since resume
    int echoAt = 0;
    long reportAfter = 0;  // PLUGHOST_LOOKAHEAD_REPORT_AFTER
    long changeFrame = -1; // PLUGHOST_LOOKAHEAD_CHANGE
    int changedDelay = 0;
};

Lookahead* of(AEffect* effect) {
    return static_cast<Lookahead*>(effect->object);
}

int environmentNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr ? std::atoi(text) : fallback;
}

int validDelay(int delay) {
    return delay >= 0 && delay < kMaxDelay ? delay : kDelay;
}

// The delay announced to the host, as a look-ahead effect does when it knows it.
void announce(AEffect* effect, int delay) {
    effect->initialDelay = delay;
    of(effect)->host(effect, audioMasterIOChanged, 0, 0, nullptr, 0.0f);
}

void resume(AEffect* effect) {
    Lookahead* plugin = of(effect);
    plugin->delay = validDelay(environmentNumber("PLUGHOST_LOOKAHEAD_DELAY", kDelay));
    plugin->reportAfter = environmentNumber("PLUGHOST_LOOKAHEAD_REPORT_AFTER", 0);
    if (const char* change = std::getenv("PLUGHOST_LOOKAHEAD_CHANGE")) {
        int frame = -1, delay = 0;
        if (std::sscanf(change, "%d:%d", &frame, &delay) == 2) {
            plugin->changeFrame = frame;
            plugin->changedDelay = validDelay(delay);
        }
    }
    plugin->channels = {};
    plugin->frame = plugin->calls = 0;
    plugin->echoAt = 0;
    effect->initialDelay = plugin->reportAfter > 0 ? 0 : plugin->delay;
}

void copyText(void* ptr, const char* text, std::size_t capacity) {
    std::snprintf(static_cast<char*>(ptr), capacity, "%s", text);
}

void display(const Lookahead& plugin, VstInt32 index, char* out) {
    const double v = plugin.values[static_cast<std::size_t>(index)];
    const char* word = v < 0.5 ? "off" : "on";
    switch (index) {
    case 0:
        std::snprintf(out, 8, "%.1f", 20.0 * std::pow(1000.0, v));
        return;
    case 1:
        std::snprintf(out, 8, "%s", v < 0.5 ? "Peak" : "RMS");
        return;
    case 3:
        std::snprintf(out, 8, "%.2f", 1.0 + 19.0 * v * v);
        return;
    case 5:
        std::snprintf(out, 8, "%.2f", v * 8.0);
        return;
    default:
        std::snprintf(out, 8, "%s", word);
        return;
    }
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float) {
    Lookahead* plugin = of(effect);
    static constexpr std::array<const char*, kParameters> kNames{"frequency", "mode", "bypass",
                                                                 "ratio",     "echo", "gain"};
    static constexpr std::array<const char*, kParameters> kLabels{"Hz", "", "", "", "", "x"};
    const bool validIndex = index >= 0 && index < kParameters;
    switch (opcode) {
    case effClose:
        delete plugin;
        return 1;
    case effMainsChanged:
        if (value != 0) resume(effect);
        return 0;
    case effGetParamName:
        if (validIndex) copyText(ptr, kNames[static_cast<std::size_t>(index)], 16);
        return 0;
    case effGetParamLabel:
        if (validIndex) copyText(ptr, kLabels[static_cast<std::size_t>(index)], 8);
        return 0;
    case effGetParamDisplay:
        if (validIndex) display(*plugin, index, static_cast<char*>(ptr));
        return 0;
    case effSetProgramName:
        std::snprintf(plugin->programName.data(), plugin->programName.size(), "%s",
                      static_cast<const char*>(ptr));
        return 0;
    case effGetProgramName:
        copyText(ptr, plugin->programName.data(), plugin->programName.size());
        return 0;
    case effGetEffectName:
        copyText(ptr, "plughost lookahead", 32);
        return 1;
    default:
        return 0;
    }
}

void setParameter(AEffect* effect, VstInt32 index, float value) {
    if (index >= 0 && index < kParameters)
        of(effect)->values[static_cast<std::size_t>(index)] = value;
}

float getParameter(AEffect* effect, VstInt32 index) {
    return index >= 0 && index < kParameters ? of(effect)->values[static_cast<std::size_t>(index)]
                                             : 0.0f;
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    Lookahead* plugin = of(effect);
    if (++plugin->calls == plugin->reportAfter) announce(effect, plugin->delay);
    if (plugin->changeFrame >= 0 && plugin->frame >= plugin->changeFrame) {
        plugin->changeFrame = -1;
        plugin->delay = plugin->changedDelay;
        announce(effect, plugin->delay);
    }
    const bool echo = plugin->values[4] >= 0.5f;
    const float gain = plugin->values[5] * 8.0f;
    for (VstInt32 j = 0; j < frames; ++j) {
        const auto writeAt = static_cast<std::size_t>(plugin->frame % kMaxDelay);
        // Before the first input has come through, slots not yet written: silence.
        const long back = plugin->frame - plugin->delay;
        const auto readAt = static_cast<std::size_t>((back % kMaxDelay + kMaxDelay) % kMaxDelay);
        for (std::size_t c = 0; c < 2; ++c) {
            Channel& channel = plugin->channels[c];
            channel.delay[writeAt] = inputs[c][j];
            float delayed = channel.delay[readAt];
            if (echo) {
                float& repeat = channel.echo[static_cast<std::size_t>(plugin->echoAt)];
                delayed += 0.5f * repeat;
                repeat = delayed;
            }
            outputs[c][j] = delayed * gain;
        }
        ++plugin->frame;
        plugin->echoAt = (plugin->echoAt + 1) % kEchoFrames;
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    auto* plugin = new Lookahead;
    plugin->host = host;
    AEffect& record = plugin->record;
    record.magic = kEffectMagic;
    record.dispatcher = dispatcher;
    record.setParameter = setParameter;
    record.getParameter = getParameter;
    record.numPrograms = 1;
    record.numParams = kParameters;
    record.numInputs = 2;
    record.numOutputs = 2;
    record.flags = effFlagsCanReplacing;
    record.object = plugin;
    record.uniqueID = 0x4C6F6F6B; // "Look"
    record.version = 3;
    record.processReplacing = processReplacing;
    return &record;
}
