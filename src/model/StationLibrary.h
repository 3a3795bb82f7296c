#pragma once

#include "AudioStream.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tunara {

// The library file: one JSON array of stations, read once at start-up and
// written whole after every change of the list.
namespace StationLibrary {

inline const QString defaultFilename = QStringLiteral("database.json");

// The per-user data directory of this application ($XDG_DATA_HOME/tunara),
// or none when the platform names no data directory.
std::optional<QString> applicationSupportDirectory();

// The four stations seeded when there is no readable library; the same ids
// for the whole run.
const QList<AudioStream>& defaultStreams();

// Reads the library at the given file URL. A missing or unreadable file
// gives the defaults; a file that does not decode is moved aside to
// "<name>.corrupt.json" and gives the defaults. Never writes the library.
QList<AudioStream> loadStreams(const std::optional<QUrl>& fileURL);

// None when the bytes are not a valid library (the reason is printed).
std::optional<QList<AudioStream>> decodeStreams(const QByteArray& bytes);

// Pretty-printed JSON with every solidus escaped and upper-case ids.
QByteArray encodeStreams(const QList<AudioStream>& streams);

// Writes the list durably (temporary file, flushed, renamed over the old
// one). Failures are printed, never raised; the old file is left intact.
void saveStreams(const std::optional<QUrl>& fileURL, const QList<AudioStream>& streams);

// Where a library that cannot be decoded is moved.
QUrl backupURL(const QUrl& fileURL);

} // namespace StationLibrary

} // namespace tunara
