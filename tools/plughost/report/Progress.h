// SPDX-License-Identifier: MIT
// A progress bar on a terminal, shown only for work that has already taken a second: short
// runs and runs whose standard error is a file or a pipe stay quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace plughost {

class Progress {
public:
    using Clock = std::chrono::steady_clock;

    // enabled: draw at all (normally: the stream is a terminal, os/Terminal.h). total: units of
    // work.
    Progress(std::FILE* stream, bool enabled, std::string label, std::int64_t total);
    ~Progress() { finish(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Reports done units; draws at most ten times a second, and not in the first second.
    void update(std::int64_t done) { update(done, Clock::now()); }
    void update(std::int64_t done, Clock::time_point now);
    // Clears the bar if one was drawn.
    void finish();

    bool drawn() const { return m_drawn; }

private:
    std::FILE* m_stream;
    bool m_enabled;
    std::string m_label;
    std::int64_t m_total;
    Clock::time_point m_start;
    Clock::time_point m_lastDraw{};
    bool m_drawn = false;
};

} // namespace plughost
