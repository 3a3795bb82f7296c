#include "SleepTimer.h"

#include "PlaybackController.h"

#include <algorithm>
#include <cmath>

namespace tunara {

SleepTimer::SleepTimer(PlaybackController& player, Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , player_(player)
    , scheduler_(scheduler)
{
    connect(&player_, &PlaybackController::statusChanged, this, [this](PlayingStatus status) {
        if (status == PlayingStatus::paused && isRunning() && !ending_)
            cancel();
    });
}

SleepTimer::~SleepTimer() = default;

void SleepTimer::start(double seconds)
{
    remaining_ = std::max(seconds, 1.0);
    player_.setFade(1.0);
    armNextStep();
    emit changed();
}

void SleepTimer::cancel()
{
    if (!isRunning())
        return;
    timer_.reset();
    remaining_ = 0;
    player_.setFade(1.0);
    emit changed();
}

int SleepTimer::remainingMinutes() const
{
    return isRunning() ? int(std::ceil(remaining_ / 60.0 - 1e-9)) : 0;
}

void SleepTimer::armNextStep()
{
    // To the next whole minute, or to the fade; within it, a second at a time.
    double seconds = std::min(1.0, remaining_);
    if (remaining_ > fadeSeconds) {
        const double toMinute = std::fmod(remaining_, 60.0);
        seconds = std::min(remaining_ - fadeSeconds, toMinute > 0 ? toMinute : 60.0);
    }
    timer_ = scheduler_.startTimer(seconds, [this, seconds] { step(seconds); });
}

void SleepTimer::step(double seconds)
{
    remaining_ -= seconds;
    if (remaining_ <= 1e-9) {
        end();
        return;
    }
    // Cubic, as the desktop's volume sliders: an even fade to the ear.
    if (remaining_ <= fadeSeconds)
        player_.setFade(std::pow(remaining_ / fadeSeconds, 3.0));
    armNextStep();
    emit changed();
}

void SleepTimer::end()
{
    timer_.reset();
    remaining_ = 0;
    ending_ = true;
    player_.pause();
    ending_ = false;
    // Silent until then; the next station plays at the volume set.
    player_.setFade(1.0);
    emit changed();
}

} // namespace tunara
