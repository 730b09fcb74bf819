// SPDX-License-Identifier: MIT
#include "CheckAudio.h"
#include "CheckSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace plughost::validate {
namespace {

constexpr unsigned char kGuardByte = 0xA5;

template <class Sample>
bool isGuard(const Sample& value) {
    unsigned char bytes[sizeof(Sample)];
    std::memcpy(bytes, &value, sizeof bytes);
    return std::all_of(std::begin(bytes), std::end(bytes),
                       [](unsigned char b) { return b == kGuardByte; });
}

} // namespace

template <class Sample>
GuardedBuffers<Sample>::GuardedBuffers(int channels, int capacity)
    : m_data(static_cast<std::size_t>(std::max(channels, 0)),
             std::vector<Sample>(static_cast<std::size_t>(std::max(capacity, 0) + kGuard))) {
    for (auto& channel : m_data)
        m_pointers.push_back(channel.data());
    if (m_pointers.empty()) m_pointers.push_back(nullptr);
}

template <class Sample>
void GuardedBuffers<Sample>::arm(int frames) {
    for (auto& channel : m_data)
        std::memset(channel.data() + frames, kGuardByte, kGuard * sizeof(Sample));
}

template <class Sample>
std::pair<int, int> GuardedBuffers<Sample>::overrun(int frames) const {
    for (std::size_t c = 0; c < m_data.size(); ++c) {
        const Sample* guard = m_data[c].data() + frames;
        const auto changed = std::count_if(guard, guard + kGuard,
                                           [](const Sample& value) { return !isGuard(value); });
        if (changed > 0) return {static_cast<int>(c), static_cast<int>(changed)};
    }
    return {-1, 0};
}

template <class Sample>
void GuardedCall<Sample>::operator()(GuardedBuffers<Sample>& in, GuardedBuffers<Sample>& out,
                                     int frames, const Case& where) {
    in.arm(frames);
    out.arm(frames);
    m_plugin.process(in.pointers(), out.pointers(), frames);
    if (m_reported) return;
    for (const auto& [buffers, side] : {std::pair{&out, "output"}, std::pair{&in, "input"}}) {
        const auto [channel, samples] = buffers->overrun(frames);
        if (channel < 0) continue;
        Case at = where;
        at.channel = channel;
        at.blockSize = frames;
        m_out.fail("the plug-in wrote past the end of the buffers of a processing call",
                   std::to_string(samples) + " of the " +
                       std::to_string(GuardedBuffers<Sample>::kGuard) + " samples after the " +
                       std::to_string(frames) + " frames of " + side + " " +
                       std::to_string(channel) + " changed",
                   at);
        m_reported = true;
        return;
    }
}

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

bool isSpecial(Signal signal) {
    return signal == Signal::NotANumber || signal == Signal::Infinity;
}

