// SPDX-License-Identifier: MIT
// instances: two instances side by side must keep apart what is each one's own. Each gets its
// own parameter settings (setting the second must not move the first) and its own input,
// processed by turns; each output must be what a lone instance gives for the same settings and
// input.
#include "validate/CheckAudio.h"
#include "validate/CheckSupport.h"

namespace plughost::validate {
namespace {

struct Side {
    std::unique_ptr<Plugin> instance;
    std::vector<float> settings;
    Audio input;
    std::unique_ptr<Render<float>> render;
};

// Setting the second instance's parameters must leave the first's as they read.
void checkParametersApart(Findings& out, Side& first, Side& second, VstInt32 count) {
    out.stage("setting the parameters of two instances");
    applySettings(*first.instance, first.settings);
    const std::vector<float> before = readParameters(*first.instance, count);
    applySettings(*second.instance, second.settings);
    for (VstInt32 i = 0; i < count; ++i) {
        const float now = first.instance->parameter(i);
        if (now == before[static_cast<std::size_t>(i)]) continue;
        Case where;
        where.parameter = i;
        where.parameterName = first.instance->parameterName(i);
        out.fail("setting a parameter of one instance moved it in another",
                 "reads " + number(now) + " instead of " +
                     number(before[static_cast<std::size_t>(i)]),
                 where);
    }
}

// A side's output against a lone instance's for the same settings and input.
void compareWithLone(Findings& out, const PluginLibrary& library, const Side& side,
                     const Case& where) {
    out.stage("processing a lone instance", where);
    const std::unique_ptr<Plugin> lone = openInstance(library);
    applySettings(*lone, side.settings);
    const Audio alone =
        render(out, *lone, 32, side.input, Placement::Separate, Prefill::Zeros, where);
    const std::optional<Difference> difference = firstDifference(alone, side.render->output());
    if (!difference ||
        !referenceRepeats(out, *lone, side.input, alone, "the lone instance", "instances", where))
        return;
    failAtDifference(out, "two instances processing by turns do not give what one gives alone",
                     *difference, where);
}

} // namespace

void checkInstances(CheckContext& context) {
    Findings& out = context.out;
    out.stage("loading the library");
    const PluginLibrary library(context.plugin);
    out.stage("creating and opening two instances");
    Side sides[2];
    for (int k = 0; k < 2; ++k)
        sides[k].instance = openInstance(library);
    const VstInt32 count = std::min(sides[0].instance->parameterCount(), kMaxSweptParameters);
    const long frames = renderFrames(*sides[0].instance);
    for (int k = 0; k < 2; ++k) {
        sides[k].settings = variedSettings(count, k);
        sides[k].input = testInput(sides[k].instance->inputs(), frames, 21 + k);
    }
    checkParametersApart(out, sides[0], sides[1], count);

    Case where;
    where.precision = 32;
    where.sampleRate = sides[0].instance->sampleRate();
    where.input = signalName(Signal::Noise);
    out.stage("processing two instances by turns", where);
    for (Side& side : sides)
        side.render = std::make_unique<Render<float>>(out, *side.instance, side.input,
                                                      Placement::Separate, Prefill::Zeros, where);
    while (sides[0].render->step() | sides[1].render->step()) {
    }
    for (const Side& side : sides)
        compareWithLone(out, library, side, where);
    const bool silent = isSilent(sides[0].render->output()) && isSilent(sides[1].render->output());
    out.note(std::to_string(frames) +
             " frames of noise through two instances by turns, each "
             "with its own parameter settings" +
             (silent ? "; their output was silent, which proves little" : ""));
}

} // namespace plughost::validate
