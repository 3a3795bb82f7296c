#include "StationLibrary.h"

#include "URLValidation.h"
#include "common/Diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunara::StationLibrary {

namespace {

// The stations a new user starts with. Each operator's published HTTPS
// stream; correct them here when an operator moves its stream.
struct DefaultStation {
    const char* name;
    const char* url;
};
constexpr DefaultStation seededStations[] = {
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

Station decodeStation(const QJsonValue& value, qsizetype index)
{
    const QString where = QStringLiteral("station %1: ").arg(index);
    if (!value.isObject())
        throw DecodeError{where + QStringLiteral("expected an object")};
    const QJsonObject object = value.toObject();

    Station station;
    const QJsonValue id = object.value(QLatin1String("id"));
    if (id.isUndefined() || id.isNull()) {
        station.id = QUuid::createUuid();
    } else {
        if (!id.isString())
            throw DecodeError{where + QStringLiteral("\"id\" is not a string")};
        const std::optional<QUuid> uuid = parseUuid(id.toString());
        if (!uuid)
            throw DecodeError{where + QStringLiteral("\"id\" is not a valid UUID: ") + id.toString()};
        station.id = *uuid;
    }

    const QJsonValue name = object.value(QLatin1String("name"));
    if (!name.isString())
        throw DecodeError{where + (name.isUndefined() ? QStringLiteral("\"name\" is missing")
                                                      : QStringLiteral("\"name\" is not a string"))};
    station.name = name.toString();

    const QJsonValue url = object.value(QLatin1String("url"));
    if (!url.isString())
        throw DecodeError{where + (url.isUndefined() ? QStringLiteral("\"url\" is missing")
                                                     : QStringLiteral("\"url\" is not a string"))};
    const std::optional<QUrl> parsed = parseURL(url.toString());
    if (!parsed)
        throw DecodeError{where + QStringLiteral("\"url\" is not a valid URL: ") + url.toString()};
    station.url = *parsed;
    // A logo that is no web address or file is left out; the station stays.
    const QUrl logo(object.value(QLatin1String("logo")).toString(), QUrl::StrictMode);
    if (logo.isValid() && (logo.isLocalFile() || ((logo.scheme() == QLatin1String("http") || logo.scheme() == QLatin1String("https")) && !logo.host().isEmpty())))
        station.logo = logo;
    return station;
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

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What stands at a path; "unknown" when the path cannot even be looked at.
enum class Entry { none, regularFile, directory, special, unknown };

Entry entryAt(const QString& path)
{
    struct stat status{};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? Entry::none : Entry::unknown;
    if (S_ISREG(status.st_mode))
        return Entry::regularFile;
    return S_ISDIR(status.st_mode) ? Entry::directory : Entry::special;
}

// The whole file, or the reason it could not be read.
std::variant<QByteArray, QString> readWhole(const QString& path)
{
    if (entryAt(path) == Entry::unknown)
        return systemError(errno);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return bytes;
}

// Moves the library aside, deleting nothing: over an earlier backup (a
// regular file) in one atomic rename, else to the first free numbered name.
// The reason when it could not be moved.
std::optional<QString> moveAside(const QUrl& fileURL)
{
    const QByteArray from = QFile::encodeName(fileURL.toLocalFile());
    const QString backup = backupURL(fileURL).toLocalFile();
    const Entry existing = entryAt(backup);
    if (existing == Entry::none || existing == Entry::regularFile) {
        if (::rename(from.constData(), QFile::encodeName(backup).constData()) == 0)
            return std::nullopt;
        return systemError(errno);
    }
    constexpr int lastNumber = 100;
    for (int n = 2; n <= lastNumber; ++n) {
        const QByteArray to = QFile::encodeName(numberedBackupURL(fileURL, n).toLocalFile());
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return std::nullopt;
        if (errno != EEXIST)
            return systemError(errno);
    }
    return QStringLiteral("no free backup name beside the library");
}

} // namespace

std::optional<QUrl> defaultFileURL()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return std::nullopt;
    return QUrl::fromLocalFile(QDir(base).filePath(applicationDirectoryName + QLatin1Char('/') + defaultFilename));
}

const QList<Station>& defaultStations()
{
    static const QList<Station> stations = [] {
        QList<Station> list;
        for (const DefaultStation& station : seededStations)
            list.append(Station::make(QString::fromUtf8(station.name), QUrl(QString::fromUtf8(station.url))));
        return list;
    }();
    return stations;
}

std::optional<QList<Station>> decodeStations(const QByteArray& bytes)
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
        QList<Station> stations;
        const QJsonArray array = document.array();
        for (qsizetype i = 0; i < array.size(); ++i)
            stations.append(decodeStation(array.at(i), i));
        return stations;
    } catch (const DecodeError& error) {
        writeDiagnosticLine(QStringLiteral("Failed to decode streams: ") + error.description);
        return std::nullopt;
    }
}

