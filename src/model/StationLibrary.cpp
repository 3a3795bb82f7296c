#include "StationLibrary.h"

#include "URLValidation.h"
#include "playback/Diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace tunara::StationLibrary {

namespace {

// The stations a new user starts with. Each operator's published HTTPS
// stream; correct them here when an operator moves its stream.
struct DefaultStation {
    const char* name;
    const char* url;
};
constexpr DefaultStation defaultStations[] = {
    {"Worldwide FM", "https://worldwidefm.out.airtime.pro/stream"},
    {"NTS 1", "https://stream-relay-geo.ntslive.net/stream/hls.m3u8"},
    {"NTS 2", "https://stream-relay-geo.ntslive.net/stream2/hls.m3u8"},
    {"KCRW Eclectic24", "https://kcrw.streamguys1.com/kcrw_192k_mp3_e24"},
};

const QString applicationDirectoryName = QStringLiteral("tunara");

// A decoding failure with the reason that is printed.
struct DecodeError {
    QString description;
};

std::optional<QUuid> parseUuid(const QString& text)
{
    // Only the canonical 8-4-4-4-12 form, in either letter case.
    static const QRegularExpression canonical(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!canonical.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

AudioStream decodeStation(const QJsonValue& value, qsizetype index)
{
    const QString where = QStringLiteral("station %1: ").arg(index);
    if (!value.isObject())
        throw DecodeError{where + QStringLiteral("expected an object")};
    const QJsonObject object = value.toObject();

    AudioStream stream;
    const QJsonValue id = object.value(QLatin1String("id"));
    if (id.isUndefined() || id.isNull()) {
        stream.id = QUuid::createUuid();
    } else {
        if (!id.isString())
            throw DecodeError{where + QStringLiteral("\"id\" is not a string")};
        const std::optional<QUuid> uuid = parseUuid(id.toString());
        if (!uuid)
            throw DecodeError{where + QStringLiteral("\"id\" is not a valid UUID: ") + id.toString()};
        stream.id = *uuid;
    }

    const QJsonValue name = object.value(QLatin1String("name"));
    if (!name.isString())
        throw DecodeError{where + (name.isUndefined() ? QStringLiteral("\"name\" is missing")
                                                      : QStringLiteral("\"name\" is not a string"))};
    stream.name = name.toString();

    const QJsonValue url = object.value(QLatin1String("url"));
    if (!url.isString())
        throw DecodeError{where + (url.isUndefined() ? QStringLiteral("\"url\" is missing")
                                                     : QStringLiteral("\"url\" is not a string"))};
    const std::optional<QUrl> parsed = parseURL(url.toString());
    if (!parsed)
        throw DecodeError{where + QStringLiteral("\"url\" is not a valid URL: ") + url.toString()};
    stream.url = *parsed;
    return stream;
}

// Flushes a directory entry change (the rename of a save) to disk.
void syncDirectory(const QString& directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void removeItem(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

} // namespace

std::optional<QString> applicationSupportDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return std::nullopt;
    return QDir(base).filePath(applicationDirectoryName);
}

const QList<AudioStream>& defaultStreams()
{
    static const QList<AudioStream> streams = [] {
        QList<AudioStream> list;
        for (const DefaultStation& station : defaultStations)
            list.append(AudioStream::make(QString::fromUtf8(station.name), QUrl(QString::fromUtf8(station.url))));
        return list;
    }();
    return streams;
}

std::optional<QList<AudioStream>> decodeStreams(const QByteArray& bytes)
{
    try {
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
        if (parseError.error != QJsonParseError::NoError)
            throw DecodeError{QStringLiteral("not valid JSON (%1 at offset %2)")
                                  .arg(parseError.errorString())
                                  .arg(parseError.offset)};
        if (!document.isArray())
            throw DecodeError{QStringLiteral("expected an array of stations")};
        QList<AudioStream> streams;
        const QJsonArray array = document.array();
        for (qsizetype i = 0; i < array.size(); ++i)
            streams.append(decodeStation(array.at(i), i));
        return streams;
    } catch (const DecodeError& error) {
        writeDiagnosticLine(QStringLiteral("Failed to decode streams: ") + error.description);
        return std::nullopt;
    }
}

QByteArray encodeStreams(const QList<AudioStream>& streams)
{
    QJsonArray array;
    for (const AudioStream& stream : streams) {
        QJsonObject object;
        object.insert(QLatin1String("id"), stream.id.toString(QUuid::WithoutBraces).toUpper());
        object.insert(QLatin1String("name"), stream.name);
        object.insert(QLatin1String("url"), stream.urlText());
        array.append(object);
    }
    QByteArray json = QJsonDocument(array).toJson(QJsonDocument::Indented);
    // A solidus can only stand inside a string in this document, so every
    // one of them is escaped.
    json.replace("/", "\\/");
    return json;
}

QUrl backupURL(const QUrl& fileURL)
{
    const QFileInfo info(fileURL.toLocalFile());
    const QString fileName = info.fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    return QUrl::fromLocalFile(info.dir().filePath(stem + QStringLiteral(".corrupt.json")));
}

QList<AudioStream> loadStreams(const std::optional<QUrl>& fileURL)
{
    if (!fileURL)
        return defaultStreams();
    const QString path = fileURL->toLocalFile();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return defaultStreams();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return defaultStreams();
    file.close();

    if (std::optional<QList<AudioStream>> streams = decodeStreams(bytes))
        return *streams;

    const QString backupPath = backupURL(*fileURL).toLocalFile();
    removeItem(backupPath);
    QFile corrupt(path);
    if (!corrupt.rename(backupPath))
        writeDiagnosticLine(QStringLiteral("Failed to back up database file: ") + corrupt.errorString());
    return defaultStreams();
}

void saveStreams(const std::optional<QUrl>& fileURL, const QList<AudioStream>& streams)
{
    if (!fileURL) {
        writeDiagnosticLine(QStringLiteral("Failed to save: Could not determine database file path"));
        return;
    }
    const QString path = fileURL->toLocalFile();
    const QString directory = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(directory)) {
        writeDiagnosticLine(QStringLiteral("Failed to save streams: could not create the directory ") + directory);
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        writeDiagnosticLine(QStringLiteral("Failed to save streams: ") + file.errorString());
        return;
    }
    file.write(encodeStreams(streams));
    // commit() flushes the temporary file to disk and renames it over the
    // old library; on any failure the old library stays as it was.
    if (!file.commit()) {
        writeDiagnosticLine(QStringLiteral("Failed to save streams: ") + file.errorString());
        return;
    }
    syncDirectory(directory);
}

} // namespace tunara::StationLibrary
