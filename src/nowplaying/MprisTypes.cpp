#include "MprisTypes.h"

#include <QDBusMetaType>
#include <QStringList>

#include <algorithm>

namespace tunara::mpris {

void registerTypes()
{
    qDBusRegisterMetaType<Playlist>();
    qDBusRegisterMetaType<QList<Playlist>>();
    qDBusRegisterMetaType<MaybePlaylist>();
}

QString busSafeText(const QString& text)
{
    // Most texts are safe as they are, and keep sharing their data.
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.isNull() || c.isSurrogate(); }))
        return text;
    // The UTF-8 round trip replaces unpaired surrogates.
    QString safe = QString::fromUtf8(text.toUtf8());
    safe.remove(QChar(u'\0'));
    return safe;
}

QVariantMap metadata(const NowPlaying& nowPlaying, const QDBusObjectPath& trackId, const QUrl& artUrl)
{
    // A live stream: no mpris:length.
    const std::optional<Track>& track = nowPlaying.track;
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId));
    map.insert(QStringLiteral("xesam:title"), busSafeText(track ? track->title : nowPlaying.station));
    if (track && track->artist)
        map.insert(QStringLiteral("xesam:artist"), QStringList{busSafeText(*track->artist)});
    map.insert(QStringLiteral("xesam:album"), busSafeText(nowPlaying.station));
    if (!artUrl.isEmpty())
        map.insert(QStringLiteral("mpris:artUrl"), artUrl.toString(QUrl::FullyEncoded));
    return map;
}

QDBusObjectPath trackPath(quint64 trackNumber)
{
    return QDBusObjectPath(QStringLiteral("/tunara/track/%1").arg(trackNumber));
}

QDBusObjectPath playlistPath(const QUuid& stationId)
{
    return QDBusObjectPath(QStringLiteral("/tunara/playlist/")
                           + QString::fromLatin1(stationId.toByteArray(QUuid::Id128)));
}

} // namespace tunara::mpris

using tunara::mpris::MaybePlaylist;
using tunara::mpris::Playlist;

QDBusArgument& operator<<(QDBusArgument& argument, const Playlist& playlist)
{
    argument.beginStructure();
    argument << playlist.id << playlist.name << playlist.icon;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Playlist& playlist)
{
    argument.beginStructure();
    argument >> playlist.id >> playlist.name >> playlist.icon;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MaybePlaylist& maybe)
{
    argument.beginStructure();
    argument << maybe.valid << maybe.playlist;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MaybePlaylist& maybe)
{
    argument.beginStructure();
    argument >> maybe.valid >> maybe.playlist;
    argument.endStructure();
    return argument;
}
