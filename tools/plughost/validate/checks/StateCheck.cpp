// SPDX-License-Identifier: MIT
// state: chunk round trips, identical chunks, damaged chunks survived.
#include "validate/CheckSupport.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace plughost::validate {
namespace {

std::string firstDifference(const std::vector<unsigned char>& a,
                            const std::vector<unsigned char>& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    return std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           " bytes, first difference at byte " + std::to_string(at);
}

void randomise(Plugin& plugin, VstInt32 count, std::mt19937& random) {
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (VstInt32 i = 0; i < count; ++i)
        plugin.setParameter(i, value(random));
}

// Answers false, after one failure, when a parameter differs from expected by more than 1e-6.
bool sameParameters(Findings& out, Plugin& plugin, const std::vector<float>& expected,
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

// The good chunk and the parameters it holds, from the last of several round trips with
// random parameters; none when a round trip failed.
struct GoodChunk {
    std::vector<unsigned char> bytes;
    std::vector<float> parameters;
};

std::optional<GoodChunk> roundTrips(Findings& out, Plugin& plugin, VstInt32 count, int rounds,
                                    std::mt19937& random) {
    GoodChunk good;
    for (int round = 0; round < rounds; ++round) {
        out.stage("getting the chunk");
        randomise(plugin, count, random);
        good.parameters = readParameters(plugin, count);
        good.bytes = plugin.chunk();
        if (good.bytes.empty()) {
            out.fail("effGetChunk answers no data");
            return std::nullopt;
        }
        const std::vector<unsigned char> again = plugin.chunk();
        if (again != good.bytes) {
            out.fail("two chunks asked for in a row differ (" + firstDifference(good.bytes, again) +
                     ")");
            return std::nullopt;
        }
        randomise(plugin, count, random);
        out.stage("restoring the chunk");
        plugin.setChunk(good.bytes);
        if (!sameParameters(out, plugin, good.parameters, "after restoring the chunk"))
            return std::nullopt;
        const std::vector<unsigned char> restored = plugin.chunk();
        if (restored != good.bytes)
            out.warn("the chunk after restoring differs from the one restored (" +
                     firstDifference(good.bytes, restored) + ")");
    }
    return good;
}

// Damaged forms of a good chunk, by what they are.
std::vector<std::pair<std::string, std::vector<unsigned char>>>
damagedChunks(const std::vector<unsigned char>& good, std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::pair<std::string, std::vector<unsigned char>>> damaged;
    damaged.emplace_back("the first half of the chunk",
                         std::vector<unsigned char>(
                             good.begin(), good.begin() + static_cast<long>(good.size() / 2)));
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
    return damaged;
}

// A damaged chunk must be survived: parameters still in range, processing still finite.
void restoreDamaged(Findings& out, Plugin& plugin, VstInt32 count, const std::string& what,
                    const std::vector<unsigned char>& bytes) {
    constexpr int kBlock = 512;
    out.stage("restoring " + what);
    plugin.setChunk(bytes);
    for (VstInt32 i = 0; i < count; ++i) {
        const float value = plugin.parameter(i);
        if (!(value >= 0.0f && value <= 1.0f)) {
            out.fail("after restoring " + what + ", parameter " + std::to_string(i) + " reads " +
                     number(value));
            break;
        }
    }
    out.stage("processing after restoring " + what);
    ChannelBuffers<float> in(plugin.inputs(), kBlock), outBuffers(plugin.outputs(), kBlock);
    std::mt19937 unused(1);
    fill(in.data, plugin.inputs(), kBlock, Signal::Sine, 0, 44100.0, unused);
    plugin.process(in.channels(), outBuffers.channels(), kBlock);
    Scan result;
    scan(outBuffers.data, plugin.outputs(), kBlock, result);
    if (result.nonFinite > 0) out.fail("after restoring " + what + ", the output is not finite");
}

} // namespace

void checkState(CheckContext& context) {
    Findings& out = context.out;
    const CheckedPlugin checked(context);
    Plugin& plugin = *checked;
    if (!plugin.programsAreChunks()) {
        out.skip("the plug-in keeps no state chunk (effFlagsProgramChunks is not set)");
        return;
    }
    const VstInt32 count = std::min(plugin.parameterCount(), kMaxSweptParameters);
    std::mt19937 random(12345);
    const int rounds = context.level >= kTopLevel ? 10 : 3;
    const std::optional<GoodChunk> good = roundTrips(out, plugin, count, rounds, random);
    if (!good) return;

    // Damaged chunks survived, and a good chunk restores everything afterwards.
    const auto damaged = damagedChunks(good->bytes, random);
    for (const auto& [what, bytes] : damaged)
        restoreDamaged(out, plugin, count, what, bytes);
    out.stage("restoring a zero-length chunk");
    unsigned char none = 0;
    plugin.dispatch(effSetChunk, 0, 0, &none);
    out.stage("restoring the good chunk after the damaged ones");
    plugin.setChunk(good->bytes);
    sameParameters(out, plugin, good->parameters, "after damaged chunks and the good one again");
    out.note("chunk of " + std::to_string(good->bytes.size()) + " bytes, " +
             std::to_string(rounds) + " round trips with random parameters, " +
             std::to_string(damaged.size() + 1) + " damaged chunks survived");
}

} // namespace plughost::validate
