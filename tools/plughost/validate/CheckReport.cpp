// SPDX-License-Identifier: MIT
#include "CheckReport.h"

#include "os/SignalCleanup.h"
#include "report/JsonWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace plughost::validate {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// A text as one field of a line: no line breaks, no tabs.
std::string oneField(const std::string& text) {
    std::string clean = text;
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; },
        ' ');
    return clean;
}

Fields caseFields(const Case& c) {
    Fields f;
    const auto add = [&](const char* key, const std::string& value) { f.emplace_back(key, value); };
    if (!c.call.empty()) add("call", c.call);
    if (c.sampleRate > 0) add("rate", number(c.sampleRate));
    if (c.blockSize > 0) add("block", std::to_string(c.blockSize));
    if (c.changingBlocks) add("changing", "1");
    if (c.precision > 0) add("precision", std::to_string(c.precision));
    if (!c.placement.empty()) add("placement", c.placement);
    if (!c.input.empty()) add("input", c.input);
    if (c.parameter >= 0) add("parameter", std::to_string(c.parameter));
    if (!c.parameterName.empty()) add("parameterName", c.parameterName);
    if (c.channel >= 0) add("channel", std::to_string(c.channel));
    if (c.frame >= 0) add("frame", std::to_string(c.frame));
    return f;
}

long long integer(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

void setCaseField(Case& c, const std::string& key, const std::string& value) {
    if (key == "call") c.call = value;
    if (key == "rate") c.sampleRate = std::strtod(value.c_str(), nullptr);
    if (key == "block") c.blockSize = static_cast<int>(integer(value));
    if (key == "changing") c.changingBlocks = true;
    if (key == "precision") c.precision = static_cast<int>(integer(value));
    if (key == "placement") c.placement = value;
    if (key == "input") c.input = value;
    if (key == "parameter") c.parameter = static_cast<int>(integer(value));
    if (key == "parameterName") c.parameterName = value;
    if (key == "channel") c.channel = static_cast<int>(integer(value));
    if (key == "frame") c.frame = integer(value);
}

Fields identityFields(const PluginIdentity& id) {
    return {{"library", id.library},
            {"name", id.name},
            {"vendor", id.vendor},
            {"product", id.product},
            {"uniqueId", std::to_string(id.uniqueId)},
            {"version", std::to_string(id.version)},
            {"vendorVersion", std::to_string(id.vendorVersion)},
            {"inputs", std::to_string(id.inputs)},
            {"outputs", std::to_string(id.outputs)},
            {"parameters", std::to_string(id.parameters)},
            {"programs", std::to_string(id.programs)},
            {"editor", id.editor ? "1" : "0"},
            {"stateChunk", id.stateChunk ? "1" : "0"},
            {"doublePrecision", id.doublePrecision ? "1" : "0"}};
}

void setIdentityField(PluginIdentity& id, const std::string& key, const std::string& value) {
    for (auto [name, text] : {std::pair{"library", &id.library}, std::pair{"name", &id.name},
                              std::pair{"vendor", &id.vendor}, std::pair{"product", &id.product}})
        if (key == name) *text = value;
    for (auto [name, count] :
         {std::pair{"uniqueId", &id.uniqueId}, std::pair{"version", &id.version},
          std::pair{"vendorVersion", &id.vendorVersion}, std::pair{"inputs", &id.inputs},
          std::pair{"outputs", &id.outputs}, std::pair{"parameters", &id.parameters},
          std::pair{"programs", &id.programs}})
        if (key == name) *count = integer(value);
    for (auto [name, flag] :
         {std::pair{"editor", &id.editor}, std::pair{"stateChunk", &id.stateChunk},
          std::pair{"doublePrecision", &id.doublePrecision}})
        if (key == name) *flag = value == "1";
    id.known = true;
}

// One report line: its kind, text and fields.
struct Line {
    char kind = 0;
    std::string text;
    Fields fields;
};

Line parseLine(const std::string& line) {
    Line parsed;
    parsed.kind = line[0];
    std::size_t start = line.size() > 1 ? 2 : line.size();
    std::size_t tab = line.find('\t', start);
    parsed.text = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    while (tab != std::string::npos) {
        start = tab + 1;
        tab = line.find('\t', start);
        const std::string field =
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        const std::size_t equals = field.find('=');
        if (equals != std::string::npos)
            parsed.fields.emplace_back(field.substr(0, equals), field.substr(equals + 1));
    }
    return parsed;
}

// Adds a finding to the messages, into the message of the same kind and summary if there is
// one.
void addFinding(std::vector<Message>& messages, Message finding) {
    for (Message& message : messages)
        if (message.kind == finding.kind && message.summary == finding.summary) {
            ++message.count;
            return;
        }
    messages.push_back(std::move(finding));
}

std::string abnormalEnd(const ChildResult& child, double timeoutSeconds, bool finished,
                        const std::string& stage) {
    const std::string where = stage.empty() ? std::string() : " while " + stage;
    switch (child.end) {
    case ChildResult::End::NotStarted:
        return "could not start its process: " + child.whyNotRun;
    case ChildResult::End::TimedOut:
        return "timed out after " + number(timeoutSeconds) + " s" + where;
    case ChildResult::End::Crashed:
        return "the plug-in crashed (" + crashDescription(child.code) + ")" + where;
    case ChildResult::End::Exited:
        if (child.code == 0 && finished) return {};
        const std::vector<std::string> first = firstLines(child.errors, 1, 200);
        return "the check's process ended early with status " + std::to_string(child.code) + where +
               (first.empty() ? std::string() : ": " + first.front());
    }
    return {};
}

Status statusOf(const std::vector<Message>& messages) {
    bool failed = false, warned = false, skipped = false;
    for (const Message& message : messages) {
        failed = failed || message.kind == 'F';
        warned = warned || message.kind == 'W';
        skipped = skipped || message.kind == 'S';
    }
    return failed    ? Status::Fail
           : skipped ? Status::Skipped
           : warned  ? Status::Warning
                     : Status::Pass;
}

long lineCount(const std::string& text) {
    if (text.empty()) return 0;
    return static_cast<long>(std::count(text.begin(), text.end(), '\n')) +
           (text.back() == '\n' ? 0 : 1);
}

} // namespace

