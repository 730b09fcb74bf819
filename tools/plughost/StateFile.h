// SPDX-License-Identifier: MIT
// plughost's state files: a plug-in's state chunk with enough of a header to tell a complete
// file of the right plug-in from a truncated, damaged or foreign one.
//
// Layout, all numbers little-endian:
//   offset  size  content
//        0     8  "PLHSTATE"
//        8     4  format version (1)
//       12     4  plug-in unique id
//       16     4  plug-in version
//       20     4  parameter count
//       24     4  chunk length in bytes
//       28     4  FNV-1a hash (32-bit) of the chunk bytes
//       32    64  effect name, zero padded (at most 63 bytes kept)
//       96     *  the chunk
#pragma once

#include "PendingFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

struct PluginIdentity {
    std::int32_t uniqueId = 0;
    std::int32_t version = 0;
    std::int32_t parameterCount = 0;
    std::string name; // cut to 63 bytes when stored

    bool operator==(const PluginIdentity&) const = default;
};

struct PluginState {
    PluginIdentity identity;
    std::vector<unsigned char> chunk;
};

constexpr std::size_t kStateHeaderSize = 96;
constexpr std::size_t kStateNameCapacity = 64;

std::vector<unsigned char> encodeState(const PluginState& state);

// Checks the layout (magic, version, length, hash) and answers the content; throws Failure
// naming what is wrong, with source (a file name) in the message.
PluginState decodeState(const std::vector<unsigned char>& bytes, const std::string& source);

// Throws Failure when a state saved from one plug-in is given to another. A different plug-in
// version is accepted: warning then names it.
void checkStateBelongsTo(const PluginState& state, const PluginIdentity& plugin,
                         const std::string& source, std::string& warning);

PluginState readStateFile(const std::string& path);
// Fills pending with the encoded state; the caller commits it.
void writeStateFile(PendingFile& pending, const PluginState& state);

} // namespace plughost
