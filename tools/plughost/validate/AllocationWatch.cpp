// SPDX-License-Identifier: MIT
// The audio-thread mark, the same on every platform. The counters and what feeds them are in
// AllocationWatch_<platform>.cpp.
#include "AllocationWatch.h"
#include "AllocationWatchCounters.h"

namespace plughost::validate {

thread_local bool t_audioThread = false;

AudioThreadScope::AudioThreadScope() {
    t_audioThread = true;
}
AudioThreadScope::~AudioThreadScope() {
    t_audioThread = false;
}

bool onAudioThread() {
    return t_audioThread;
}

} // namespace plughost::validate
