// SPDX-License-Identifier: MIT
// The steady clock's time a number of seconds from now, for the checks' phases and time-outs.
#pragma once

#include <chrono>

namespace plughost::validate {

inline std::chrono::steady_clock::time_point after(double seconds) {
    using std::chrono::steady_clock;
    return steady_clock::now() + std::chrono::duration_cast<steady_clock::duration>(
                                     std::chrono::duration<double>(seconds));
}

} // namespace plughost::validate
