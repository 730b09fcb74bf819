// SPDX-License-Identifier: MIT
#include "CheckSupport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace plughost::validate {

Clock::time_point after(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::unique_ptr<Plugin> openInstance(const PluginLibrary& library, double sampleRate,
                                     VstInt32 maxBlockSize) {
    auto plugin = std::make_unique<Plugin>(library);
    plugin->leaveOpen();
    plugin->open(sampleRate, maxBlockSize);
    plugin->resume();
    return plugin;
}

namespace {

// The path of the check's plug-in, with the check's stage said first.
const std::string& loading(CheckContext& context) {
    context.out.stage("loading the library");
    return context.plugin;
}

} // namespace

CheckedPlugin::CheckedPlugin(CheckContext& context, double sampleRate, VstInt32 maxBlockSize)
    : m_library(loading(context)),
      m_instance((context.out.stage("creating and opening the plug-in"),
                  openInstance(m_library, sampleRate, maxBlockSize))) {}

WrittenText writtenText(Plugin& plugin, VstInt32 opcode, VstInt32 index) {
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

std::string judgeText(Findings& out, const std::string& what, const WrittenText& text,
                      std::size_t hostSize) {
    if (!text.terminated)
        out.fail(what + ": no terminating zero within the " + std::to_string(text.written) +
                 " bytes written");
    else if (text.written > kHostTextLimit)
        out.fail(what + " " + quote(text.text) + ": " + std::to_string(text.written) +
                 " bytes written, past the " + std::to_string(kHostTextLimit) +
                 " bytes of the largest host buffer");
    else if (text.written > hostSize)
        out.warn(what + " " + quote(text.text) + ": " + std::to_string(text.written) +
                 " bytes written into a buffer hosts make " + std::to_string(hostSize) +
                 " bytes long");
    return text.text;
}

std::vector<float> readParameters(Plugin& plugin, VstInt32 count) {
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (VstInt32 i = 0; i < count; ++i)
        values.push_back(plugin.parameter(i));
    return values;
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

template void fill(std::vector<std::vector<float>>&, int, int, Signal, std::int64_t, double,
                   std::mt19937&);
template void fill(std::vector<std::vector<double>>&, int, int, Signal, std::int64_t, double,
                   std::mt19937&);
template void scan(const std::vector<std::vector<float>>&, int, int, Scan&);
template void scan(const std::vector<std::vector<double>>&, int, int, Scan&);

} // namespace plughost::validate
