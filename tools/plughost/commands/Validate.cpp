// SPDX-License-Identifier: MIT
// `plughost validate`: the file loaded first (one that is not a plug-in is refused in one
// line), then the checks one by one, each in a process of its own, a line per check and a
// summary, and the JSON report on request.
#include "Commands.h"

#include "OutputFiles.h"
#include "os/PendingFile.h"
#include "validate/Checks.h"
#include "validate/Validate.h"

#include <cstdio>
#include <optional>

namespace plughost {
namespace {

void writeJson(std::optional<PendingFile>& json, const ValidateOptions& options,
               const validate::CheckOutcome& load,
               const std::vector<validate::CheckOutcome>& outcomes, int exitCode) {
    if (!json) return;
    json->writeText(validate::jsonReport(options, load, outcomes, exitCode));
    json->commit();
}

} // namespace

void runValidate(const ValidateOptions& options) {
    if (!options.only.empty() && validate::findCheck(options.only) == nullptr)
        throw UsageError("--only " + quote(options.only) + ": no such check (" +
                             validate::checkNames() + ")",
                         "plughost validate --help");
    if (options.childReport) return validate::runCheckHere(options);
    // An unwritable report is refused before the checks take their time.
    checkOutputsAreOwn({{options.jsonFile, "--json"}}, {options.plugin});
    std::optional<PendingFile> json;
    if (!options.jsonFile.empty()) json.emplace(options.jsonFile);

    const validate::CheckOutcome load = validate::runLoadCheck(options);
    const std::string refused = validate::notLoadable(options, load);
    if (!refused.empty()) {
        writeJson(json, options, load, {}, kExitNotAPlugin);
        throw NotAPlugin("cannot load plug-in " + quote(options.plugin) + ": " + refused);
    }
    std::printf("plughost validate %s, level %d\n%s\n", quote(options.plugin).c_str(),
                options.level, validate::identityLine(load.identity).c_str());
    const std::vector<validate::CheckOutcome> outcomes = validate::runChecks(options, stdout);
    int passed = 0, warned = 0, failed = 0, skipped = 0;
    for (const validate::CheckOutcome& outcome : outcomes) {
        passed +=
            outcome.status == validate::Status::Pass || outcome.status == validate::Status::Warning;
        warned += outcome.status == validate::Status::Warning;
        failed += outcome.status == validate::Status::Fail;
        skipped += outcome.status == validate::Status::Skipped;
    }
    // Worded so that it cannot be taken for a test runner's closing line.
    std::printf("summary: %d of %zu checks passed (%d with warnings), %d failed, %d skipped\n",
                passed, outcomes.size(), warned, failed, skipped);
    std::fflush(stdout);
    writeJson(json, options, load, outcomes, failed > 0 ? kExitFailed : kExitDone);
    if (failed > 0)
        throw Failure(std::to_string(failed) + " of " + std::to_string(outcomes.size()) +
                      (outcomes.size() == 1 ? " check" : " checks") + " failed");
}

} // namespace plughost
