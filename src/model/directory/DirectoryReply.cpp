#include "DirectoryReply.h"

#include "model/URLValidation.h"
#include "common/DisplayText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace tunara {

namespace {

// Longer texts are no station URLs, whatever they parse as.
constexpr qsizetype maxURLLength = 4096;
constexpr qsizetype shownTags = 3;

QString text(const QJsonValue& value)
{
    return value.isString() ? cleanDisplayText(value.toString()) : QString();
}

int number(const QJsonValue& value)
{
    const double n = value.isString() ? value.toString().toDouble() : value.toDouble();
    return n > 0 && n < 100000 ? static_cast<int>(n) : 0;
}

std::optional<QUrl> streamURL(const QJsonValue& value)
{
    if (!value.isString() || value.toString().size() > maxURLLength)
        return std::nullopt;
    const QString trimmed = value.toString().trimmed();
    if (trimmed.isEmpty() || validateStreamURL(trimmed))
        return std::nullopt;
    return parseURL(trimmed);
}

QStringList firstTags(const QJsonValue& value)
{
    QStringList tags;
    for (const QString& tag : value.toString().split(QLatin1Char(','))) {
        const QString cleaned = cleanDisplayText(tag);
        if (!cleaned.isEmpty() && !tags.contains(cleaned))
            tags.append(cleaned);
        if (tags.size() == shownTags)
            break;
    }
    return tags;
}

QString countryCode(const QJsonValue& value)
{
    const QString code = text(value).toUpper();
    return code.size() == 2 && code[0].isLetter() && code[1].isLetter() ? code : QString();
}

QString codec(const QJsonValue& value)
{
    const QString name = text(value).toUpper();
    return name.size() <= 16 ? name : QString();
}

} // namespace

std::optional<QList<DirectoryStation>> parseSearchReply(const QByteArray& body, qsizetype maxStations)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isArray())
        return std::nullopt;
    const QJsonArray entries = document.array();
    // The directory sends no more than asked for; anything beyond is not read.
    const qsizetype considered = std::min(entries.size(), maxStations);
    QList<DirectoryStation> stations;
    qsizetype readable = 0;
    for (qsizetype i = 0; i < considered; ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        const QUuid uuid = QUuid::fromString(entry.value(QLatin1String("stationuuid")).toString());
        if (uuid.isNull() || !(entry.value(QLatin1String("url")).isString()
                               || entry.value(QLatin1String("url_resolved")).isString()))
            continue;
        ++readable;

        DirectoryStation station;
        for (const auto& url : {streamURL(entry.value(QLatin1String("url_resolved"))),
                                streamURL(entry.value(QLatin1String("url")))}) {
            if (url && !station.knownURLs.contains(*url))
                station.knownURLs.append(*url);
        }
        if (station.knownURLs.isEmpty())
            continue; // no http or https stream
        station.uuid = uuid;
        station.url = station.knownURLs.first();
        station.name = text(entry.value(QLatin1String("name")));
        if (station.name.isEmpty())
            station.name = station.url.host();
        station.countryCode = countryCode(entry.value(QLatin1String("countrycode")));
        station.codec = codec(entry.value(QLatin1String("codec")));
        station.bitrate = number(entry.value(QLatin1String("bitrate")));
        station.hls = number(entry.value(QLatin1String("hls"))) == 1 || entry.value(QLatin1String("hls")).toBool();
        station.tags = firstTags(entry.value(QLatin1String("tags")));
        station.favicon = streamURL(entry.value(QLatin1String("favicon"))).value_or(QUrl());
        stations.append(station);
    }
    if (considered > 0 && readable == 0)
        return std::nullopt;
    return stations;
}

} // namespace tunara
