// SPDX-License-Identifier: MIT
// plughost: runs a VST 2.4 plug-in offline over audio files. See `plughost --help`.
#include "CommandLine.h"
#include "Commands.h"
#include "Failure.h"
#include "SignalCleanup.h"
#include "editor/EditorCommand.h"
#include "validate/Validate.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

int main(int argc, char** argv) {
    using namespace plughost;
    installSignalCleanup();
    if (argc > 1 && std::string(argv[1]) == "editor")
        return runEditorCommand(std::vector<std::string>(argv + 2, argv + argc));
    if (argc > 1 && std::string(argv[1]) == "validate")
        return validate::runValidateCommand(std::vector<std::string>(argv + 2, argv + argc));
    try {
        const Command command = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        std::visit(
            [](const auto& options) {
                using Options = std::decay_t<decltype(options)>;
                if constexpr (std::is_same_v<Options, HelpRequest>)
                    std::fputs(usageText().c_str(), stdout);
                else if constexpr (std::is_same_v<Options, VersionRequest>)
                    std::fputs(versionText().c_str(), stdout);
                else if constexpr (std::is_same_v<Options, InfoOptions>)
                    runInfo(options);
                else if constexpr (std::is_same_v<Options, ProcessOptions>)
                    runProcess(options);
                else
                    runGen(options);
            },
            command);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const UsageError& error) {
        const std::string message = error.what();
        const bool pointToHelp = error.pointToHelp() && message.find("--help") == std::string::npos;
        std::fprintf(stderr, "plughost: %s%s\n", message.c_str(),
                     pointToHelp ? " (see plughost --help)" : "");
        return 2;
    } catch (const Failure& error) {
        std::fprintf(stderr, "plughost: %s\n", error.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "plughost: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plughost: unexpected error: %s\n", error.what());
    }
    return 1;
}
