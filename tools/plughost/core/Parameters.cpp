// SPDX-License-Identifier: MIT
#include "Parameters.h"

#include "Failure.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace plughost {
namespace {

constexpr int kSweepSteps = 1024;
constexpr const char* kForms =
    "give a normalised value from 0 to 1, a number with the parameter's unit, or a word it "
    "displays";

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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of a number in C syntax at the start of text ([+-]digits[.digits][e[+-]digits],
// digits on at least one side of the point), or 0.
std::size_t numberLength(const std::string& text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t exponentStart = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j > exponentStart) i = j;
    }
    return i;
}

// A number at the start of text; rest receives what follows it, trimmed. Numbers too small for
// a double are 0; too large ones are no number.
std::optional<double> leadingNumber(const std::string& text, std::string& rest) {
    std::string body = trim(text);
    // A typographic minus (U+2212) reads as '-'.
    if (body.rfind("\xE2\x88\x92", 0) == 0) body.replace(0, 3, "-");
    const std::size_t length = numberLength(body);
    if (length == 0) return std::nullopt;
    const std::size_t start = body[0] == '+' ? 1 : 0; // from_chars takes no plus sign
    double value = 0.0;
    const auto [next, error] = std::from_chars(body.data() + start, body.data() + length, value);
    if (error == std::errc::result_out_of_range) {
        const auto exponent = body.find_first_of("eE");
        if (exponent == std::string::npos || exponent + 1 >= length || body[exponent + 1] != '-')
            return std::nullopt;
        value = body[0] == '-' ? -0.0 : 0.0; // underflow
    } else if (error != std::errc() || next != body.data() + length) {
        return std::nullopt;
    }
    rest = trim(body.substr(length));
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

double at(int step) {
    return static_cast<double>(step) / kSweepSteps;
}

// Narrows the switch between a value that does not match and one that does; answers the
// matching side.
double edge(const std::function<bool(double)>& matches, double outside, double inside) {
    for (int i = 0; i < 40 && std::fabs(inside - outside) > 1e-9; ++i) {
        const double middle = (inside + outside) / 2;
        (matches(middle) ? inside : outside) = middle;
    }
    return inside;
}

// The middle of the stretch of normalised values around inside (which matches) that match.
float middleOfStretch(const std::function<bool(double)>& matches, double inside) {
    // Out along the sweep's steps to the first that does not match, then bisect that gap.
    int below = static_cast<int>(std::floor(inside * kSweepSteps));
    if (at(below) >= inside) --below;
    double lowest = inside;
    while (below >= 0 && matches(at(below)))
        lowest = at(below--);
    int above = static_cast<int>(std::ceil(inside * kSweepSteps));
    if (at(above) <= inside) ++above;
    double highest = inside;
    while (above <= kSweepSteps && matches(at(above)))
        highest = at(above++);
    const double lower = below < 0 ? 0.0 : edge(matches, at(below), lowest);
    const double upper = above > kSweepSteps ? 1.0 : edge(matches, at(above), highest);
    return static_cast<float>((lower + upper) / 2);
}

} // namespace

ParameterRequest parseParameterValue(const std::string& target, const std::string& value,
                                     const std::string& what) {
    ParameterRequest request;
    request.text = what;
    request.target = target;
    const std::string valueText = trim(value);
    if (valueText.empty()) throw UsageError("--param " + quote(what) + ": the value is missing");
    std::string rest;
    if (const auto number = leadingNumber(valueText, rest)) {
        // A unit is letters and signs such as % or a degree sign: no digits, spaces, commas
        // or points, which would be a number written another way or something left over.
        const bool unitLike = std::none_of(rest.begin(), rest.end(), [](unsigned char c) {
            return std::isdigit(c) != 0 || std::isspace(c) != 0 || c == ',' || c == '.';
        });
        if (!unitLike)
            throw UsageError("--param " + quote(what) + ": " + quote(valueText) +
                             " is not a value: " + kForms +
                             " (numbers are written as in C, such as -3.5 or 1e-3)");
        request.value = *number;
        request.unit = rest;
        return request;
    }
    const char first = valueText[0];
    if (isDigit(first) || first == '.' || first == '+' || first == '-')
        throw UsageError("--param " + quote(what) + ": " + quote(valueText) +
                         " is not a number (numbers are written as in C, such as -3.5 or 1e-3)");
    request.kind = ParameterRequest::Kind::Word;
    request.word = valueText;
    return request;
}

double parseSeconds(const std::string& text, const std::string& what) {
    std::string rest;
    const auto number = leadingNumber(text, rest);
    const double scale = rest.empty() || rest == "s" ? 1.0 : rest == "ms" ? 1e-3 : 0.0;
    if (!number || scale == 0.0 || *number < 0)
        throw UsageError(what + ": " + quote(trim(text)) +
                         " is not a time (seconds from 0, such as 2.5, 2.5s or 2500ms)");
    return *number * scale;
}

