#pragma once

#include "playback/Scheduler.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tunara {

class MprisService;
class Store;

// The desktop's playback states, with the platform's numbers.
enum class NowPlayingPlaybackState { playing = 1, paused = 2, stopped = 3 };

// The commands the desktop can send (media keys, its media controls).
enum class RemoteCommand {
    play,
    pause,
    stop,
    togglePlayPause,
    nextTrack,
    previousTrack,
    seekForward,
    seekBackward,
    skipForward,
    skipBackward,
    changePlaybackPosition,
};

enum class RemoteCommandResult { success = 0, commandDisabled = 1 };

// What the desktop's media widgets are shown.
struct NowPlayingInfo {
    QString title;                 // the track's, else the station's name
    std::optional<QString> artist; // absent, never empty, when there is none
    QString albumTitle;            // the station name
};

// Connects the player to the desktop's media controls: turns remote
// commands into operations on the Store, and shows what the player
// publishes. Everything here runs on the main thread; command handlers
// only post their action to the main loop and return.
class NowPlayingManager final : public QObject {
    Q_OBJECT

public:
    // The commands act on store, and what its player publishes is shown.
    // With a connected bus the MPRIS service is exported there; with a bus
    // that is not connected one diagnostic line is written and the manager
    // works without it.
    NowPlayingManager(Scheduler& scheduler, Store& store, std::optional<QDBusConnection> bus);
    ~NowPlayingManager() override;

    // Keeps what is published and shows the state as stopped, until the
    // next update or clear. Nothing happens when nothing is published.
    void showStopped();

    // What is published now: none after a clear and before the first update.
    const std::optional<NowPlayingInfo>& nowPlayingInfo() const { return nowPlayingInfo_; }
    NowPlayingPlaybackState playbackState() const { return playbackState_; }

    // Remote commands, as the desktop delivers them.
    bool isCommandEnabled(RemoteCommand command) const;
    RemoteCommandResult handleRemoteCommand(RemoteCommand command);

    // Desktop requests to end the program or show its panel. Each handler
    // runs later on the main loop; without a quit handler the application
    // quits, without a raise handler nothing happens.
    void setQuitHandler(std::function<void()> handler) { quitHandler_ = std::move(handler); }
    void setRaiseHandler(std::function<void()> handler) { raiseHandler_ = std::move(handler); }
    void requestQuit();
    void requestRaise();

    // The exported MPRIS service; null when there is no bus.
    MprisService* mprisService() const { return mprisService_.get(); }
    Store& store() const { return store_; }
    Scheduler& scheduler() const { return scheduler_; }

signals:
    // After every update or clear.
    void nowPlayingChanged();

private:
    void setupRemoteCommands(std::optional<QDBusConnection> bus);
    void followPlayer();

    Scheduler& scheduler_;
    Store& store_;
    std::map<RemoteCommand, std::function<void()>> commandHandlers_;
    std::map<RemoteCommand, bool> commandEnabled_;
    std::optional<NowPlayingInfo> nowPlayingInfo_;
    NowPlayingPlaybackState playbackState_ = NowPlayingPlaybackState::stopped;
    std::function<void()> quitHandler_;
    std::function<void()> raiseHandler_;
    std::unique_ptr<MprisService> mprisService_;
};

} // namespace tunara
