// Connection supervision: the stall and retry timers, and reconnection on
// network return and on wake from sleep.

#include "PlaybackController.h"

#include "common/Diagnostics.h"

#include <algorithm>
#include <cmath>

namespace tunara {

void PlaybackController::startStallTimer(double seconds)
{
    if (stallTimer_)
        stallTimer_->invalidate();
    stallTimer_ = armTimer(seconds, [](PlaybackController& self) { self.handleStall(); });
}

void PlaybackController::cancelStallAndRetryTimers()
{
    if (stallTimer_)
        stallTimer_->invalidate();
    stallTimer_.reset();
    if (retryTimer_)
        retryTimer_->invalidate();
    retryTimer_.reset();
}

void PlaybackController::handleStall()
{
    if (!currentStationURL_)
        return;
    if (isUserPaused_ || retryTimer_)
        return;

    const std::int64_t attempts = retryCount_;
    if (attempts >= maxRetries) {
        writeDiagnosticLine(QStringLiteral("Max retries (%1) reached, giving up").arg(maxRetries));
        releaseSession();
        if (failureMessage_.isEmpty()) // it only ever stalled
            failureMessage_ = tunara::failureMessage(FailureReason::timedOut);
        setStatus(PlayingStatus::error);
        publishNowPlaying();
        return;
    }
    retryCount_ = attempts + 1;
    const double delay = std::min(retryBaseDelay * std::pow(2.0, static_cast<double>(attempts)), retryDelayCap);
    writeDiagnosticLine(QStringLiteral("Stream stalled, retry %1/%2 in %3s...")
                            .arg(retryCount_)
                            .arg(maxRetries)
                            .arg(delay, 0, 'f', 1));

    retryTimer_ = armTimer(delay, [url = *currentStationURL_, name = currentStationName_](PlaybackController& self) {
        self.play(url, name, false);
    });
}

void PlaybackController::setupNetworkMonitor()
{
    if (!environment_.makeNetworkMonitor)
        return;
    networkMonitor_ = environment_.makeNetworkMonitor();
    // The monitor may report on its own thread: hand each report to the
    // main loop.
    networkMonitor_->start([this, weak = lifetime_.weak()](bool available) {
        if (!weak.lock())
            return;
        postWeakly([available](PlaybackController& self) { self.handleNetworkChange(available); });
    });
}

void PlaybackController::setupWakeObserver()
{
    if (!environment_.wakeNotifier)
        return;
    wakeObserver_ = environment_.wakeNotifier->observeWake([this, weak = lifetime_.weak()] {
        if (!weak.lock())
            return;
        postWeakly([](PlaybackController& self) { self.handleWake(); });
    });
}

void PlaybackController::handleNetworkChange(bool available)
{
    const bool wasAvailable = isNetworkAvailable_;
    isNetworkAvailable_ = available;
    networkReported_ = true;
    const bool waiting =
        status_ == PlayingStatus::loading || status_ == PlayingStatus::buffering || status_ == PlayingStatus::error;
    if (available && !wasAvailable && currentStationURL_ && !isUserPaused_ && waiting)
        play(*currentStationURL_, currentStationName_, true);
    emit networkReported(available);
}

void PlaybackController::handleWake()
{
    if (currentStationURL_ && !isUserPaused_ && status_ != PlayingStatus::paused)
        play(*currentStationURL_, currentStationName_, true);
}

} // namespace tunara
