#include "PlaybackController.h"

#include "Diagnostics.h"
#include "DisplayText.h"
#include "StartTrace.h"

#include <algorithm>

namespace tunara {

PlaybackController::PlaybackController(PlaybackEnvironment environment)
    : environment_(std::move(environment))
{
    // The first access creates the publisher, which registers the system's
    // media controls before any station plays.
    environment_.nowPlaying();
    setupNetworkMonitor();
    setupWakeObserver();
    volumeObserver_ = environment_.mediaBackend->observeVolume([this](double volume) {
        if (delegate_)
            delegate_->didChangeVolume(volume);
    });
}

double PlaybackController::volume() const
{
    return environment_.mediaBackend->volume();
}

void PlaybackController::setVolume(double volume)
{
    environment_.mediaBackend->setVolume(std::clamp(volume, 0.0, 1.0));
}

PlaybackController::~PlaybackController()
{
    volumeObserver_.reset();
    if (pathMonitor_)
        pathMonitor_->cancel();
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
    // The timer's own callback only hands the work to a main-loop task, so a
    // timer firing never runs controller code re-entrantly.
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
    if (delegate_)
        delegate_->didChangeStatus(status_);
}

void PlaybackController::setMetadata(const ParsedMetadata& metadata)
{
    if (metadata_ == metadata)
        return;
    metadata_ = metadata;
    if (delegate_)
        delegate_->didChangeMetadata(metadata_);
}

PlayingStatus PlaybackController::waitingStatus() const
{
    return hasEverPlayed_ ? PlayingStatus::buffering : PlayingStatus::loading;
}

void PlaybackController::play(const QUrl& url, const QString& name, bool resetRetryState)
{
    trace::mark("play");
    teardown();
    currentStreamName_ = cleanDisplayText(name);
    currentStreamURL_ = url;
    isUserPaused_ = false;
    if (resetRetryState) {
        retryCount_ = 0;
        hasEverPlayed_ = false;
    }
    setMetadata(ParsedMetadata::placeholder());
    setStatus(waitingStatus());

    MediaBackend& backend = *environment_.mediaBackend;
    metadataCollector_ = backend.makeMetadataOutput();
    metadataCollector_->setDelegate(this, lifetime_.weak());

    playerItem_ = backend.makePlayerItem(url);
    playerItem_->setDisplayName(currentStreamName_);
    playerItem_->setPreferredForwardBufferDuration(0);
    playerItem_->setCanUseNetworkResourcesForLiveStreamingWhilePaused(true);
    playerItem_->addOutput(metadataCollector_);

    player_ = backend.makePlayer(playerItem_);
    player_->setAutomaticallyWaitsToMinimizeStalling(true);

    installObservers();
}

void PlaybackController::installObservers()
{
    // Each handler captures its object weakly and hands the change to a
    // main-loop task, which ignores it unless the object is still current.
    const std::weak_ptr<PlayerItem> item = playerItem_;
    const std::weak_ptr<Player> player = player_;
    const auto isCurrentItem = [item](const PlaybackController& self) {
        const auto observed = item.lock();
        return observed && observed == self.playerItem_;
    };

    itemStatusObserver_ = playerItem_->observeStatus([this, item, isCurrentItem](std::optional<ItemStatus> change) {
        postWeakly([item, isCurrentItem, change](PlaybackController& self) {
            if (!isCurrentItem(self))
                return;
            self.handleItemStatus(change.value_or(self.playerItem_->status()));
        });
    });
    bufferEmptyObserver_ = playerItem_->observePlaybackBufferEmpty([this, isCurrentItem](std::optional<bool>) {
        postWeakly([isCurrentItem](PlaybackController& self) {
            if (isCurrentItem(self))
                self.handleBufferEmptyChange();
        });
    });
    likelyToKeepUpObserver_ =
        playerItem_->observePlaybackLikelyToKeepUp([this, isCurrentItem](std::optional<bool> change) {
            postWeakly([isCurrentItem, change](PlaybackController& self) {
                if (isCurrentItem(self))
                    self.handleLikelyToKeepUpChange(change);
            });
        });
    timeControlStatusObserver_ =
        player_->observeTimeControlStatus([this, player](std::optional<TimeControlStatus> change) {
            postWeakly([player, change](PlaybackController& self) {
                const auto observed = player.lock();
                if (!observed || observed != self.player_)
                    return;
                self.handleTimeControlStatus(change.value_or(observed->timeControlStatus()));
            });
        });
}

void PlaybackController::teardown()
{
    for (auto* timer : {&pauseTimer_, &stallTimer_, &retryTimer_}) {
        if (*timer)
            (*timer)->invalidate();
        timer->reset();
    }
    for (auto* observer :
         {&itemStatusObserver_, &timeControlStatusObserver_, &bufferEmptyObserver_, &likelyToKeepUpObserver_}) {
        if (*observer)
            (*observer)->invalidate();
        observer->reset();
    }
    if (player_) {
        player_->pause();
        player_->replaceCurrentItem(nullptr);
        player_.reset();
    }
    if (playerItem_ && metadataCollector_) {
        playerItem_->removeOutput(metadataCollector_);
        metadataCollector_->clearDelegate();
    }
    playerItem_.reset();
    metadataCollector_.reset();
}

void PlaybackController::stop()
{
    teardown();
    setStatus(PlayingStatus::paused);
    setMetadata(ParsedMetadata::placeholder());
    environment_.nowPlaying().clearNowPlaying();
}

void PlaybackController::pause()
{
    isUserPaused_ = true;
    cancelStallAndRetryTimers();
    if (pauseTimer_)
        pauseTimer_->invalidate();
    if (player_)
        player_->pause();
    setStatus(PlayingStatus::paused);
    refreshNowPlaying(false);
    pauseTimer_ = armTimer(pauseTimeout, [](PlaybackController& self) { self.stop(); });
}

void PlaybackController::resume()
{
    isUserPaused_ = false;
    if (pauseTimer_)
        pauseTimer_->invalidate();
    pauseTimer_.reset();
    if (player_)
        player_->play();
    setStatus(PlayingStatus::playing);
    refreshNowPlaying(true);
}

void PlaybackController::refreshNowPlaying(bool isPlaying)
{
    // Before any station has started there is nothing to show: a media key
    // pressed then must not publish a nameless paused player.
    if (!currentStreamURL_)
        return;
    NowPlayingPublisher& publisher = environment_.nowPlaying();
    if (metadata_.isPlaceholder())
        publisher.updateNowPlaying(currentStreamName_, std::nullopt, currentStreamName_, isPlaying);
    else
        publisher.updateNowPlaying(metadata_.title, metadata_.artist, currentStreamName_, isPlaying);
}

void PlaybackController::handleItemStatus(ItemStatus itemStatus)
{
    switch (itemStatus) {
    case ItemStatus::readyToPlay:
        if (isUserPaused_)
            return;
        if (status_ != PlayingStatus::playing)
            setStatus(waitingStatus());
        player_->play();
        refreshNowPlaying(false);
        return;
    case ItemStatus::failed: {
        if (isUserPaused_)
            return;
        const std::shared_ptr<const MediaError> error = playerItem_->error();
        if (isUnrecoverable(error.get())) {
            writeDiagnosticLine(QStringLiteral("Unrecoverable stream error: ") +
                                (error ? error->localizedDescription : QString()));
            cancelStallAndRetryTimers();
            setStatus(PlayingStatus::error);
        } else {
            setStatus(waitingStatus());
            startStallTimer(hasEverPlayed_ ? stallTimeout : initialBufferTimeout);
        }
        return;
    }
    case ItemStatus::unknown:
        if (status_ != PlayingStatus::playing)
            setStatus(waitingStatus());
        return;
    }
}

void PlaybackController::handleBufferEmptyChange()
{
    if (isUserPaused_ || !playerItem_->playbackBufferEmpty() || !hasEverPlayed_)
        return;
    setStatus(PlayingStatus::buffering);
    startStallTimer(stallTimeout);
}

void PlaybackController::handleLikelyToKeepUpChange(std::optional<bool> newValue)
{
    if (isUserPaused_ || !newValue.value_or(false))
        return;
    cancelStallAndRetryTimers();
    if (player_ && player_->rate() > 0) {
        hasEverPlayed_ = true;
        setStatus(PlayingStatus::playing);
    }
}

void PlaybackController::handleTimeControlStatus(TimeControlStatus timeControlStatus)
{
    if (isUserPaused_)
        return;
    switch (timeControlStatus) {
    case TimeControlStatus::paused:
        if (status_ == PlayingStatus::playing) {
            setStatus(PlayingStatus::buffering);
            startStallTimer(stallTimeout);
        }
        return;
    case TimeControlStatus::waitingToPlayAtSpecifiedRate:
        writeDiagnosticLine(QStringLiteral("Stream buffering/stalled, waiting..."));
        if (hasEverPlayed_) {
            setStatus(PlayingStatus::buffering);
            startStallTimer(stallTimeout);
        } else {
            setStatus(PlayingStatus::loading);
            startStallTimer(initialBufferTimeout);
        }
        return;
    case TimeControlStatus::playing:
        cancelStallAndRetryTimers();
        retryCount_ = 0;
        hasEverPlayed_ = true;
        setStatus(PlayingStatus::playing);
        refreshNowPlaying(true);
        return;
    }
}

} // namespace tunara
