// SPDX-License-Identifier: MIT
#include "ProcessingLoop.h"

#include "core/ChannelBuffers.h"
#include "core/Failure.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plughost {
namespace {

// A delay beyond this many seconds is taken for a broken record, not waited for.
constexpr double kMaxDelaySeconds = 60.0;

template <class Sample>
class ChainRun {
public:
    ChainRun(const std::vector<Plugin*>& chain, std::vector<DelayFollower> delays,
             AudioSource& source, AudioWriter& writer, const LoopSettings& settings);

    LoopResult run(Progress& progress);

private:
    void applyEventsDue();
    std::int64_t nextBlockFrames();
    std::size_t readInput(std::int64_t limit);
    void processStages(std::size_t frames);
    void followDelays();
    void checkDelay() const;
    void place(std::size_t frames);
    void writeOutput(std::size_t skip, std::size_t count);
    void writeSilence(std::int64_t count);
    void listenForQuiet(std::size_t skip, std::size_t count);
    bool ended() const;

    const std::vector<Plugin*>& m_chain;
    std::vector<DelayFollower> m_delays;
    AudioSource& m_source;
    AudioWriter& m_writer;
    const LoopSettings& m_settings;
    std::vector<ChannelBuffers<Sample>> m_in;  // per plug-in
    std::vector<ChannelBuffers<Sample>> m_out; // per plug-in
    std::vector<Sample> m_fileBlock;           // the input, interleaved
    std::vector<Sample> m_outputBlock;         // the output, interleaved
    LoopResult m_result;
    std::int64_t m_fed = 0;   // chain frames processed: the next block's first frame
    std::int64_t m_delay = 0; // the chain's delay, as the output follows it
    bool m_inputEnded = false;
    std::int64_t m_target = std::numeric_limits<std::int64_t>::max(); // output frames, once known
    std::int64_t m_quiet = 0; // output frames after the input below kQuietLevel
    std::size_t m_nextEvent = 0;
};

template <class Sample>
ChainRun<Sample>::ChainRun(const std::vector<Plugin*>& chain, std::vector<DelayFollower> delays,
                           AudioSource& source, AudioWriter& writer, const LoopSettings& settings)
    : m_chain(chain), m_delays(std::move(delays)), m_source(source), m_writer(writer),
      m_settings(settings) {
    const auto block = static_cast<std::size_t>(settings.blockSize);
    for (Plugin* plugin : chain) {
        m_in.emplace_back(plugin->inputs(), settings.blockSize);
        m_out.emplace_back(plugin->outputs(), settings.blockSize);
    }
    m_fileBlock.resize(block * static_cast<std::size_t>(source.channels()));
    const std::size_t written = settings.outputMap.size();
    m_outputBlock.resize(block * written);
    m_result.before.resize(m_in.front().count());
    m_result.after.resize(written);
    m_result.clipped.resize(written);
    m_result.nonFinite.resize(written);
    for (const DelayFollower& delay : m_delays)
        m_delay += delay.frames();
    checkDelay();
}

template <class Sample>
LoopResult ChainRun<Sample>::run(Progress& progress) {
    while (!ended()) {
        applyEventsDue();
        const std::int64_t limit = nextBlockFrames();
        std::size_t frames = 0;
        if (!m_inputEnded) {
            frames = readInput(limit);
            if (frames == 0) {
                m_inputEnded = true;
                m_result.frames = m_fed;
                m_target =
                    m_fed + (m_settings.tailAuto ? m_settings.tailCap : m_settings.tailFrames);
                continue;
            }
        } else {
            // Silence until the output is complete: what the chain still holds, then the tail.
            frames = static_cast<std::size_t>(
                std::clamp<std::int64_t>(m_target + m_delay - m_fed, 1, limit));
            for (ChannelBuffers<Sample>& in : m_in)
                in.clear(frames);
        }
        processStages(frames);
        place(frames);
        m_fed += static_cast<std::int64_t>(frames);
        progress.update(m_fed);
    }
    progress.finish();
    return std::move(m_result);
}

template <class Sample>
bool ChainRun<Sample>::ended() const {
    if (!m_inputEnded) return false;
    return m_result.written >= m_target ||
           (m_settings.tailAuto && m_quiet >= m_settings.quietFrames);
}

// Changes due now are made before the block.
template <class Sample>
void ChainRun<Sample>::applyEventsDue() {
    const std::vector<ParameterEvent>& events = m_settings.events;
    while (m_nextEvent < events.size() && events[m_nextEvent].frame <= m_fed) {
        const ParameterEvent& event = events[m_nextEvent++];
        m_chain[event.stage]->setParameter(event.index, event.normalised);
    }
}

// A block, ending where the next parameter change is due.
template <class Sample>
std::int64_t ChainRun<Sample>::nextBlockFrames() {
    std::int64_t limit = m_settings.blockSize;
    if (m_nextEvent < m_settings.events.size())
        limit = std::min(limit, m_settings.events[m_nextEvent].frame - m_fed);
    return limit;
}

// The file's channels to the first plug-in's inputs in order, silence where the file has none.
template <class Sample>
std::size_t ChainRun<Sample>::readInput(std::int64_t limit) {
    const auto frames = static_cast<std::size_t>(m_source.read(m_fileBlock.data(), limit));
    const auto fileChannels = static_cast<std::size_t>(m_source.channels());
    ChannelBuffers<Sample>& in = m_in.front();
    for (std::size_t c = 0; c < in.count(); ++c) {
        Sample* channel = in.data[c].data();
        if (c < fileChannels) {
            for (std::size_t j = 0; j < frames; ++j)
                channel[j] = m_fileBlock[j * fileChannels + c];
        } else {
            // Refilled every block: a plug-in may have used its inputs as scratch space.
            std::fill_n(channel, frames, Sample(0));
        }
        m_result.before[c].add(channel, frames);
    }
    return frames;
}

template <class Sample>
void ChainRun<Sample>::processStages(std::size_t frames) {
    for (std::size_t k = 0; k < m_chain.size(); ++k) {
        if (k > 0) {
            // The previous plug-in's outputs in order; silence where it has too few.
            const ChannelBuffers<Sample>& previous = m_out[k - 1];
            ChannelBuffers<Sample>& in = m_in[k];
            for (std::size_t c = 0; c < in.count(); ++c) {
                if (c < previous.count())
                    std::copy_n(previous.data[c].data(), frames, in.data[c].data());
                else
                    std::fill_n(in.data[c].data(), frames, Sample(0));
            }
        }
        m_out[k].clear(frames);
        m_chain[k]->process(m_in[k].channels(), m_out[k].channels(), static_cast<VstInt32>(frames));
    }
    followDelays();
}

// The delays as the plug-ins announce them after this block, which they apply from its start.
template <class Sample>
void ChainRun<Sample>::followDelays() {
    std::int64_t delay = 0;
    for (std::size_t k = 0; k < m_chain.size(); ++k) {
        const VstInt32 before = m_delays[k].frames();
        if (m_delays[k].follow(m_chain[k]->reportedDelay()))
            m_result.delayChanges.push_back({k, m_fed - m_delay, before, m_delays[k].frames(), 0});
        delay += m_delays[k].frames();
    }
    m_delay = delay;
    checkDelay();
}

template <class Sample>
void ChainRun<Sample>::checkDelay() const {
    if (m_delay > static_cast<std::int64_t>(kMaxDelaySeconds * m_chain.front()->sampleRate()))
        throw Failure("the plug-ins announce a delay of " + std::to_string(m_delay) +
                      " frames, more than " + std::to_string(static_cast<int>(kMaxDelaySeconds)) +
                      " s: taken for a broken record");
}

// The block's output frames belong to input frames from m_fed - m_delay on.
template <class Sample>
void ChainRun<Sample>::place(std::size_t frames) {
    const std::int64_t first = m_fed - m_delay;
    if (first > m_result.written) {
        const std::int64_t gap = first - m_result.written;
        if (!m_result.delayChanges.empty()) m_result.delayChanges.back().silenced += gap;
        writeSilence(std::min(gap, m_target - m_result.written));
    }
    const std::int64_t skip = std::max<std::int64_t>(0, m_result.written - first);
    if (skip >= static_cast<std::int64_t>(frames)) return;
    const std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(frames) - skip,
                                                      m_target - m_result.written);
    if (count <= 0) return;
    if (m_inputEnded && m_settings.tailAuto)
        listenForQuiet(static_cast<std::size_t>(skip), static_cast<std::size_t>(count));
    writeOutput(static_cast<std::size_t>(skip), static_cast<std::size_t>(count));
}

