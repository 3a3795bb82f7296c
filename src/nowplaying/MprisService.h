#pragma once

#include "ArtworkFiles.h"
#include "MprisTypes.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <tuple>

namespace tunara {

class StationLogos;

class MprisPlaylistsAdaptor;
class Scheduler;
class Store;

// The player on the desktop's media widgets and keys: an MPRIS2 media
// player (org.mpris.MediaPlayer2.tunara) on a D-Bus connection, with the
// stations as playlists. It shows what the player publishes and reads the
// station list as it is; the commands act on the Store, each from a task of
// its own on the main loop. Station artwork files are drawn when a client
// first needs them.
class MprisService final : public QObject {
    Q_OBJECT

public:
    static inline const QString serviceName = QStringLiteral("org.mpris.MediaPlayer2.tunara");
    static inline const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");

    // Registers the object and the name. Artwork files go to
    // artworkDirectory() as it is now.
    MprisService(Store& store, Scheduler& scheduler, QDBusConnection connection);
    ~MprisService() override;

    // The service on a connected bus; none, with one diagnostic line, when
    // the bus is not connected: the player works as before, only the
    // desktop cannot see it.
    static std::unique_ptr<MprisService> publish(Store& store, Scheduler& scheduler, const QDBusConnection& bus);

    // False when the object or the name could not be registered.
    bool isRegistered() const { return registered_; }

    // The desktop asks to end the program or show its panel. Without a quit
    // handler the application quits; without a raise handler nothing happens.
    void setQuitHandler(std::function<void()> handler) { quitHandler_ = std::move(handler); }
    void setRaiseHandler(std::function<void()> handler) { raiseHandler_ = std::move(handler); }
    // The stations' logos, shown in place of the drawn artwork once their
    // pictures are ready.
    void setLogos(StationLogos* logos);

    // Current values of the exported properties.
    QString playbackStatus() const;
    QVariantMap metadata();
    uint playlistCount() const;
    mpris::MaybePlaylist activePlaylist();
    double volume() const;
    void setVolume(double volume);

    // GetPlaylists: a part of the list, from its end when reverseOrder. The
    // icons of the stations in it that are not drawn yet are drawn, and each
    // is announced with PlaylistChanged once its file exists.
    QList<mpris::Playlist> playlists(uint index, uint maxCount, bool reverseOrder);

    // The commands, as the adaptors receive them.
    void play();
    void pause();
    void playPause();
    // Pauses, so the station stays loaded and Play resumes it at once; the
    // desktop is shown the stop it asked for.
    void stop();
    void raise();
    void quit();
    // Plays the station of a playlist, or replies with an error to message
    // when there is no such playlist.
    void activatePlaylist(const QDBusObjectPath& playlist, const QDBusMessage& message);
    void replyWithError(const QDBusMessage& message, const QString& name, const QString& text);

private:
    void post(std::function<void(Store&)> action);
    void followPlayer();
    void publishPlayerChanges();
    // Any number of changes of the list, its names or the selection in one
    // turn of the main loop are published once, on the next turn.
    void schedulePlaylistChanges(bool listChanged, bool namesChanged = false);
    void publishPlaylistChanges();
    void stationsRenamed(int first, int last);
    mpris::Playlist playlistAt(int row);
    void artworkWritten(const QString& stationName);
    QString iconOf(const QString& stationName);
    void sendPropertiesChanged(const QString& interface, const QVariantMap& changed);

    Store& store_;
    Scheduler& scheduler_;
    QDBusConnection connection_;
    bool registered_ = false;
    MprisPlaylistsAdaptor* playlistsAdaptor_ = nullptr;
    ArtworkFiles artworkFiles_;
    StationLogos* logos_ = nullptr;
    std::function<void()> quitHandler_;
    std::function<void()> raiseHandler_;

    // Stopped at the desktop's request, until the player publishes again.
    bool showsStopped_ = false;
    // What makes a track distinct: title, artist, station.
    using TrackKey = std::tuple<QString, std::optional<QString>, QString>;
    quint64 trackNumber_ = 0;
    std::optional<TrackKey> currentTrack_;
    QString sentPlaybackStatus_;
    QVariantMap sentMetadata_;

    bool playlistChangesPosted_ = false;
    bool listChanged_ = false;
    bool namesChanged_ = false;
    mpris::MaybePlaylist sentActivePlaylist_;
};

} // namespace tunara
