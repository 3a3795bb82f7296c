#pragma once

#include "Scheduler.h"

#include <QObject>

#include <memory>

namespace tunara {

class PlaybackController;

// Stops the player after a chosen time, as a user's Stop would, the sound
// fading out over the last fadeSeconds inside the player (the volume the
// user set, which the mixer shows and the settings keep, stays). A pause or
// stop by the user cancels it; a change of station keeps it. Wakes the main
// loop once a minute, and each second while it fades.
class SleepTimer final : public QObject {
    Q_OBJECT

public:
    static constexpr double fadeSeconds = 30;

    SleepTimer(PlaybackController& player, Scheduler& scheduler, QObject* parent = nullptr);
    ~SleepTimer() override;

    void start(double seconds);
    void cancel();
    bool isRunning() const { return timer_ != nullptr; }
    // Whole minutes left, rounded up; 0 when not running.
    int remainingMinutes() const;

signals:
    // Started, cancelled, ended, or a minute less.
    void changed();

private:
    void armNextStep();
    void step(double seconds);
    void end();

    PlaybackController& player_;
    Scheduler& scheduler_;
    double remaining_ = 0; // seconds
    bool ending_ = false;
    std::unique_ptr<OneShotTimer> timer_;
};

} // namespace tunara
