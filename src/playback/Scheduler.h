#pragma once

#include <functional>
#include <memory>

namespace tunara {

// A one-shot timer armed through a Scheduler. Destroying it, or calling
// invalidate(), guarantees the task will not run. A timer that has fired
// stays a valid object until its owner clears it.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    virtual void invalidate() = 0;
};

// The one seam through which the player's logic reaches the main loop.
// Everything runs on the main thread: post() hands a task to the main loop
// (it may be called from any thread); startTimer() arms a one-shot timer
// on the main loop (main thread only).
class Scheduler {
public:
    using Task = std::function<void()>;

    virtual ~Scheduler() = default;
    virtual void post(Task task) = 0;
    [[nodiscard]] virtual std::unique_ptr<OneShotTimer> startTimer(double seconds, Task task) = 0;
};

// Lets callbacks hold their owner weakly: the owner keeps a LifetimeToken,
// callbacks capture token.weak() and do nothing once it has expired.
class LifetimeToken {
public:
    std::weak_ptr<void> weak() const { return alive_; }

private:
    std::shared_ptr<void> alive_ = std::make_shared<char>(0);
};

} // namespace tunara
