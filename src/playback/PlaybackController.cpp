#include "PlaybackController.h"

#include "StartTrace.h"
#include "common/Diagnostics.h"
#include "common/DisplayText.h"

#include <algorithm>

namespace tunara {

PlaybackController::PlaybackController(PlaybackEnvironment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment))
{
    setupNetworkMonitor();
    setupWakeObserver();
}

PlaybackController::~PlaybackController()
{
    if (networkMonitor_)
        networkMonitor_->cancel();
    wakeObserver_.reset();
}

void PlaybackController::postWeakly(std::function<void(PlaybackController&)> task)
{
    environment_.scheduler->post([weak = lifetime_.weak(), self = this, task = std::move(task)] {
        if (weak.lock())
            task(*self);
    });
}

namespace {

// A controller timer: its work runs as a main-loop task after it fires, and
// only if the timer has not been invalidated or replaced in between, so a
// report handled after the firing but before the task (a stream that
// started playing in the same loop turn) wins.
class GuardedTimer final : public OneShotTimer {
public:
    GuardedTimer(std::unique_ptr<OneShotTimer> timer, std::shared_ptr<bool> armed)
        : timer_(std::move(timer))
        , armed_(std::move(armed))
    {
    }
    ~GuardedTimer() override { *armed_ = false; }
    void invalidate() override
    {
        *armed_ = false;
        timer_->invalidate();
    }

private:
    std::unique_ptr<OneShotTimer> timer_;
    std::shared_ptr<bool> armed_;
};

} // namespace

std::unique_ptr<OneShotTimer> PlaybackController::armTimer(double seconds,
                                                           std::function<void(PlaybackController&)> task)
{
    auto armed = std::make_shared<bool>(true);
    auto timer = environment_.scheduler->startTimer(seconds, [weak = lifetime_.weak(), self = this, armed, task] {
        if (weak.lock() && *armed) {
            self->postWeakly([armed, task](PlaybackController& controller) {
                if (*armed)
                    task(controller);
            });
        }
    });
    return std::make_unique<GuardedTimer>(std::move(timer), std::move(armed));
}

void PlaybackController::setStatus(PlayingStatus status)
{
    if (status_ == status)
        return;
    status_ = status;
    if (status_ == PlayingStatus::playing)
        trace::mark("playing");
    emit statusChanged(status_);
}

void PlaybackController::setTrack(const std::optional<Track>& track)
{
    if (track_ == track)
        return;
    track_ = track;
    emit trackChanged();
}

void PlaybackController::setVolume(double volume)
{
    volume = std::clamp(volume, 0.0, 1.0);
    if (volume == volume_)
        return;
    volume_ = volume;
    if (session_)
        session_->setVolume(volume);
    emit volumeChanged(volume_);
}

PlayingStatus PlaybackController::waitingStatus() const
{
    return hasEverPlayed_ ? PlayingStatus::buffering : PlayingStatus::loading;
}

void PlaybackController::play(const QUrl& url, const QString& name, bool resetRetryState)
{
    trace::mark("play");
    releaseSession();
    currentStationName_ = cleanDisplayText(name);
    currentStationURL_ = url;
    isUserPaused_ = false;
    if (resetRetryState) {
        retryCount_ = 0;
        hasEverPlayed_ = false;
        failureMessage_.clear();
    }
    setTrack(std::nullopt);
    setStreamDetails({});
    setStatus(waitingStatus());
    // The desktop is shown the new station at once.
    publishNowPlaying();
    // The session reports on the main loop, never before start() returns,
    // and nothing once it is released.
    session_ = environment_.mediaBackend->start(url, currentStationName_, volume_,
                                                [this](const SessionEvent& event) { handleEvent(event); });
    if (session_ && fade_ < 1.0)
        session_->setFade(fade_);
}

void PlaybackController::releaseSession()
{
    for (auto* timer : {&pauseTimer_, &stallTimer_, &retryTimer_}) {
        if (*timer)
            (*timer)->invalidate();
        timer->reset();
    }
    session_.reset();
    sessionFailed_ = false;
}

void PlaybackController::stop()
{
    releaseSession();
    setStatus(PlayingStatus::paused);
    setTrack(std::nullopt);
    clearNowPlaying();
}