template <class Sample>
void fill(GuardedBuffers<Sample>& buffers, int channelCount, int frames, Signal signal,
          std::int64_t position, double rate, std::mt19937& random) {
    std::uniform_real_distribution<double> noise(-0.5, 0.5);
    const double pi = 3.14159265358979323846;
    for (int c = 0; c < channelCount; ++c) {
        Sample* channel = buffers.channel(c);
        const double frequency = 220.0 * (1 + c % 8);
        for (int j = 0; j < frames; ++j) {
            const double t = static_cast<double>(position + j) / rate;
            const double sine = 0.5 * std::sin(2.0 * pi * frequency * t);
            double value = 0.0;
            switch (signal) {
            case Signal::Silence:
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
            channel[j] = static_cast<Sample>(value);
        }
    }
}

template <class Sample>
void scan(const GuardedBuffers<Sample>& buffers, int channelCount, int frames,
          std::int64_t position, Scan& result) {
    for (int c = 0; c < channelCount; ++c) {
        const Sample* channel = buffers.channel(c);
        for (int j = 0; j < frames; ++j) {
            const Sample value = channel[j];
            if (!std::isfinite(value)) {
                ++result.nonFinite;
                const long long frame = position + j;
                if (result.firstNonFinite < 0 || frame < result.firstNonFinite) {
                    result.firstNonFinite = frame;
                    result.nonFiniteChannel = c;
                }
                result.lastNonFinite = std::max(result.lastNonFinite, frame);
            } else if (std::fpclassify(value) == FP_SUBNORMAL) {
                if (result.subnormal++ == 0) {
                    result.firstSubnormal = position + j;
                    result.subnormalChannel = c;
                }
            }
        }
    }
}

SineBlocks::SineBlocks(Findings& out, Plugin& plugin, unsigned seed)
    : m_plugin(plugin), m_in(plugin.inputs(), kBlock), m_out(plugin.outputs(), kBlock),
      m_doubleIn(plugin.inputs(), kBlock), m_doubleOut(plugin.outputs(), kBlock),
      m_call(out, plugin), m_doubleCall(out, plugin), m_random(seed) {
    for (const int precision : {32, 64}) {
        Case& where = m_where[precision == 64 ? 1 : 0];
        where.sampleRate = kRate;
        where.blockSize = kBlock;
        where.input = signalName(Signal::Sine);
        where.precision = precision;
    }
}

int SineBlocks::step() {
    const std::int64_t position = m_blocks++ * kBlock;
    const int inputs = m_plugin.inputs(), outputs = m_plugin.outputs();
    fill(m_in, inputs, kBlock, Signal::Sine, position, kRate, m_random);
    m_call(m_in, m_out, kBlock, m_where[0]);
    scan(m_out, outputs, kBlock, position, m_found[0]);
    if (!m_plugin.canDoubleReplacing()) return 1;
    fill(m_doubleIn, inputs, kBlock, Signal::Sine, position, kRate, m_random);
    m_doubleCall(m_doubleIn, m_doubleOut, kBlock, m_where[1]);
    scan(m_doubleOut, outputs, kBlock, position, m_found[1]);
    return 2;
}

// ---- whole renders --------------------------------------------------------------------------

const char* placementName(Placement placement) {
    return placement == Placement::InPlace ? "in place" : "separate buffers";
}

Audio testInput(int channels, long frames, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> noise(-0.5, 0.5);
    // At least one channel, which carries the length for a plug-in without inputs.
    Audio input(static_cast<std::size_t>(std::max(channels, 1)),
                std::vector<double>(static_cast<std::size_t>(frames)));
    for (auto& channel : input)
        for (double& sample : channel)
            sample = noise(random);
    return input;
}

template <class Sample>
Render<Sample>::Render(Findings& out, Plugin& plugin, const Audio& input, Placement placement,
                       Prefill prefill, const Case& where)
    : m_plugin(plugin), m_input(input), m_placement(placement), m_prefill(prefill), m_where(where),
      m_in(placement == Placement::InPlace ? std::max(plugin.inputs(), plugin.outputs())
                                           : plugin.inputs(),
           kRenderBlock),
      m_out(placement == Placement::InPlace ? 0 : plugin.outputs(), kRenderBlock),
      m_call(out, plugin), m_output(static_cast<std::size_t>(plugin.outputs())) {
    m_where.placement = placementName(placement);
    m_where.precision = static_cast<int>(sizeof(Sample) * 8);
    m_where.blockSize = kRenderBlock;
}

template <class Sample>
bool Render<Sample>::step() {
    const long total = m_input.empty() ? 0 : static_cast<long>(m_input.front().size());
    if (m_done >= total) return false;
    const int frames = static_cast<int>(std::min<long>(kRenderBlock, total - m_done));
    GuardedBuffers<Sample>& out = m_placement == Placement::InPlace ? m_in : m_out;
    std::uniform_real_distribution<double> garbage(-1.0, 1.0);
    for (int c = 0; c < out.channels(); ++c)
        for (int j = 0; j < frames; ++j)
            out.channel(c)[j] =
                m_prefill == Prefill::Garbage ? static_cast<Sample>(garbage(m_garbage)) : Sample(0);
    for (int c = 0; c < m_plugin.inputs(); ++c)
        for (int j = 0; j < frames; ++j)
            m_in.channel(c)[j] = static_cast<Sample>(
                m_input[static_cast<std::size_t>(c)][static_cast<std::size_t>(m_done + j)]);
    m_call(m_in, out, frames, m_where);
    for (int c = 0; c < m_plugin.outputs(); ++c)
        m_output[static_cast<std::size_t>(c)].insert(m_output[static_cast<std::size_t>(c)].end(),
                                                     out.channel(c), out.channel(c) + frames);
    m_done += frames;
    return true;
}

Audio render(Findings& out, Plugin& plugin, int precision, const Audio& input, Placement placement,
             Prefill prefill, const Case& where) {
    const auto run = [&](auto render) {
        while (render.step()) {
        }
        return render.output();
    };
    if (precision == 64) return run(Render<double>(out, plugin, input, placement, prefill, where));
    return run(Render<float>(out, plugin, input, placement, prefill, where));
}

std::optional<Difference> firstDifference(const Audio& expected, const Audio& got) {
    for (std::size_t c = 0; c < expected.size() && c < got.size(); ++c)
        for (std::size_t j = 0; j < expected[c].size() && j < got[c].size(); ++j) {
            const double a = expected[c][j], b = got[c][j];
            const bool same = (std::isnan(a) && std::isnan(b)) ||
                              std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(a));
            if (!same) return Difference{static_cast<int>(c), static_cast<long long>(j), a, b};
        }
    return std::nullopt;
}

