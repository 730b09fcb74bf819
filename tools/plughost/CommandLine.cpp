// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "Failure.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace plughost {
namespace {

constexpr int kMaxBlockSize = 1 << 20;
constexpr int kMaxGenChannels = 256;
constexpr double kMaxGenSeconds = 24.0 * 3600.0;

// Walks the arguments of one command, splitting "--name=value" and "--name value".
class ArgumentCursor {
public:
    ArgumentCursor(const std::vector<std::string>& args, std::string command)
        : m_args(args), m_command(std::move(command)) {}

    bool next() {
        if (++m_index >= m_args.size()) return false;
        m_inlineValue.reset();
        m_current = m_args[m_index];
        const auto equals = m_current.find('=');
        if (m_current.rfind("--", 0) == 0 && equals != std::string::npos) {
            m_inlineValue = m_current.substr(equals + 1);
            m_current.resize(equals);
        }
        return true;
    }
    const std::string& current() const { return m_current; }
    bool isOption() const { return m_current.size() > 1 && m_current[0] == '-'; }
    bool is(const char* shortName, const char* longName) const {
        return (shortName != nullptr && m_current == shortName) || m_current == longName;
    }
    std::string value() {
        if (m_inlineValue) return *m_inlineValue;
        if (m_index + 1 >= m_args.size())
            throw UsageError(m_command + ": " + m_current + " needs a value");
        return m_args[++m_index];
    }
    [[noreturn]] void unknown() const {
        if (isOption()) throw UsageError(m_command + ": unknown option " + quote(m_current));
        throw UsageError(m_command + ": unexpected argument " + quote(m_current));
    }
    void noInlineValue() const {
        if (m_inlineValue) throw UsageError(m_command + ": " + m_current + " takes no value");
    }
    const std::string& command() const { return m_command; }

private:
    const std::vector<std::string>& m_args;
    std::string m_command;
    std::size_t m_index = 0;
    std::string m_current;
    std::optional<std::string> m_inlineValue;
};

int integerIn(const std::string& text, const std::string& option, int low, int high) {
    int value = 0;
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || next != text.data() + text.size() || value < low || value > high)
        throw UsageError(option + " " + quote(text) + ": expected a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high));
    return value;
}

double positiveNumber(const std::string& text, const std::string& option, double high) {
    double value = 0.0;
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || next != text.data() + text.size() || !(value > 0.0) || value > high)
        throw UsageError(option + " " + quote(text) + ": expected a number above 0, at most " +
                         std::to_string(static_cast<long>(high)));
    return value;
}

double tailSeconds(const std::string& text) {
    double value = -1.0;
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || next != text.data() + text.size() || !(value >= 0.0) ||
        value > kMaxTailSeconds)
        throw UsageError("--tail " + quote(text) + ": expected seconds from 0 to " +
                         std::to_string(static_cast<long>(kMaxTailSeconds)) + ", or auto");
    return value;
}

void setPlugin(std::string& plugin, const ArgumentCursor& cursor) {
    if (cursor.isOption()) cursor.unknown();
    if (!plugin.empty()) cursor.unknown();
    plugin = cursor.current();
}

void require(const std::string& value, const std::string& command, const char* what) {
    if (value.empty()) throw UsageError(command + ": " + what + " is missing");
}

InfoOptions parseInfo(ArgumentCursor& cursor) {
    InfoOptions options;
    while (cursor.next())
        setPlugin(options.plugin, cursor);
    require(options.plugin, cursor.command(), "the plug-in library");
    return options;
}

ProcessOptions parseProcess(ArgumentCursor& cursor) {
    ProcessOptions options;
    while (cursor.next()) {
        if (cursor.is("-i", "--input")) {
            if (!options.input.empty())
                throw UsageError("process: -i is given twice; one run reads one input file");
            options.input = cursor.value();
        } else if (cursor.is("-o", "--output")) {
            options.output = cursor.value();
        } else if (cursor.is("-p", "--param")) {
            options.parameters.push_back(cursor.value());
        } else if (cursor.is("-b", "--block")) {
            options.blockSize = integerIn(cursor.value(), "--block", 1, kMaxBlockSize);
        } else if (cursor.is(nullptr, "--precision")) {
            const std::string value = cursor.value();
            if (value != "32" && value != "64")
                throw UsageError("--precision " + quote(value) + ": expected 32 or 64");
            options.precision = value == "32" ? 32 : 64;
        } else if (cursor.is(nullptr, "--state")) {
            options.stateIn = cursor.value();
        } else if (cursor.is(nullptr, "--save-state")) {
            options.stateOut = cursor.value();
        } else if (cursor.is(nullptr, "--tail")) {
            const std::string value = cursor.value();
            options.tailAuto = value == "auto";
            options.tailSeconds = options.tailAuto ? 0.0 : tailSeconds(value);
        } else if (cursor.is("-f", "--force")) {
            cursor.noInlineValue();
            options.force = true;
        } else if (cursor.is("-v", "--verbose")) {
            cursor.noInlineValue();
            options.verbose = true;
        } else {
            setPlugin(options.plugin, cursor);
        }
    }
    require(options.plugin, cursor.command(), "the plug-in library");
    require(options.input, cursor.command(), "the input file (-i IN)");
    require(options.output, cursor.command(), "the output file (-o OUT)");
    return options;
}

