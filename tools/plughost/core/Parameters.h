// SPDX-License-Identifier: MIT
// --param requests: INDEX=VALUE or NAME=VALUE, where VALUE is
//   a normalised value from 0 to 1 (a bare number in that range),
//   a number as the plug-in displays it, with the parameter's unit (NAME=-6dB, NAME=50%) or,
//     for a parameter that shows a bare number, without one when it lies outside 0 to 1,
//   or a word the plug-in displays (NAME=on, NAME=Peak; case does not matter).
// Numbers are written as in C: an optional sign, digits with an optional decimal point and an
// optional exponent. Anything else is refused.
#pragma once

#include "Plugin.h"

#include <optional>
#include <string>
#include <vector>

namespace plughost {

struct ParameterRequest {
    enum class Kind { Number, Word };

    std::string text;   // as given, for messages
    std::string target; // a parameter name or a 0-based index
    Kind kind = Kind::Number;
    double value = 0.0;
    std::string unit;              // after the number; empty for a bare number
    std::string word;              // Kind::Word: the display text wanted
    std::optional<double> seconds; // NAME@TIME=VALUE: when the value takes effect

    bool byDisplay() const { return kind == Kind::Word || !unit.empty(); }
};

// Throws UsageError when setting has no '=', no value, or a value that is none of the forms.
// A target may end in "@TIME" (seconds: 2.5, 2.5s or 2500ms) for a change during processing.
ParameterRequest parseParameterSetting(const std::string& setting);

// A time in seconds: "2.5", "2.5s" or "2500ms", at least 0. Throws UsageError naming what.
double parseSeconds(const std::string& text, const std::string& what);

// An automation file: one change a line, "TIME,PARAMETER,VALUE" (TIME as parseSeconds reads
// it, PARAMETER a name or index, VALUE as in --param). Blank lines, lines starting with '#'
// and a first line that does not start with a number (a header) are skipped; a field may be
// put in double quotes. Throws UsageError naming the file and line.
std::vector<ParameterRequest> parseAutomation(const std::string& text, const std::string& source);

// The value part alone (for settings read from elsewhere, such as automation files); what
// names the setting in messages.
ParameterRequest parseParameterValue(const std::string& target, const std::string& value,
                                     const std::string& what);

// The number a display text starts with ("-6.00" -> -6, " +3 dB" -> 3), if any; rest receives
// the text after it, trimmed.
std::optional<double> parseDisplayNumber(const std::string& text, std::string* rest = nullptr);

// What finding a parameter and its value needs from a plug-in.
class ParameterAccess {
public:
    virtual ~ParameterAccess() = default;
    virtual int count() = 0;
    virtual std::string name(int index) = 0;
    virtual std::string label(int index) = 0;
    virtual std::string display(int index) = 0;
    virtual void set(int index, float normalised) = 0;
};

// A loaded plug-in's parameters.
class PluginParameters : public ParameterAccess {
public:
    explicit PluginParameters(Plugin& plugin) : m_plugin(plugin) {}
    int count() override { return m_plugin.parameterCount(); }
    std::string name(int index) override { return m_plugin.parameterName(index); }
    std::string label(int index) override { return m_plugin.parameterLabel(index); }
    std::string display(int index) override { return m_plugin.parameterDisplay(index); }
    void set(int index, float normalised) override { m_plugin.setParameter(index, normalised); }

private:
    Plugin& m_plugin;
};

// The index a target names: a 0-based index or a parameter name (exact, else ignoring case and
// surrounding spaces). Throws UsageError for an unknown name or an index out of range.
int findParameter(ParameterAccess& parameters, const std::string& target);

// The normalised value at which the parameter displays wanted, or the displayed value nearest
// to it. The parameter is swept over 0..1; when no step of the sweep shows wanted exactly, the
// stretch between the two steps around it is bisected until one does or the normalised value
// stops changing. The answer is the middle of the stretch of values that show the result.
// Leaves the parameter changed. Throws UsageError when the parameter shows no numbers or
// wanted is outside what it shows.
float normalisedForDisplay(ParameterAccess& parameters, int index, double wanted);

// The middle of the stretch of normalised values whose display text is word (ignoring case and
// surrounding spaces). Throws UsageError naming the words shown (and the range of the numbers
// shown, for a parameter that shows numbers) when none matches.
float normalisedForWord(ParameterAccess& parameters, int index, const std::string& word);

struct ResolvedParameter {
    int index = 0;
    float normalised = 0.0f;
};

// Finds the parameter and its value, checking the unit against the parameter's label and
// display. Leaves the parameter changed.
ResolvedParameter resolveParameter(ParameterAccess& parameters, const ParameterRequest& request);

} // namespace plughost
