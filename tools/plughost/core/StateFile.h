// SPDX-License-Identifier: MIT
// A plug-in's state on disk, in two formats:
//
// plughost state files hold either the plug-in's state chunk or, for a plug-in that keeps no
// chunk, its parameter values, with enough of a header to tell a complete file of the right
// plug-in from a truncated, damaged or foreign one. Layout, all numbers little-endian:
//   offset  size  content
//        0     8  "PLHSTATE"
//        8     4  format version (2; version 1 files have no kind field and hold a chunk)
//       12     4  plug-in unique id
//       16     4  plug-in version
//       20     4  parameter count
//       24     4  content length in bytes
//       28     4  FNV-1a hash (32-bit) of the content bytes
//       32    64  effect name, zero padded (at most 63 bytes kept)
//       96     4  kind: 0 state chunk, 1 parameter values (version 2 only)
//      100     *  the content: the chunk, or one 32-bit float per parameter
//
// Program files (.fxp), the interface's own preset format that other hosts read and write, all
// numbers big-endian:
//        0     4  "CcnK"
//        4     4  length of the rest of the file (file length - 8)
//        8     4  "FxCk" (parameter values) or "FPCh" (program chunk)
//       12     4  format version (1)
//       16     4  plug-in unique id
//       20     4  plug-in version
//       24     4  parameter count
//       28    28  program name, zero padded
//       56     *  FxCk: one 32-bit float per parameter; FPCh: chunk length (4), chunk
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

struct PluginIdentity {
    std::int32_t uniqueId = 0;
    std::int32_t version = 0;
    std::int32_t parameterCount = 0;
    std::string name; // cut to 63 bytes when stored; not kept in program files

    bool operator==(const PluginIdentity&) const = default;
};

struct PluginState {
    enum class Kind { Chunk, Parameters };

    PluginIdentity identity;
    Kind kind = Kind::Chunk;
    std::vector<unsigned char> chunk; // Kind::Chunk
    std::vector<float> values;        // Kind::Parameters, one per parameter
    std::string programName;          // program files only
    bool program = false;             // read from a program file
};

constexpr std::size_t kStateHeaderSize = 100;
constexpr std::size_t kStateNameCapacity = 64;
constexpr std::size_t kProgramHeaderSize = 56;
constexpr std::size_t kProgramNameCapacity = 28;
constexpr std::size_t kProgramNameLength = 24;

std::vector<unsigned char> encodeState(const PluginState& state);
// Checks the layout (magic, version, length, hash) and answers the content; throws Failure
// naming what is wrong, with source (a file name) in the message.
PluginState decodeState(const std::vector<unsigned char>& bytes, const std::string& source);

std::vector<unsigned char> encodeProgram(const PluginState& state);
PluginState decodeProgram(const std::vector<unsigned char>& bytes, const std::string& source);

// Whether path names a program file (.fxp) rather than a plughost state file.
bool isProgramFileName(const std::string& path);

// Throws Failure when a state saved from one plug-in is given to another. A different plug-in
// version is accepted: warning then names it.
void checkStateBelongsTo(const PluginState& state, const PluginIdentity& plugin,
                         const std::string& source, std::string& warning);

// Reads either format, told apart by its first bytes.
PluginState readStateFile(const std::string& path);
// The bytes of a state file: a program file when program is true, else a plughost state file.
std::vector<unsigned char> encodeStateFile(const PluginState& state, bool program);

class Plugin;

// The identity a state file records of a loaded plug-in.
PluginIdentity identityOf(Plugin& plugin);
// The plug-in's state as a state file keeps it: its chunk if it keeps one, else its parameter
// values; program: as a program file holds it (the current program's chunk and name).
PluginState captureState(Plugin& plugin, bool program);
// Throws Failure unless state, read from the file source, can be given to the plug-in (a chunk
// to a plug-in that keeps one, from the same plug-in); answers a warning for a state saved by
// another version of it, else nothing.
std::string checkStateFits(Plugin& plugin, const PluginState& state, const std::string& source);
// Gives the plug-in a state checked by checkStateFits().
void restoreState(Plugin& plugin, const PluginState& state);

} // namespace plughost
