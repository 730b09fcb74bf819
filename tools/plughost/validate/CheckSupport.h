// SPDX-License-Identifier: MIT
// What the checks share: instances opened the way every check opens them, texts measured in
// guard-filled buffers, test signals and scans of what comes out.
#pragma once

#include "Checks.h"
#include "core/ChannelBuffers.h"
#include "core/Failure.h"
#include "core/Plugin.h"

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace plughost::validate {

using Clock = std::chrono::steady_clock;

// The steady clock's time a number of seconds from now.
Clock::time_point after(double seconds);

// "0.25", "1e-06": a number in a message.
std::string number(double value);

// An instance opened at the rate and block size and resumed. It is left open when the check's
// process ends: closing is the lifecycle check's subject. Throws Failure.
std::unique_ptr<Plugin> openInstance(const PluginLibrary& library, double sampleRate = 44100.0,
                                     VstInt32 maxBlockSize = 512);

// The plug-in a check judges: its library, loaded in the check's process, and one instance of
// it (openInstance()). Throws Failure.
class CheckedPlugin {
public:
    explicit CheckedPlugin(CheckContext& context, double sampleRate = 44100.0,
                           VstInt32 maxBlockSize = 512);
    Plugin& operator*() const { return *m_instance; }
    Plugin* operator->() const { return m_instance.get(); }
    const PluginLibrary& library() const { return m_library; }

private:
    const PluginLibrary m_library;
    const std::unique_ptr<Plugin> m_instance;
};

// How far a plug-in wrote a text into a buffer filled with guard bytes.
struct WrittenText {
    std::size_t written = 0; // bytes changed, counted from the buffer's start
    bool terminated = true;
    std::string text;
};

// Asks for a text into a large buffer filled with guard bytes, twice with different guards.
WrittenText writtenText(Plugin& plugin, VstInt32 opcode, VstInt32 index);
// Judges one text against the size hosts give it; answers the text.
std::string judgeText(Findings& out, const std::string& what, const WrittenText& text,
                      std::size_t hostSize);

std::vector<float> readParameters(Plugin& plugin, VstInt32 count);

// ---- signals and scans ----------------------------------------------------------------------

enum class Signal { Silence, Sine, Noise, NotANumber, Infinity, Subnormal };

const char* signalName(Signal signal);

// The signal on the first channelCount channels for frames frames from position, at rate.
template <class Sample>
void fill(std::vector<std::vector<Sample>>& channels, int channelCount, int frames, Signal signal,
          std::int64_t position, double rate, std::mt19937& random);

struct Scan {
    long nonFinite = 0;
    long subnormal = 0;
};

// Counts the non-finite and subnormal samples in the first frames of channelCount channels.
template <class Sample>
void scan(const std::vector<std::vector<Sample>>& channels, int channelCount, int frames,
          Scan& result);

} // namespace plughost::validate
