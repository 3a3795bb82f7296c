#pragma once

// The three MPRIS2 interfaces of the exported object. Each forwards to the
// MprisService, which is its parent.

#include "MprisTypes.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>

namespace tunara {

class MprisService;

class MprisRootAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    explicit MprisRootAdaptor(MprisService& service);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Tunara"); }
    QString desktopEntry() const { return QStringLiteral("tunara"); }
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    MprisService& service_;
};

class MprisPlayerAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    explicit MprisPlayerAdaptor(MprisService& service);

    QString playbackStatus() const;
    QVariantMap metadata() const;
    double rate() const { return 1.0; }
    double volume() const;
    // Clamped to 0 to 1.
    void setVolume(double volume);
    qlonglong position() const { return 0; }
    // A live stream has no next track and no position.
    bool canGoNext() const { return false; }
    bool canGoPrevious() const { return false; }
    bool canPlay() const { return true; }
    bool canPause() const { return true; }
    bool canSeek() const { return false; }
    bool canControl() const { return true; }

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next() {}
    void Previous() {}
    void Seek(qlonglong /*offset*/) {}
    void SetPosition(const QDBusObjectPath& /*trackId*/, qlonglong /*position*/) {}
    void OpenUri(const QString& uri, const QDBusMessage& message);

private:
    MprisService& service_;
};

class MprisPlaylistsAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Playlists")
    Q_PROPERTY(uint PlaylistCount READ playlistCount)
    Q_PROPERTY(QStringList Orderings READ orderings)
    Q_PROPERTY(tunara::mpris::MaybePlaylist ActivePlaylist READ activePlaylist)

public:
    explicit MprisPlaylistsAdaptor(MprisService& service);

    uint playlistCount() const;
    QStringList orderings() const { return {QStringLiteral("User")}; }
    mpris::MaybePlaylist activePlaylist() const;

public slots:
    void ActivatePlaylist(const QDBusObjectPath& playlistId, const QDBusMessage& message);
    QList<tunara::mpris::Playlist> GetPlaylists(uint index, uint maxCount, const QString& order, bool reverseOrder,
                                                const QDBusMessage& message);

signals:
    void PlaylistChanged(const tunara::mpris::Playlist& playlist);

private:
    MprisService& service_;
};

} // namespace tunara
