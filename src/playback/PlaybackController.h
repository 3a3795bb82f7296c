#pragma once

#include "MediaBackend.h"
#include "PlaybackEnvironment.h"
#include "PlaybackTypes.h"
#include "Scheduler.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace tunara {

// Hears every real change of the controller's status and metadata.
class PlaybackControllerDelegate {
public:
    virtual ~PlaybackControllerDelegate() = default;
    virtual void didChangeStatus(PlayingStatus status) = 0;
    virtual void didChangeMetadata(const ParsedMetadata& metadata) = 0;
    // The volume was changed outside the player (the desktop's mixer).
    virtual void didChangeVolume(double /*volume*/) {}
};

// Turns a request to play a station into a running stream, follows the
// player, supervises the connection (stall, retry with back-off, pause
// time-out, network return, wake) and extracts the track text.
//
// The implementation is split by concern:
//   PlaybackController.cpp     set-up, teardown, user operations, observers
//   ConnectionSupervision.cpp  timers, retries, error classes, network, wake
//   StreamMetadata.cpp         choosing, loading and splitting track text
class PlaybackController final : public MetadataOutputPushDelegate {
public:
    explicit PlaybackController(PlaybackEnvironment environment);
    ~PlaybackController() override;

    PlaybackController(const PlaybackController&) = delete;
    PlaybackController& operator=(const PlaybackController&) = delete;

    // The delegate is held weakly: it must outlive the controller or be
    // cleared (set to nullptr) before it goes away.
    void setDelegate(PlaybackControllerDelegate* delegate) { delegate_ = delegate; }
    PlaybackControllerDelegate* delegate() const { return delegate_; }

    PlayingStatus status() const { return status_; }
    const ParsedMetadata& metadata() const { return metadata_; }
    const std::shared_ptr<Player>& player() const { return player_; }

    // The application's volume (0 to 1, cubic), for this and every later player.
    double volume() const;
    void setVolume(double volume);

    void play(const QUrl& url, const QString& name, bool resetRetryState);
    void pause();
    void resume();
    void stop();
    void teardown();

    // Supervision.
    void startStallTimer(double seconds);
    void cancelStallAndRetryTimers();
    void handleStall();
    static bool isUnrecoverable(const MediaError* error);
    void handleNetworkChange(bool available);
    void handleWake();

    // Stream metadata.
    void metadataOutput(const std::shared_ptr<MetadataOutput>& output,
                        const std::vector<TimedMetadataGroup>& groups) override;
    static std::shared_ptr<MetadataItem> selectMetadataItem(const std::vector<TimedMetadataGroup>& groups);
    static ParsedMetadata parseStreamTitle(const std::optional<QString>& raw);

    static constexpr double pauseTimeout = 300.0;
    static constexpr double initialBufferTimeout = 25.0;
    static constexpr double stallTimeout = 15.0;
    static constexpr std::int64_t maxRetries = 5;
    static constexpr double retryBaseDelay = 15.0;
    static constexpr double retryDelayCap = 60.0;

    static const std::unordered_set<long long>& unrecoverableURLErrorCodes();
    static const std::unordered_set<long long>& unrecoverableAVErrorCodes();

    // Read-only views of the supervision state, for the owner and for tests.
    std::int64_t retryCount() const { return retryCount_; }
    bool hasEverPlayed() const { return hasEverPlayed_; }
    bool isUserPaused() const { return isUserPaused_; }
    bool isNetworkAvailable() const { return isNetworkAvailable_; }
    bool hasPauseTimer() const { return pauseTimer_ != nullptr; }
    bool hasStallTimer() const { return stallTimer_ != nullptr; }
    bool hasRetryTimer() const { return retryTimer_ != nullptr; }
    const QString& currentStreamName() const { return currentStreamName_; }
    const std::optional<QUrl>& currentStreamURL() const { return currentStreamURL_; }

private:
    void setStatus(PlayingStatus status);
    void setMetadata(const ParsedMetadata& metadata);
    PlayingStatus waitingStatus() const;
    void refreshNowPlaying(bool isPlaying);
    void installObservers();

    void handleItemStatus(ItemStatus itemStatus);
    void handleBufferEmptyChange();
    void handleLikelyToKeepUpChange(std::optional<bool> newValue);
    void handleTimeControlStatus(TimeControlStatus timeControlStatus);
    void handleMetadataValue(std::shared_ptr<MetadataItem> item, std::shared_ptr<MetadataOutput> output);

    void setupNetworkMonitor();
    void setupWakeObserver();

    // Runs task on the main loop later, if the controller still exists then.
    void postWeakly(std::function<void(PlaybackController&)> task);
    std::unique_ptr<OneShotTimer> armTimer(double seconds, std::function<void(PlaybackController&)> task);

    PlaybackEnvironment environment_;
    LifetimeToken lifetime_;

    PlaybackControllerDelegate* delegate_ = nullptr;
    PlayingStatus status_ = PlayingStatus::paused;
    ParsedMetadata metadata_;
    std::shared_ptr<Player> player_;
    std::shared_ptr<PlayerItem> playerItem_;
    std::shared_ptr<MetadataOutput> metadataCollector_;
    std::unique_ptr<Observation> itemStatusObserver_;
    std::unique_ptr<Observation> timeControlStatusObserver_;
    std::unique_ptr<Observation> bufferEmptyObserver_;
    std::unique_ptr<Observation> likelyToKeepUpObserver_;
    QString currentStreamName_;
    std::optional<QUrl> currentStreamURL_;
    std::unique_ptr<OneShotTimer> pauseTimer_;
    std::unique_ptr<OneShotTimer> stallTimer_;
    std::unique_ptr<OneShotTimer> retryTimer_;
    bool isUserPaused_ = false;
    std::int64_t retryCount_ = 0;
    bool hasEverPlayed_ = false;
    std::unique_ptr<NetworkPathMonitor> pathMonitor_;
    bool isNetworkAvailable_ = true;
    std::unique_ptr<WakeNotifier::Registration> wakeObserver_;
    std::unique_ptr<Observation> volumeObserver_;
};

} // namespace tunara
