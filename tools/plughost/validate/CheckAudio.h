// SPDX-License-Identifier: MIT
// The audio side the checks share: buffers with guard zones after every channel (checked after
// each processing call), test signals, scans of what comes out, and whole renders of an input
// through one instance for comparing instances, placements and prefilled outputs.
#pragma once

#include "CheckReport.h"
#include "core/Plugin.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace plughost::validate {

// Channels of samples for processing calls of up to capacity frames, each followed by a guard
// zone: a call of n frames gets guard samples written right after its n frames, which must be
// unchanged after the call.
template <class Sample>
class GuardedBuffers {
public:
    static constexpr int kGuard = 64;

    GuardedBuffers(int channels, int capacity);
    GuardedBuffers(const GuardedBuffers&) = delete;
    GuardedBuffers& operator=(const GuardedBuffers&) = delete;

    // The pointer array a processing call takes (one null pointer without channels).
    Sample** pointers() { return m_pointers.data(); }
    Sample* channel(int c) { return m_data[static_cast<std::size_t>(c)].data(); }
    const Sample* channel(int c) const { return m_data[static_cast<std::size_t>(c)].data(); }
    int channels() const { return static_cast<int>(m_data.size()); }

    // Guards written after the first frames of every channel.
    void arm(int frames);
    // The first channel whose guard after frames changed (-1: none), and how many of its guard
    // samples changed.
    std::pair<int, int> overrun(int frames) const;

private:
    std::vector<std::vector<Sample>> m_data;
    std::vector<Sample*> m_pointers;
};

// One processing call of frames frames, the guards of both sides checked; in and out are the
// same object for processing in place. Reports a write past the call's frames as a failure
// once per reporter. [audio]
template <class Sample>
class GuardedCall {
public:
    GuardedCall(Findings& out, Plugin& plugin) : m_out(out), m_plugin(plugin) {}
    void operator()(GuardedBuffers<Sample>& in, GuardedBuffers<Sample>& out, int frames,
                    const Case& where);

private:
    Findings& m_out;
    Plugin& m_plugin;
    bool m_reported = false;
};

enum class Signal { Silence, Sine, Noise, NotANumber, Infinity, Subnormal };

const char* signalName(Signal signal);
bool isSpecial(Signal signal); // NaN or infinity

// The signal on the first channelCount channels for frames frames from position, at rate.
template <class Sample>
void fill(GuardedBuffers<Sample>& buffers, int channelCount, int frames, Signal signal,
          std::int64_t position, double rate, std::mt19937& random);

// What a scan of output found; frames counted from the start of the run.
struct Scan {
    long nonFinite = 0;
    long subnormal = 0;
    long long firstNonFinite = -1;
    int nonFiniteChannel = -1;
    long long lastNonFinite = -1;
    long long firstSubnormal = -1;
    int subnormalChannel = -1;
};

// Scans the first frames of channelCount channels, the block starting at position.
template <class Sample>
void scan(const GuardedBuffers<Sample>& buffers, int channelCount, int frames,
          std::int64_t position, Scan& result);

// A sine through an instance block after block, at 32 bits and (when it can) at 64 bits, each
// call's buffers guarded and every output sample scanned. [audio]
class SineBlocks {
public:
    static constexpr int kBlock = 512;
    static constexpr double kRate = 44100.0;

    SineBlocks(Findings& out, Plugin& plugin, unsigned seed);
    // Processes the next block at each precision; answers the calls made.
    int step();
    long blocks() const { return m_blocks; }
    // The block's case and what the scans found, at 32 bits [0] and 64 bits [1].
    const Case& where(int precision) const { return m_where[precision == 64 ? 1 : 0]; }
    const Scan& found(int precision) const { return m_found[precision == 64 ? 1 : 0]; }

private:
    Plugin& m_plugin;
    GuardedBuffers<float> m_in, m_out;
    GuardedBuffers<double> m_doubleIn, m_doubleOut;
    GuardedCall<float> m_call;
    GuardedCall<double> m_doubleCall;
    Case m_where[2];
    Scan m_found[2];
    std::mt19937 m_random;
    long m_blocks = 0;
};

// ---- whole renders --------------------------------------------------------------------------

enum class Placement { Separate, InPlace };
enum class Prefill { Zeros, Garbage };

const char* placementName(Placement placement);

// Channels of whole runs, as doubles.
using Audio = std::vector<std::vector<double>>;

// Noise on channels channels (at least one), frames long, the same for the same seed.
Audio testInput(int channels, long frames, unsigned seed);

// Renders input through an instance in blocks of kRenderBlock frames, one block per call of
// step() (so that two instances can take turns), at the sample precision.
template <class Sample>
class Render {
public:
    static constexpr int kRenderBlock = 512;

    Render(Findings& out, Plugin& plugin, const Audio& input, Placement placement, Prefill prefill,
           const Case& where);
    // Processes the next block; answers false when the input is done.
    bool step();
    const Audio& output() const { return m_output; }

private:
    Plugin& m_plugin;
    const Audio& m_input;
    Placement m_placement;
    Prefill m_prefill;
    Case m_where;
    GuardedBuffers<Sample> m_in, m_out;
    GuardedCall<Sample> m_call;
    Audio m_output;
    long m_done = 0;
    std::mt19937 m_garbage{77};
};

// The whole input through an instance; its output.
Audio render(Findings& out, Plugin& plugin, int precision, const Audio& input, Placement placement,
             Prefill prefill, const Case& where);

// Where two outputs first differ by more than a millionth (relative), or none.
struct Difference {
    int channel = 0;
    long long frame = 0;
    double expected = 0.0;
    double got = 0.0;
};
std::optional<Difference> firstDifference(const Audio& expected, const Audio& got);
bool isSilent(const Audio& audio);

// Whether an instance that gave first for input gives it again from a reset (suspend, resume):
// a plug-in with random output does not, and cannot be compared with another instance.
bool repeats(Findings& out, Plugin& plugin, int precision, const Audio& input, const Audio& first,
             const Case& where);

// Whether a difference from what `reference` gave for `input` (expected) means anything: not
// when the reference does not repeat its own output from a reset (random output); then a note
// says that `subject` was not compared. `referenceName` names the reference's run in the stage
// ("with separate buffers").
bool referenceRepeats(Findings& out, Plugin& reference, const Audio& input, const Audio& expected,
                      const std::string& referenceName, const std::string& subject,
                      const Case& where);
// A failure named `summary` at the first differing sample.
void failAtDifference(Findings& out, const std::string& summary, const Difference& difference,
                      Case where);

// Frames of a render long enough to hear a plug-in through its delay.
long renderFrames(const Plugin& plugin);

// Varied parameter values for setting k (0, 1, ...): every parameter gets its own value in
// 0.05..0.95, different for each k.
std::vector<float> variedSettings(VstInt32 count, int k);
void applySettings(Plugin& plugin, const std::vector<float>& values);

} // namespace plughost::validate
