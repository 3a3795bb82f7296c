#pragma once

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <map>
#include <optional>

namespace tunara {

// The station artwork as PNG files in one folder, which MPRIS clients and
// desktop widgets load by file URL. A file is drawn only when it is first
// asked for, one at a time: a thread of Qt's global pool renders and
// encodes it and hands the bytes back to the main loop, which writes the
// file. A file already on disk is used as it is. Everything but the
// drawing runs on the main thread. Qt waits for the global pool before the
// application's fonts go away.
class ArtworkFiles final : public QObject {
    Q_OBJECT

public:
    // The folder is read the first time a file is looked up.
    explicit ArtworkFiles(QString directory);
    // Waits for the file being drawn, if any.
    ~ArtworkFiles() override;

    ArtworkFiles(const ArtworkFiles&) = delete;
    ArtworkFiles& operator=(const ArtworkFiles&) = delete;

    // The station's file URL when its file is on disk, else empty.
    QUrl url(const QString& stationName);
    // Draws the files of these stations that are not on disk yet; written()
    // follows each. The latest request is served first.
    void request(const QStringList& stationNames);
    // Removes the files of every station but these and those requested
    // from now on, and forgets requests for the others.
    void keepOnly(const QSet<QString>& stationNames);

    // The file name of a station: a cryptographic hash of the name, never
    // the name itself.
    static QString fileName(const QString& stationName);

signals:
    void written(const QString& stationName);

private:
    void readDirectory();
    void drawNext();
    void save(const QByteArray& png);
    // Empty when the file was written, else the reason it was not.
    QString write(const QString& file, const QByteArray& png);
    bool isKept(const QString& file) const;

    QString directory_;
    bool directoryRead_ = false;
    QSet<QString> filesOnDisk_;
    // File names to keep; none until keepOnly() is first called.
    std::optional<QSet<QString>> keptFiles_;
    // Stations waiting to be drawn, by request order: the last is drawn
    // next.
    std::map<quint64, QString> waiting_;
    QHash<QString, quint64> waitingOrder_;
    quint64 nextOrder_ = 0;
    std::optional<QString> drawing_;
    QFutureWatcher<QByteArray> drawn_;
    bool failing_ = false;
};

// The folder the PNG files go to: $XDG_CACHE_HOME/tunara/artwork.
QString artworkDirectory();

} // namespace tunara
