// A history file as found on disk: what is read has a time and a title for
// each entry, at most 500 of them, and reads back the same once written; a
// file that is not a history is moved aside whole, never written over.

#include "Fuzz.h"

#include "model/TrackHistory.h"

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray contents = fuzz::bytes(data, size);
    if (const std::optional<QList<PlayedTrack>> tracks = HistoryFile::decode(contents)) {
        fuzz::check(tracks->size() <= HistoryFile::capacity);
        for (const PlayedTrack& track : *tracks)
            fuzz::check(track.time.isValid() && !track.title.isEmpty());
        fuzz::check(HistoryFile::decode(HistoryFile::encode(*tracks)) == tracks);
    }
    const QString path = fuzz::fileWith(QStringLiteral("history.json"), contents);
    QFile::remove(path + QStringLiteral(".corrupt"));
    const TrackHistory history{QUrl::fromLocalFile(path)};
    if (!HistoryFile::decode(contents)) {
        QFile aside(path + QStringLiteral(".corrupt"));
        fuzz::check(aside.open(QIODevice::ReadOnly) && aside.readAll() == contents);
    }
    return 0;
}
