#pragma once

#include "Station.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tunara {

// The library file: one JSON array of stations ({"id", "name", "url"}, and
// "logo" for a station that has one), read once at start-up and
// written whole after every change of the list.
namespace StationLibrary {

inline const QString defaultFilename = QStringLiteral("database.json");

// The library file of this user, $XDG_DATA_HOME/tunara/database.json;
// none when the platform names no data directory.
std::optional<QUrl> defaultFileURL();

// The four stations seeded when there is no readable library; the same ids
// for the whole run.
const QList<Station>& defaultStations();

// What loading found.
struct LoadedLibrary {
    QList<Station> stations;
    // Set when a file stands at the location that holds what may be the
    // user's list, could be neither read nor moved aside, and so must never
    // be written over: why. Empty when saving may replace the file.
    QString keepFileReason;
};

// Reads the library at the given file URL. No file (or no location) gives
// the defaults. A file that cannot be read or does not decode is moved
// aside whole (backupURL, or a free name beside it when something else
// stands there) and gives the defaults; when it cannot be moved it is kept
// and keepFileReason says why. Never writes the library.
LoadedLibrary loadStations(const std::optional<QUrl>& fileURL);

// None when the bytes are not a valid library (the reason is printed).
std::optional<QList<Station>> decodeStations(const QByteArray& bytes);

// Pretty-printed JSON with every solidus escaped and upper-case ids.
QByteArray encodeStations(const QList<Station>& stations);

// Writes the list durably (temporary file, flushed, renamed over the old
// one). A failure is printed and its description returned; the old file
// is left intact. None when the list was written.
std::optional<QString> saveStations(const std::optional<QUrl>& fileURL, const QList<Station>& stations);

// Where a library that cannot be decoded is moved.
QUrl backupURL(const QUrl& fileURL);
// Where it is moved when something that is not an earlier backup stands at
// backupURL: "<name>.corrupt-<n>.json", n = 2, 3, …
QUrl numberedBackupURL(const QUrl& fileURL, int n);

} // namespace StationLibrary

} // namespace tunara
