#include "AppSettings.h"

#include "common/Diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace tunara::AppSettings {

namespace {

const QLatin1String volumeKey("volume");
const QLatin1String resumeKey("playLastStationAtStart");
const QLatin1String lastStationKey("lastStation");
const QLatin1String notifyKey("notifyNewTracks");
const QLatin1String keepAwakeKey("keepAwakeWhilePlaying");
const QLatin1String historyKey("keepHistory");
// Larger than any settings file this player writes.
constexpr qint64 largestFile = 64 * 1024;

QJsonObject readObject(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).size() > largestFile || !file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.isObject() ? document.object() : QJsonObject();
}

} // namespace

std::optional<QUrl> settingsFileURL()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        return std::nullopt;
    return QUrl::fromLocalFile(QDir(base).filePath(QStringLiteral("tunara/settings.json")));
}

double loadVolume(const std::optional<QUrl>& fileURL)
{
    if (!fileURL || !QFileInfo(fileURL->toLocalFile()).isFile())
        return defaultVolume;
    const QJsonValue volume = readObject(fileURL->toLocalFile()).value(volumeKey);
    if (!volume.isDouble() || !std::isfinite(volume.toDouble()))
        return defaultVolume;
    return std::clamp(volume.toDouble(), 0.0, 1.0);
}

Resume loadResume(const std::optional<QUrl>& fileURL)
{
    if (!fileURL || !QFileInfo(fileURL->toLocalFile()).isFile())
        return {};
    const QJsonObject settings = readObject(fileURL->toLocalFile());
    const QUuid lastStation(settings.value(lastStationKey).toString());
    return {settings.value(resumeKey).toBool(false), lastStation.isNull() ? std::nullopt : std::optional(lastStation)};
}

DesktopOptions loadDesktopOptions(const std::optional<QUrl>& fileURL)
{
    if (!fileURL || !QFileInfo(fileURL->toLocalFile()).isFile())
        return {};
    const QJsonObject settings = readObject(fileURL->toLocalFile());
    const DesktopOptions defaults;
    return {settings.value(notifyKey).toBool(defaults.notifiesTracks),
            settings.value(keepAwakeKey).toBool(defaults.keepsAwakeWhilePlaying),
            settings.value(historyKey).toBool(defaults.keepsHistory)};
}

QJsonObject desktopMembers(const DesktopOptions& options)
{
    return {{notifyKey, options.notifiesTracks}, {keepAwakeKey, options.keepsAwakeWhilePlaying},
            {historyKey, options.keepsHistory}};
}

QJsonObject resumeMembers(const Resume& resume)
{
    return {{resumeKey, resume.enabled},
            {lastStationKey, resume.lastStation ? resume.lastStation->toString(QUuid::WithoutBraces) : QJsonValue()}};
}

std::optional<QString> saveVolume(const std::optional<QUrl>& fileURL, double volume)
{
    return save(fileURL, {{volumeKey, volume}});
}

std::optional<QString> save(const std::optional<QUrl>& fileURL, const QJsonObject& members)
{
    if (!fileURL)
        return QStringLiteral("no configuration directory");
    const QString path = fileURL->toLocalFile();
    const auto fail = [](const QString& reason) {
        writeDiagnosticLine(QStringLiteral("Failed to save settings: ") + reason);
        return std::optional<QString>(reason);
    };
    QJsonObject settings = QFileInfo(path).isFile() ? readObject(path) : QJsonObject();
    for (auto member = members.begin(); member != members.end(); ++member)
        settings.insert(member.key(), member.value());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QStringLiteral("could not create the directory ") + QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    file.write(QJsonDocument(settings).toJson(QJsonDocument::Indented));
    if (!file.commit())
        return fail(file.errorString());
    return std::nullopt;
}

} // namespace tunara::AppSettings