const char* statusName(Status status) {
    switch (status) {
    case Status::Pass:
        return "pass";
    case Status::Warning:
        return "warning";
    case Status::Fail:
        return "fail";
    case Status::Skipped:
        return "skipped";
    }
    return "fail";
}

std::string describe(const Case& c) {
    std::vector<std::string> parts;
    if (!c.call.empty()) parts.push_back(c.call);
    if (c.precision > 0) parts.push_back(std::to_string(c.precision) + "-bit");
    if (c.sampleRate > 0) parts.push_back(number(c.sampleRate / 1000.0) + " kHz");
    if (c.changingBlocks)
        parts.push_back(
            "block sizes changing between calls" +
            (c.blockSize > 0 ? " (a call of " + std::to_string(c.blockSize) + ")" : std::string()));
    else if (c.blockSize > 0)
        parts.push_back("blocks of " + std::to_string(c.blockSize) +
                        (c.blockSize == 1 ? " frame" : " frames"));
    if (!c.placement.empty()) parts.push_back(c.placement);
    if (!c.input.empty()) parts.push_back(c.input + " input");
    if (c.parameter >= 0)
        parts.push_back("parameter " + std::to_string(c.parameter) +
                        (c.parameterName.empty() ? std::string() : " '" + c.parameterName + "'"));
    if (c.channel >= 0) parts.push_back("channel " + std::to_string(c.channel));
    if (c.frame >= 0) parts.push_back("frame " + std::to_string(c.frame));
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

std::string Message::shown() const {
    if (count == 1) return text;
    return text + "; the same in " + std::to_string(count - 1) + " more case" +
           (count > 2 ? "s" : "");
}

std::vector<std::string> firstLines(const std::string& text, std::size_t count,
                                    std::size_t longest) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() < count) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string::npos) stop = text.size();
        std::string line = text.substr(start, std::min(stop - start, longest));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = stop + 1;
    }
    return lines;
}

void Findings::line(char kind, const std::string& summary, const std::string& detail,
                    const Case& where) {
    const std::string place = describe(where);
    std::string text = summary;
    if (!detail.empty()) text += ": " + detail;
    if (!place.empty() && kind != 'P') text += " (" + place + ")";
    std::string out(1, kind);
    out += ' ' + oneField(text);
    if (text != summary) out += "\tsummary=" + oneField(summary);
    for (const auto& [key, value] : caseFields(where))
        out += '\t' + key + '=' + oneField(value);
    m_sink(out + '\n');
}

void Findings::identity(const PluginIdentity& identity) {
    std::string out = "I ";
    for (const auto& [key, value] : identityFields(identity))
        out += '\t' + key + '=' + oneField(value);
    m_sink(out + '\n');
}

