// SPDX-License-Identifier: MIT
// What the checks share: instances opened the way every check opens them and texts measured in
// guard-filled buffers (the audio side is in CheckAudio.h).
#pragma once

#include "Checks.h"
#include "core/Failure.h"
#include "core/Plugin.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace plughost::validate {

using Clock = std::chrono::steady_clock;

// The steady clock's time a number of seconds from now.
Clock::time_point after(double seconds);

// "0.25", "1e-06": a number in a message.
std::string number(double value);

// An instance created while the host answers the rate and block size, opened at them and
// resumed. It is left open when the check's process ends: closing is the lifecycle check's
// subject. Throws Failure.
std::unique_ptr<Plugin> openInstance(const PluginLibrary& library, double sampleRate = 44100.0,
                                     VstInt32 maxBlockSize = 512);

// The plug-in a check judges: its library, loaded in the check's process, and one instance of
// it (openInstance()). Throws Failure.
class CheckedPlugin {
public:
    explicit CheckedPlugin(CheckContext& context, double sampleRate = 44100.0,
                           VstInt32 maxBlockSize = 512);
    Plugin& operator*() const { return *m_instance; }
    Plugin* operator->() const { return m_instance.get(); }
    const PluginLibrary& library() const { return m_library; }

private:
    const PluginLibrary m_library;
    const std::unique_ptr<Plugin> m_instance;
};

// How far a plug-in wrote a text into a buffer filled with guard bytes.
struct WrittenText {
    std::size_t written = 0; // bytes changed, counted from the buffer's start
    bool terminated = true;
    std::string text;
};

// Asks for a text into a large buffer filled with guard bytes, twice with different guards.
WrittenText writtenText(Plugin& plugin, VstInt32 opcode, VstInt32 index);
// Judges one text against the size hosts give it; answers the text. what: "the effect name",
// "a parameter's name" (where names which).
std::string judgeText(Findings& out, const std::string& what, const WrittenText& text,
                      std::size_t hostSize, const Case& where = {});

std::vector<float> readParameters(Plugin& plugin, VstInt32 count);

// "1 s", "12 ms": a time in a message.
std::string duration(double seconds);

} // namespace plughost::validate
