// SPDX-License-Identifier: MIT
// Running the children: the same on every platform, over <platform>/ChildProcess.cpp.
#include "ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace plughost {
namespace {

using Clock = std::chrono::steady_clock;

// How long the loop sleeps when no run has anything to say.
constexpr auto kPollInterval = std::chrono::milliseconds(5);

struct Running {
    std::size_t index = 0;
    std::unique_ptr<RunningChild> child;
    Clock::time_point deadline = Clock::time_point::max();
    ChildResult result;
};

Clock::time_point deadlineOf(const ChildRun& run) {
    if (run.timeoutSeconds <= 0.0) return Clock::time_point::max();
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double>(run.timeoutSeconds));
}

// Answers true once the run has ended (or been ended for its time).
bool service(Running& running) {
    if (running.child->poll(running.result)) return true;
    if (Clock::now() < running.deadline) return false;
    running.child->kill();
    running.child->poll(running.result); // what it wrote up to the end
    running.result.end = ChildResult::End::TimedOut;
    return true;
}

} // namespace

void runChildren(const std::vector<ChildRun>& runs, int jobs,
                 const std::function<void(std::size_t, const ChildResult&)>& done) {
    std::vector<Running> running;
    std::size_t next = 0;
    while (next < runs.size() || !running.empty()) {
        while (next < runs.size() && static_cast<int>(running.size()) < std::max(jobs, 1)) {
            Running started;
            started.index = next;
            started.child = startChild(runs[next], started.result.whyNotRun);
            started.deadline = deadlineOf(runs[next++]);
            if (started.child == nullptr) {
                done(started.index, started.result);
                continue;
            }
            running.push_back(std::move(started));
        }
        bool ended = false;
        for (auto it = running.begin(); it != running.end();) {
            if (!service(*it)) {
                ++it;
                continue;
            }
            const Running finished = std::move(*it);
            it = running.erase(it);
            done(finished.index, finished.result);
            ended = true;
        }
        if (!ended) std::this_thread::sleep_for(kPollInterval);
    }
}

ChildResult runChild(const ChildRun& run) {
    ChildResult result;
    runChildren({run}, 1, [&](std::size_t, const ChildResult& ended) { result = ended; });
    return result;
}

int processorCount() {
    const unsigned count = std::thread::hardware_concurrency();
    return count > 0 ? static_cast<int>(count) : 1;
}

} // namespace plughost
