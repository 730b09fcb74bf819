// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "ArgumentCursor.h"
#include "audio/RateConverter.h"
#include "os/FilePatterns.h"
#include "validate/Checks.h"

#include <charconv>

namespace plughost {
namespace {

constexpr int kMaxBlockSize = 1 << 20;
constexpr int kMaxGenChannels = 256;
constexpr double kMaxGenSeconds = 24.0 * 3600.0;
constexpr char kValidateHelp[] = "plughost validate --help";

// A list of whole numbers and ranges ("1-2,5"), each from low to high; problem explains the
// form when the text is not one.
std::vector<int> numberList(const std::string& text, int low, int high, bool ranges,
                            const std::string& problem) {
    std::vector<int> numbers;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string part = text.substr(at, comma - at);
        const std::size_t dash = ranges ? part.find('-') : std::string::npos;
        try {
            const int first = integerIn(part.substr(0, dash), "", low, high);
            const int last =
                dash == std::string::npos ? first : integerIn(part.substr(dash + 1), "", low, high);
            if (last < first) throw UsageError(problem);
            for (int n = first; n <= last; ++n)
                numbers.push_back(n);
        } catch (const UsageError&) {
            throw UsageError(problem);
        }
        at = comma + 1;
    }
    return numbers;
}

// "1-2,5": plug-in outputs counted from 1, as 0-based indices.
std::vector<int> channelSelection(const std::string& text) {
    std::vector<int> channels = numberList(
        text, 1, kMaxGenChannels * 4, true,
        "--channels " + quote(text) +
            ": expected channels counted from 1, as a list of numbers and ranges (1-2,5)");
    for (int& channel : channels)
        --channel;
    return channels;
}

// "1,2,0,0": for each output file channel the plug-in output it carries, 0 for silence.
std::vector<int> channelMap(const std::string& text) {
    std::vector<int> channels = numberList(text, 0, kMaxGenChannels * 4, false,
                                           "--map " + quote(text) +
                                               ": expected a list of plug-in outputs counted "
                                               "from 1, 0 for silence (1,2,0,0)");
    for (int& channel : channels)
        --channel;
    return channels;
}

void setPlugin(std::string& plugin, const ArgumentCursor& cursor) {
    if (cursor.isOption() || !plugin.empty()) cursor.unknown();
    plugin = cursor.current();
}

void require(const std::string& value, const ArgumentCursor& cursor, const char* what) {
    if (value.empty()) cursor.fail(std::string(what) + " is missing");
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
    require(options.plugin, cursor, "the plug-in library");
    return options;
}

// ---------------------------------------------------------------------------------------------
// process

// The plug-in settings are given to.
StageOptions& lastStage(ProcessOptions& options) {
    if (options.chain.empty()) options.chain.emplace_back();
    return options.chain.back();
}

void setOnce(std::string& field, ArgumentCursor& cursor) {
    if (!field.empty()) cursor.fail(cursor.current() + " is given twice for one plug-in");
    field = cursor.value();
}

// A plug-in (the first one by name alone, any by -P) and the settings of the one named last;
// answers false for any other option.
bool stageOption(ArgumentCursor& cursor, ProcessOptions& options) {
    const bool named = cursor.is("-P", "--plugin");
    if (named || !cursor.isOption()) {
        const std::string plugin = named ? cursor.value() : cursor.current();
        std::vector<StageOptions>& chain = options.chain;
        // Settings given before the first plug-in is named belong to it.
        const bool waiting = !chain.empty() && chain.front().plugin.empty();
        if (!named && !chain.empty() && !waiting) cursor.unknown();
        StageOptions& stage = chain.empty() || (named && !waiting) ? chain.emplace_back()
                              : named                              ? chain.back()
                                                                   : chain.front();
        stage.plugin = plugin;
    } else if (cursor.is("-p", "--param")) {
        lastStage(options).parameters.push_back(cursor.value());
    } else if (cursor.is(nullptr, "--automation")) {
        setOnce(lastStage(options).automation, cursor);
    } else if (cursor.is(nullptr, "--state")) {
        setOnce(lastStage(options).stateIn, cursor);
    } else if (cursor.is(nullptr, "--save-state")) {
        setOnce(lastStage(options).stateOut, cursor);
    } else {
        return false;
    }
    return true;
}

// Output format and channel options; answers false for any other.
bool outputOption(ArgumentCursor& cursor, ProcessOptions& options) {
    const auto oneOf = [&](const std::string& value, std::initializer_list<const char*> allowed,
                           const char* expected) {
        for (const char* word : allowed)
            if (value == word) return value;
        throw UsageError(cursor.current() + " " + quote(value) + ": expected " + expected);
    };
    if (cursor.is(nullptr, "--format")) {
        options.format = oneOf(cursor.value(), {"wav", "aiff", "flac"}, "wav, aiff or flac");
    } else if (cursor.is(nullptr, "--bits")) {
        options.bits = oneOf(cursor.value(), {"16", "24", "32f"}, "16, 24 or 32f");
    } else if (cursor.is(nullptr, "--keep-format")) {
        cursor.noInlineValue();
        options.keepFormat = true;
    } else if (cursor.is(nullptr, "--dither")) {
        options.dither = oneOf(cursor.value(), {"tpdf", "none"}, "tpdf or none") == "tpdf";
    } else if (cursor.is(nullptr, "--seed")) {
        const std::string value = cursor.value();
        const auto [next, error] =
            std::from_chars(value.data(), value.data() + value.size(), options.ditherSeed);
        if (error != std::errc() || next != value.data() + value.size())
            throw UsageError("--seed " + quote(value) + ": expected a whole number");
    } else if (cursor.is(nullptr, "--channels") || cursor.is(nullptr, "--map")) {
        if (!options.outputMap.empty()) cursor.fail("give either --channels or --map, once");
        const bool map = cursor.is(nullptr, "--map");
        options.outputMap = map ? channelMap(cursor.value()) : channelSelection(cursor.value());
    } else {
        return false;
    }
    return true;
}

// The options of the run itself; answers false for any other.
bool runOption(ArgumentCursor& cursor, ProcessOptions& options) {
    if (cursor.is("-o", "--output")) {
        options.output = cursor.value();
    } else if (cursor.is("-b", "--block")) {
        options.blockSize = integerIn(cursor.value(), "--block", 1, kMaxBlockSize);
    } else if (cursor.is(nullptr, "--precision")) {
        const std::string value = cursor.value();
        if (value != "32" && value != "64")
            throw UsageError("--precision " + quote(value) + ": expected 32 or 64");
        options.precision = value == "32" ? 32 : 64;
    } else if (cursor.is(nullptr, "--tail")) {
        const std::string value = cursor.value();
        options.tailAuto = value == "auto";
        options.tailSeconds =
            options.tailAuto
                ? 0.0
                : numberIn(value, "--tail", 0.0, true, kMaxTailSeconds,
                           "seconds from 0 to " +
                               std::to_string(static_cast<long>(kMaxTailSeconds)) + ", or auto");
    } else if (cursor.is(nullptr, "--rate")) {
        options.rate = integerIn(cursor.value(), "--rate", 1000, 768000);
    } else if (cursor.is(nullptr, "--resample") || cursor.is("-f", "--force") ||
               cursor.is("-v", "--verbose") || cursor.is(nullptr, "--strict")) {
        cursor.noInlineValue();
        bool& flag = cursor.is(nullptr, "--resample") ? options.resample
                     : cursor.is("-f", "--force")     ? options.force
                     : cursor.is("-v", "--verbose")   ? options.verbose
                                                      : options.strict;
        flag = true;
    } else {
        return outputOption(cursor, options);
    }
    return true;
}

// The options of a batch, which its runs of one file each do not repeat.
bool batchOption(ArgumentCursor& cursor, ProcessOptions& options) {
    if (cursor.is("-i", "--input"))
        options.inputs.push_back(cursor.value());
    else if (cursor.is(nullptr, "--out-dir"))
        options.outDir = cursor.value();
    else if (cursor.is("-j", "--jobs"))
        options.jobs = integerIn(cursor.value(), "--jobs", 1, 1024);
    else if (cursor.is(nullptr, "--json"))
        options.jsonOut = cursor.value();
    else
        return false;
    return true;
}

void checkProcess(const ProcessOptions& options, const ArgumentCursor& cursor) {
    if (options.chain.empty() || options.chain.front().plugin.empty())
        cursor.fail("the plug-in library is missing");
    if (options.inputs.empty()) cursor.fail("the input file (-i IN) is missing");
    if (isBatch(options)) {
        if (options.outDir.empty())
            cursor.fail("several inputs need --out-dir DIR for their outputs");
        if (!options.output.empty())
            cursor.fail("a batch writes to --out-dir; -o names one output");
        for (const StageOptions& stage : options.chain)
            if (!stage.stateOut.empty())
                cursor.fail("--save-state names one file; a batch cannot use it");
    } else {
        require(options.output, cursor, "the output file (-o OUT)");
    }
    if (options.resample && options.rate == 0)
        cursor.fail("--resample needs --rate R, the sample rate to convert the input to");
    if (options.resample && !haveRateConverter()) throw UsageError(kNoRateConverter, "");
    if (options.keepFormat && (!options.format.empty() || !options.bits.empty()))
        cursor.fail("--keep-format cannot go with --format or --bits");
}

ProcessOptions parseProcess(ArgumentCursor& cursor) {
    ProcessOptions options;
    while (cursor.next()) {
        if (batchOption(cursor, options)) continue;
        if (!stageOption(cursor, options) && !runOption(cursor, options)) cursor.unknown();
        const std::vector<std::string> raw = cursor.raw();
        options.perFileArgs.insert(options.perFileArgs.end(), raw.begin(), raw.end());
    }
    checkProcess(options, cursor);
    options.input = options.inputs.front();
    return options;
}

// ---------------------------------------------------------------------------------------------
// gen, editor, validate

GenOptions parseGen(ArgumentCursor& cursor) {
    GenOptions options;
    while (cursor.next()) {
        if (cursor.is("-o", "--output")) {
            options.output = cursor.value();
        } else if (cursor.is(nullptr, "--channels")) {
            options.signal.channels = integerIn(cursor.value(), "--channels", 1, kMaxGenChannels);
        } else if (cursor.is(nullptr, "--seconds")) {
            options.signal.seconds = numberIn(
                cursor.value(), "--seconds", 0.0, false, kMaxGenSeconds,
                "a number above 0, at most " + std::to_string(static_cast<long>(kMaxGenSeconds)));
        } else if (cursor.is(nullptr, "--rate")) {
            options.signal.sampleRate = integerIn(cursor.value(), "--rate", 1000, 768000);
        } else {
            cursor.unknown();
        }
    }
    require(options.output, cursor, "the output file (-o FILE)");
    return options;
}

EditorOptions parseEditor(ArgumentCursor& cursor) {
    constexpr double kScreenshotDelaySeconds = 1.0;
    EditorOptions options;
    while (cursor.next()) {
        if (cursor.is(nullptr, "--seconds"))
            options.seconds = numberIn(cursor.value(), "--seconds", 0.0, false, 86400.0,
                                       "a number of seconds above 0");
        else if (cursor.is(nullptr, "--screenshot"))
            options.screenshot = cursor.value();
        else
            setPlugin(options.plugin, cursor);
    }
    require(options.plugin, cursor, "the plug-in library");
    if (!options.screenshot.empty() && options.seconds == 0.0)
        options.seconds = kScreenshotDelaySeconds;
    return options;
}

ValidateOptions parseValidate(ArgumentCursor& cursor) {
    ValidateOptions options;
    while (cursor.next()) {
        if (cursor.is(nullptr, "--child-report")) {
            options.childReport = true;
        } else if (cursor.is("-v", "--verbose")) {
            options.verbose = true;
        } else if (cursor.is(nullptr, "--level")) {
            options.level =
                integerIn(cursor.value(), "--level", 1, validate::kTopLevel, kValidateHelp);
        } else if (cursor.is(nullptr, "--only")) {
            options.only = cursor.value(); // a check of that name: see runValidate()
        } else if (cursor.is(nullptr, "--json")) {
            options.jsonFile = cursor.value();
            if (options.jsonFile.empty())
                throw UsageError("--json needs a file name", kValidateHelp);
        } else if (cursor.is(nullptr, "--seconds")) {
            options.seconds = numberIn(cursor.value(), "--seconds", 0.01, true, 3600.0,
                                       "a number from 0.01 to 3600", kValidateHelp);
        } else if (cursor.is(nullptr, "--timeout")) {
            options.timeout = numberIn(cursor.value(), "--timeout", 0.1, true, 86400.0,
                                       "a number of seconds from 0.1 to 86400", kValidateHelp);
        } else {
            setPlugin(options.plugin, cursor);
        }
    }
    require(options.plugin, cursor, "the plug-in library");
    return options;
}

} // namespace

bool isBatch(const ProcessOptions& options) {
    return options.inputs.size() > 1 || !options.outDir.empty() ||
           (!options.inputs.empty() && isPattern(options.inputs.front()));
}

Command parseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command given");
    const std::string& command = args[0];
    for (const std::string& arg : args)
        if (arg == "-h" || arg == "--help")
            return HelpRequest{command == "validate" ? command : std::string()};
    if (command == "--version" || command == "version") return VersionRequest{};
    if (command == "help") return HelpRequest{};
    ArgumentCursor cursor(args, command, command == "validate" ? kValidateHelp : "plughost --help");
    if (command == "info") return parseInfo(cursor);
    if (command == "process") return parseProcess(cursor);
    if (command == "gen") return parseGen(cursor);
    if (command == "editor") return parseEditor(cursor);
    if (command == "validate") return parseValidate(cursor);
    throw UsageError("unknown command " + quote(command) +
                     " (info, process, gen, validate, editor or --help)");
}

} // namespace plughost