void PlaybackController::pause()
{
    isUserPaused_ = true;
    cancelStallAndRetryTimers();
    if (pauseTimer_)
        pauseTimer_->invalidate();
    if (session_)
        session_->pause();
    setStatus(PlayingStatus::paused);
    publishNowPlaying();
    pauseTimer_ = armTimer(pauseTimeout, [](PlaybackController& self) { self.stop(); });
}

void PlaybackController::resume()
{
    isUserPaused_ = false;
    if (pauseTimer_)
        pauseTimer_->invalidate();
    pauseTimer_.reset();
    if (session_)
        session_->play();
    setStatus(PlayingStatus::playing);
    publishNowPlaying();
}

void PlaybackController::publishNowPlaying()
{
    // Before any station has started there is nothing to show: a media key
    // pressed then must not publish a nameless paused player.
    if (!currentStationURL_)
        return;
    // Connecting and rebuffering show what the user asked for: playing.
    const bool playing = status_ != PlayingStatus::paused && status_ != PlayingStatus::error;
    nowPlaying_ = NowPlaying{track_, currentStationName_, playing};
    emit nowPlayingChanged();
}

void PlaybackController::clearNowPlaying()
{
    nowPlaying_.reset();
    emit nowPlayingChanged();
}

void PlaybackController::handleEvent(const SessionEvent& event)
{
    if (const auto* state = std::get_if<SessionState>(&event))
        handleState(*state);
    else if (const auto* title = std::get_if<StreamTitle>(&event))
        handleTitle(*title);
    else if (const auto* failure = std::get_if<PlaybackFailure>(&event))
        handleFailure(*failure);
    else if (const auto* mixer = std::get_if<MixerVolume>(&event))
        handleMixerVolume(mixer->volume);
    else if (const auto* details = std::get_if<StreamDetails>(&event))
        setStreamDetails(*details);
}

void PlaybackController::setFade(double gain)
{
    fade_ = gain;
    if (session_)
        session_->setFade(gain);
}

void PlaybackController::setStreamDetails(const StreamDetails& details)
{
    if (details == streamDetails_)
        return;
    streamDetails_ = details;
    emit streamDetailsChanged();
}

void PlaybackController::handleState(SessionState state)
{
    if (isUserPaused_)
        return;
    switch (state) {
    case SessionState::connecting:
        if (status_ != PlayingStatus::playing)
            setStatus(waitingStatus());
        return;
    case SessionState::buffering:
        writeDiagnosticLine(QStringLiteral("Stream buffering/stalled, waiting..."));
        setStatus(waitingStatus());
        startStallTimer(hasEverPlayed_ ? stallTimeout : initialBufferTimeout);
        return;
    case SessionState::playing:
        cancelStallAndRetryTimers();
        retryCount_ = 0;
        hasEverPlayed_ = true;
        setStatus(PlayingStatus::playing);
        publishNowPlaying();
        return;
    case SessionState::paused:
        // Paused by itself while it played: it stalls.
        if (status_ == PlayingStatus::playing) {
            setStatus(PlayingStatus::buffering);
            startStallTimer(stallTimeout);
        }
        return;
    }
}

void PlaybackController::handleTitle(const StreamTitle& title)
{
    // Text from the stream is never trusted: it is cleaned before it is
    // stored or published. A title of white space keeps the current track.
    const std::optional<Track> track = parseStreamTitle(cleanDisplayText(title.text));
    if (!track)
        return;
    setTrack(track);
    publishNowPlaying();
}

void PlaybackController::handleFailure(const PlaybackFailure& failure)
{
    sessionFailed_ = true;
    failureMessage_ = failure.message;
    if (isUserPaused_)
        return;
    if (failure.isFinal()) {
        writeDiagnosticLine(QStringLiteral("Unrecoverable stream error: ") + failure.message);
        cancelStallAndRetryTimers();
        setStatus(PlayingStatus::error);
        publishNowPlaying();
        return;
    }
    // Never retried directly: the stall timer decides between a retry and
    // giving up.
    setStatus(waitingStatus());
    startStallTimer(hasEverPlayed_ ? stallTimeout : initialBufferTimeout);
}

void PlaybackController::handleMixerVolume(double volume)
{
    // The session already plays at it.
    if (volume == volume_)
        return;
    volume_ = volume;
    emit volumeChanged(volume_);
}

} // namespace tunara
