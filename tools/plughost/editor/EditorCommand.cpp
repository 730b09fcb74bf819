// SPDX-License-Identifier: MIT
#include "EditorCommand.h"

#include "Failure.h"
#include "PluginHost.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <new>

namespace plughost {

namespace {
constexpr double kScreenshotDelaySeconds = 1.0;
constexpr double kSampleRate = 44100.0;
constexpr VstInt32 kBlockSize = 512;
} // namespace

EditorOptions parseEditorArguments(const std::vector<std::string>& arguments) {
    EditorOptions options;
    bool secondsGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw UsageError(word + " needs a value");
            return arguments[++i];
        };
        if (word == "--seconds") {
            const std::string& text = value();
            char* end = nullptr;
            const double seconds = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0)
                throw UsageError("--seconds needs a positive number, not \"" + text + "\"");
            options.seconds = seconds;
            secondsGiven = true;
        } else if (word == "--screenshot") {
            options.screenshot = value();
        } else if (!word.empty() && word[0] == '-') {
            throw UsageError("editor: unknown option " + word);
        } else if (options.plugin.empty()) {
            options.plugin = word;
        } else {
            throw UsageError("editor takes one plug-in");
        }
    }
    if (options.plugin.empty()) throw UsageError("editor needs a plug-in library");
    if (!options.screenshot.empty() && !secondsGiven) options.seconds = kScreenshotDelaySeconds;
    return options;
}

int runEditorCommand(const std::vector<std::string>& arguments) {
    try {
        const EditorOptions options = parseEditorArguments(arguments);
        PluginHost plugin(options.plugin);
        plugin.open(kSampleRate, kBlockSize);
        if ((plugin.record().flags & effFlagsHasEditor) == 0)
            throw Failure(options.plugin + ": the plug-in has no editor");
        plugin.resume();
        showEditor(const_cast<AEffect*>(&plugin.record()), options);
        return 0;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "plughost: %s (see plughost --help)\n", error.what());
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

} // namespace plughost
