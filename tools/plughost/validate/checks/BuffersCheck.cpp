// SPDX-License-Identifier: MIT
// buffers: the same input and parameter settings through fresh instances, one with separate
// buffers and zeroed outputs (the reference), one in place and one whose outputs are filled
// with garbage before every call; each call's buffers are guarded. Both must give the
// reference's output. A silent reference proves nothing, so varied settings are tried until
// one sounds.
#include "validate/CheckAudio.h"
#include "validate/CheckSupport.h"

namespace plughost::validate {
namespace {

constexpr int kSettingsTried = 3;

// The reference a precision's comparisons are made against.
struct Reference {
    const PluginLibrary& library;
    std::vector<float> settings;
    Audio input;
    Audio output;
    std::unique_ptr<Plugin> instance; // the one that gave output
    Case where;
};

std::unique_ptr<Plugin> instanceWith(const PluginLibrary& library,
                                     const std::vector<float>& settings) {
    std::unique_ptr<Plugin> plugin = openInstance(library);
    applySettings(*plugin, settings);
    return plugin;
}

// The first of the varied settings whose output is not silent; false when none sounds.
bool findReference(Findings& out, Reference& reference, VstInt32 parameters) {
    for (int k = 0; k < kSettingsTried; ++k) {
        reference.settings = variedSettings(parameters, k);
        Case where = reference.where;
        where.placement = placementName(Placement::Separate);
        out.stage("processing with separate buffers, settings " + std::to_string(k + 1) + " (" +
                      describe(where) + ")",
                  where);
        reference.instance = instanceWith(reference.library, reference.settings);
        reference.output =
            render(out, *reference.instance, reference.where.precision, reference.input,
                   Placement::Separate, Prefill::Zeros, reference.where);
        if (!isSilent(reference.output)) return true;
    }
    return false;
}

void compare(Findings& out, Reference& reference, Placement placement, Prefill prefill,
             const std::string& summary) {
    Case where = reference.where;
    where.placement = placementName(placement);
    out.stage("processing " + std::string(prefill == Prefill::Garbage ? "into garbage, " : "") +
                  describe(where),
              where);
    const std::unique_ptr<Plugin> plugin = instanceWith(reference.library, reference.settings);
    const Audio got =
        render(out, *plugin, where.precision, reference.input, placement, prefill, reference.where);
    const std::optional<Difference> difference = firstDifference(reference.output, got);
    if (!difference ||
        !referenceRepeats(out, *reference.instance, reference.input, reference.output,
                          "with separate buffers", placementName(placement), reference.where))
        return;
    failAtDifference(out, summary, *difference, where);
}

} // namespace

void checkBuffers(CheckContext& context) {
    Findings& out = context.out;
    out.stage("loading the library");
    const PluginLibrary library(context.plugin);
    out.stage("creating and opening the plug-in");
    const std::unique_ptr<Plugin> first = openInstance(library);
    const VstInt32 parameters = std::min(first->parameterCount(), kMaxSweptParameters);
    std::vector<int> precisions{32};
    if (first->canDoubleReplacing()) precisions.push_back(64);
    const Audio input = testInput(first->inputs(), renderFrames(*first), 11);
    for (const int precision : precisions) {
        Reference reference{library, {}, input, {}, nullptr, {}};
        reference.where.precision = precision;
        reference.where.sampleRate = first->sampleRate();
        reference.where.input = signalName(Signal::Noise);
        if (!findReference(out, reference, parameters)) {
            out.note("the output stays silent with every setting tried: placements and "
                     "prefilled outputs prove nothing",
                     {}, reference.where);
            continue;
        }
        compare(out, reference, Placement::InPlace, Prefill::Zeros,
                "in-place output differs from separate buffers");
        compare(out, reference, Placement::Separate, Prefill::Garbage,
                "outputs filled with garbage before each call give another output than zeroed "
                "ones");
    }
    out.note(std::to_string(input.empty() ? 0 : input.front().size()) +
             " frames of noise with varied parameters, in place and into garbage-filled outputs "
             "against separate zeroed buffers, " +
             (precisions.size() == 2 ? "32- and 64-bit" : "32-bit") +
             "; every call's buffers guarded");
}

} // namespace plughost::validate
