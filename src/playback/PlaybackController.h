#pragma once

#include "PlaybackEnvironment.h"
#include "PlaybackSession.h"
#include "PlaybackTypes.h"
#include "Scheduler.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <memory>
#include <optional>

namespace tunara {

// The player: turns a request to play a station into a running session,
// follows what the session reports, supervises the connection (stall,
// retry with back-off, pause time-out, network return, wake) and keeps the
// status, the track and the volume, which everything else observes. Main
// thread only.
//
// The implementation is split by concern:
//   PlaybackController.cpp     starting and releasing sessions, user operations, session events
//   ConnectionSupervision.cpp  timers, retries, network, wake
class PlaybackController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(tunara::PlayingStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)

public:
    explicit PlaybackController(PlaybackEnvironment environment, QObject* parent = nullptr);
    ~PlaybackController() override;

    PlayingStatus status() const { return status_; }
    // Why the station failed, in the user's words; empty unless the status
    // is error.
    QString failureMessage() const { return status_ == PlayingStatus::error ? failureMessage_ : QString(); }
    // None until the stream names a track.
    const std::optional<Track>& track() const { return track_; }
    // A gain on top of the volume, inside the player, kept for the stations
    // played next: the sleep timer's fade.
    void setFade(double gain);
    // What the station's stream is; empty until it says, and for a new station.
    const StreamDetails& streamDetails() const { return streamDetails_; }
    // What the desktop's media widgets show; none before the first station
    // and after a stop.
    const std::optional<NowPlaying>& nowPlaying() const { return nowPlaying_; }

    // The volume, 0 to 1 on the cubic scale of the desktop's sliders: of the
    // session playing and of every later one.
    double volume() const { return volume_; }
    void setVolume(double volume);

    void play(const QUrl& url, const QString& name, bool resetRetryState);
    void pause();
    void resume();
    void stop();
    // A paused session that can continue where it stopped: it exists and
    // has not failed.
    bool canResume() const { return session_ && !sessionFailed_; }

    static constexpr double pauseTimeout = 300.0;
    static constexpr double initialBufferTimeout = 25.0;
    static constexpr double stallTimeout = 15.0;
    static constexpr std::int64_t maxRetries = 5;
    static constexpr double retryBaseDelay = 15.0;
    static constexpr double retryDelayCap = 60.0;

    // The supervision state, for tests.
    bool hasSession() const { return session_ != nullptr; }
    std::int64_t retryCount() const { return retryCount_; }
    bool hasEverPlayed() const { return hasEverPlayed_; }
    bool isUserPaused() const { return isUserPaused_; }
    bool isNetworkAvailable() const { return isNetworkAvailable_; }
    // The network monitor has reported a network (always, without one).
    bool hasReportedNetwork() const { return !networkMonitor_ || (networkReported_ && isNetworkAvailable_); }
    bool hasPauseTimer() const { return pauseTimer_ != nullptr; }
    bool hasStallTimer() const { return stallTimer_ != nullptr; }
    bool hasRetryTimer() const { return retryTimer_ != nullptr; }
    const QString& currentStationName() const { return currentStationName_; }
    const std::optional<QUrl>& currentStationURL() const { return currentStationURL_; }

    // Supervision entry points, public for the tests of their guards.
    void handleStall();
    void handleNetworkChange(bool available);
    void handleWake();

signals:
    void statusChanged(tunara::PlayingStatus status);
    void trackChanged();
    void streamDetailsChanged();
    // Every change, the desktop mixer's included.
    void volumeChanged(double volume);
    // Every publication, also of an unchanged value: each confirms the
    // station, the track and the playing state anew.
    void nowPlayingChanged();
    // Each report of the network monitor.
    void networkReported(bool available);

private:
    void setStatus(PlayingStatus status);
    void setTrack(const std::optional<Track>& track);
    PlayingStatus waitingStatus() const;
    void publishNowPlaying();
    void clearNowPlaying();
    void releaseSession();

    void handleEvent(const SessionEvent& event);
    void handleState(SessionState state);
    void handleTitle(const StreamTitle& title);
    void handleFailure(const PlaybackFailure& failure);
    void handleMixerVolume(double volume);
    void setStreamDetails(const StreamDetails& details);

    void startStallTimer(double seconds);
    void cancelStallAndRetryTimers();
    void setupNetworkMonitor();
    void setupWakeObserver();

    // Runs task on the main loop later, if the controller still exists then.
    void postWeakly(std::function<void(PlaybackController&)> task);
    std::unique_ptr<OneShotTimer> armTimer(double seconds, std::function<void(PlaybackController&)> task);

    PlaybackEnvironment environment_;
    LifetimeToken lifetime_;

    PlayingStatus status_ = PlayingStatus::paused;
    std::optional<Track> track_;
    StreamDetails streamDetails_;
    double fade_ = 1.0;
    std::optional<NowPlaying> nowPlaying_;
    double volume_ = 1.0;
    std::unique_ptr<PlaybackSession> session_;
    bool sessionFailed_ = false;
    // The last failure reported since the station was chosen.
    QString failureMessage_;
    QString currentStationName_;
    std::optional<QUrl> currentStationURL_;
    std::unique_ptr<OneShotTimer> pauseTimer_;
    std::unique_ptr<OneShotTimer> stallTimer_;
    std::unique_ptr<OneShotTimer> retryTimer_;
    bool isUserPaused_ = false;
    std::int64_t retryCount_ = 0;
    bool hasEverPlayed_ = false;
    std::unique_ptr<NetworkMonitor> networkMonitor_;
    bool isNetworkAvailable_ = true;
    bool networkReported_ = false;
    std::unique_ptr<WakeNotifier::Registration> wakeObserver_;
};

} // namespace tunara
