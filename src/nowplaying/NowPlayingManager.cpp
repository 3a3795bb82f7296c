#include "NowPlayingManager.h"

#include "MprisService.h"

#include "model/Store.h"
#include "playback/Diagnostics.h"
#include "playback/QtScheduler.h"

#include <QCoreApplication>
#include <QDBusError>

namespace tunara {

NowPlayingManager::NowPlayingManager(Scheduler& scheduler, StoreAccess store, std::optional<QDBusConnection> bus)
    : scheduler_(scheduler)
    , store_(std::move(store))
{
    setupRemoteCommands(std::move(bus));
}

NowPlayingManager::~NowPlayingManager() = default;

NowPlayingManager& NowPlayingManager::shared()
{
    // Created once, on first access, and kept until the process ends.
    static NowPlayingManager* const manager = [] {
        return new NowPlayingManager(QtScheduler::mainLoop(), []() -> Store& { return Store::shared(); },
                                     QDBusConnection::sessionBus());
    }();
    return *manager;
}

void NowPlayingManager::setupRemoteCommands(std::optional<QDBusConnection> bus)
{
    // Each handler only hands its action to the main loop; the action finds
    // the Store when it runs.
    const auto postToStore = [this](std::function<void(Store&)> action) {
        return [this, action = std::move(action)] {
            scheduler_.post([store = store_, action] { action(store()); });
        };
    };
    commandHandlers_[RemoteCommand::play] = postToStore([](Store& store) {
        if (store.playingStatus() != PlayingStatus::playing)
            store.playStream();
    });
    commandHandlers_[RemoteCommand::pause] = postToStore([](Store& store) { store.playbackController().pause(); });
    // Stop pauses, so the station stays loaded and Play resumes it at once;
    // the desktop is shown the stop it asked for.
    commandHandlers_[RemoteCommand::stop] = postToStore([this](Store& store) {
        store.playbackController().pause();
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

void NowPlayingManager::updateNowPlaying(const QString& title, const std::optional<QString>& artist,
                                         const QString& stationName, bool isPlaying)
{
    NowPlayingInfo info;
    info.title = title;
    info.isLiveStream = true;
    info.playbackRate = isPlaying ? 1.0 : 0.0;
    info.mediaType = 1;
    info.artist = artist;
    info.albumTitle = stationName;
    info.artwork = artwork(stationName);
    nowPlayingInfo_ = std::move(info);
    playbackState_ = isPlaying ? NowPlayingPlaybackState::playing : NowPlayingPlaybackState::paused;
    emit nowPlayingChanged();
}

void NowPlayingManager::showStopped()
{
    if (!nowPlayingInfo_ || playbackState_ == NowPlayingPlaybackState::stopped)
        return;
    playbackState_ = NowPlayingPlaybackState::stopped;
    emit nowPlayingChanged();
}

void NowPlayingManager::clearNowPlaying()
{
    nowPlayingInfo_.reset();
    playbackState_ = NowPlayingPlaybackState::stopped;
    emit nowPlayingChanged();
}

std::shared_ptr<const artwork::MediaItemArtwork> NowPlayingManager::artwork(const QString& stationName)
{
    if (const auto cached = artworkCache_.constFind(stationName); cached != artworkCache_.cend())
        return *cached;
    auto made = std::make_shared<const artwork::MediaItemArtwork>(platformImage(stationName));
    artworkCache_.insert(stationName, made);
    return made;
}

std::shared_ptr<const artwork::StationImage> NowPlayingManager::platformImage(const QString& stationName)
{
    if (const auto cached = platformImageCache_.constFind(stationName); cached != platformImageCache_.cend())
        return *cached;
    auto made = std::make_shared<const artwork::StationImage>(stationName);
    platformImageCache_.insert(stationName, made);
    return made;
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
