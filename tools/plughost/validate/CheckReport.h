// SPDX-License-Identifier: MIT
// What one check found. A check runs in a child process and reports line by line as it goes,
// so that what it found before a crash or a time-out still reaches the parent. A line is a
// kind, a space and the text, then tab-separated fields (key=value) naming where it showed:
//   "N text"  a note (what was measured)
//   "W text"  a warning
//   "F text"  a failure
//   "S text"  the check does not apply (skipped)
//   "P text"  what the check is doing now, named if the plug-in crashes or hangs there
//   "I"       the plug-in's identity (fields only; the load check)
//   "D"       the check finished
// The parent groups findings of the same kind and summary: one line with a count.
#pragma once

#include "os/ChildProcess.h"

#include <functional>
#include <string>
#include <vector>

namespace plughost {
class JsonWriter;
}

namespace plughost::validate {

enum class Status { Pass, Warning, Fail, Skipped };

const char* statusName(Status status);

// Where a finding showed; what is not set is not named.
struct Case {
    std::string call;      // the request or entry, when not a processing call
    double sampleRate = 0; // Hz
    int blockSize = 0;     // frames of the call
    bool changingBlocks = false;
    int precision = 0;     // 32 or 64
    std::string placement; // "separate buffers", "in place"
    std::string input;     // the test signal
    int parameter = -1;
    std::string parameterName;
    int channel = -1;
    long long frame = -1; // from the start of the run
};

// "32-bit, 44.1 kHz, blocks of 512 frames, NaN input, channel 1, frame 2048"; empty when
// nothing is set.
std::string describe(const Case& where);

// Who the plug-in is, as the load check found it.
struct PluginIdentity {
    std::string library; // the file loaded (inside a bundle, for a bundle)
    std::string name, vendor, product;
    long long uniqueId = 0, version = 0, vendorVersion = 0;
    long long inputs = 0, outputs = 0, parameters = 0, programs = 0;
    bool editor = false, stateChunk = false, doublePrecision = false;
    bool known = false; // a load check reported it
};

struct Message {
    char kind = 'N';     // 'N', 'W', 'F' or 'S'
    std::string summary; // what groups findings: the text without its case
    std::string text;    // the first finding in full
    Case where;          // the first finding's case
    long count = 1;      // findings grouped into this one
    // The line shown: the first finding, and how many more there were.
    std::string shown() const;
};

struct CheckOutcome {
    std::string name;
    Status status = Status::Pass;
    std::vector<Message> messages;
    double seconds = 0.0;
    std::string errors;  // what the check's process (the plug-in) wrote to standard error
    long errorLines = 0; // its lines
    std::string crash;   // how it crashed ("bus error, SIGBUS"); empty when it did not
    std::string stage;   // what it was doing last
    PluginIdentity identity;
};

// The outcome from the child's report lines (its standard output), its standard error and the
// way it ended.
CheckOutcome readOutcome(const std::string& name, const ChildResult& child, double timeoutSeconds);

// The first lines of text, at most count, each cut to at most longest bytes.
std::vector<std::string> firstLines(const std::string& text, std::size_t count,
                                    std::size_t longest);

// A finding as JSON fields (kind, text, summary, count and its case).
void writeMessage(JsonWriter& json, const Message& message);
void writeIdentity(JsonWriter& json, const std::string& path, const PluginIdentity& identity);

// The child's side: writes report lines to sink. [any]
class Findings {
public:
    explicit Findings(std::function<void(const std::string&)> sink) : m_sink(std::move(sink)) {}

    // summary: what the finding is, the same for every case of it; detail: this case's
    // measurement; where: this case.
    void note(const std::string& summary, const std::string& detail = {}, const Case& where = {}) {
        line('N', summary, detail, where);
    }
    void warn(const std::string& summary, const std::string& detail = {}, const Case& where = {}) {
        line('W', summary, detail, where);
    }
    void fail(const std::string& summary, const std::string& detail = {}, const Case& where = {}) {
        line('F', summary, detail, where);
    }
    void skip(const std::string& text) { line('S', text, {}, {}); }
    void stage(const std::string& text, const Case& where = {}) {
        m_stage = text;
        line('P', text, {}, where);
    }
    // The last stage's text.
    const std::string& lastStage() const { return m_stage; }
    void identity(const PluginIdentity& identity);
    void done() { m_sink("D\n"); }

private:
    void line(char kind, const std::string& summary, const std::string& detail, const Case& where);
    std::function<void(const std::string&)> m_sink;
    std::string m_stage;
};

} // namespace plughost::validate
