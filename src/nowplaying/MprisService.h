#pragma once

#include "ArtworkFiles.h"
#include "MprisTypes.h"
#include "NowPlayingManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QMultiHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <tuple>

namespace tunara {

class MprisPlaylistsAdaptor;
class Store;

// Exports the now-playing state and the remote commands as an MPRIS2 media
// player (org.mpris.MediaPlayer2.tunara) on a D-Bus connection, with the
// stations as playlists. It only translates: the published state lives in
// the NowPlayingManager, the station list in the Store. Station artwork
// files are drawn when a client first needs them.
class MprisService final : public QObject {
    Q_OBJECT

public:
    static inline const QString serviceName = QStringLiteral("org.mpris.MediaPlayer2.tunara");
    static inline const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");

    // Registers the object and the name; the playlists follow the
    // manager's Store. Artwork files go to artworkDirectory() as it is now.
    MprisService(NowPlayingManager& manager, QDBusConnection connection);
    ~MprisService() override;

    // False when the object or the name could not be registered.
    bool isRegistered() const { return registered_; }
    NowPlayingManager& manager() const { return manager_; }

    // Current values of the exported properties.
    QString playbackStatus() const;
    QVariantMap metadata();
    uint playlistCount();
    mpris::MaybePlaylist activePlaylist();
    // The Store's volume; 1 before there is a Store.
    double volume() const;
    void setVolume(double volume);

    // GetPlaylists: a part of the list, from its end when reverseOrder. The
    // icons of the stations in it that are not drawn yet are drawn, and each
    // is announced with PlaylistChanged once its file exists.
    QList<mpris::Playlist> playlists(uint index, uint maxCount, bool reverseOrder);

    // Follows the station list and the selection of store.
    void followStore(Store& store);

    // For the adaptors: plays the station of a playlist, or replies with an
    // error to message when there is no such playlist.
    void activatePlaylist(const QDBusObjectPath& playlist, const QDBusMessage& message);
    void replyWithError(const QDBusMessage& message, const QString& name, const QString& text);

private:
    void publishPlayerChanges();
    // Any number of changes of the Store in one turn of the main loop are
    // published once, on the next turn.
    void schedulePlaylistChanges(bool listChanged);
    void publishPlaylistChanges();
    void rebuildPlaylists(QVariantMap& changed);
    const QList<mpris::Playlist>& currentPlaylists();
    void artworkWritten(const QString& stationName);
    QString iconOf(const QString& stationName);
    void sendPropertiesChanged(const QString& interface, const QVariantMap& changed);

    // What makes a track distinct: title, artist, station.
    using TrackKey = std::tuple<QString, std::optional<QString>, QString>;

    NowPlayingManager& manager_;
    QDBusConnection connection_;
    bool registered_ = false;
    MprisPlaylistsAdaptor* playlistsAdaptor_ = nullptr;
    ArtworkFiles artworkFiles_;

    quint64 trackNumber_ = 0;
    std::optional<TrackKey> currentTrack_;
    QString sentPlaybackStatus_;
    QVariantMap sentMetadata_;

    QPointer<Store> store_;
    // The published list, the name each icon is drawn from, and where each
    // name stands in the list.
    QList<mpris::Playlist> playlists_;
    QStringList playlistArtworkNames_;
    QMultiHash<QString, qsizetype> playlistIndexByName_;
    bool playlistChangesPosted_ = false;
    bool listChanged_ = false;
    mpris::MaybePlaylist sentActivePlaylist_;
};

} // namespace tunara
