// SPDX-License-Identifier: MIT
// Marks around the calls into plug-in code. A crash while a call is marked is blamed on the
// plug-in (os/SignalCleanup.h); a thread marked as the audio thread is what the host callback
// and the validator's allocation watch (os/AllocationWatch.h) take for one.
#pragma once

#include <atomic>

namespace plughost {

// Set while any thread is inside plug-in code; read by the crash handlers, so lock-free.
extern std::atomic<int> g_callsInsidePlugin;

class InsidePlugin {
public:
    InsidePlugin() { g_callsInsidePlugin.fetch_add(1, std::memory_order_relaxed); }
    ~InsidePlugin() { g_callsInsidePlugin.fetch_sub(1, std::memory_order_relaxed); }
    InsidePlugin(const InsidePlugin&) = delete;
    InsidePlugin& operator=(const InsidePlugin&) = delete;
};

// Marks the calling thread as the audio thread while it lives. Scopes do not nest. [audio]
class AudioThreadScope {
public:
    AudioThreadScope();
    ~AudioThreadScope();
    AudioThreadScope(const AudioThreadScope&) = delete;
    AudioThreadScope& operator=(const AudioThreadScope&) = delete;
};

// True on a thread inside an AudioThreadScope. [any]
bool onAudioThread();

} // namespace plughost
