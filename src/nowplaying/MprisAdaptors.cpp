#include "MprisAdaptors.h"

#include "MprisService.h"

namespace tunara {

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service)
    , service_(service)
{
}

void MprisRootAdaptor::Raise()
{
    service_.raise();
}

void MprisRootAdaptor::Quit()
{
    service_.quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service)
    , service_(service)
{
}

double MprisPlayerAdaptor::volume() const
{
    return service_.volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    service_.setVolume(volume);
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return service_.playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return service_.metadata();
}

void MprisPlayerAdaptor::Play()
{
    service_.play();
}

void MprisPlayerAdaptor::Pause()
{
    service_.pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    service_.playPause();
}

void MprisPlayerAdaptor::Stop()
{
    service_.stop();
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
