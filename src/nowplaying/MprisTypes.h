#pragma once

// Values of the MPRIS2 interfaces and their D-Bus marshalling.

#include "playback/PlaybackTypes.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QVariantMap>

namespace tunara::mpris {

// One playlist, D-Bus (oss): one per station.
struct Playlist {
    QDBusObjectPath id;
    QString name;
    QString icon;

    friend bool operator==(const Playlist& a, const Playlist& b)
    {
        return a.id == b.id && a.name == b.name && a.icon == b.icon;
    }
};

// The active playlist, D-Bus (b(oss)); invalid when nothing is selected.
struct MaybePlaylist {
    bool valid = false;
    Playlist playlist{QDBusObjectPath(QStringLiteral("/")), {}, {}};

    friend bool operator==(const MaybePlaylist& a, const MaybePlaylist& b)
    {
        return a.valid == b.valid && a.playlist == b.playlist;
    }
};

// Registers the types above with Qt D-Bus; safe to call more than once.
void registerTypes();

// Text as it may travel in a D-Bus string: NUL characters removed and
// unpaired surrogates replaced, so no station name or title can make a
// message invalid.
QString busSafeText(const QString& text);

// The Metadata map of what plays: the track's title, or else the station's
// name, the artist, and the station as the album; artUrl may be empty.
QVariantMap metadata(const NowPlaying& nowPlaying, const QDBusObjectPath& trackId, const QUrl& artUrl);
QDBusObjectPath trackPath(quint64 trackNumber);
QDBusObjectPath playlistPath(const QUuid& stationId);

} // namespace tunara::mpris

QDBusArgument& operator<<(QDBusArgument& argument, const tunara::mpris::Playlist& playlist);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::mpris::Playlist& playlist);
QDBusArgument& operator<<(QDBusArgument& argument, const tunara::mpris::MaybePlaylist& maybe);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::mpris::MaybePlaylist& maybe);

Q_DECLARE_METATYPE(tunara::mpris::Playlist)
Q_DECLARE_METATYPE(tunara::mpris::MaybePlaylist)