QByteArray encodeStations(const QList<Station>& stations)
{
    QJsonArray array;
    for (const Station& station : stations) {
        QJsonObject object;
        object.insert(QLatin1String("id"), station.id.toString(QUuid::WithoutBraces).toUpper());
        object.insert(QLatin1String("name"), station.name);
        object.insert(QLatin1String("url"), station.urlText());
        if (!station.logo.isEmpty())
            object.insert(QLatin1String("logo"), station.logo.toString(QUrl::FullyEncoded));
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

QUrl numberedBackupURL(const QUrl& fileURL, int n)
{
    const QString backup = backupURL(fileURL).toLocalFile();
    const QString suffix = QStringLiteral(".json");
    return QUrl::fromLocalFile(backup.left(backup.size() - suffix.size()) + QStringLiteral("-%1").arg(n) + suffix);
}

LoadedLibrary loadStations(const std::optional<QUrl>& fileURL)
{
    if (!fileURL)
        return {defaultStations(), {}};
    const QString path = fileURL->toLocalFile();
    // Only a regular file can be a library. A directory there is left alone
    // (no save can replace it); a pipe or device is never opened. A path
    // that cannot be looked at may hide the user's list: it counts as a file
    // that cannot be read.
    const Entry entry = entryAt(path);
    if (entry != Entry::regularFile && entry != Entry::unknown)
        return {defaultStations(), {}};

    const auto read = readWhole(path);
    if (const auto* bytes = std::get_if<QByteArray>(&read)) {
        if (std::optional<QList<Station>> stations = decodeStations(*bytes))
            return {*stations, {}};
    } else {
        writeDiagnosticLine(QStringLiteral("Failed to read stations: ") + std::get<QString>(read));
    }

    // What stands there may be the user's list: it is kept whole, beside
    // the library or, failing that, where it is.
    if (const std::optional<QString> failure = moveAside(*fileURL)) {
        writeDiagnosticLine(QStringLiteral("Failed to back up database file: ") + *failure);
        return {defaultStations(),
                QStringLiteral("%1 could not be read or moved aside, so it is kept as it is").arg(path)};
    }
    return {defaultStations(), {}};
}

std::optional<QString> saveStations(const std::optional<QUrl>& fileURL, const QList<Station>& stations)
{
    if (!fileURL) {
        const QString reason = QStringLiteral("Could not determine database file path");
        writeDiagnosticLine(QStringLiteral("Failed to save: ") + reason);
        return reason;
    }
    const auto fail = [](const QString& reason) {
        writeDiagnosticLine(QStringLiteral("Failed to save streams: ") + reason);
        return std::optional<QString>(reason);
    };
    const QString path = fileURL->toLocalFile();
    const QString directory = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(directory))
        return fail(QStringLiteral("could not create the directory ") + directory);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    file.write(encodeStations(stations));
    // commit() flushes the temporary file to disk and renames it over the
    // old library; on any failure the old library stays as it was.
    if (!file.commit())
        return fail(file.errorString());
    syncDirectory(directory);
    return std::nullopt;
}

} // namespace tunara::StationLibrary