ParameterRequest parseParameterSetting(const std::string& setting) {
    const auto equals = setting.rfind('=');
    if (equals == std::string::npos || trim(setting.substr(0, equals)).empty())
        throw UsageError("--param " + quote(setting) + ": expected NAME=VALUE or INDEX=VALUE");
    std::string target = trim(setting.substr(0, equals));
    std::optional<double> seconds;
    if (const auto at = target.rfind('@'); at != std::string::npos) {
        seconds = parseSeconds(target.substr(at + 1), "--param " + quote(setting));
        target = trim(target.substr(0, at));
        if (target.empty())
            throw UsageError("--param " + quote(setting) + ": expected NAME@TIME=VALUE");
    }
    ParameterRequest request = parseParameterValue(target, setting.substr(equals + 1), setting);
    request.seconds = seconds;
    return request;
}

namespace {

// The comma-separated fields of one line; a field in double quotes may hold commas, and "" in
// it stands for one quote.
std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

} // namespace

std::vector<ParameterRequest> parseAutomation(const std::string& text, const std::string& source) {
    std::vector<ParameterRequest> requests;
    std::size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string content = trim(line);
        if (content.empty() || content[0] == '#') continue;
        std::string rest;
        if (lineNumber == 1 && !leadingNumber(csvFields(content)[0], rest)) continue; // header
        const std::string where = quote(source) + " line " + std::to_string(lineNumber);
        const std::vector<std::string> fields = csvFields(content);
        if (fields.size() != 3 || trim(fields[1]).empty())
            throw UsageError("--automation " + where + ": expected TIME,PARAMETER,VALUE");
        ParameterRequest request = parseParameterValue(
            trim(fields[1]), fields[2], source + " line " + std::to_string(lineNumber));
        request.seconds = parseSeconds(fields[0], "--automation " + where);
        requests.push_back(request);
    }
    return requests;
}

std::optional<double> parseDisplayNumber(const std::string& text, std::string* rest) {
    std::string after;
    const auto number = leadingNumber(text, after);
    if (rest != nullptr) *rest = after;
    return number;
}

int findParameter(ParameterAccess& parameters, const std::string& target) {
    const int count = parameters.count();
    if (!target.empty() && std::all_of(target.begin(), target.end(),
                                       [](unsigned char c) { return std::isdigit(c) != 0; })) {
        int index = -1;
        const auto [next, error] =
            std::from_chars(target.data(), target.data() + target.size(), index);
        if (error != std::errc() || index >= count)
            throw UsageError("parameter index " + target + " is out of range: the plug-in has " +
                                 std::to_string(count) + " parameters" +
                                 (count > 0 ? " (0 to " + std::to_string(count - 1) + ")" : ""),
                             "");
        return index;
    }
    for (int i = 0; i < count; ++i)
        if (parameters.name(i) == target) return i;
    const std::string wanted = lower(trim(target));
    for (int i = 0; i < count; ++i)
        if (lower(trim(parameters.name(i))) == wanted) return i;
    if (count == 0)
        throw UsageError("unknown parameter " + quote(target) + ": the plug-in has none", "");
    throw UsageError(
        "unknown parameter " + quote(target) + "; the plug-in has " + listNames(parameters), "");
}

float normalisedForDisplay(ParameterAccess& parameters, int index, double wanted) {
    const auto shownAt = [&](double normalised) {
        parameters.set(index, static_cast<float>(normalised));
        return parseDisplayNumber(parameters.display(index));
    };

    std::vector<std::optional<double>> shown(kSweepSteps + 1);
    std::vector<double> numbers;
    for (int step = 0; step <= kSweepSteps; ++step) {
        shown[static_cast<std::size_t>(step)] = shownAt(at(step));
        if (const auto& number = shown[static_cast<std::size_t>(step)]) numbers.push_back(*number);
    }
    const std::string what = "parameter " + quote(parameters.name(index));
    if (numbers.empty())
        throw UsageError(what + " shows no numbers (it shows " + quote(parameters.display(index)) +
                             "); give a word it shows or a normalised value from 0 to 1",
                         "");

    // Values within half a display step of the range still count as inside it.
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    double resolution = INFINITY;
    for (std::size_t i = 1; i < numbers.size(); ++i)
        resolution = std::min(resolution, numbers[i] - numbers[i - 1]);
    const double tolerance = numbers.size() > 1 ? resolution / 2 : 0.0;
    if (wanted < numbers.front() - tolerance || wanted > numbers.back() + tolerance)
        throw UsageError(what + " cannot show " + shortNumber(wanted) + ": it shows " +
                             shortNumber(numbers.front()) + " to " + shortNumber(numbers.back()),
                         "");

    int best = -1;
    for (int step = 0; step <= kSweepSteps; ++step) {
        const auto& number = shown[static_cast<std::size_t>(step)];
        if (number && (best < 0 || std::fabs(*number - wanted) <
                                       std::fabs(*shown[static_cast<std::size_t>(best)] - wanted)))
            best = step;
    }
    double found = at(best);
    double target = *shown[static_cast<std::size_t>(best)];

    // A smooth display shows wanted somewhere between two steps of the sweep: between the best
    // step and the neighbour whose display lies on the other side of wanted.
    if (target != wanted) {
        for (const int neighbour : {best - 1, best + 1}) {
            if (neighbour < 0 || neighbour > kSweepSteps) continue;
            const auto& other = shown[static_cast<std::size_t>(neighbour)];
            if (!other || (*other - wanted) * (target - wanted) >= 0) continue;
            double near = at(best); // shows a number on target's side of wanted
            double far = at(neighbour);
            for (int i = 0; i < 64 && target != wanted; ++i) {
                const double middle = (near + far) / 2;
                const float middleValue = static_cast<float>(middle);
                if (middleValue == static_cast<float>(near) ||
                    middleValue == static_cast<float>(far))
                    break; // the normalised value stops changing
                const auto number = shownAt(middle);
                if (!number) break;
                if (std::fabs(*number - wanted) < std::fabs(target - wanted)) {
                    target = *number;
                    found = middle;
                }
                ((*number - wanted) * (*shown[static_cast<std::size_t>(best)] - wanted) > 0 ? near
                                                                                            : far) =
                    middle;
            }
            break;
        }
    }
    const auto matches = [&](double normalised) { return shownAt(normalised) == target; };
    return middleOfStretch(matches, found);
}

