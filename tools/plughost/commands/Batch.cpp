// SPDX-License-Identifier: MIT
// `plughost process` on many inputs: each file processed by plughost started again for it
// alone, several at a time, so that a plug-in that crashes on one file takes only that file
// down. One line per file, each of its warnings on a line of its own under it, and a total; with
// --json one report holding a record per file (each run's own report inside it).
#include "Commands.h"

#include "OutputFiles.h"
#include "audio/AudioFile.h"
#include "os/ChildProcess.h"
#include "os/FilePatterns.h"
#include "os/PendingFile.h"
#include "os/SignalCleanup.h"
#include "report/JsonWriter.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>

namespace plughost {
namespace {

namespace fs = std::filesystem;

// One file of the batch and how its run went.
struct BatchFile {
    std::string input;
    std::string output;
    std::string report; // the run's JSON report, when the batch writes one
    ChildResult result;
};

// The output name of one file of a batch: its name in the output folder, with the extension
// of the format asked for, else its own when plughost writes that format, else .wav.
std::string batchOutput(const ProcessOptions& options, const std::string& input) {
    std::string extension = fs::path(input).extension().string();
    if (!options.format.empty())
        extension = "." + options.format;
    else if (!options.keepFormat && containerOf(input).empty())
        extension = ".wav";
    return (fs::path(options.outDir) / fs::path(input).stem()).string() + extension;
}

std::vector<BatchFile> listFiles(const ProcessOptions& options) {
    std::vector<BatchFile> files;
    std::map<std::string, std::string> byOutput;
    for (const std::string& pattern : options.inputs) {
        for (std::string& input : expandPattern(pattern)) {
            BatchFile file{input, batchOutput(options, input), {}, {}};
            const auto [other, fresh] = byOutput.emplace(file.output, input);
            if (!fresh)
                throw UsageError(quote(input) + " and " + quote(other->second) +
                                     " would both be written to " + quote(file.output),
                                 "");
            files.push_back(std::move(file));
        }
    }
    return files;
}

// The lines a run wrote on standard error, without the program's name in front.
std::vector<std::string> errorLines(const std::string& errorText) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < errorText.size()) {
        const std::size_t end = std::min(errorText.find('\n', start), errorText.size());
        std::string line = errorText.substr(start, end - start);
        if (line.rfind("plughost: ", 0) == 0) line.erase(0, 10);
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool succeeded(const ChildResult& result) {
    return result.end == ChildResult::End::Exited && result.code == 0;
}

// The line of a run, and its warnings under it.
void printFile(const BatchFile& file) {
    const std::vector<std::string> lines = errorLines(file.result.errors);
    if (succeeded(file.result)) {
        std::printf("done    %s -> %s\n", file.input.c_str(), file.output.c_str());
    } else {
        std::string why = lines.empty() ? "" : lines.back();
        if (why.empty())
            why = file.result.end == ChildResult::End::Crashed
                      ? "crashed (" + crashDescription(file.result.code) + ")"
                  : file.result.end == ChildResult::End::NotStarted
                      ? file.result.whyNotRun
                      : "ended with status " + std::to_string(file.result.code);
        std::printf("FAILED  %s: %s\n", file.input.c_str(), why.c_str());
    }
    for (const std::string& line : lines)
        if (line.rfind("warning: ", 0) == 0) std::printf("        %s\n", line.c_str());
    std::fflush(stdout);
}

// A name in the system's temporary folder for the report of one run.
std::string reportPath(std::size_t index) {
    static const unsigned long long batch = std::random_device{}();
    return (fs::temp_directory_path() /
            ("plughost-batch-" + std::to_string(batch) + "-" + std::to_string(index) + ".json"))
        .string();
}

std::string takeFile(const std::string& path) {
    std::string text;
    {
        std::ifstream file(path, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::error_code error;
    fs::remove(path, error);
    return text;
}

std::string batchJson(const ProcessOptions& options, const std::vector<BatchFile>& files,
                      double seconds, int jobs) {
    JsonWriter json;
    json.beginObject();
    json.key("batch").beginObject();
    json.key("outDir").value(options.outDir);
    json.key("jobs").value(jobs);
    json.key("seconds").value(seconds);
    json.endObject();
    json.key("files").beginArray();
    std::size_t failed = 0;
    for (const BatchFile& file : files) {
        failed += succeeded(file.result) ? 0 : 1;
        json.beginObject();
        json.key("input").value(file.input);
        json.key("output").value(file.output);
        json.key("status").value(succeeded(file.result) ? "done" : "failed");
        json.key("exitCode").value(file.result.code);
        json.key("messages").beginArray();
        for (const std::string& line : errorLines(file.result.errors))
            json.value(line);
        json.endArray();
        json.key("report");
        if (file.report.empty())
            json.null();
        else
            json.raw(file.report);
        json.endObject();
    }
    json.endArray();
    json.key("done").value(static_cast<std::int64_t>(files.size() - failed));
    json.key("failed").value(static_cast<std::int64_t>(failed));
    json.endObject();
    return json.text();
}

} // namespace

void runBatch(const ProcessOptions& options) {
    std::vector<BatchFile> files = listFiles(options);
    std::vector<std::pair<std::string, std::string>> written{{options.jsonOut, "--json"}};
    std::vector<std::string> read;
    for (const BatchFile& file : files) {
        written.emplace_back(file.output, "the output of " + quote(file.input));
        read.push_back(file.input);
    }
    for (const StageOptions& stage : options.chain)
        read.insert(read.end(), {stage.plugin, stage.stateIn, stage.automation});
    checkOutputsAreOwn(written, read);
    std::error_code error;
    fs::create_directories(options.outDir, error);
    if (!fs::is_directory(options.outDir))
        throw Failure("cannot write to " + quote(options.outDir) + ": " +
                      (error ? error.message() : "it is not a folder"));
    std::optional<PendingFile> json;
    if (!options.jsonOut.empty()) json.emplace(options.jsonOut, options.force);

    std::vector<ChildRun> runs;
    for (std::size_t i = 0; i < files.size(); ++i) {
        ChildRun run;
        run.arguments = {"process"};
        run.arguments.insert(run.arguments.end(), options.perFileArgs.begin(),
                             options.perFileArgs.end());
        run.arguments.insert(run.arguments.end(), {"-i", files[i].input, "-o", files[i].output});
        if (json) run.arguments.insert(run.arguments.end(), {"--json", reportPath(i)});
        runs.push_back(std::move(run));
    }
    const int jobs = options.jobs > 0 ? options.jobs : processorCount();
    std::size_t failed = 0;
    const auto start = std::chrono::steady_clock::now();
    runChildren(runs, jobs, [&](std::size_t index, const ChildResult& result) {
        BatchFile& file = files[index];
        file.result = result;
        if (json) file.report = takeFile(reportPath(index));
        failed += succeeded(result) ? 0 : 1;
        printFile(file);
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("total   %zu files, %zu done, %zu failed, %.3f s with %d job%s (%.2f files a "
                "second)\n",
                files.size(), files.size() - failed, failed, seconds, jobs, jobs == 1 ? "" : "s",
                seconds > 0 ? static_cast<double>(files.size()) / seconds : 0.0);
    if (json) {
        json->writeText(batchJson(options, files, seconds, jobs));
        json->commit();
    }
    if (failed > 0)
        throw Failure(std::to_string(failed) + " of " + std::to_string(files.size()) +
                      (files.size() == 1 ? " file" : " files") + " failed");
}

} // namespace plughost
