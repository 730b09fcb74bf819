// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "Failure.h"
#include "RateConverter.h"

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
        m_start = m_index;
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
    // The arguments the current option took, as given.
    std::vector<std::string> raw() const {
        return {m_args.begin() + static_cast<long>(m_start),
                m_args.begin() + static_cast<long>(m_index) + 1};
    }

private:
    const std::vector<std::string>& m_args;
    std::string m_command;
    std::size_t m_index = 0;
    std::size_t m_start = 0;
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

// "1-2,5": plug-in outputs counted from 1, as 0-based indices.
std::vector<int> channelSelection(const std::string& text) {
    const std::string problem = "--channels " + quote(text) +
                                ": expected channels counted from 1, as a list of numbers and "
                                "ranges (1-2,5)";
    std::vector<int> channels;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string part = text.substr(at, comma - at);
        const std::size_t dash = part.find('-');
        int first = 0;
        int last = 0;
        try {
            first = integerIn(part.substr(0, dash), "--channels", 1, kMaxGenChannels * 4);
            last = dash == std::string::npos
                       ? first
                       : integerIn(part.substr(dash + 1), "--channels", 1, kMaxGenChannels * 4);
        } catch (const UsageError&) {
            throw UsageError(problem);
        }
        if (last < first) throw UsageError(problem);
        for (int c = first; c <= last; ++c)
            channels.push_back(c - 1);
        at = comma + 1;
    }
    return channels;
}

// "1,2,0,0": for each output file channel the plug-in output it carries, 0 for silence.
std::vector<int> channelMap(const std::string& text) {
    std::vector<int> channels;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        try {
            channels.push_back(
                integerIn(text.substr(at, comma - at), "--map", 0, kMaxGenChannels * 4) - 1);
        } catch (const UsageError&) {
            throw UsageError("--map " + quote(text) +
                             ": expected a list of plug-in outputs counted from 1, 0 for "
                             "silence (1,2,0,0)");
        }
        at = comma + 1;
    }
    return channels;
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
    while (cursor.next()) {
        if (cursor.is(nullptr, "--json")) {
            cursor.noInlineValue();
            options.json = true;
        } else {
            setPlugin(options.plugin, cursor);
        }
    }
    require(options.plugin, cursor.command(), "the plug-in library");
    return options;
}

