// SPDX-License-Identifier: MIT
// plughost: runs VST 2.4 plug-ins offline over audio files, shows their editors and validates
// them. See `plughost --help` and the README.
#include "cli/CommandLine.h"
#include "commands/Commands.h"
#include "core/Failure.h"
#include "os/SignalCleanup.h"
#include "validate/Validate.h"

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using namespace plughost;

struct RunCommand {
    void operator()(const HelpRequest& help) const {
        std::fputs(help.command == "validate" ? validate::validateUsage().c_str()
                                              : usageText().c_str(),
                   stdout);
    }
    void operator()(const VersionRequest&) const { std::fputs(versionText().c_str(), stdout); }
    void operator()(const InfoOptions& options) const { runInfo(options); }
    void operator()(const ProcessOptions& options) const { runProcess(options); }
    void operator()(const GenOptions& options) const { runGen(options); }
    void operator()(const EditorOptions& options) const { runEditor(options); }
    void operator()(const ValidateOptions& options) const { runValidate(options); }
};

} // namespace

int main(int argc, char** argv) {
    plughost::installSignalCleanup();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return plughost::runGuarded(
        [&] { std::visit(RunCommand{}, plughost::parseCommandLine(args)); });
}
