#pragma once

// What was played: each new track with its time and station, newest
// first, the last 500, in $XDG_STATE_HOME/tunara/history.json:
//   {"tracks": [{"time": "2026-12-08T01:02:03Z", "station": "…",
//                "artist": "…", "title": "…"}, …]}
// ("artist" left out when the stream named none). The file is written
// whole and atomically, on another thread, so a crash or a kill at any
// moment leaves the old list or the new one. A file that cannot be decoded
// is moved aside ("history.json.corrupt") rather than written over.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace tunara {

class Store;

struct PlayedTrack {
    QDateTime time; // UTC, to the second
    QString title;  // never empty
    QString artist; // empty when the stream named none
    QString station;
    friend bool operator==(const PlayedTrack&, const PlayedTrack&) = default;
};

namespace HistoryFile {

inline constexpr int capacity = 500;

// $XDG_STATE_HOME/tunara/history.json ($HOME/.local/state when the
// variable is unset or not absolute); none without a home.
std::optional<QUrl> defaultFileURL();
// None when the bytes are not a history; entries without a time or a title
// are left out; at most the newest `capacity`.
std::optional<QList<PlayedTrack>> decode(const QByteArray& bytes);
QByteArray encode(const QList<PlayedTrack>& tracks);

} // namespace HistoryFile

// The history of one user; main thread only.
class TrackHistory final : public QObject {
    Q_OBJECT

public:
    // Reads the file (none: kept for this run only).
    explicit TrackHistory(std::optional<QUrl> fileURL, QObject* parent = nullptr);
    // Writes what is still pending, then returns.
    ~TrackHistory() override;

    // Newest first.
    const QList<PlayedTrack>& tracks() const { return tracks_; }
    // Keeps the store's new tracks with the station they came from, while
    // its settings keep a history.
    void follow(const Store& store);
    void add(const PlayedTrack& track);
    void clear();
    // Waits until what was changed is on disk.
    void flush();

signals:
    // A track at the top, the oldest gone beyond the capacity.
    void trackAdded();
    void cleared();

private:
    struct Writer;
    void save();

    QList<PlayedTrack> tracks_;
    std::shared_ptr<Writer> writer_;
};

} // namespace tunara