ProcessOptions parseProcess(ArgumentCursor& cursor) {
    ProcessOptions options;
    while (cursor.next()) {
        if (cursor.is("-i", "--input")) {
            options.inputs.push_back(cursor.value());
            continue;
        } else if (cursor.is(nullptr, "--out-dir")) {
            options.outDir = cursor.value();
            continue;
        } else if (cursor.is("-j", "--jobs")) {
            options.jobs = integerIn(cursor.value(), "--jobs", 1, 1024);
            continue;
        } else if (cursor.is("-o", "--output")) {
            options.output = cursor.value();
        } else if (cursor.is("-p", "--param")) {
            // A setting belongs to the plug-in named last.
            (options.chain.empty() ? options.parameters : options.chain.back().parameters)
                .push_back(cursor.value());
        } else if (cursor.is("-P", "--plugin")) {
            const std::string plugin = cursor.value();
            if (options.plugin.empty()) {
                if (!options.parameters.empty())
                    throw UsageError("process: --param before the first plug-in");
                options.plugin = plugin;
            } else {
                options.chain.push_back({plugin, {}});
            }
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
        } else if (cursor.is(nullptr, "--rate")) {
            options.rate = integerIn(cursor.value(), "--rate", 1000, 768000);
        } else if (cursor.is(nullptr, "--resample")) {
            cursor.noInlineValue();
            options.resample = true;
        } else if (cursor.is(nullptr, "--json")) {
            options.jsonOut = cursor.value();
        } else if (cursor.is(nullptr, "--automation")) {
            if (!options.automation.empty())
                throw UsageError("process: --automation is given twice");
            options.automation = cursor.value();
        } else if (cursor.is(nullptr, "--format")) {
            options.format = cursor.value();
            if (options.format != "wav" && options.format != "aiff" && options.format != "flac")
                throw UsageError("--format " + quote(options.format) +
                                 ": expected wav, aiff or flac");
        } else if (cursor.is(nullptr, "--bits")) {
            options.bits = cursor.value();
            if (options.bits != "16" && options.bits != "24" && options.bits != "32f")
                throw UsageError("--bits " + quote(options.bits) + ": expected 16, 24 or 32f");
        } else if (cursor.is(nullptr, "--keep-format")) {
            cursor.noInlineValue();
            options.keepFormat = true;
        } else if (cursor.is(nullptr, "--dither")) {
            const std::string value = cursor.value();
            if (value != "tpdf" && value != "none")
                throw UsageError("--dither " + quote(value) + ": expected tpdf or none");
            options.dither = value == "tpdf";
        } else if (cursor.is(nullptr, "--seed")) {
            const std::string value = cursor.value();
            const auto [next, error] =
                std::from_chars(value.data(), value.data() + value.size(), options.ditherSeed);
            if (error != std::errc() || next != value.data() + value.size())
                throw UsageError("--seed " + quote(value) + ": expected a whole number");
        } else if (cursor.is(nullptr, "--channels")) {
            if (!options.outputMap.empty())
                throw UsageError("process: give either --channels or --map, once");
            options.outputMap = channelSelection(cursor.value());
        } else if (cursor.is(nullptr, "--map")) {
            if (!options.outputMap.empty())
                throw UsageError("process: give either --channels or --map, once");
            options.outputMap = channelMap(cursor.value());
        } else if (cursor.is("-f", "--force")) {
            cursor.noInlineValue();
            options.force = true;
        } else if (cursor.is("-v", "--verbose")) {
            cursor.noInlineValue();
            options.verbose = true;
        } else {
            setPlugin(options.plugin, cursor);
        }
        const std::vector<std::string> raw = cursor.raw();
        options.perFileArgs.insert(options.perFileArgs.end(), raw.begin(), raw.end());
    }
    require(options.plugin, cursor.command(), "the plug-in library");
    if (options.inputs.empty())
        throw UsageError(cursor.command() + ": the input file (-i IN) is missing");
    options.input = options.inputs.front();
    if (isBatch(options)) {
        if (options.outDir.empty())
            throw UsageError("process: several inputs need --out-dir DIR for their outputs");
        if (!options.output.empty())
            throw UsageError("process: a batch writes to --out-dir; -o names one output");
        if (!options.jsonOut.empty() || !options.stateOut.empty())
            throw UsageError("process: --json and --save-state name one file; a batch "
                             "cannot use them");
    } else {
        require(options.output, cursor.command(), "the output file (-o OUT)");
    }
    if (!options.chain.empty() &&
        (!options.stateIn.empty() || !options.stateOut.empty() || !options.automation.empty()))
        throw UsageError("process: --state, --save-state and --automation work with one "
                         "plug-in, not a chain");
    if (options.resample && options.rate == 0)
        throw UsageError("process: --resample needs --rate R, the sample rate to convert the "
                         "input to");
    if (options.resample && !haveRateConverter()) throw UsageError(kNoRateConverter, false);
    if (options.keepFormat && (!options.format.empty() || !options.bits.empty()))
        throw UsageError("process: --keep-format cannot go with --format or --bits");
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

bool isBatch(const ProcessOptions& options) {
    return options.inputs.size() > 1 || !options.outDir.empty() ||
           (!options.inputs.empty() &&
            options.inputs.front().find_first_of("*?[") != std::string::npos);
}

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
    throw UsageError("unknown command " + quote(command) +
                     " (info, process, gen, validate or --help)");
}

std::string versionText() {
    return std::string("plughost ") + PLUGHOST_VERSION + "\n";
}

