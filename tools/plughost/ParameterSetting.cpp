// SPDX-License-Identifier: MIT
#include "ParameterSetting.h"

#include "Failure.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace plughost {
namespace {

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Parses a number at the start of text; rest receives what follows it.
std::optional<double> leadingNumber(const std::string& text, std::string& rest) {
    std::string body = trim(text);
    // A typographic minus (U+2212) reads as '-'.
    if (body.rfind("\xE2\x88\x92", 0) == 0) {
        body.erase(0, 2);
        body[0] = '-';
    }
    // from_chars takes no plus sign; "+-6" is no number.
    std::size_t start = 0;
    if (!body.empty() && body[0] == '+') {
        start = 1;
        if (body.size() > 1 && body[1] == '-') return std::nullopt;
    }
    double value = 0.0;
    const char* begin = body.data() + start;
    const char* end = body.data() + body.size();
    const auto [next, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
    rest = trim(std::string(next, end));
    return value;
}

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string listNames(ParameterAccess& parameters) {
    constexpr int kListed = 12;
    const int count = parameters.count();
    std::string names;
    for (int i = 0; i < count && i < kListed; ++i)
        names += (i > 0 ? ", " : "") + quote(parameters.name(i));
    if (count > kListed) names += ", ...";
    return names;
}

} // namespace

ParameterRequest parseParameterSetting(const std::string& setting) {
    const auto equals = setting.rfind('=');
    if (equals == std::string::npos || trim(setting.substr(0, equals)).empty())
        throw UsageError("--param " + quote(setting) + ": expected NAME=VALUE or INDEX=VALUE");
    ParameterRequest request;
    request.text = setting;
    request.target = trim(setting.substr(0, equals));
    const std::string valueText = setting.substr(equals + 1);
    const auto value = leadingNumber(valueText, request.unit);
    if (!value)
        throw UsageError("--param " + quote(setting) + ": " + quote(trim(valueText)) +
                         " is not a number");
    request.value = *value;
    return request;
}

std::optional<double> parseDisplayNumber(const std::string& text) {
    std::string rest;
    return leadingNumber(text, rest);
}

int findParameter(ParameterAccess& parameters, const std::string& target) {
    const int count = parameters.count();
    if (!target.empty() && std::all_of(target.begin(), target.end(),
                                       [](unsigned char c) { return std::isdigit(c) != 0; })) {
        int index = -1;
        const auto [next, error] =
            std::from_chars(target.data(), target.data() + target.size(), index);
        if (error != std::errc() || index >= count)
            throw Failure("parameter index " + target + " is out of range: the plug-in has " +
                          std::to_string(count) + " parameters" +
                          (count > 0 ? " (0 to " + std::to_string(count - 1) + ")" : ""));
        return index;
    }
    for (int i = 0; i < count; ++i)
        if (parameters.name(i) == target) return i;
    const std::string wanted = lower(trim(target));
    for (int i = 0; i < count; ++i)
        if (lower(trim(parameters.name(i))) == wanted) return i;
    if (count == 0) throw Failure("unknown parameter " + quote(target) + ": the plug-in has none");
    throw Failure("unknown parameter " + quote(target) + "; the plug-in has " +
                  listNames(parameters));
}

float normalisedForDisplay(ParameterAccess& parameters, int index, double wanted) {
    constexpr int kSteps = 1024;
    const auto shownAt = [&](double normalised) {
        parameters.set(index, static_cast<float>(normalised));
        return parseDisplayNumber(parameters.display(index));
    };
    const auto at = [](int step) { return static_cast<double>(step) / kSteps; };

    std::vector<std::optional<double>> shown(kSteps + 1);
    std::vector<double> numbers;
    for (int step = 0; step <= kSteps; ++step) {
        shown[static_cast<std::size_t>(step)] = shownAt(at(step));
        if (const auto& number = shown[static_cast<std::size_t>(step)]) numbers.push_back(*number);
    }
    const std::string what = "parameter " + quote(parameters.name(index));
    if (numbers.empty())
        throw Failure(what + " shows no numbers (it shows " + quote(parameters.display(index)) +
                      "); give a normalised value from 0 to 1 instead");

    // Values within half a display step of the range still count as inside it.
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    double resolution = INFINITY;
    for (std::size_t i = 1; i < numbers.size(); ++i)
        resolution = std::min(resolution, numbers[i] - numbers[i - 1]);
    const double tolerance = numbers.size() > 1 ? resolution / 2 : 0.0;
    if (wanted < numbers.front() - tolerance || wanted > numbers.back() + tolerance)
        throw Failure(what + " cannot show " + shortNumber(wanted) + ": it shows " +
                      shortNumber(numbers.front()) + " to " + shortNumber(numbers.back()));

    int best = -1;
    for (int step = 0; step <= kSteps; ++step) {
        const auto& number = shown[static_cast<std::size_t>(step)];
        if (number && (best < 0 || std::fabs(*number - wanted) <
                                       std::fabs(*shown[static_cast<std::size_t>(best)] - wanted)))
            best = step;
    }
    const double target = *shown[static_cast<std::size_t>(best)];
    const auto matches = [&](int step) { return shown[static_cast<std::size_t>(step)] == target; };
    int first = best;
    while (first > 0 && matches(first - 1))
        --first;
    int last = best;
    while (last < kSteps && matches(last + 1))
        ++last;

    // Narrows the switch between a value that shows something else and one that shows target.
    const auto edge = [&](double outside, double inside) {
        for (int i = 0; i < 40 && std::fabs(inside - outside) > 1e-9; ++i) {
            const double middle = (inside + outside) / 2;
            (shownAt(middle) == target ? inside : outside) = middle;
        }
        return inside;
    };
    const double lower = first == 0 ? 0.0 : edge(at(first - 1), at(first));
    const double upper = last == kSteps ? 1.0 : edge(at(last + 1), at(last));
    return static_cast<float>((lower + upper) / 2);
}

ResolvedParameter resolveParameter(ParameterAccess& parameters, const ParameterRequest& request) {
    ResolvedParameter resolved;
    resolved.index = findParameter(parameters, request.target);
    if (request.byDisplay()) {
        resolved.normalised = normalisedForDisplay(parameters, resolved.index, request.value);
    } else {
        if (request.value < 0.0 || request.value > 1.0)
            throw Failure("--param " + quote(request.text) +
                          ": a normalised value runs from 0 to 1 (give a unit, such as dB, to "
                          "set the value the plug-in displays)");
        resolved.normalised = static_cast<float>(request.value);
    }
    return resolved;
}

} // namespace plughost
