// SPDX-License-Identifier: MIT
#include "Progress.h"

#include <algorithm>

namespace plughost {
namespace {

constexpr auto kQuietTime = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

} // namespace

Progress::Progress(std::FILE* stream, bool enabled, std::string label, std::int64_t total)
    : m_stream(stream), m_enabled(enabled && total > 0), m_label(std::move(label)), m_total(total),
      m_start(Clock::now()) {}

void Progress::update(std::int64_t done, Clock::time_point now) {
    if (!m_enabled || now - m_start < kQuietTime) return;
    if (m_drawn && now - m_lastDraw < kRedrawInterval) return;
    const double fraction =
        std::clamp(static_cast<double>(done) / static_cast<double>(m_total), 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kBarWidth);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kBarWidth - filled), '.');
    const double elapsed = std::chrono::duration<double>(now - m_start).count();
    std::fprintf(m_stream, "\r%s [%s] %3d%%  %.0f s", m_label.c_str(), bar.c_str(),
                 static_cast<int>(fraction * 100.0), elapsed);
    std::fflush(m_stream);
    m_lastDraw = now;
    m_drawn = true;
}

void Progress::finish() {
    if (!m_drawn) return;
    // Overwrite the bar with spaces so that what follows starts on a clean line.
    std::fprintf(m_stream, "\r%*s\r", static_cast<int>(m_label.size()) + kBarWidth + 16, "");
    std::fflush(m_stream);
    m_drawn = false;
}

} // namespace plughost
