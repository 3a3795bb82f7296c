#include "MprisAdaptors.h"

#include "MprisService.h"

namespace tunara {

namespace {

bool isEnabled(const MprisService& service, RemoteCommand command)
{
    return service.manager().isCommandEnabled(command);
}

void send(const MprisService& service, RemoteCommand command)
{
    service.manager().handleRemoteCommand(command);
}

} // namespace

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service)
    , service_(service)
{
}

void MprisRootAdaptor::Raise()
{
    service_.manager().requestRaise();
}

void MprisRootAdaptor::Quit()
{
    service_.manager().requestQuit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service)
    , service_(service)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return service_.playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return service_.metadata();
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return isEnabled(service_, RemoteCommand::nextTrack);
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return isEnabled(service_, RemoteCommand::previousTrack);
}

bool MprisPlayerAdaptor::canPlay() const
{
    return isEnabled(service_, RemoteCommand::play);
}

bool MprisPlayerAdaptor::canPause() const
{
    return isEnabled(service_, RemoteCommand::pause);
}

bool MprisPlayerAdaptor::canSeek() const
{
    return isEnabled(service_, RemoteCommand::changePlaybackPosition);
}

void MprisPlayerAdaptor::Play()
{
    send(service_, RemoteCommand::play);
}

void MprisPlayerAdaptor::Pause()
{
    send(service_, RemoteCommand::pause);
}

void MprisPlayerAdaptor::PlayPause()
{
    send(service_, RemoteCommand::togglePlayPause);
}

void MprisPlayerAdaptor::Stop()
{
    send(service_, RemoteCommand::stop);
}

void MprisPlayerAdaptor::OpenUri(const QString& /*uri*/, const QDBusMessage& message)
{
    service_.replyWithError(message, QStringLiteral("org.freedesktop.DBus.Error.NotSupported"),
                            QStringLiteral("Tunara does not open URIs from other programs"));
}

MprisPlaylistsAdaptor::MprisPlaylistsAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service)
    , service_(service)
{
}

uint MprisPlaylistsAdaptor::playlistCount() const
{
    return service_.playlistCount();
}

mpris::MaybePlaylist MprisPlaylistsAdaptor::activePlaylist() const
{
    return service_.activePlaylist();
}

void MprisPlaylistsAdaptor::ActivatePlaylist(const QDBusObjectPath& playlistId, const QDBusMessage& message)
{
    service_.activatePlaylist(playlistId, message);
}

QList<mpris::Playlist> MprisPlaylistsAdaptor::GetPlaylists(uint index, uint maxCount, const QString& order,
                                                           bool reverseOrder, const QDBusMessage& message)
{
    if (!orderings().contains(order)) {
        service_.replyWithError(message, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                QStringLiteral("Unsupported ordering: ") + mpris::busSafeText(order));
        return {};
    }
    return service_.playlists(index, maxCount, reverseOrder);
}

} // namespace tunara
