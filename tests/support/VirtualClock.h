#pragma once

#include "playback/Scheduler.h"

#include <cmath>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>

namespace tunara::testing {

// A scheduler on virtual time. Nothing runs until the test advances the
// clock or drains the posted tasks; then due timers and posted tasks run in
// order on the calling thread, so tests of 300-second rules take no time.
class VirtualClock final : public Scheduler {
public:
    void post(Task task) override { posted_.push_back(std::move(task)); }
    std::unique_ptr<OneShotTimer> startTimer(double seconds, Task task) override
    {
        const TimerQueue::key_type key{nowMs_ + std::llround(seconds * 1000.0), nextSequence_++};
        timers_->emplace(key, std::move(task));
        return std::make_unique<Timer>(timers_, key);
    }

    // Runs posted tasks (and the tasks they post) until none is left.
    void runPending()
    {
        while (!posted_.empty()) {
            Task task = std::move(posted_.front());
            posted_.pop_front();
            task();
        }
    }
    // Moves time forward, firing each due timer at its own time and running
    // the posted tasks after each.
    void advance(double seconds)
    {
        runPending();
        fireDueTimers(seconds, true);
    }
    // Moves time forward and fires the due timers, but runs no posted task:
    // what a timer posts waits behind whatever was posted before it.
    void fireTimers(double seconds) { fireDueTimers(seconds, false); }
    std::size_t armedTimerCount() const { return timers_->size(); }

private:
    // By due time, then in order of arming; shared with the timers, which
    // may outlive the clock.
    using TimerQueue = std::map<std::pair<std::int64_t, std::uint64_t>, Task>;

    class Timer final : public OneShotTimer {
    public:
        Timer(std::weak_ptr<TimerQueue> queue, TimerQueue::key_type key) : queue_(std::move(queue)), key_(key) {}
        ~Timer() override { invalidate(); }
        void invalidate() override
        {
            if (auto queue = queue_.lock())
                queue->erase(key_);
        }

    private:
        std::weak_ptr<TimerQueue> queue_;
        TimerQueue::key_type key_;
    };

    void fireDueTimers(double seconds, bool runningPosted)
    {
        const std::int64_t endMs = nowMs_ + std::llround(seconds * 1000.0);
        while (!timers_->empty() && timers_->begin()->first.first <= endMs) {
            auto due = timers_->begin();
            nowMs_ = due->first.first;
            Task task = std::move(due->second);
            timers_->erase(due);
            task();
            if (runningPosted)
                runPending();
        }
        nowMs_ = endMs;
    }

    std::int64_t nowMs_ = 0;
    std::uint64_t nextSequence_ = 0;
    std::deque<Task> posted_;
    std::shared_ptr<TimerQueue> timers_ = std::make_shared<TimerQueue>();
};

} // namespace tunara::testing
