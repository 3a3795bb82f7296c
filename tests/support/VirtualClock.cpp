#include "VirtualClock.h"

#include <cmath>

namespace tunara::testing {

class VirtualClock::Timer final : public OneShotTimer {
public:
    Timer(std::weak_ptr<TimerQueue> queue, TimerQueue::key_type key)
        : queue_(std::move(queue))
        , key_(key)
    {
    }
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

VirtualClock::VirtualClock()
    : timers_(std::make_shared<TimerQueue>())
{
}

VirtualClock::~VirtualClock() = default;

void VirtualClock::post(Task task)
{
    posted_.push_back(std::move(task));
}

std::unique_ptr<OneShotTimer> VirtualClock::startTimer(double seconds, Task task)
{
    const auto dueMs = nowMs_ + static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    const TimerQueue::key_type key{dueMs, nextSequence_++};
    timers_->emplace(key, Armed{std::move(task)});
    return std::make_unique<Timer>(timers_, key);
}

void VirtualClock::runPending()
{
    while (!posted_.empty()) {
        Task task = std::move(posted_.front());
        posted_.pop_front();
        task();
    }
}

void VirtualClock::advance(double seconds)
{
    runPending();
    fireDueTimers(seconds, true);
}

void VirtualClock::fireTimers(double seconds)
{
    fireDueTimers(seconds, false);
}

void VirtualClock::fireDueTimers(double seconds, bool runningPosted)
{
    const std::int64_t endMs = nowMs_ + static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    while (!timers_->empty() && timers_->begin()->first.first <= endMs) {
        auto due = timers_->begin();
        nowMs_ = due->first.first;
        Task task = std::move(due->second.task);
        timers_->erase(due);
        task();
        if (runningPosted)
            runPending();
    }
    nowMs_ = endMs;
}

} // namespace tunara::testing
