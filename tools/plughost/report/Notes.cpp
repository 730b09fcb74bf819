// SPDX-License-Identifier: MIT
#include "Notes.h"

#include "core/Failure.h"

#include <cstdio>

namespace plughost {

void RunNotes::warn(const std::string& text) {
    std::fprintf(stderr, "plughost: warning: %s\n", text.c_str());
    m_warnings.push_back(text);
}

void RunNotes::note(const std::string& text) {
    std::fprintf(stderr, "plughost: note: %s\n", text.c_str());
    m_notes.push_back(text);
}

void RunNotes::trace(const std::string& text) const {
    if (m_verbose) std::fprintf(stderr, "plughost: %s\n", text.c_str());
}

void RunNotes::failIfStrict(bool strict) const {
    if (!strict || m_warnings.empty()) return;
    const std::size_t count = m_warnings.size();
    throw Failure(std::to_string(count) + (count == 1 ? " warning" : " warnings") +
                  " and --strict: the run counts as failed (its outputs are written)");
}

} // namespace plughost
