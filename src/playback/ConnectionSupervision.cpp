// Connection supervision: the pause, stall and retry timers, the error
// classes that are never retried, and reconnection on network return and
// on wake from sleep.

#include "PlaybackController.h"

#include "Diagnostics.h"

#include <algorithm>
#include <cmath>

namespace tunara {

const std::unordered_set<long long>& PlaybackController::unrecoverableURLErrorCodes()
{
    static const std::unordered_set<long long> codes = {
        -1000, // bad URL
        -1002, // unsupported URL
        -1003, // cannot find host
        -1011, // bad server response
        -1013, // user authentication required
        -1100, // file does not exist
        -1102, // no permission to read file
        -1022, // transport security requires a secure connection
        -1200, // secure connection failed
        -1201, // server certificate has a bad date
        -1202, // server certificate untrusted
        -1203, // server certificate has an unknown root
        -1204, // server certificate not yet valid
    };
    return codes;
}

const std::unordered_set<long long>& PlaybackController::unrecoverableAVErrorCodes()
{
    static const std::unordered_set<long long> codes = {
        -11828, // file format not recognised
        -11853, // failed to parse
        -11833, // decoder not found
        -11863, // content is unavailable
        -11867, // no longer playable
    };
    return codes;
}

bool PlaybackController::isUnrecoverable(const MediaError* error)
{
    // Walk the chain of underlying errors to its end.
    for (; error; error = error->underlyingError.get()) {
        if (error->domain == NSURLErrorDomain && unrecoverableURLErrorCodes().contains(error->code))
            return true;
        if (error->domain == AVFoundationErrorDomain && unrecoverableAVErrorCodes().contains(error->code))
            return true;
    }
    return false;
}

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
    if (!currentStreamURL_)
        return;
    if (isUserPaused_ || retryTimer_)
        return;

    const std::int64_t attempts = retryCount_;
    if (attempts >= maxRetries) {
        writeDiagnosticLine(QStringLiteral("Max retries (%1) reached, giving up").arg(maxRetries));
        teardown();
        setStatus(PlayingStatus::error);
        return;
    }
    retryCount_ = attempts + 1;
    const double delay = std::min(retryBaseDelay * std::pow(2.0, static_cast<double>(attempts)), retryDelayCap);
    writeDiagnosticLine(QStringLiteral("Stream stalled, retry %1/%2 in %3s...")
                            .arg(retryCount_)
                            .arg(maxRetries)
                            .arg(delay, 0, 'f', 1));

    retryTimer_ = armTimer(delay, [url = *currentStreamURL_, name = currentStreamName_](PlaybackController& self) {
        self.play(url, name, false);
    });
}

void PlaybackController::setupNetworkMonitor()
{
    if (!environment_.makePathMonitor)
        return;
    pathMonitor_ = environment_.makePathMonitor();
    // The monitor may report on its own thread: hand each report to the
    // main loop.
    pathMonitor_->start([this, weak = lifetime_.weak()](bool available) {
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
    if (!available || wasAvailable || !currentStreamURL_ || isUserPaused_)
        return;
    if (status_ == PlayingStatus::loading || status_ == PlayingStatus::buffering || status_ == PlayingStatus::error)
        play(*currentStreamURL_, currentStreamName_, true);
}

void PlaybackController::handleWake()
{
    if (currentStreamURL_ && !isUserPaused_ && status_ != PlayingStatus::paused)
        play(*currentStreamURL_, currentStreamName_, true);
}

} // namespace tunara
