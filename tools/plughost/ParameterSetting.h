// SPDX-License-Identifier: MIT
// --param requests: INDEX=VALUE or NAME=VALUE with a normalised value (0 to 1), or a value with
// a unit (NAME=-6dB, NAME=50%) that is looked up among the values the plug-in displays.
#pragma once

#include <optional>
#include <string>

namespace plughost {

struct ParameterRequest {
    std::string text;   // as given, for messages
    std::string target; // a parameter name or a 0-based index
    double value = 0.0;
    std::string unit; // empty for a normalised value

    bool byDisplay() const { return !unit.empty(); }
};

// Throws UsageError when setting has no '=' or no number after it.
ParameterRequest parseParameterSetting(const std::string& setting);

// The number a display text starts with ("-6.00" -> -6, " +3 dB" -> 3), if any.
std::optional<double> parseDisplayNumber(const std::string& text);

// What finding a parameter and its value needs from a plug-in.
class ParameterAccess {
public:
    virtual ~ParameterAccess() = default;
    virtual int count() = 0;
    virtual std::string name(int index) = 0;
    virtual std::string display(int index) = 0;
    virtual void set(int index, float normalised) = 0;
};

// The index a target names: a 0-based index or a parameter name (exact, else ignoring case and
// surrounding spaces). Throws Failure for an unknown name or an index out of range.
int findParameter(ParameterAccess& parameters, const std::string& target);

// The normalised value at which the parameter displays wanted, or the displayed value nearest
// to it. The parameter is swept over 0..1 and the edges of the matching stretch are narrowed
// down by bisection; the answer is the middle of that stretch. Leaves the parameter changed.
// Throws Failure when the parameter shows no numbers or wanted is outside what it shows.
float normalisedForDisplay(ParameterAccess& parameters, int index, double wanted);

struct ResolvedParameter {
    int index = 0;
    float normalised = 0.0f;
};

// Both steps above, or the checked normalised value. Leaves the parameter changed.
ResolvedParameter resolveParameter(ParameterAccess& parameters, const ParameterRequest& request);

} // namespace plughost