GenOptions parseGen(ArgumentCursor& cursor) {
    GenOptions options;
    while (cursor.next()) {
        if (cursor.is("-o", "--output")) {
            options.output = cursor.value();
        } else if (cursor.is(nullptr, "--channels")) {
            options.signal.channels = integerIn(cursor.value(), "--channels", 1, kMaxGenChannels);
        } else if (cursor.is(nullptr, "--seconds")) {
            options.signal.seconds = positiveNumber(cursor.value(), "--seconds", kMaxGenSeconds);
        } else if (cursor.is(nullptr, "--rate")) {
            options.signal.sampleRate = integerIn(cursor.value(), "--rate", 1000, 768000);
        } else {
            cursor.unknown();
        }
    }
    require(options.output, cursor.command(), "the output file (-o FILE)");
    return options;
}

} // namespace

Command parseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command given");
    const std::string& command = args[0];
    for (const std::string& arg : args)
        if (arg == "-h" || arg == "--help") return HelpRequest{};
    if (command == "--version" || command == "version") return VersionRequest{};
    if (command == "help") return HelpRequest{};
    ArgumentCursor cursor(args, command);
    if (command == "info") return parseInfo(cursor);
    if (command == "process") return parseProcess(cursor);
    if (command == "gen") return parseGen(cursor);
    throw UsageError("unknown command " + quote(command) + " (info, process, gen or --help)");
}

std::string versionText() {
    return std::string("plughost ") + PLUGHOST_VERSION + "\n";
}

std::string usageText() {
    return R"(plughost: runs a VST 2.4 plug-in offline over audio files

usage:
  plughost info PLUGIN
  plughost process PLUGIN -i IN -o OUT [--param SETTING]... [--block N] [--precision 32|64]
                   [--state FILE] [--save-state FILE] [--tail SECONDS|auto] [--force]
                   [--verbose]
  plughost gen -o FILE [--channels N] [--seconds S] [--rate R]
  plughost --help | --version

info     Loads the plug-in library and prints its name, vendor, version, unique id, inputs
         and outputs, latency, flags, answers to the usual capability questions, and a table
         of its parameters (index, name, display text, label, normalised value).

process  Runs the plug-in over IN, writes its outputs to OUT and prints the peak and RMS
         level of every channel before and after, in dBFS. The plug-in runs at IN's sample
         rate. Its delay (latency) is taken out: output frame k lines up with input frame
         k, and OUT is as long as IN plus the tail.
  -i, --input IN        audio file to read: WAV, AIFF, FLAC or anything else libsndfile
                        reads, any channel count. Its channels go to the plug-in's inputs
                        in order; inputs the file lacks get silence, and file channels
                        beyond the plug-in's inputs are dropped (both are reported).
  -o, --output OUT      file to write, with all of the plug-in's outputs at IN's sample
                        rate. Its extension picks the format: .wav (32-bit float
                        WAV), .aiff or .aif (32-bit float AIFF), .flac (24-bit FLAC).
  -p, --param SETTING   sets a parameter before processing; may be repeated.
                        NAME=VALUE or INDEX=VALUE, where VALUE is one of
                          a normalised value from 0 to 1 (--param 0=0.25)
                          a number as the plug-in displays it, with the
                            parameter's unit (its label or what follows the
                            number in its display; any unit if it names none):
                            --param "level stereo 1=-6dB", --param "mix=50%".
                            A bare number outside 0 to 1 is a display value too
                            when the display is a number (--param ratio=8).
                          a word the plug-in displays (--param bypass=on,
                            --param mode=Peak), ignoring case.
                        Numbers are written as in C (-3.5, 1e-3; no commas).
                        Display values are met exactly where the plug-in can
                        show them (else the nearest it shows), in the middle of
                        the stretch of settings that show them.
                        Names match exactly, else ignoring case.
  -b, --block N         frames per processing call (default 1024)
  --precision 32|64     the plug-in's 32-bit (default) or 64-bit processing; 64 needs a
                        plug-in that offers double-precision processing
  --state FILE          restores a state file before processing (--param still applies
                        afterwards): a plughost state file or a program file (.fxp)
  --save-state FILE     saves the plug-in's state to FILE after processing: a program
                        file (.fxp) when FILE ends in .fxp, else a plughost state file.
                        Both hold the plug-in's state chunk, or its parameter values
                        when it keeps no chunk.
  --tail SECONDS|auto   keeps processing silence after IN so that reverb and echo tails
                        are kept (default 0); auto stops once the output has stayed
                        below -120 dBFS for a second, after 30 s at most
  -f, --force           replaces output files without write permission
  -v, --verbose         lifecycle, timing and host-call details on standard error

gen      Writes a test signal: channel k (counted from 1) carries a sine of 220*k Hz at
         -12 dBFS.
  -o, --output FILE     file to write; format from its extension as for process
  --channels N          channel count (default 8)
  --seconds S           length (default 4)
  --rate R              sample rate in Hz (default 48000)

Output and state files are written under a temporary name and renamed when complete:
a failed run leaves none behind. A file that is replaced keeps its permissions, a
symbolic link is written through, and no output may be one of the files the run reads.
Integer output (FLAC) cannot hold samples above 0 dBFS: they are clipped, counted and
reported in a warning, and the level table shows what was written. A progress bar appears on standard error when it is a
terminal and the work takes more than a second.
Exit status: 0 done, 1 failed (one line on standard error says why), 2 bad command line
or a setting the plug-in cannot take, 128+N the plug-in crashed with signal N.
)";
}

} // namespace plughost