namespace {

// What a parameter shows over a sweep, for a message: its words in the order they appear, and
// the range of the numbers it shows with the unit after them.
std::string shownTexts(const std::vector<std::string>& texts) {
    constexpr std::size_t kListed = 8;
    std::vector<std::string> words;
    std::optional<double> low, high;
    std::string unit;
    for (const std::string& text : texts) {
        std::string rest;
        if (const auto number = leadingNumber(text, rest)) {
            low = std::min(low.value_or(*number), *number);
            high = std::max(high.value_or(*number), *number);
            unit = rest;
        } else if (std::find(words.begin(), words.end(), text) == words.end()) {
            words.push_back(text);
        }
    }
    std::string shown;
    for (std::size_t i = 0; i < words.size() && i < kListed; ++i)
        shown += (i > 0 ? ", " : "") + quote(words[i]);
    if (words.size() > kListed) shown += ", ...";
    if (low) {
        shown += std::string(shown.empty() ? "" : " and ") + "numbers from " + shortNumber(*low) +
                 " to " + shortNumber(*high) + (unit.empty() ? "" : " " + unit);
    }
    return shown;
}

} // namespace

float normalisedForWord(ParameterAccess& parameters, int index, const std::string& word) {
    const std::string wanted = lower(trim(word));
    const auto matches = [&](double normalised) {
        parameters.set(index, static_cast<float>(normalised));
        return lower(trim(parameters.display(index))) == wanted;
    };
    std::vector<std::string> seen;
    for (int step = 0; step <= kSweepSteps; ++step) {
        if (matches(at(step))) return middleOfStretch(matches, at(step));
        seen.push_back(trim(parameters.display(index)));
    }
    throw UsageError("parameter " + quote(parameters.name(index)) + " never shows " +
                         quote(trim(word)) + " (it shows " + shownTexts(seen) + "); " + kForms,
                     "");
}

ResolvedParameter resolveParameter(ParameterAccess& parameters, const ParameterRequest& request) {
    ResolvedParameter resolved;
    resolved.index = findParameter(parameters, request.target);
    const int index = resolved.index;
    if (request.kind == ParameterRequest::Kind::Word) {
        resolved.normalised = normalisedForWord(parameters, index, request.word);
        return resolved;
    }
    const std::string label = trim(parameters.label(index));
    std::string displayUnit;
    const bool showsNumber =
        parseDisplayNumber(parameters.display(index), &displayUnit).has_value();
    if (!request.unit.empty()) {
        const std::string unit = lower(request.unit);
        // A parameter that names no unit at all (many show a bare number and say the unit
        // in the name or nowhere) takes any: it then only marks the display form.
        const bool namesUnit = !label.empty() || !displayUnit.empty();
        if (namesUnit && unit != lower(label) && unit != lower(displayUnit))
            throw UsageError("--param " + quote(request.text) + ": the unit " +
                                 quote(request.unit) + " is not the parameter's (" +
                                 quote(label.empty() ? displayUnit : label) + "); " + kForms,
                             "");
        resolved.normalised = normalisedForDisplay(parameters, index, request.value);
        return resolved;
    }
    if (request.value >= 0.0 && request.value <= 1.0) {
        resolved.normalised = static_cast<float>(request.value);
        return resolved;
    }
    // A bare number outside 0 to 1 is the display's number, when the display is a number.
    if (!showsNumber)
        throw UsageError("--param " + quote(request.text) +
                             ": a normalised value runs from 0 to 1 (give a unit, such as dB, "
                             "to set the value the plug-in displays)",
                         "");
    resolved.normalised = normalisedForDisplay(parameters, index, request.value);
    return resolved;
}

} // namespace plughost
