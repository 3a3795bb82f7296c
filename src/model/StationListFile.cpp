#include "StationListFile.h"

#include "URLValidation.h"
#include "common/DisplayText.h"
#include "playback/PlaylistParser.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tunara {

namespace {

// The content type a file's extension stands for; empty (first bytes
// decide) for any other.
QByteArray contentTypeForExtension(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8"))
        return "audio/x-mpegurl";
    if (suffix == QLatin1String("pls"))
        return "audio/x-scpls";
    if (suffix == QLatin1String("xspf"))
        return "application/xspf+xml";
    return {};
}

QList<ListedStation> stationsInPlaylist(const QString& fileName, const QByteArray& bytes)
{
    const PlaylistFormat format = detectPlaylistFormat(contentTypeForExtension(fileName), bytes.left(4096));
    // Relative entries resolve to files beside the playlist, which are no stations.
    const QUrl fileURL = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
    QList<ListedStation> stations;
    for (const PlaylistEntry& entry : parsePlaylistEntries(format, bytes, fileURL)) {
        if (validateStreamURL(entry.url.toString()))
            continue;
        const QString title = cleanDisplayText(entry.title);
        stations.append({title.isEmpty() ? entry.url.host() : title, entry.url});
    }
    return stations;
}

QByteArray extendedM3u(const QList<Station>& stations)
{
    QByteArray text = "#EXTM3U\n";
    for (const Station& station : stations) {
        // The name must stay on its line.
        text += "#EXTINF:-1," + cleanDisplayText(station.name).toUtf8() + '\n';
        text += station.urlText().toUtf8() + '\n';
    }
    return text;
}

} // namespace

StationFileContents readStationFile(const QString& path)
{
    // Only regular files: a FIFO or a device would block or never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {{}, StationFileProblem::unreadable};
    const QByteArray bytes = file.read(maxStationFileBytes + 1);
    if (bytes.size() > maxStationFileBytes)
        return {{}, StationFileProblem::tooLarge};
    StationFileContents contents{stationsInPlaylist(path, bytes), std::nullopt};
    if (contents.stations.isEmpty())
        contents.problem = StationFileProblem::noStations;
    contents.truncated = contents.stations.size() > maxStationsPerFile;
    if (contents.truncated)
        contents.stations.resize(maxStationsPerFile);
    return contents;
}

std::optional<QString> writeStationFile(const QString& path, const QList<Station>& stations)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(extendedM3u(stations)) < 0 || !file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace tunara
