#pragma once

// Station lists in the playlist files other players read and write: import
// from M3U/M3U8, PLS and XSPF, export as an extended M3U8.

#include "Station.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tunara {

struct ListedStation {
    QString name;
    QUrl url;
};

enum class StationFileProblem { unreadable, tooLarge, noStations };

struct StationFileContents {
    QList<ListedStation> stations;
    std::optional<StationFileProblem> problem; // none when stations were found
    bool truncated = false; // the file lists more than maxStationsPerFile
};

// Larger files are not read, and no more stations taken from one file: a
// station list of a thousand stations is some 100 KB, and reading the
// largest file takes a fraction of a second on the main thread.
inline constexpr qint64 maxStationFileBytes = 1024 * 1024;
inline constexpr qsizetype maxStationsPerFile = 1000;

// The first maxStationsPerFile http and https entries of the playlist file
// at path, in file order, named by the file's title for them (cleaned for
// display) or else by the URL's host. The file name's extension and the
// first bytes decide the format.
StationFileContents readStationFile(const QString& path);

// Writes the stations atomically as an extended M3U8 file, UTF-8: "#EXTM3U",
// then "#EXTINF:-1,<name>" and the URL for each. What went wrong, or none.
std::optional<QString> writeStationFile(const QString& path, const QList<Station>& stations);

} // namespace tunara
