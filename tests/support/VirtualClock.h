#pragma once

#include "playback/Scheduler.h"

#include <cstdint>
#include <map>
#include <memory>
#include <deque>

namespace tunara::testing {

// A scheduler on virtual time. Nothing runs until the test advances the
// clock or drains the posted tasks; then due timers and posted tasks run in
// order on the calling thread, so tests of 300-second rules take no time.
class VirtualClock final : public Scheduler {
public:
    VirtualClock();
    ~VirtualClock() override;

    void post(Task task) override;
    std::unique_ptr<OneShotTimer> startTimer(double seconds, Task task) override;

    double now() const { return nowMs_ / 1000.0; }
    // Runs posted tasks (and the tasks they post) until none is left.
    void runPending();
    // Moves time forward, firing each due timer at its own time and running
    // the posted tasks after each.
    void advance(double seconds);
    // Moves time forward and fires the due timers, but runs no posted task:
    // what a timer posts waits behind whatever was posted before it.
    void fireTimers(double seconds);
    std::size_t armedTimerCount() const { return timers_->size(); }

private:
    struct Armed {
        Task task;
    };
    using TimerQueue = std::multimap<std::pair<std::int64_t, std::uint64_t>, Armed>;
    class Timer;
    void fireDueTimers(double seconds, bool runningPosted);

    std::int64_t nowMs_ = 0;
    std::uint64_t nextSequence_ = 0;
    std::deque<Task> posted_;
    std::shared_ptr<TimerQueue> timers_;
};

} // namespace tunara::testing