std::string usageText() {
    return R"(plughost: runs a VST 2.4 plug-in offline over audio files

usage:
  plughost info PLUGIN [--json]
  plughost process PLUGIN -i IN -o OUT [--param SETTING]... [--block N] [--precision 32|64]
                   [-P PLUGIN [--param SETTING]...]...
                   [--state FILE] [--save-state FILE] [--tail SECONDS|auto] [--force]
                   [--format wav|aiff|flac] [--bits 16|24|32f] [--keep-format]
                   [--dither tpdf|none] [--seed N] [--channels LIST | --map LIST]
                   [--automation FILE] [--json FILE] [--rate R [--resample]] [--verbose]
  plughost process PLUGIN -i IN... --out-dir DIR [--jobs N] [options as above]
  plughost gen -o FILE [--channels N] [--seconds S] [--rate R]
  plughost validate PLUGIN [--level 1..10] [--only NAME] [--json FILE] [--seconds S]
  plughost editor PLUGIN [--seconds S] [--screenshot FILE.png]
  plughost --help | --version

info     Loads the plug-in library and prints its name, vendor, version, unique id, inputs
         and outputs, latency, flags, answers to the usual capability questions, and a table
         of its parameters (index, name, display text, label, normalised value).
  --json                the same as JSON, each parameter also with its display at the
                        normalised values 0, 0.5 and 1

process  Runs the plug-in over IN, writes its outputs to OUT and prints the peak and RMS
         level of every channel before and after, in dBFS. The plug-in runs at IN's sample
         rate (or at --rate R, IN converted to it with --resample). Its delay (latency) is
         taken out: output frame k lines up with input frame k, and OUT is as long as IN
         plus the tail.
  -i, --input IN        audio file to read: WAV, AIFF, FLAC or anything else libsndfile
                        reads (the Windows build: WAV only), any channel count. Its
                        channels go to the plug-in's inputs in order; inputs the file
                        lacks get silence, and file channels beyond the plug-in's
                        inputs are dropped (both are reported).
  -o, --output OUT      file to write, with all of the plug-in's outputs (or those
                        --channels or --map choose) at the rate the plug-in ran at. Unless
                        --format, --bits or --keep-format say otherwise, its
                        extension picks the format: .wav (32-bit float WAV), .aiff
                        or .aif (32-bit float AIFF), .flac (24-bit FLAC).
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
                        NAME@TIME=VALUE changes the parameter during processing,
                        TIME seconds into the input (2.5, 2.5s or 2500ms): the
                        block is split there, so the change lands on that frame
                        of the input (--param "level stereo 1@2.5s=-6dB").
  --automation FILE     timed changes from a CSV file, one a line: TIME,PARAMETER,VALUE
                        (a header line and lines starting with # are skipped)
  --rate R              the sample rate the plug-in must run at: an input at another
                        rate is refused, unless --resample is given
  --resample            with --rate R: an input at another rate is converted to R on its
                        way to the plug-in, block by block (libsoxr, very high quality:
                        28-bit precision, linear phase), and OUT is written at R. N
                        frames at rate F become N*R/F frames, rounded to the nearest
                        (halves up), frame k at time k/R as in IN: the converter's delay
                        is taken out and its end flushed. Times (NAME@TIME, --automation,
                        --tail) are seconds, so they land on the frame at R; the input
                        levels shown are those of the converted signal. An input already
                        at R passes untouched.
  -P, --plugin PLUGIN   another plug-in after the last one: the chain runs in one pass,
                        each plug-in's outputs going to the next one's inputs in
                        order, and the delays of all of them are taken out. --param
                        settings belong to the plug-in named last before them.
  --out-dir DIR         a batch: every -i (given more than once, or a pattern such as
                        'takes/*.wav' in quotes) is processed on its own into DIR,
                        under its own name (extension from --format, else its own).
                        One line per file and a total are printed; a file that fails
                        does not stop the others, and the exit status is 1 if any did.
  -j, --jobs N          files processed at once in a batch (default: one per processor)
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
  --json FILE           also writes a JSON report to FILE: settings, levels, clipping,
                        warnings and timing
  --format wav|aiff|flac  the output's format (default: from OUT's extension)
  --bits 16|24|32f      the output's samples: 16- or 24-bit integers or 32-bit float
                        (default 32f; FLAC 24)
  --keep-format         writes the input's format and sample type
  --dither tpdf|none    integer output: triangular dither of two least significant bits
                        (default) or plain rounding; samples the format holds exactly
                        are written unchanged
  --seed N              starts the dither's generator at N (default 1): runs with the
                        same seed write the same file
  --channels LIST       writes only these plug-in outputs, counted from 1 (1-2,5)
  --map LIST            output file channel k carries plug-in output LIST[k], counted
                        from 1, 0 for silence (--map 1,2,0,0)
  -v, --verbose         lifecycle, timing and host-call details on standard error

gen      Writes a test signal: channel k (counted from 1) carries a sine of 220*k Hz at
         -12 dBFS.
  -o, --output FILE     file to write; format from its extension as for process
  --channels N          channel count (default 8)
  --seconds S           length (default 4)
  --rate R              sample rate in Hz (default 48000)

validate Judges the plug-in library by a suite of checks, each in a process of its own;
         see plughost validate --help.

editor   Opens the plug-in's editor in a window of its own (X11 or Win32) and sends it
         idle ticks until the window is closed, or for S seconds; --screenshot saves the
         editor's area as PNG after S seconds (default 1).

Output and state files are written under a temporary name and renamed when complete:
a failed run leaves none behind. A file that is replaced keeps its permissions, a
symbolic link is written through, and no output may be one of the files the run reads.
Integer output (FLAC) cannot hold samples above 0 dBFS: they are clipped, counted and
reported in a warning, and the level table shows what was written. A progress bar appears on standard error when it is a
terminal and the work takes more than a second.
Exit status: 0 done, 1 failed (one line on standard error says why), 2 bad command line
or a setting the plug-in cannot take, 128+N the plug-in crashed with signal N (on
Windows: the exception's code, such as 0xC0000005).
)";
}

} // namespace plughost
