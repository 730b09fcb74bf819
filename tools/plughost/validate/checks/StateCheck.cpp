// SPDX-License-Identifier: MIT
// state: chunk round trips, identical chunks, damaged chunks survived.
#include "validate/CheckAudio.h"
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

// How a plug-in's parameters compare with those saved with a chunk.
enum class Restored { Exactly, AsShown, Not };

// The good chunk, the parameters it holds and their display texts, from the last of several
// round trips with random parameters.
struct GoodChunk {
    std::vector<unsigned char> bytes;
    std::vector<float> parameters;
    std::vector<std::string> displays;
};

std::vector<std::string> readDisplays(Plugin& plugin, VstInt32 count) {
    std::vector<std::string> displays;
    for (VstInt32 i = 0; i < count; ++i)
        displays.push_back(plugin.parameterDisplay(i));
    return displays;
}

// A parameter counts as restored when it reads the saved value, shows the same display text,
// or reads what setting the saved value itself gives (the value snapped to its step); other
// raw differences are notes.
Restored judgeRestored(Findings& out, Plugin& plugin, const GoodChunk& good,
                       const std::string& when) {
    Restored result = Restored::Exactly;
    for (std::size_t i = 0; i < good.parameters.size(); ++i) {
        const auto index = static_cast<VstInt32>(i);
        const float expected = good.parameters[i], got = plugin.parameter(index);
        if (std::fabs(got - expected) <= 1e-6f) continue;
        const std::string display = plugin.parameterDisplay(index);
        Case where;
        where.parameter = index;
        where.parameterName = plugin.parameterName(index);
        const std::string values = "reads " + number(got) + " (" + quote(display) +
                                   ") instead of " + number(expected) + " (" +
                                   quote(good.displays[i]) + ")";
        plugin.setParameter(index, expected);
        const float snapped = plugin.parameter(index);
        plugin.setParameter(index, got);
        if (display == good.displays[i] || std::fabs(snapped - got) <= 1e-6f) {
            out.note(when + ", a parameter reads another value than saved, shown the same or on "
                            "the same step",
                     values, where);
            if (result == Restored::Exactly) result = Restored::AsShown;
            continue;
        }
        out.fail(when + ", a parameter differs from the one saved", values, where);
        result = Restored::Not;
    }
    return result;
}

std::optional<GoodChunk> roundTrips(Findings& out, Plugin& plugin, VstInt32 count, int rounds,
                                    std::mt19937& random) {
    GoodChunk good;
    for (int round = 0; round < rounds; ++round) {
        out.stage("getting the chunk");
        randomise(plugin, count, random);
        good.parameters = readParameters(plugin, count);
        good.displays = readDisplays(plugin, count);
        good.bytes = plugin.chunk();
        if (good.bytes.empty()) {
            out.fail("effGetChunk answers no data");
            return std::nullopt;
        }
        const std::vector<unsigned char> again = plugin.chunk();
        if (again != good.bytes) {
            out.fail("two chunks asked for in a row differ", firstDifference(good.bytes, again));
            return std::nullopt;
        }
        randomise(plugin, count, random);
        out.stage("restoring the chunk");
        plugin.setChunk(good.bytes);
        const Restored restored = judgeRestored(out, plugin, good, "after restoring the chunk");
        if (restored == Restored::Not) return std::nullopt;
        const std::vector<unsigned char> chunk = plugin.chunk();
        if (chunk == good.bytes) continue;
        const std::string summary = "the chunk after restoring differs from the one restored";
        if (restored == Restored::AsShown)
            out.note(summary,
                     firstDifference(good.bytes, chunk) + "; its parameters show the same");
        else
            out.warn(summary, firstDifference(good.bytes, chunk));
    }
    return good;
}

// A damaged form of a good chunk: what it is, its bytes and the size the request announces.
struct Damaged {
    std::string what;
    std::vector<unsigned char> bytes;
    VstIntPtr size;
};

std::vector<Damaged> damagedChunks(const std::vector<unsigned char>& good, bool sizesToo,
                                   std::mt19937& random) {
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
    std::vector<Damaged> chunks;
    for (auto& [what, bytes] : damaged)
        chunks.push_back({what, bytes, static_cast<VstIntPtr>(bytes.size())});
    // The good chunk's bytes behind sizes that deny them.
    chunks.push_back({"a chunk of size 0", good, 0});
    if (sizesToo) chunks.push_back({"a chunk of size -1", good, -1});
    return chunks;
}

// A damaged chunk must be survived: parameters still in range, processing still finite.
void restoreDamaged(Findings& out, Plugin& plugin, VstInt32 count, const Damaged& chunk) {
    constexpr int kBlock = 512;
    const std::string& what = chunk.what;
    Case where;
    where.call = "effSetChunk";
    out.stage("restoring " + what, where);
    std::vector<unsigned char> copy = chunk.bytes; // the plug-in's to read, whatever it does
    plugin.dispatch(effSetChunk, 0, chunk.size, copy.data());
    for (VstInt32 i = 0; i < count; ++i) {
        const float value = plugin.parameter(i);
        if (!(value >= 0.0f && value <= 1.0f)) {
            where.parameter = i;
            out.fail("after restoring " + what + ", a parameter reads outside 0 to 1",
                     number(value), where);
            break;
        }
    }
    out.stage("processing after restoring " + what);
    GuardedBuffers<float> in(plugin.inputs(), kBlock), outBuffers(plugin.outputs(), kBlock);
    std::mt19937 unused(1);
    fill(in, plugin.inputs(), kBlock, Signal::Sine, 0, 44100.0, unused);
    Case processing;
    processing.precision = 32;
    processing.input = signalName(Signal::Sine);
    GuardedCall<float>(out, plugin)(in, outBuffers, kBlock, processing);
    Scan result;
    scan(outBuffers, plugin.outputs(), kBlock, 0, result);
    if (result.nonFinite > 0)
        out.fail("after restoring " + what + ", the output is not finite",
                 std::to_string(result.nonFinite) + " samples", processing);
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
    const std::vector<Damaged> damaged =
        damagedChunks(good->bytes, context.level >= kTopLevel, random);
    for (const Damaged& chunk : damaged)
        restoreDamaged(out, plugin, count, chunk);
    out.stage("restoring the good chunk after the damaged ones");
    plugin.setChunk(good->bytes);
    judgeRestored(out, plugin, *good, "after damaged chunks and the good one again");
    out.note("chunk of " + std::to_string(good->bytes.size()) + " bytes, " +
             std::to_string(rounds) + " round trips with random parameters, " +
             std::to_string(damaged.size()) + " damaged chunks restored");
}

} // namespace plughost::validate
