// SPDX-License-Identifier: MIT
#include "StateFile.h"

#include "Failure.h"
#include "Plugin.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace plughost {
namespace {

constexpr char kMagic[8] = {'P', 'L', 'H', 'S', 'T', 'A', 'T', 'E'};
constexpr std::uint32_t kFormatVersion = 2;
constexpr std::size_t kVersion1HeaderSize = 96;
constexpr std::uint32_t kKindChunk = 0;
constexpr std::uint32_t kKindParameters = 1;

constexpr std::uint32_t fourCc(const char (&text)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}
constexpr std::uint32_t kProgramMagic = fourCc("CcnK");
constexpr std::uint32_t kProgramParameters = fourCc("FxCk");
constexpr std::uint32_t kProgramChunk = fourCc("FPCh");

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

void put32Big(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
}

std::uint32_t get32(const std::vector<unsigned char>& in, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | in[offset + static_cast<std::size_t>(i)];
    return value;
}

std::uint32_t get32Big(const std::vector<unsigned char>& in, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | in[offset + i];
    return value;
}

std::uint32_t floatBits(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsFloat(std::uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A plug-in as a message names it; program files keep no name.
std::string describe(const PluginIdentity& identity, bool named) {
    const std::string numbers = "unique id " + std::to_string(identity.uniqueId) + ", " +
                                std::to_string(identity.parameterCount) + " parameters";
    return named ? "'" + identity.name + "' (" + numbers + ")" : "a plug-in with " + numbers;
}

std::string storedName(const std::string& name) {
    return name.substr(0, std::min(name.size(), kStateNameCapacity - 1));
}

std::vector<unsigned char> content(const PluginState& state) {
    if (state.kind == PluginState::Kind::Chunk) return state.chunk;
    std::vector<unsigned char> bytes;
    for (const float value : state.values)
        put32(bytes, floatBits(value));
    return bytes;
}

} // namespace

std::vector<unsigned char> encodeState(const PluginState& state) {
    const std::vector<unsigned char> body = content(state);
    std::vector<unsigned char> out(std::begin(kMagic), std::end(kMagic));
    put32(out, kFormatVersion);
    put32(out, static_cast<std::uint32_t>(state.identity.uniqueId));
    put32(out, static_cast<std::uint32_t>(state.identity.version));
    put32(out, static_cast<std::uint32_t>(state.identity.parameterCount));
    put32(out, static_cast<std::uint32_t>(body.size()));
    put32(out, fnv1a(body.data(), body.size()));
    const std::string name = storedName(state.identity.name);
    out.insert(out.end(), name.begin(), name.end());
    out.resize(kVersion1HeaderSize, 0);
    put32(out, state.kind == PluginState::Kind::Chunk ? kKindChunk : kKindParameters);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

PluginState decodeState(const std::vector<unsigned char>& bytes, const std::string& source) {
    const std::string what = "state file " + quote(source);
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        throw Failure(what + " is not a plughost state file");
    if (bytes.size() < 12)
        throw Failure(what + " is truncated: " + std::to_string(bytes.size()) + " bytes");
    const std::uint32_t version = get32(bytes, 8);
    if (version != 1 && version != kFormatVersion)
        throw Failure(what + " has format version " + std::to_string(version) +
                      "; this plughost reads versions 1 and " + std::to_string(kFormatVersion));
    const std::size_t headerSize = version == 1 ? kVersion1HeaderSize : kStateHeaderSize;
    if (bytes.size() < headerSize)
        throw Failure(what + " is truncated: " + std::to_string(bytes.size()) +
                      " bytes, its header alone needs " + std::to_string(headerSize));
    PluginState state;
    state.identity.uniqueId = static_cast<std::int32_t>(get32(bytes, 12));
    state.identity.version = static_cast<std::int32_t>(get32(bytes, 16));
    state.identity.parameterCount = static_cast<std::int32_t>(get32(bytes, 20));
    const std::uint64_t length = get32(bytes, 24);
    const std::uint64_t expected = headerSize + length;
    if (bytes.size() < expected)
        throw Failure(what + " is truncated: " + std::to_string(bytes.size()) + " bytes of " +
                      std::to_string(expected));
    if (bytes.size() > expected)
        throw Failure(what + " has " + std::to_string(bytes.size() - expected) +
                      " unexpected bytes after its content");
    const auto* body = bytes.data() + headerSize;
    // length fits in memory: the bytes hold it, as checked above.
    if (fnv1a(body, static_cast<std::size_t>(length)) != get32(bytes, 28))
        throw Failure(what + " is damaged: its content does not match its hash");
    const auto* name = reinterpret_cast<const char*>(bytes.data() + 32);
    state.identity.name.assign(name, strnlen(name, kStateNameCapacity - 1));
    const std::uint32_t kind = version == 1 ? kKindChunk : get32(bytes, 96);
    if (kind == kKindChunk) {
        state.chunk.assign(body, body + length);
    } else if (kind == kKindParameters) {
        state.kind = PluginState::Kind::Parameters;
        if (length != 4 * static_cast<std::uint64_t>(std::max(0, state.identity.parameterCount)))
            throw Failure(what + " holds " + std::to_string(length) + " bytes of values for " +
                          std::to_string(state.identity.parameterCount) + " parameters");
        for (std::size_t i = 0; i < length; i += 4)
            state.values.push_back(bitsFloat(get32(bytes, headerSize + i)));
    } else {
        throw Failure(what + " holds content of unknown kind " + std::to_string(kind));
    }
    return state;
}

std::vector<unsigned char> encodeProgram(const PluginState& state) {
    const bool chunk = state.kind == PluginState::Kind::Chunk;
    std::vector<unsigned char> out;
    put32Big(out, kProgramMagic);
    put32Big(out, 0); // the length, filled in below
    put32Big(out, chunk ? kProgramChunk : kProgramParameters);
    put32Big(out, 1);
    put32Big(out, static_cast<std::uint32_t>(state.identity.uniqueId));
    put32Big(out, static_cast<std::uint32_t>(state.identity.version));
    put32Big(out, static_cast<std::uint32_t>(state.identity.parameterCount));
    // Program names hold at most 24 characters; the field has room for more.
    const std::string name =
        state.programName.substr(0, std::min(state.programName.size(), kProgramNameLength));
    out.insert(out.end(), name.begin(), name.end());
    out.resize(kProgramHeaderSize, 0);
    if (chunk) {
        put32Big(out, static_cast<std::uint32_t>(state.chunk.size()));
        out.insert(out.end(), state.chunk.begin(), state.chunk.end());
    } else {
        for (const float value : state.values)
            put32Big(out, floatBits(value));
    }
    const auto rest = static_cast<std::uint32_t>(out.size() - 8);
    for (std::size_t i = 0; i < 4; ++i)
        out[4 + i] = static_cast<unsigned char>((rest >> (24 - 8 * i)) & 0xFF);
    return out;
}

PluginState decodeProgram(const std::vector<unsigned char>& bytes, const std::string& source) {
    const std::string what = "program file " + quote(source);
    if (bytes.size() < 4 || get32Big(bytes, 0) != kProgramMagic)
        throw Failure(what + " is not a program file");
    if (bytes.size() < kProgramHeaderSize)
        throw Failure(what + " is truncated: " + std::to_string(bytes.size()) +
                      " bytes, its header alone needs " + std::to_string(kProgramHeaderSize));
    const std::uint32_t form = get32Big(bytes, 8);
    if (form != kProgramParameters && form != kProgramChunk)
        throw Failure(what + " holds no single program (it may be a bank, .fxb)");
    const std::uint64_t announced = static_cast<std::uint64_t>(get32Big(bytes, 4)) + 8;
    if (bytes.size() < announced)
        throw Failure(what + " is truncated: " + std::to_string(bytes.size()) + " bytes of " +
                      std::to_string(announced));
    PluginState state;
    state.program = true;
    state.identity.uniqueId = static_cast<std::int32_t>(get32Big(bytes, 16));
    state.identity.version = static_cast<std::int32_t>(get32Big(bytes, 20));
    state.identity.parameterCount = static_cast<std::int32_t>(get32Big(bytes, 24));
    const auto* name = reinterpret_cast<const char*>(bytes.data() + 28);
    state.programName.assign(name, strnlen(name, kProgramNameCapacity));
    std::uint64_t expected = 0;
    if (form == kProgramChunk) {
        if (bytes.size() < kProgramHeaderSize + 4)
            throw Failure(what + " is truncated: its chunk length is missing");
        const std::uint64_t length = get32Big(bytes, kProgramHeaderSize);
        expected = kProgramHeaderSize + 4 + length;
        if (bytes.size() < expected)
            throw Failure(what + " is truncated: " + std::to_string(bytes.size()) + " bytes of " +
                          std::to_string(expected));
        const auto* chunk = bytes.data() + kProgramHeaderSize + 4;
        state.chunk.assign(chunk, chunk + length);
    } else {
        state.kind = PluginState::Kind::Parameters;
        if (state.identity.parameterCount < 0)
            throw Failure(what + " announces " + std::to_string(state.identity.parameterCount) +
                          " parameters");
        expected =
            kProgramHeaderSize + 4 * static_cast<std::uint64_t>(state.identity.parameterCount);
        if (bytes.size() < expected)
            throw Failure(what + " is truncated: " + std::to_string(bytes.size()) + " bytes of " +
                          std::to_string(expected));
        for (std::size_t i = kProgramHeaderSize; i < expected; i += 4)
            state.values.push_back(bitsFloat(get32Big(bytes, i)));
    }
    if (bytes.size() > expected || announced != expected)
        throw Failure(what + " has a length that does not match its content (" +
                      std::to_string(bytes.size()) + " bytes, " + std::to_string(expected) +
                      " expected)");
    return state;
}

bool isProgramFileName(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".fxp";
}

void checkStateBelongsTo(const PluginState& state, const PluginIdentity& plugin,
                         const std::string& source, std::string& warning) {
    PluginIdentity loaded = plugin;
    loaded.name = storedName(plugin.name);
    PluginIdentity saved = state.identity;
    saved.version = loaded.version = 0;
    // Program files keep no effect name; their unique id and parameter count must do.
    if (state.program) saved.name = loaded.name;
    if (!(saved == loaded))
        throw Failure("state file " + quote(source) + " belongs to another plug-in: " +
                      describe(state.identity, !state.program) + ", not " + describe(loaded, true));
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
    if (bytes.size() >= 4 && get32Big(bytes, 0) == kProgramMagic) return decodeProgram(bytes, path);
    return decodeState(bytes, path);
}

std::vector<unsigned char> encodeStateFile(const PluginState& state, bool program) {
    return program ? encodeProgram(state) : encodeState(state);
}

PluginIdentity identityOf(Plugin& plugin) {
    const AEffect& record = plugin.record();
    return {record.uniqueID, record.version, record.numParams, plugin.effectName()};
}

PluginState captureState(Plugin& plugin, bool program) {
    PluginState state;
    state.identity = identityOf(plugin);
    if (plugin.programsAreChunks()) {
        state.chunk = plugin.chunk(program);
    } else {
        state.kind = PluginState::Kind::Parameters;
        for (VstInt32 i = 0; i < state.identity.parameterCount; ++i)
            state.values.push_back(plugin.parameter(i));
    }
    if (program) state.programName = plugin.programName();
    return state;
}

std::string checkStateFits(Plugin& plugin, const PluginState& state, const std::string& source) {
    if (state.kind == PluginState::Kind::Chunk && !plugin.programsAreChunks())
        throw Failure("state file " + quote(source) + " holds a state chunk and plug-in " +
                      quote(plugin.path()) + " keeps none");
    std::string warning;
    checkStateBelongsTo(state, identityOf(plugin), source, warning);
    return warning;
}

void restoreState(Plugin& plugin, const PluginState& state) {
    if (state.kind == PluginState::Kind::Chunk) {
        plugin.setChunk(state.chunk, state.program);
    } else {
        for (std::size_t i = 0; i < state.values.size(); ++i)
            plugin.setParameter(static_cast<VstInt32>(i), state.values[i]);
    }
    if (state.program) plugin.setProgramName(state.programName);
}

} // namespace plughost
