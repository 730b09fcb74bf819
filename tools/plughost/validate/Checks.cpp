// SPDX-License-Identifier: MIT
#include "Checks.h"

#include "AllocationWatch.h"
#include "Deadline.h"
#include "EditorWindow.h"
#include "TestedPlugin.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <thread>

namespace plughost::validate {
namespace {

using Clock = std::chrono::steady_clock;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// ---------------------------------------------------------------------------------------------
// Texts written into host buffers, measured with guard bytes

struct WrittenText {
    std::size_t written = 0; // bytes changed, counted from the buffer's start
    bool terminated = true;
    std::string text;
};

// Asks for a text into a large buffer filled with guard bytes, twice with different guards, and
// answers how far the plug-in wrote.
WrittenText writtenText(const Instance& plugin, VstInt32 opcode, VstInt32 index) {
    static std::array<unsigned char, 4096> area;
    WrittenText result;
    for (const unsigned char guard : std::array<unsigned char, 2>{0xA5, 0x5A}) {
        area.fill(guard);
        plugin.dispatch(opcode, index, 0, area.data());
        std::size_t end = area.size();
        while (end > 0 && area[end - 1] == guard)
            --end;
        result.written = std::max(result.written, end);
        if (guard == 0xA5) {
            const unsigned char* stop = std::find(area.data(), area.data() + end, 0);
            result.terminated = end == 0 || stop != area.data() + end;
            result.text.assign(reinterpret_cast<const char*>(area.data()),
                               static_cast<std::size_t>(stop - area.data()));
        }
    }
    return result;
}

// Judges one text against the size hosts give it; answers the text.
std::string judgeText(Findings& out, const std::string& what, const WrittenText& text,
                      std::size_t hostSize) {
    if (!text.terminated)
        out.fail(what + ": no terminating zero within the " + std::to_string(text.written) +
                 " bytes written");
    else if (text.written > kHostTextLimit)
        out.fail(what + " " + quoted(text.text) + ": " + std::to_string(text.written) +
                 " bytes written, past the " + std::to_string(kHostTextLimit) +
                 " bytes of the largest host buffer");
    else if (text.written > hostSize)
        out.warn(what + " " + quoted(text.text) + ": " + std::to_string(text.written) +
                 " bytes written into a buffer hosts make " + std::to_string(hostSize) +
                 " bytes long");
    return text.text;
}

std::string askText(Findings& out, const Instance& plugin, const std::string& what, VstInt32 opcode,
                    VstInt32 index, std::size_t hostSize) {
    out.stage("asking for " + what);
    return judgeText(out, what, writtenText(plugin, opcode, index), hostSize);
}

std::string fourCharacters(VstInt32 value) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// identity

constexpr VstInt32 kMaxCount = 10000;
constexpr VstInt32 kMaxSweptParameters = 1000;
constexpr VstInt32 kMaxNamedPrograms = 128;

void checkIdentity(CheckContext& context) {
    Findings& out = context.out;
    out.stage("loading the library");
    const PluginLibrary library(context.plugin);
    out.stage("creating and opening the plug-in");
    Instance plugin(library, 44100.0, 512);
    const AEffect& record = plugin.record();

    if (record.processReplacing == nullptr)
        out.fail("the record has no processReplacing entry");
    else if ((record.flags & effFlagsCanReplacing) == 0)
        out.warn("the record's flags do not announce effFlagsCanReplacing");
    if ((record.flags & effFlagsCanDoubleReplacing) != 0 &&
        record.processDoubleReplacing == nullptr)
        out.fail("the flags announce 64-bit processing but the record has no entry for it");
    if (record.numPrograms < 0 || record.numPrograms > kMaxCount)
        out.fail("the record announces " + std::to_string(record.numPrograms) + " programs");
    if (record.numParams > kMaxCount)
        out.fail("the record announces " + std::to_string(record.numParams) + " parameters");
    if (record.numInputs == 0 && record.numOutputs == 0)
        out.warn("the record announces neither inputs nor outputs");
    if (record.uniqueID == 0) out.warn("the unique id is 0: hosts tell plug-ins apart by it");

    const std::string name =
        askText(out, plugin, "the effect name", effGetEffectName, 0, kEffectNameSize);
    if (name.empty()) out.warn("the effect name is empty");
    const std::string vendor =
        askText(out, plugin, "the vendor text", effGetVendorString, 0, kVendorTextSize);
    const std::string product =
        askText(out, plugin, "the product text", effGetProductString, 0, kVendorTextSize);

    const VstInt32 parameters = std::min(record.numParams, kMaxSweptParameters);
    for (VstInt32 i = 0; i < parameters; ++i) {
        const std::string what = "parameter " + std::to_string(i);
        if (askText(out, plugin, what + "'s name", effGetParamName, i, kParameterTextSize).empty())
            out.warn(what + " has no name");
        askText(out, plugin, what + "'s label", effGetParamLabel, i, kParameterTextSize);
        askText(out, plugin, what + "'s display text", effGetParamDisplay, i, kParameterTextSize);
    }
    askText(out, plugin, "the program name", effGetProgramName, 0, kProgramNameSize);
    const VstInt32 programs = std::min(record.numPrograms, kMaxNamedPrograms);
    for (VstInt32 i = 0; i < programs; ++i)
        askText(out, plugin, "program " + std::to_string(i) + "'s name", effGetProgramNameIndexed,
                i, kProgramNameSize);

    out.stage("asking canDo questions");
    std::string answers;
    for (const char* capability :
         {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "sendVstMidiEvent",
          "receiveVstTimeInfo", "offline", "bypass", "noRealTime", "plugAsChannelInsert",
          "plugAsSend", "mixDryWet", "midiProgramNames", "1in1out", "2in2out", "8in8out"}) {
        std::string question = capability; // the dispatcher takes a writable pointer
        const VstIntPtr answer = plugin.dispatch(effCanDo, 0, 0, question.data());
        if (answer < -1 || answer > 1)
            out.warn("canDo " + quoted(capability) + " answers " + std::to_string(answer) +
                     " (expected -1, 0 or 1)");
        if (answer == 1) answers += std::string(answers.empty() ? "" : ", ") + capability;
    }
    std::string nonsense = "plughostNoSuchCapability";
    if (plugin.dispatch(effCanDo, 0, 0, nonsense.data()) == 1)
        out.warn("canDo answers yes to a capability that does not exist");

    out.stage("asking for the interface version");
    const VstIntPtr version = plugin.dispatch(effGetVstVersion);
    out.note(quoted(name) + " by " + quoted(vendor) + " (product " + quoted(product) +
             "), unique id '" + fourCharacters(record.uniqueID) + "', version " +
             std::to_string(record.version) + ", interface " + std::to_string(version) + ", " +
             std::to_string(record.numInputs) + " in, " + std::to_string(record.numOutputs) +
             " out, " + std::to_string(record.numParams) + " parameters, " +
             std::to_string(record.numPrograms) + " programs" +
             (plugin.hasDouble() ? ", 64-bit processing" : "") +
             (plugin.hasChunks() ? ", state chunk" : "") +
             ((record.flags & effFlagsHasEditor) != 0 ? ", editor" : ""));
    out.note("canDo yes: " + (answers.empty() ? std::string("none") : answers));
}

// ---------------------------------------------------------------------------------------------
// parameters

std::vector<float> readParameters(const Instance& plugin, VstInt32 count) {
    std::vector<float> values;
    for (VstInt32 i = 0; i < count; ++i)
        values.push_back(plugin.parameter(i));
    return values;
}

void checkParameters(CheckContext& context) {
    Findings& out = context.out;
    out.stage("creating and opening the plug-in");
    const PluginLibrary library(context.plugin);
    Instance plugin(library, 44100.0, 512);
    const VstInt32 count = std::min(plugin.parameters(), kMaxSweptParameters);
    const int steps = context.level >= kTopLevel ? 101 : 11;

    for (VstInt32 i = 0; i < count; ++i) {
        const std::string what = "parameter " + std::to_string(i);
        std::vector<std::string> displays(static_cast<std::size_t>(steps));
        bool valueFailed = false, orderWarned = false, displayFailed = false;
        float previous = 0.0f;
        for (int pass = 0; pass < 2; ++pass) {
            for (int k = 0; k < steps; ++k) {
                const float value = static_cast<float>(k) / static_cast<float>(steps - 1);
                out.stage("setting " + what + " to " + number(value));
                plugin.setParameter(i, value);
                const float back = plugin.parameter(i);
                const std::string display = writtenText(plugin, effGetParamDisplay, i).text;
                auto& first = displays[static_cast<std::size_t>(k)];
                if (pass == 1) {
                    if (display != first && !displayFailed) {
                        out.fail(what + "'s display text at " + number(value) + " reads " +
                                 quoted(first) + " on the first sweep and " + quoted(display) +
                                 " on the second");
                        displayFailed = true;
                    }
                    continue;
                }
                first = display;
                if (!(back >= 0.0f && back <= 1.0f)) {
                    if (!valueFailed)
                        out.fail(what + " set to " + number(value) + " reads back " + number(back) +
                                 " (outside 0 to 1)");
                    valueFailed = true;
                } else if (k > 0 && back < previous - 1e-6f && !orderWarned) {
                    out.warn(what + " reads back " + number(back) + " at " + number(value) +
                             ", less than " + number(previous) + " one step lower");
                    orderWarned = true;
                }
                previous = back;
                if (display.empty() && !displayFailed) {
                    out.fail(what + "'s display text is empty at " + number(value));
                    displayFailed = true;
                } else if (writtenText(plugin, effGetParamDisplay, i).text != display &&
                           !displayFailed) {
                    out.fail(what + "'s display text at " + number(value) +
                             " changes when asked twice");
                    displayFailed = true;
                }
                if (std::isfinite(back)) {
                    plugin.setParameter(i, back);
                    const float again = plugin.parameter(i);
                    if (std::fabs(again - back) > 1e-6f && !orderWarned) {
                        out.warn(what + " set to the value it read back, " + number(back) +
                                 ", reads " + number(again));
                        orderWarned = true;
                    }
                }
            }
        }
    }

    // Indices out of range must be ignored, and must not change the parameters in range.
    if (plugin.record().getParameter != nullptr && plugin.record().setParameter != nullptr) {
        for (VstInt32 i = 0; i < count; ++i)
            plugin.setParameter(i, 0.25f);
        const std::vector<float> before = readParameters(plugin, count);
        for (const VstInt32 index : {plugin.parameters(), plugin.parameters() + 1,
                                     plugin.parameters() + 1000, VstInt32{-1}}) {
            const std::string what = "parameter " + std::to_string(index) + " (out of range)";
            out.stage("reading and setting " + what);
            (void)plugin.parameter(index);
            plugin.setParameter(index, 0.75f);
            out.stage("asking for the texts of " + what);
            for (const VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
                const WrittenText text = writtenText(plugin, opcode, index);
                if (text.written > kHostTextLimit || !text.terminated)
                    judgeText(out, what + "'s text", text, kHostTextLimit);
            }
        }
        const std::vector<float> after = readParameters(plugin, count);
        for (VstInt32 i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (!(after[at] == before[at])) {
                out.fail("setting parameters out of range changed parameter " + std::to_string(i) +
                         " from " + number(before[at]) + " to " + number(after[at]));
                break;
            }
        }
    }
    out.note(std::to_string(count) + " parameters swept over " + std::to_string(steps) +
             " values each, twice; out-of-range indices ignored");
}

// ---------------------------------------------------------------------------------------------
// Signals and output scans

enum class Signal { Silence, Sine, Noise, NotANumber, Infinity, Subnormal };

const char* signalName(Signal signal) {
    switch (signal) {
    case Signal::Silence:
        return "silence";
    case Signal::Sine:
        return "sine";
    case Signal::Noise:
        return "noise";
    case Signal::NotANumber:
        return "NaN";
    case Signal::Infinity:
        return "infinity";
    case Signal::Subnormal:
        return "subnormal";
    }
    return "?";
}

template <class Sample>
void fill(std::vector<std::vector<Sample>>& channels, int channelCount, int frames, Signal signal,
          std::int64_t position, double rate, std::mt19937& random) {
    std::uniform_real_distribution<double> noise(-0.5, 0.5);
    const double pi = 3.14159265358979323846;
    for (int c = 0; c < channelCount; ++c) {
        auto& channel = channels[static_cast<std::size_t>(c)];
        const double frequency = 220.0 * (1 + c % 8);
        for (int j = 0; j < frames; ++j) {
            const double t = static_cast<double>(position + j) / rate;
            const double sine = 0.5 * std::sin(2.0 * pi * frequency * t);
            double value = 0.0;
            switch (signal) {
            case Signal::Silence:
                value = 0.0;
                break;
            case Signal::Sine:
                value = sine;
                break;
            case Signal::Noise:
                value = noise(random);
                break;
            case Signal::NotANumber:
                value = j % 3 == 0 ? std::numeric_limits<double>::quiet_NaN() : sine;
                break;
            case Signal::Infinity:
                value = j % 3 == 0 ? (j % 2 == 0 ? 1.0 : -1.0) * HUGE_VAL : sine;
                break;
            case Signal::Subnormal:
                value = (j % 2 == 0 ? 1.0 : -1.0) *
                        static_cast<double>(std::numeric_limits<Sample>::denorm_min()) * 64.0;
                break;
            }
            channel[static_cast<std::size_t>(j)] = static_cast<Sample>(value);
        }
    }
}

struct Scan {
    long nonFinite = 0;
    long subnormal = 0;
};

template <class Sample>
void scan(const std::vector<std::vector<Sample>>& channels, int channelCount, int frames,
          Scan& result) {
    for (int c = 0; c < channelCount; ++c)
        for (int j = 0; j < frames; ++j) {
            const Sample value = channels[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
            if (!std::isfinite(value))
                ++result.nonFinite;
            else if (std::fpclassify(value) == FP_SUBNORMAL)
                ++result.subnormal;
        }
}

// ---------------------------------------------------------------------------------------------
// processing

struct ProcessingTally {
    int failures = 0;
    long subnormal = 0;
    std::string firstSubnormal;
    long frames = 0;
};

// One run of a signal at the instance's current rate, with block sizes cycling through
// blocks. Special inputs (NaN, infinity) fill the first half of the run; the output must be
// finite again in its last quarter.
template <class Sample>
void runSignal(Findings& out, Instance& plugin, double rate, const std::vector<int>& blocks,
               Signal signal, long frames, ProcessingTally& tally) {
    const int largest = *std::max_element(blocks.begin(), blocks.end());
    Buffers<Sample> in(plugin.inputs(), largest), outBuffers(plugin.outputs(), largest);
    std::mt19937 random(1234);
    const bool special = signal == Signal::NotANumber || signal == Signal::Infinity;
    const std::string where = std::string(sizeof(Sample) == 4 ? "32-bit" : "64-bit") + ", " +
                              number(rate / 1000.0) + " kHz, " + signalName(signal) + " input";
    out.stage("processing " + where);
    Scan result;
    long done = 0;
    std::size_t next = 0;
    while (done < frames) {
        const int block =
            static_cast<int>(std::min<long>(blocks[next++ % blocks.size()], frames - done));
        const Signal now = special && done >= frames / 2 ? Signal::Sine : signal;
        fill(in.data, plugin.inputs(), block, now, done, rate, random);
        for (auto& channel : outBuffers.data)
            std::fill(channel.begin(), channel.begin() + block, Sample(0));
        plugin.process(in.channels(), outBuffers.channels(), block);
        if (!special || done >= frames * 3 / 4)
            scan(outBuffers.data, plugin.outputs(), block, result);
        done += block;
    }
    tally.frames += done;
    if (result.nonFinite > 0 && tally.failures++ < 8)
        out.fail(special
                     ? "output not finite again (" + std::to_string(result.nonFinite) +
                           " samples) after the " + signalName(signal) + " input ended; " + where
                     : std::to_string(result.nonFinite) + " NaN or infinite output samples; " +
                           where);
    if (result.subnormal > 0) {
        if (tally.subnormal == 0) tally.firstSubnormal = where;
        tally.subnormal += result.subnormal;
    }
}

// The same input processed by two instances, one with separate buffers and one in place.
template <class Sample>
void compareInPlace(Findings& out, const PluginLibrary& library) {
    constexpr int kBlock = 512;
    constexpr int kBlocks = 16;
    const std::string what = sizeof(Sample) == 4 ? "32-bit" : "64-bit";
    out.stage("processing " + what + " in place");
    Instance separate(library, 44100.0, kBlock);
    Instance shared(library, 44100.0, kBlock);
    const int inputs = separate.inputs(), outputs = separate.outputs();
    Buffers<Sample> in(inputs, kBlock), outBuffers(outputs, kBlock);
    Buffers<Sample> io(std::max(inputs, outputs), kBlock);
    std::vector<Sample*> ioIn(io.pointers.begin(), io.pointers.begin() + std::max(inputs, 1));
    std::vector<Sample*> ioOut(io.pointers.begin(), io.pointers.begin() + std::max(outputs, 1));
    std::mt19937 random(99);
    bool warned = false;
    for (int b = 0; b < kBlocks; ++b) {
        fill(in.data, inputs, kBlock, Signal::Sine, b * kBlock, 44100.0, random);
        for (auto& channel : io.data)
            std::fill(channel.begin(), channel.end(), Sample(0));
        fill(io.data, inputs, kBlock, Signal::Sine, b * kBlock, 44100.0, random);
        separate.process(in.channels(), outBuffers.channels(), kBlock);
        shared.process(ioIn.data(), ioOut.data(), kBlock);
        Scan result;
        scan(io.data, outputs, kBlock, result);
        if (result.nonFinite > 0) {
            out.fail(what + " in-place processing gives " + std::to_string(result.nonFinite) +
                     " NaN or infinite samples");
            return;
        }
        for (int c = 0; c < outputs && !warned; ++c)
            for (int j = 0; j < kBlock && !warned; ++j) {
                const double a =
                    outBuffers.data[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
                const double s = io.data[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
                if (std::fabs(a - s) > 1e-6 * std::max(1.0, std::fabs(a))) {
                    out.warn(what + " in-place output differs from separate buffers: channel " +
                             std::to_string(c) + ", frame " + std::to_string(b * kBlock + j) +
                             ": " + number(s) + " instead of " + number(a));
                    warned = true;
                }
            }
    }
}

void checkProcessing(CheckContext& context) {
    Findings& out = context.out;
    const bool full = context.level >= kFullProcessingLevel;
    const std::vector<double> rates = full
                                          ? std::vector<double>{44100.0, 48000.0, 96000.0, 192000.0}
                                          : std::vector<double>{44100.0, 48000.0};
    const std::vector<int> blocks =
        full ? std::vector<int>{1, 7, 64, 512, 4096, 8192} : std::vector<int>{64, 512};
    std::vector<Signal> signals{Signal::Silence, Signal::Sine, Signal::Noise};
    if (full)
        signals.insert(signals.end(), {Signal::NotANumber, Signal::Infinity, Signal::Subnormal});
    const int largest = *std::max_element(blocks.begin(), blocks.end());
    long blockSum = 0;
    for (int block : blocks)
        blockSum += block;

    out.stage("creating and opening the plug-in");
    const PluginLibrary library(context.plugin);
    Instance plugin(library, rates.front(), largest);
    ProcessingTally tally;
    for (const double rate : rates) {
        out.stage("changing the sample rate to " + number(rate) + " Hz");
        plugin.restart(rate, largest);
        const long frames = std::max(blockSum, static_cast<long>(rate * context.seconds * 0.25));
        for (const Signal signal : signals) {
            runSignal<float>(out, plugin, rate, blocks, signal, frames, tally);
            if (plugin.hasDouble())
                runSignal<double>(out, plugin, rate, blocks, signal, frames, tally);
        }
    }
    if (full) {
        compareInPlace<float>(out, library);
        if (plugin.hasDouble()) compareInPlace<double>(out, library);
    }
    if (tally.subnormal > 0)
        out.warn("subnormal output: " + std::to_string(tally.subnormal) + " samples, first with " +
                 tally.firstSubnormal);
    out.note(std::to_string(tally.frames) + " frames at " + std::to_string(rates.size()) +
             " sample rates, block sizes cycling through " + std::to_string(blocks.size()) +
             " sizes, " + (plugin.hasDouble() ? "32- and 64-bit" : "32-bit") +
             (full ? ", in place" : ""));
}

// ---------------------------------------------------------------------------------------------
// threads

void checkThreads(CheckContext& context) {
    Findings& out = context.out;
    out.stage("creating and opening the plug-in");
    const PluginLibrary library(context.plugin);
    constexpr int kBlock = 512;
    Instance plugin(library, 44100.0, kBlock);
    const VstInt32 count = std::min(plugin.parameters(), kMaxSweptParameters);
    const double phase = std::max(context.seconds, 0.2) / 2.0;

    std::atomic<bool> finished{false};
    long changes = 0, roundTrips = 0;
    out.stage("processing while a second thread automates the parameters and swaps the chunk");
    std::thread worker([&] {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        const auto automationEnd = after(phase);
        while (Clock::now() < automationEnd) {
            for (VstInt32 i = 0; i < count; ++i, ++changes)
                plugin.setParameter(i, value(random));
            if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const auto chunkEnd = after(phase);
        while (Clock::now() < chunkEnd) {
            if (!plugin.hasChunks()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            plugin.setChunk(plugin.chunk());
            ++roundTrips;
        }
        finished = true;
    });

    Buffers<float> in(plugin.inputs(), kBlock), outBuffers(plugin.outputs(), kBlock);
    Buffers<double> din(plugin.inputs(), kBlock), dout(plugin.outputs(), kBlock);
    std::mt19937 random(5);
    long blocks = 0, nonFinite = 0;
    while (!finished) {
        Scan result;
        fill(in.data, plugin.inputs(), kBlock, Signal::Sine, blocks * kBlock, 44100.0, random);
        plugin.process(in.channels(), outBuffers.channels(), kBlock);
        scan(outBuffers.data, plugin.outputs(), kBlock, result);
        if (plugin.hasDouble()) {
            fill(din.data, plugin.inputs(), kBlock, Signal::Sine, blocks * kBlock, 44100.0, random);
            plugin.process(din.channels(), dout.channels(), kBlock);
            scan(dout.data, plugin.outputs(), kBlock, result);
        }
        nonFinite += result.nonFinite;
        ++blocks;
    }
    worker.join();
    if (nonFinite > 0)
        out.fail(std::to_string(nonFinite) +
                 " NaN or infinite output samples while a second thread changed the plug-in");
    out.note(std::to_string(blocks) + " blocks processed while a second thread made " +
             std::to_string(changes) + " parameter changes, then " + std::to_string(roundTrips) +
             " chunk get-and-set round trips");
}

// ---------------------------------------------------------------------------------------------
// state

std::string firstDifference(const std::vector<unsigned char>& a,
                            const std::vector<unsigned char>& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    return std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           " bytes, first difference at byte " + std::to_string(at);
}

void randomise(const Instance& plugin, VstInt32 count, std::mt19937& random) {
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (VstInt32 i = 0; i < count; ++i)
        plugin.setParameter(i, value(random));
}

// Answers false, after one failure, when a parameter differs from expected by more than 1e-6.
bool sameParameters(Findings& out, const Instance& plugin, const std::vector<float>& expected,
                    const std::string& when) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const float got = plugin.parameter(static_cast<VstInt32>(i));
        if (!(std::fabs(got - expected[i]) <= 1e-6f)) {
            out.fail(when + ", parameter " + std::to_string(i) + " reads " + number(got) +
                     " instead of " + number(expected[i]));
            return false;
        }
    }
    return true;
}

void checkState(CheckContext& context) {
    Findings& out = context.out;
    out.stage("creating and opening the plug-in");
    const PluginLibrary library(context.plugin);
    Instance plugin(library, 44100.0, 512);
    if (!plugin.hasChunks()) {
        out.skip("the plug-in keeps no state chunk (effFlagsProgramChunks is not set)");
        return;
    }
    const VstInt32 count = std::min(plugin.parameters(), kMaxSweptParameters);
    std::mt19937 random(12345);
    const int rounds = context.level >= kTopLevel ? 10 : 3;
    std::vector<unsigned char> good;
    std::vector<float> saved;
    for (int round = 0; round < rounds; ++round) {
        out.stage("getting the chunk");
        randomise(plugin, count, random);
        saved = readParameters(plugin, count);
        good = plugin.chunk();
        if (good.empty()) {
            out.fail("effGetChunk answers no data");
            return;
        }
        const std::vector<unsigned char> again = plugin.chunk();
        if (again != good) {
            out.fail("two chunks asked for in a row differ (" + firstDifference(good, again) + ")");
            return;
        }
        randomise(plugin, count, random);
        out.stage("restoring the chunk");
        plugin.setChunk(good);
        if (!sameParameters(out, plugin, saved, "after restoring the chunk")) return;
        const std::vector<unsigned char> restored = plugin.chunk();
        if (restored != good) {
            out.warn("the chunk after restoring differs from the one restored (" +
                     firstDifference(good, restored) + ")");
        }
    }

    // Damaged chunks: survived, parameters still in range, processing still finite, and a good
    // chunk restores everything afterwards.
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::pair<std::string, std::vector<unsigned char>>> damaged;
    damaged.emplace_back("the first half of the chunk",
                         std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2));
    damaged.emplace_back("the chunk without its last byte",
                         std::vector<unsigned char>(good.begin(), good.end() - 1));
    damaged.emplace_back("a 1-byte chunk", std::vector<unsigned char>(1, good.front()));
    for (std::size_t size : {good.size(), std::size_t{4096}}) {
        std::vector<unsigned char> garbage(size);
        for (auto& b : garbage)
            b = static_cast<unsigned char>(byte(random));
        damaged.emplace_back(std::to_string(size) + " bytes of garbage", garbage);
    }
    damaged.emplace_back(std::to_string(good.size()) + " zero bytes",
                         std::vector<unsigned char>(good.size(), 0));
    std::vector<unsigned char> flipped = good;
    for (std::size_t i = 0; i < flipped.size(); i += 7)
        flipped[i] = static_cast<unsigned char>(flipped[i] ^ 0xFF);
    damaged.emplace_back("the chunk with every seventh byte inverted", flipped);

    Buffers<float> in(plugin.inputs(), 512), outBuffers(plugin.outputs(), 512);
    for (const auto& [what, bytes] : damaged) {
        out.stage("restoring " + what);
        plugin.setChunk(bytes);
        for (VstInt32 i = 0; i < count; ++i) {
            const float value = plugin.parameter(i);
            if (!(value >= 0.0f && value <= 1.0f)) {
                out.fail("after restoring " + what + ", parameter " + std::to_string(i) +
                         " reads " + number(value));
                break;
            }
        }
        out.stage("processing after restoring " + what);
        std::mt19937 unused(1);
        fill(in.data, plugin.inputs(), 512, Signal::Sine, 0, 44100.0, unused);
        plugin.process(in.channels(), outBuffers.channels(), 512);
        Scan result;
        scan(outBuffers.data, plugin.outputs(), 512, result);
        if (result.nonFinite > 0)
            out.fail("after restoring " + what + ", the output is not finite");
    }
    out.stage("restoring a zero-length chunk");
    unsigned char none = 0;
    plugin.dispatch(effSetChunk, 0, 0, &none);
    out.stage("restoring the good chunk after the damaged ones");
    plugin.setChunk(good);
    sameParameters(out, plugin, saved, "after damaged chunks and the good one again");
    out.note("chunk of " + std::to_string(good.size()) + " bytes, " + std::to_string(rounds) +
             " round trips with random parameters, " + std::to_string(damaged.size() + 1) +
             " damaged chunks survived");
}

// ---------------------------------------------------------------------------------------------
// real-time safety

void checkRealtime(CheckContext& context) {
    Findings& out = context.out;
    {
        // The counters must see this process's own allocation, or the check would prove nothing.
        resetAllocationCounts();
        const AudioThreadScope audio;
        void* volatile probe = std::malloc(32);
        std::free(probe);
    }
    if (allocationCounts().allocations == 0) {
        out.skip("allocations cannot be counted in this build of plughost");
        return;
    }
    out.stage("creating and opening the plug-in");
    const PluginLibrary library(context.plugin);
    constexpr int kBlock = 512;
    Instance plugin(library, 44100.0, kBlock);
    const VstInt32 count = std::min(plugin.parameters(), kMaxSweptParameters);
    Buffers<float> in(plugin.inputs(), kBlock), outBuffers(plugin.outputs(), kBlock);
    Buffers<double> din(plugin.inputs(), kBlock), dout(plugin.outputs(), kBlock);
    std::mt19937 random(3);
    const long blocks = std::max(16L, static_cast<long>(44100.0 * context.seconds / kBlock));
    out.stage("processing with automation on the audio thread");
    resetAllocationCounts();
    long calls = 0;
    for (long b = 0; b < blocks; ++b) {
        fill(in.data, plugin.inputs(), kBlock, Signal::Sine, b * kBlock, 44100.0, random);
        {
            const AudioThreadScope audio;
            for (VstInt32 i = 0; i < count; ++i)
                plugin.setParameter(i, static_cast<float>((b + i) % 10) / 10.0f);
        }
        plugin.process(in.channels(), outBuffers.channels(), kBlock);
        ++calls;
        if (plugin.hasDouble()) {
            fill(din.data, plugin.inputs(), kBlock, Signal::Sine, b * kBlock, 44100.0, random);
            plugin.process(din.channels(), dout.channels(), kBlock);
            ++calls;
        }
    }
    const AllocationCounts counts = allocationCounts();
    const std::string text = std::to_string(counts.allocations) + " allocations, " +
                             std::to_string(counts.releases) + " releases and " +
                             std::to_string(counts.locks) + " lock calls on the audio thread in " +
                             std::to_string(calls) + " processing calls with automation";
    if (counts.allocations + counts.releases + counts.locks == 0)
        out.note(text);
    else if (context.level >= kRealtimeFailLevel)
        out.fail(text);
    else
        out.warn(text);
}

// ---------------------------------------------------------------------------------------------
// lifecycle

void checkLifecycle(CheckContext& context) {
    Findings& out = context.out;
    out.stage("loading the library");
    const PluginLibrary library(context.plugin);
    const int cycles = context.level >= kLongLifecycleLevel ? 1000 : 100;
    constexpr int kWarmUp = 10;
    std::size_t before = 0;
    for (int cycle = 0; cycle < kWarmUp + cycles; ++cycle) {
        if (cycle == kWarmUp) before = heapBytesInUse();
        if (cycle < 3) out.stage("opening the plug-in (cycle " + std::to_string(cycle + 1) + ")");
        Instance plugin(library, 44100.0, 512);
        plugin.suspend();
        if (cycle < 3) out.stage("closing the plug-in (cycle " + std::to_string(cycle + 1) + ")");
        plugin.close();
    }
    const std::size_t now = heapBytesInUse();
    const double growth = static_cast<double>(now) - static_cast<double>(before);
    const std::string text = "memory in use grew by " + number(growth) + " bytes over " +
                             std::to_string(cycles) + " open-resume-suspend-close cycles (" +
                             number(growth / cycles) + " per cycle)";
    if (growth > 32.0 * cycles)
        out.fail(text);
    else
        out.note(text);
}

// ---------------------------------------------------------------------------------------------
// editor

// The plug-in's windows live on its own display connection: what it made or destroyed may reach
// the server a moment after its call returned. Waits up to 200 ms for the count to settle on
// the wanted side and answers the last count seen.
int childWindowsSettled(EditorWindow& window, bool wantSome) {
    const auto end = after(0.2);
    int count = window.childWindows();
    while (count >= 0 && (count > 0) != wantSome && Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        window.pump();
        count = window.childWindows();
    }
    return count;
}

void checkEditor(CheckContext& context) {
    Findings& out = context.out;
    out.stage("creating and opening the plug-in");
    const PluginLibrary library(context.plugin);
    Instance plugin(library, 44100.0, 512);
    if ((plugin.record().flags & effFlagsHasEditor) == 0) {
        out.skip("the plug-in has no editor");
        return;
    }
    for (int round = 1; round <= 2; ++round) {
        const std::string which = " (round " + std::to_string(round) + ")";
        out.stage("asking for the editor's size" + which);
        ERect* rect = nullptr;
        plugin.dispatch(effEditGetRect, 0, 0, &rect);
        int width = 400, height = 300;
        if (rect != nullptr && rect->right > rect->left && rect->bottom > rect->top) {
            width = rect->right - rect->left;
            height = rect->bottom - rect->top;
        } else if (round == 1) {
            // Hosts size their window from this answer before opening the editor.
            out.warn("effEditGetRect gave no size before the editor was opened; 400 x 300 used");
        }
        std::string reason;
        const std::unique_ptr<EditorWindow> window = EditorWindow::open(width, height, reason);
        if (window == nullptr) {
            out.skip(reason);
            return;
        }
        out.stage("opening the editor" + which);
        plugin.dispatch(effEditOpen, 0, 0, window->handle());
        out.stage("idling the editor" + which);
        const auto end = after(1.0);
        while (Clock::now() < end) {
            plugin.dispatch(effEditIdle);
            window->pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (childWindowsSettled(*window, true) == 0)
            out.warn("the editor put no window into the host's window" + which);
        out.stage("closing the editor" + which);
        plugin.dispatch(effEditClose);
        window->pump();
        const int left = childWindowsSettled(*window, false);
        if (left > 0)
            out.warn("the editor left " + std::to_string(left) +
                     " window(s) in the host's window after effEditClose" + which);
        if (round == 1)
            out.note("editor of " + std::to_string(width) + " x " + std::to_string(height) +
                     " pixels opened, idled for a second and closed twice");
    }
}

} // namespace

const std::vector<CheckDefinition>& allChecks() {
    static const std::vector<CheckDefinition> checks{
        {"identity", 1,
         "record, names and texts within host buffer sizes (guard bytes), canDo answers",
         checkIdentity},
        {"parameters", 2,
         "every parameter swept over 0..1: value read back, display text, indices out of range",
         checkParameters},
        {"state", 3, "chunk round trips, identical chunks, truncated and garbage chunks",
         checkState},
        {"processing", 4,
         "sample rates, block sizes, both precisions, test signals, NaN/infinity/subnormal "
         "input, in place",
         checkProcessing},
        {"lifecycle", 5, "open, resume, suspend, close, repeated; memory in use stays flat",
         checkLifecycle},
        {"realtime", 6, "allocations and lock calls on the audio thread", checkRealtime},
        {"threads", 7, "automation and chunk get/set from a second thread while processing",
         checkThreads},
        {"editor", 9, "open, idle for a second, close, twice (needs an editor and a display)",
         checkEditor},
    };
    return checks;
}

} // namespace plughost::validate
