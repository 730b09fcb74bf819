// SPDX-License-Identifier: MIT
// The processing loop of `plughost process`: the input block by block through the chain of
// plug-ins, each one's outputs feeding the next one's inputs, and the last one's outputs into
// the output file, lined up with the input.
//
// Alignment: the chain delays its input by the sum of its plug-ins' delays (core/Latency.h),
// read again after every block. Output frame o of the chain belongs to input frame o - delay;
// so the first delay frames of the chain's output belong to no input frame and are dropped,
// and after the input silence is processed until the output is as long as the input plus the
// tail. When the delay changes during the run, the output follows it from the block where the
// plug-in announced it: frames the chain gives twice are dropped, and input frames it skipped
// are written as silence. Nothing is lost at the end either way.
#pragma once

#include "audio/AudioFile.h"
#include "audio/LevelMeter.h"
#include "core/Latency.h"
#include "report/Progress.h"

#include <cstdint>
#include <vector>

namespace plughost {

// A parameter change during processing, at an input frame.
struct ParameterEvent {
    std::int64_t frame = 0;
    std::size_t stage = 0; // which plug-in of the chain
    VstInt32 index = 0;
    float normalised = 0.0f;
};

struct LoopSettings {
    int blockSize = 1024;
    bool doublePrecision = false;
    std::int64_t tailFrames = 0;  // silence processed after the input (fixed tail)
    bool tailAuto = false;        // tail until quietFrames frames stay below kQuietLevel
    std::int64_t tailCap = 0;     // longest automatic tail
    std::int64_t quietFrames = 0; // frames below kQuietLevel that end an automatic tail
    bool integerOutput = false;   // the output holds no more than full scale, and no NaN
    std::vector<int> outputMap;   // file channel k carries plug-in output outputMap[k] (-1: none)
    std::vector<ParameterEvent> events; // by frame
};

// -120 dBFS: an automatic tail ends when every channel stays below it.
constexpr double kQuietLevel = 1e-6;

// A delay a plug-in announced during the run that differs from the one the output followed.
struct DelayChange {
    std::size_t stage = 0;
    std::int64_t frame = 0; // the input frame the output was at
    VstInt32 from = 0;
    VstInt32 to = 0;
    std::int64_t silenced = 0; // input frames the plug-in skipped, written as silence
};

struct LoopResult {
    std::vector<LevelMeter> before;
    std::vector<LevelMeter> after;       // what the output file holds
    std::vector<std::int64_t> clipped;   // samples clipped to full scale, per output channel
    std::vector<std::int64_t> nonFinite; // NaN or infinite samples, per output channel
    std::int64_t frames = 0;             // input frames
    std::int64_t written = 0;            // output frames: the input's plus the tail
    std::vector<DelayChange> delayChanges;
};

// Runs the resumed plug-ins of chain over source into writer; delays holds each one's delay as
// the run starts. Throws Failure.
LoopResult runChain(const std::vector<Plugin*>& chain, std::vector<DelayFollower> delays,
                    AudioSource& source, AudioWriter& writer, const LoopSettings& settings,
                    Progress& progress);

} // namespace plughost
