// SPDX-License-Identifier: MIT
#include "PluginCalls.h"

namespace plughost {

std::atomic<int> g_callsInsidePlugin{0};
static_assert(std::atomic<int>::is_always_lock_free, "read inside signal handlers");

namespace {
thread_local bool t_audioThread = false;
} // namespace

AudioThreadScope::AudioThreadScope() {
    t_audioThread = true;
}

AudioThreadScope::~AudioThreadScope() {
    t_audioThread = false;
}

bool onAudioThread() {
    return t_audioThread;
}

} // namespace plughost
