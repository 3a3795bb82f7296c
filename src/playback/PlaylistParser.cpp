#include "PlaylistParser.h"

#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

namespace tunara {

namespace {

QString bodyText(const QByteArray& body)
{
    QByteArray bytes = body;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return QString::fromUtf8(bytes);
}

QStringList bodyLines(const QByteArray& body)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return bodyText(body).split(lineBreak);
}

// Media types name a playlist only by their essence, without parameters.
QByteArray essence(const QByteArray& contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    return (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
}

bool looksLikeHls(const QByteArray& head)
{
    return head.contains("#EXT-X-");
}

PlaylistFormat sniff(const QByteArray& head)
{
    QByteArray start = head;
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    start = start.trimmed().left(512).toLower();
    if (start.startsWith("[playlist]"))
        return PlaylistFormat::pls;
    if (start.startsWith("#extm3u"))
        return looksLikeHls(head) ? PlaylistFormat::hls : PlaylistFormat::m3u;
    if (start.startsWith("<asx"))
        return PlaylistFormat::asx;
    if (start.startsWith("<?xml") || start.startsWith("<playlist")) {
        if (start.contains("<asx"))
            return PlaylistFormat::asx;
        if (start.contains("<playlist"))
            return PlaylistFormat::xspf;
    }
    if (start.startsWith("http://") || start.startsWith("https://"))
        return PlaylistFormat::m3u;
    return PlaylistFormat::notPlaylist;
}

void appendEntry(QList<QUrl>& entries, const QString& text, const QUrl& playlistURL)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    const QUrl url = playlistURL.resolved(QUrl(trimmed, QUrl::TolerantMode));
    if (url.isValid() && !url.scheme().isEmpty())
        entries.append(url);
}

QList<QUrl> parsePls(const QByteArray& body, const QUrl& playlistURL)
{
    // Entries are numbered File1, File2, ...; the count line is often
    // missing or wrong, so the numbers alone decide the order.
    static const QRegularExpression fileKey(QStringLiteral("^\\s*file(\\d+)\\s*=(.*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    QMap<long long, QString> numbered;
    for (const QString& line : bodyLines(body)) {
        const QRegularExpressionMatch match = fileKey.match(line);
        if (match.hasMatch() && !numbered.contains(match.captured(1).toLongLong()))
            numbered.insert(match.captured(1).toLongLong(), match.captured(2));
    }
    QList<QUrl> entries;
    for (const QString& entry : numbered)
        appendEntry(entries, entry, playlistURL);
    return entries;
}

QList<QUrl> parseM3u(const QByteArray& body, const QUrl& playlistURL)
{
    QList<QUrl> entries;
    for (const QString& line : bodyLines(body)) {
        if (!line.trimmed().startsWith(QLatin1Char('#')))
            appendEntry(entries, line, playlistURL);
    }
    return entries;
}

// Collects the text of <location> elements (XSPF) or the href of <ref>
// elements (ASX), whatever their namespace or letter case.
QList<QUrl> parseXml(const QByteArray& body, const QUrl& playlistURL, bool asx)
{
    QList<QUrl> entries;
    QXmlStreamReader reader(body);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString element = reader.name().toString().toLower();
        if (!asx && element == QLatin1String("location")) {
            appendEntry(entries, reader.readElementText(QXmlStreamReader::IncludeChildElements), playlistURL);
        } else if (asx && element == QLatin1String("ref")) {
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                if (attribute.name().toString().toLower() == QLatin1String("href"))
                    appendEntry(entries, attribute.value().toString(), playlistURL);
            }
        }
    }
    if (!reader.hasError() || !asx)
        return entries;
    // ASX files are often not well-formed XML (bare ampersands, unquoted
    // attributes): fall back to finding the references by pattern.
    static const QRegularExpression ref(QStringLiteral("<\\s*ref\\s[^>]*href\\s*=\\s*[\"']?([^\"'\\s>]+)"),
                                        QRegularExpression::CaseInsensitiveOption);
    QList<QUrl> scanned;
    for (auto it = ref.globalMatch(bodyText(body)); it.hasNext();)
        appendEntry(scanned, it.next().captured(1).replace(QLatin1String("&amp;"), QLatin1String("&")), playlistURL);
    return scanned;
}

} // namespace

PlaylistFormat detectPlaylistFormat(const QByteArray& contentType, const QByteArray& head)
{
    const QByteArray type = essence(contentType);
    if (type == "audio/x-scpls")
        return PlaylistFormat::pls;
    if (type == "audio/x-mpegurl" || type == "audio/mpegurl" || type == "application/x-mpegurl" ||
        type == "application/vnd.apple.mpegurl")
        return looksLikeHls(head) ? PlaylistFormat::hls : PlaylistFormat::m3u;
    if (type == "application/xspf+xml")
        return PlaylistFormat::xspf;
    if (type == "video/x-ms-asf" || type == "video/x-ms-asx" || type == "audio/x-ms-asx") {
        // The ASF type also serves real ASF media: only a text body is a
        // playlist.
        const PlaylistFormat sniffed = sniff(head);
        return sniffed == PlaylistFormat::asx ? sniffed : PlaylistFormat::notPlaylist;
    }
    if (type.isEmpty() || type == "text/plain" || type == "application/octet-stream")
        return sniff(head);
    return PlaylistFormat::notPlaylist;
}

QList<QUrl> parsePlaylist(PlaylistFormat format, const QByteArray& body, const QUrl& playlistURL)
{
    switch (format) {
    case PlaylistFormat::pls: return parsePls(body, playlistURL);
    case PlaylistFormat::m3u: return parseM3u(body, playlistURL);
    case PlaylistFormat::xspf: return parseXml(body, playlistURL, false);
    case PlaylistFormat::asx: return parseXml(body, playlistURL, true);
    case PlaylistFormat::hls:
    case PlaylistFormat::notPlaylist: return {};
    }
    return {};
}

} // namespace tunara
