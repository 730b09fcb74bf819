// SPDX-License-Identifier: MIT
#include "StateFile.h"

#include "Failure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace plughost {
namespace {

constexpr char kMagic[8] = {'P', 'L', 'H', 'S', 'T', 'A', 'T', 'E'};
constexpr std::uint32_t kFormatVersion = 1;

std::uint32_t fnv1a(const unsigned char* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

void put32(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
}

std::uint32_t get32(const std::vector<unsigned char>& in, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | in[offset + static_cast<std::size_t>(i)];
    return value;
}

std::string describe(const PluginIdentity& identity) {
    return "'" + identity.name + "' (unique id " + std::to_string(identity.uniqueId) + ", " +
           std::to_string(identity.parameterCount) + " parameters)";
}

std::string storedName(const std::string& name) {
    return name.substr(0, std::min(name.size(), kStateNameCapacity - 1));
}

} // namespace

std::vector<unsigned char> encodeState(const PluginState& state) {
    std::vector<unsigned char> out(std::begin(kMagic), std::end(kMagic));
    put32(out, kFormatVersion);
    put32(out, static_cast<std::uint32_t>(state.identity.uniqueId));
    put32(out, static_cast<std::uint32_t>(state.identity.version));
    put32(out, static_cast<std::uint32_t>(state.identity.parameterCount));
    put32(out, static_cast<std::uint32_t>(state.chunk.size()));
    put32(out, fnv1a(state.chunk.data(), state.chunk.size()));
    const std::string name = storedName(state.identity.name);
    out.insert(out.end(), name.begin(), name.end());
    out.resize(kStateHeaderSize, 0);
    out.insert(out.end(), state.chunk.begin(), state.chunk.end());
    return out;
}

PluginState decodeState(const std::vector<unsigned char>& bytes, const std::string& source) {
    const std::string what = "state file " + quote(source);
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        throw Failure(what + " is not a plughost state file");
    if (bytes.size() < kStateHeaderSize)
        throw Failure(what + " is truncated: " + std::to_string(bytes.size()) +
                      " bytes, its header alone needs " + std::to_string(kStateHeaderSize));
    const std::uint32_t version = get32(bytes, 8);
    if (version != kFormatVersion)
        throw Failure(what + " has format version " + std::to_string(version) +
                      "; this plughost reads version " + std::to_string(kFormatVersion));
    PluginState state;
    state.identity.uniqueId = static_cast<std::int32_t>(get32(bytes, 12));
    state.identity.version = static_cast<std::int32_t>(get32(bytes, 16));
    state.identity.parameterCount = static_cast<std::int32_t>(get32(bytes, 20));
    const std::uint64_t length = get32(bytes, 24);
    const std::uint64_t expected = kStateHeaderSize + length;
    if (bytes.size() < expected)
        throw Failure(what + " is truncated: " + std::to_string(bytes.size()) + " bytes of " +
                      std::to_string(expected));
    if (bytes.size() > expected)
        throw Failure(what + " has " + std::to_string(bytes.size() - expected) +
                      " unexpected bytes after its chunk");
    const auto* chunk = bytes.data() + kStateHeaderSize;
    if (fnv1a(chunk, length) != get32(bytes, 28))
        throw Failure(what + " is damaged: its chunk does not match its hash");
    const auto* name = reinterpret_cast<const char*>(bytes.data() + 32);
    state.identity.name.assign(name, strnlen(name, kStateNameCapacity - 1));
    state.chunk.assign(chunk, chunk + length);
    return state;
}

void checkStateBelongsTo(const PluginState& state, const PluginIdentity& plugin,
                         const std::string& source, std::string& warning) {
    PluginIdentity loaded = plugin;
    loaded.name = storedName(plugin.name);
    PluginIdentity saved = state.identity;
    saved.version = loaded.version = 0;
    if (!(saved == loaded))
        throw Failure("state file " + quote(source) + " belongs to another plug-in: " +
                      describe(state.identity) + ", not " + describe(loaded));
    warning.clear();
    if (state.identity.version != plugin.version)
        warning = "state file " + quote(source) + " was saved by version " +
                  std::to_string(state.identity.version) + " of the plug-in, this is version " +
                  std::to_string(plugin.version);
}

PluginState readStateFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw Failure("cannot read state file " + quote(path) + ": it is a folder");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw Failure("cannot read state file " + quote(path) + ": " + std::strerror(errno));
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (file.bad()) throw Failure("cannot read state file " + quote(path));
    return decodeState(bytes, path);
}

void writeStateFile(PendingFile& pending, const PluginState& state) {
    const std::vector<unsigned char> bytes = encodeState(state);
    pending.writeBytes(bytes.data(), bytes.size());
}

} // namespace plughost
