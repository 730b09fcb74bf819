// SPDX-License-Identifier: MIT
// What a run tells the user besides its report, each as one line on standard error as it is
// found, and kept for the JSON report:
//   warnings  the output is not all that was asked for: clipping, non-finite samples, a delay
//             that changed during the run, a truncated input, a state of another version;
//             --strict makes them fail the run
//   notes     how the files met the plug-ins (channels dropped or given silence)
//   traces    what happens, with --verbose only
#pragma once

#include <string>
#include <vector>

namespace plughost {

class RunNotes {
public:
    explicit RunNotes(bool verbose = false) : m_verbose(verbose) {}

    void warn(const std::string& text);
    void note(const std::string& text);
    void trace(const std::string& text) const;
    bool verbose() const { return m_verbose; }

    const std::vector<std::string>& warnings() const { return m_warnings; }
    const std::vector<std::string>& notes() const { return m_notes; }

    // Throws Failure when strict and any warning was given; the outputs stay written.
    void failIfStrict(bool strict) const;

private:
    bool m_verbose;
    std::vector<std::string> m_warnings;
    std::vector<std::string> m_notes;
};

} // namespace plughost
