#include "NowPlayingManager.h"

#include "MprisService.h"

#include "model/Store.h"
#include "common/Diagnostics.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QPointer>

namespace tunara {

NowPlayingManager::NowPlayingManager(Scheduler& scheduler, Store& store, std::optional<QDBusConnection> bus)
    : scheduler_(scheduler)
    , store_(store)
{
    connect(&store_.player(), &PlaybackController::nowPlayingChanged, this, &NowPlayingManager::followPlayer);
    setupRemoteCommands(std::move(bus));
}

NowPlayingManager::~NowPlayingManager() = default;

void NowPlayingManager::setupRemoteCommands(std::optional<QDBusConnection> bus)
{
    // Each handler only hands its action to the main loop; the action finds
    // the Store when it runs.
    const auto postToStore = [this](std::function<void(Store&)> action) {
        return [this, action = std::move(action)] {
            scheduler_.post([store = QPointer<Store>(&store_), action] {
                if (store)
                    action(*store);
            });
        };
    };
    commandHandlers_[RemoteCommand::play] = postToStore([](Store& store) {
        if (store.playingStatus() != PlayingStatus::playing)
            store.playStream();
    });
    commandHandlers_[RemoteCommand::pause] = postToStore([](Store& store) { store.player().pause(); });
    // Stop pauses, so the station stays loaded and Play resumes it at once;
    // the desktop is shown the stop it asked for.
    commandHandlers_[RemoteCommand::stop] = postToStore([this](Store& store) {
        store.player().pause();
        showStopped();
    });
    commandHandlers_[RemoteCommand::togglePlayPause] = postToStore([](Store& store) { store.togglePlayPause(); });

    for (const RemoteCommand command :
         {RemoteCommand::play, RemoteCommand::pause, RemoteCommand::stop, RemoteCommand::togglePlayPause})
        commandEnabled_[command] = true;
    for (const RemoteCommand command :
         {RemoteCommand::nextTrack, RemoteCommand::previousTrack, RemoteCommand::seekForward,
          RemoteCommand::seekBackward, RemoteCommand::skipForward, RemoteCommand::skipBackward,
          RemoteCommand::changePlaybackPosition})
        commandEnabled_[command] = false;

    if (!bus)
        return;
    if (!bus->isConnected()) {
        // The player works as before; only the desktop cannot see it.
        writeDiagnosticLine(QStringLiteral("No session bus, desktop media controls unavailable: ")
                            + bus->lastError().message());
        return;
    }
    mprisService_ = std::make_unique<MprisService>(*this, *bus);
}

bool NowPlayingManager::isCommandEnabled(RemoteCommand command) const
{
    const auto found = commandEnabled_.find(command);
    return found != commandEnabled_.end() && found->second;
}

RemoteCommandResult NowPlayingManager::handleRemoteCommand(RemoteCommand command)
{
    const auto handler = commandHandlers_.find(command);
    if (!isCommandEnabled(command) || handler == commandHandlers_.end())
        return RemoteCommandResult::commandDisabled;
    handler->second();
    return RemoteCommandResult::success;
}

void NowPlayingManager::followPlayer()
{
    // Before the stream names a track, the station's name stands for it.
    const std::optional<NowPlaying>& published = store_.player().nowPlaying();
    if (!published) {
        nowPlayingInfo_.reset();
        playbackState_ = NowPlayingPlaybackState::stopped;
    } else {
        const std::optional<Track>& track = published->track;
        nowPlayingInfo_ = NowPlayingInfo{track ? track->title : published->station,
                                         track ? track->artist : std::nullopt, published->station};
        playbackState_ = published->playing ? NowPlayingPlaybackState::playing : NowPlayingPlaybackState::paused;
    }
    emit nowPlayingChanged();
}

void NowPlayingManager::showStopped()
{
    if (!nowPlayingInfo_ || playbackState_ == NowPlayingPlaybackState::stopped)
        return;
    playbackState_ = NowPlayingPlaybackState::stopped;
    emit nowPlayingChanged();
}

void NowPlayingManager::requestQuit()
{
    scheduler_.post([handler = quitHandler_] {
        if (handler)
            handler();
        else
            QCoreApplication::quit();
    });
}

void NowPlayingManager::requestRaise()
{
    scheduler_.post([handler = raiseHandler_] {
        if (handler)
            handler();
    });
}

} // namespace tunara