CheckOutcome readOutcome(const std::string& name, const ChildResult& child, double timeoutSeconds) {
    CheckOutcome outcome;
    outcome.name = name;
    outcome.errors = child.errors;
    outcome.errorLines = lineCount(child.errors);
    bool finished = false;
    Line stage;
    const std::string& report = child.output;
    for (std::size_t start = 0; start < report.size();) {
        std::size_t stop = report.find('\n', start);
        if (stop == std::string::npos) stop = report.size(); // a line cut off by the end
        const std::string text = report.substr(start, stop - start);
        start = stop + 1;
        if (text.empty()) continue;
        Line line = parseLine(text);
        if (line.kind == 'D') {
            finished = true;
        } else if (line.kind == 'P') {
            stage = std::move(line);
        } else if (line.kind == 'I') {
            for (const auto& [key, value] : line.fields)
                setIdentityField(outcome.identity, key, value);
        } else if (line.kind == 'N' || line.kind == 'W' || line.kind == 'F' || line.kind == 'S') {
            Message message{line.kind, line.text, line.text, {}, 1};
            for (const auto& [key, value] : line.fields)
                if (key == "summary")
                    message.summary = value;
                else
                    setCaseField(message.where, key, value);
            addFinding(outcome.messages, std::move(message));
        }
    }
    outcome.stage = stage.text;
    if (child.end == ChildResult::End::Crashed) outcome.crash = crashDescription(child.code);
    const std::string abnormal = abnormalEnd(child, timeoutSeconds, finished, stage.text);
    if (!abnormal.empty()) {
        Message failure{'F', abnormal, abnormal, {}, 1};
        for (const auto& [key, value] : stage.fields)
            setCaseField(failure.where, key, value);
        outcome.messages.push_back(std::move(failure));
    }
    outcome.status = statusOf(outcome.messages);
    return outcome;
}

void writeMessage(JsonWriter& json, const Message& message) {
    static constexpr std::pair<char, const char*> kKinds[] = {
        {'F', "failure"}, {'W', "warning"}, {'S', "skipped"}, {'N', "note"}};
    const char* kind = "note";
    for (const auto& [letter, name] : kKinds)
        if (letter == message.kind) kind = name;
    const Case& c = message.where;
    json.beginObject();
    json.key("kind").value(kind);
    json.key("text").value(message.shown());
    json.key("summary").value(message.summary);
    json.key("count").value(static_cast<std::int64_t>(message.count));
    if (!c.call.empty() || c.precision > 0)
        json.key("call").value(!c.call.empty()     ? c.call
                               : c.precision == 64 ? "processDoubleReplacing"
                                                   : "processReplacing");
    if (c.sampleRate > 0) json.key("sampleRate").value(c.sampleRate);
    if (c.blockSize > 0) json.key("blockSize").value(c.blockSize);
    if (c.changingBlocks) json.key("changingBlockSizes").value(true);
    if (c.precision > 0) json.key("precision").value(c.precision);
    if (!c.placement.empty()) json.key("placement").value(c.placement);
    if (!c.input.empty()) json.key("input").value(c.input);
    if (c.parameter >= 0) json.key("parameter").value(c.parameter);
    if (!c.parameterName.empty()) json.key("parameterName").value(c.parameterName);
    if (c.channel >= 0) json.key("channel").value(c.channel);
    if (c.frame >= 0) json.key("frame").value(static_cast<std::int64_t>(c.frame));
    json.endObject();
}

void writeIdentity(JsonWriter& json, const std::string& path, const PluginIdentity& id) {
    json.beginObject();
    json.key("path").value(path);
    if (id.known) {
        json.key("library").value(id.library);
        json.key("name").value(id.name);
        json.key("vendor").value(id.vendor);
        json.key("product").value(id.product);
        json.key("uniqueId").value(static_cast<std::int64_t>(id.uniqueId));
        json.key("version").value(static_cast<std::int64_t>(id.version));
        json.key("vendorVersion").value(static_cast<std::int64_t>(id.vendorVersion));
        json.key("inputs").value(static_cast<std::int64_t>(id.inputs));
        json.key("outputs").value(static_cast<std::int64_t>(id.outputs));
        json.key("parameters").value(static_cast<std::int64_t>(id.parameters));
        json.key("programs").value(static_cast<std::int64_t>(id.programs));
        json.key("editor").value(id.editor);
        json.key("stateChunk").value(id.stateChunk);
        json.key("doublePrecision").value(id.doublePrecision);
    }
    json.endObject();
}

} // namespace plughost::validate