bool isSilent(const Audio& audio) {
    for (const auto& channel : audio)
        for (const double sample : channel)
            if (sample != 0.0) return false;
    return true;
}

bool repeats(Findings& out, Plugin& plugin, int precision, const Audio& input, const Audio& first,
             const Case& where) {
    plugin.restart(plugin.sampleRate(), plugin.blockSize());
    const Audio again =
        render(out, plugin, precision, input, Placement::Separate, Prefill::Zeros, where);
    return !firstDifference(first, again);
}

bool referenceRepeats(Findings& out, Plugin& reference, const Audio& input, const Audio& expected,
                      const std::string& referenceName, const std::string& subject,
                      const Case& where) {
    out.stage("processing " + referenceName + " again, from a reset", where);
    if (repeats(out, reference, where.precision, input, expected, where)) return true;
    out.note("the output differs between two runs of one instance from a reset (random?): " +
                 subject + " not compared",
             {}, where);
    return false;
}

void failAtDifference(Findings& out, const std::string& summary, const Difference& difference,
                      Case where) {
    where.channel = difference.channel;
    where.frame = difference.frame;
    out.fail(summary, number(difference.got) + " instead of " + number(difference.expected), where);
}

long renderFrames(const Plugin& plugin) {
    constexpr long kBlocks = 32;
    const long frames =
        std::max<long>(kBlocks, plugin.reportedDelay() / Render<float>::kRenderBlock + 16);
    return frames * Render<float>::kRenderBlock;
}

std::vector<float> variedSettings(VstInt32 count, int k) {
    constexpr double kGolden = 0.6180339887498949;
    std::vector<float> values;
    for (VstInt32 i = 0; i < count; ++i) {
        const double spread = std::fmod(0.3 + kGolden * (i + 7.0 * k), 1.0);
        values.push_back(static_cast<float>(0.05 + 0.9 * spread));
    }
    return values;
}

void applySettings(Plugin& plugin, const std::vector<float>& values) {
    for (std::size_t i = 0; i < values.size(); ++i)
        plugin.setParameter(static_cast<VstInt32>(i), values[i]);
}

template class GuardedBuffers<float>;
template class GuardedBuffers<double>;
template class GuardedCall<float>;
template class GuardedCall<double>;
template class Render<float>;
template class Render<double>;
template void fill(GuardedBuffers<float>&, int, int, Signal, std::int64_t, double, std::mt19937&);
template void fill(GuardedBuffers<double>&, int, int, Signal, std::int64_t, double, std::mt19937&);
template void scan(const GuardedBuffers<float>&, int, int, std::int64_t, Scan&);
template void scan(const GuardedBuffers<double>&, int, int, std::int64_t, Scan&);

} // namespace plughost::validate