// The mapped outputs, counted, clipped where the format must, written, and metered as the file
// holds them.
template <class Sample>
void ChainRun<Sample>::writeOutput(std::size_t skip, std::size_t count) {
    const ChannelBuffers<Sample>& out = m_out.back();
    const std::vector<int>& map = m_settings.outputMap;
    const std::size_t width = map.size();
    for (std::size_t k = 0; k < width; ++k) {
        for (std::size_t j = 0; j < count; ++j) {
            Sample value =
                map[k] < 0 ? Sample(0) : out.data[static_cast<std::size_t>(map[k])][skip + j];
            if (!std::isfinite(value)) {
                ++m_result.nonFinite[k];
                if (m_settings.integerOutput) value = Sample(0);
            } else if (m_settings.integerOutput && std::fabs(value) > Sample(1)) {
                value = value > Sample(0) ? Sample(1) : Sample(-1);
                ++m_result.clipped[k];
            }
            m_outputBlock[j * width + k] = value;
        }
    }
    m_writer.write(m_outputBlock.data(), static_cast<std::int64_t>(count));
    for (std::size_t k = 0; k < width; ++k)
        m_result.after[k].add(m_outputBlock.data() + k, count, width);
    m_result.written += static_cast<std::int64_t>(count);
}

template <class Sample>
void ChainRun<Sample>::writeSilence(std::int64_t count) {
    const std::size_t width = m_settings.outputMap.size();
    while (count > 0) {
        const auto frames = static_cast<std::size_t>(
            std::min<std::int64_t>(count, static_cast<std::int64_t>(m_settings.blockSize)));
        std::fill_n(m_outputBlock.data(), frames * width, Sample(0));
        m_writer.write(m_outputBlock.data(), static_cast<std::int64_t>(frames));
        for (std::size_t k = 0; k < width; ++k)
            m_result.after[k].add(m_outputBlock.data() + k, frames, width);
        m_result.written += static_cast<std::int64_t>(frames);
        count -= static_cast<std::int64_t>(frames);
    }
}

// An automatic tail ends once every output of the plug-in stays below kQuietLevel.
template <class Sample>
void ChainRun<Sample>::listenForQuiet(std::size_t skip, std::size_t count) {
    const ChannelBuffers<Sample>& out = m_out.back();
    for (std::size_t j = 0; j < count; ++j) {
        if (m_result.written + static_cast<std::int64_t>(j) < m_result.frames) continue;
        bool loud = false;
        for (std::size_t c = 0; c < out.count() && !loud; ++c)
            loud = std::fabs(static_cast<double>(out.data[c][skip + j])) >= kQuietLevel;
        m_quiet = loud ? 0 : m_quiet + 1;
    }
}

} // namespace

LoopResult runChain(const std::vector<Plugin*>& chain, std::vector<DelayFollower> delays,
                    AudioSource& source, AudioWriter& writer, const LoopSettings& settings,
                    Progress& progress) {
    if (settings.doublePrecision)
        return ChainRun<double>(chain, std::move(delays), source, writer, settings).run(progress);
    return ChainRun<float>(chain, std::move(delays), source, writer, settings).run(progress);
}

} // namespace plughost
