#include "TrackHistory.h"

#include "Store.h"
#include "common/Diagnostics.h"
#include "common/DisplayText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QThreadPool>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <utility>

namespace tunara {

namespace {

const QLatin1String tracksKey("tracks");
const QLatin1String timeKey("time");
const QLatin1String stationKey("station");
const QLatin1String artistKey("artist");
const QLatin1String titleKey("title");
// Times are kept to the second, within the years ISO 8601 writes in four
// digits.
QDateTime toTheSecond(const QDateTime& time)
{
    if (!time.isValid() || time.date().year() < 1 || time.date().year() > 9999)
        return {};
    QDateTime utc = time.toUTC();
    return utc.addMSecs(-utc.time().msec());
}

// Far larger than 500 entries of the longest titles a stream sends.
constexpr qint64 largestFile = 16 * 1024 * 1024;

} // namespace

namespace HistoryFile {

std::optional<QUrl> defaultFileURL()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base)) {
        const QString home = QDir::homePath();
        if (home.isEmpty())
            return std::nullopt;
        base = home + QStringLiteral("/.local/state");
    }
    return QUrl::fromLocalFile(QDir(base).filePath(QStringLiteral("tunara/history.json")));
}

std::optional<QList<PlayedTrack>> decode(const QByteArray& bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject() || !document.object().value(tracksKey).isArray())
        return std::nullopt;
    QList<PlayedTrack> tracks;
    for (const QJsonValue& value : document.object().value(tracksKey).toArray()) {
        const QJsonObject entry = value.toObject();
        PlayedTrack track{toTheSecond(QDateTime::fromString(entry.value(timeKey).toString(), Qt::ISODate)),
                          entry.value(titleKey).toString(), entry.value(artistKey).toString(),
                          entry.value(stationKey).toString()};
        if (!track.time.isValid() || track.title.isEmpty())
            continue;
        tracks.append(std::move(track));
        if (tracks.size() == capacity)
            break;
    }
    return tracks;
}

QByteArray encode(const QList<PlayedTrack>& tracks)
{
    QJsonArray entries;
    for (const PlayedTrack& track : tracks) {
        QJsonObject entry{{timeKey, track.time.toUTC().toString(Qt::ISODate)},
                          {stationKey, track.station},
                          {titleKey, track.title}};
        if (!track.artist.isEmpty())
            entry.insert(artistKey, track.artist);
        entries.append(entry);
    }
    return QJsonDocument(QJsonObject{{tracksKey, entries}}).toJson(QJsonDocument::Compact);
}

} // namespace HistoryFile

// Writes the newest contents on a pool thread, one write at a time; a
// change made while a write runs is written after it, and only the last
// of several.
struct TrackHistory::Writer {
    QString path;
    bool mayWrite = true; // false while an undecodable file stands there
    std::mutex mutex;
    std::condition_variable finished;
    std::optional<QList<PlayedTrack>> pending;
    bool running = false;

    void write(const QList<PlayedTrack>& tracks) const
    {
        const QByteArray bytes = HistoryFile::encode(tracks);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        // commit() flushes the temporary file and renames it over the old.
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            writeDiagnosticLine(QStringLiteral("Failed to save the history: ") + file.errorString());
    }

    void drain()
    {
        std::unique_lock lock(mutex);
        while (pending) {
            const QList<PlayedTrack> tracks = *std::exchange(pending, std::nullopt);
            lock.unlock();
            write(tracks);
            lock.lock();
        }
        running = false;
        finished.notify_all();
    }
};

TrackHistory::TrackHistory(std::optional<QUrl> fileURL, QObject* parent)
    : QObject(parent)
{
    if (!fileURL)
        return;
    writer_ = std::make_shared<Writer>();
    writer_->path = fileURL->toLocalFile();
    QFile file(writer_->path);
    if (!file.exists())
        return;
    // A folder or a device there is left alone, and never written over.
    if (!QFileInfo(file).isFile()) {
        writer_->mayWrite = false;
        return;
    }
    if (QFileInfo(file).size() <= largestFile && file.open(QIODevice::ReadOnly)) {
        if (std::optional<QList<PlayedTrack>> tracks = HistoryFile::decode(file.readAll())) {
            tracks_ = std::move(*tracks);
            return;
        }
    }
    // Perhaps a list worth keeping: moved aside, never written over.
    const QString aside = writer_->path + QStringLiteral(".corrupt");
    if (std::rename(QFile::encodeName(writer_->path).constData(), QFile::encodeName(aside).constData()) == 0) {
        writeDiagnosticLine(QStringLiteral("The history could not be read; moved to ") + aside);
    } else {
        writeDiagnosticLine(QStringLiteral("The history could not be read and is kept as it is: ") + writer_->path);
        writer_->mayWrite = false;
    }
}

TrackHistory::~TrackHistory()
{
    flush();
}

void TrackHistory::follow(const Store& store)
{
    connect(&store, &Store::trackChanged, this, [this, &store] {
        const std::optional<Track>& track = store.track();
        const std::optional<Station> station = store.selectedStation();
        if (!store.desktopOptions().keepsHistory || !track || !station)
            return;
        const PlayedTrack played{toTheSecond(QDateTime::currentDateTimeUtc()), track->title,
                                 track->artist.value_or(QString()), cleanDisplayText(station->name)};
        // The same track again after a reconnection is not played anew.
        if (!tracks_.isEmpty() && tracks_.first().title == played.title && tracks_.first().artist == played.artist
            && tracks_.first().station == played.station)
            return;
        add(played);
    });
}

void TrackHistory::add(const PlayedTrack& track)
{
    tracks_.prepend(track);
    if (tracks_.size() > HistoryFile::capacity)
        tracks_.removeLast();
    save();
    emit trackAdded();
}

void TrackHistory::clear()
{
    if (tracks_.isEmpty())
        return;
    tracks_.clear();
    save();
    emit cleared();
}

void TrackHistory::save()
{
    if (!writer_ || !writer_->mayWrite)
        return;
    // A shared copy, encoded by the writer: the main thread only counts a
    // reference.
    std::lock_guard lock(writer_->mutex);
    writer_->pending = tracks_;
    if (writer_->running)
        return;
    writer_->running = true;
    QThreadPool::globalInstance()->start([writer = writer_] { writer->drain(); });
}

void TrackHistory::flush()
{
    if (!writer_)
        return;
    std::unique_lock lock(writer_->mutex);
    writer_->finished.wait(lock, [this] { return !writer_->running; });
}

} // namespace tunara
