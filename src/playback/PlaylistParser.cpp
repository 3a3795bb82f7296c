#include "PlaylistParser.h"

#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <QXmlStreamReader>

namespace tunara {

namespace {

// Playlists are UTF-8 by now; older M3U and PLS files are often Latin-1,
// which is read as such rather than turned into replacement characters.
QString bodyText(const QByteArray& body)
{
    QByteArray bytes = body;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
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

void appendEntry(QList<PlaylistEntry>& entries, const QString& text, const QUrl& playlistURL,
                 const QString& title = {})
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    const QUrl url = playlistURL.resolved(QUrl(trimmed, QUrl::TolerantMode));
    if (url.isValid() && !url.scheme().isEmpty())
        entries.append({url, title});
}

QList<PlaylistEntry> parsePls(const QByteArray& body, const QUrl& playlistURL)
{
    // Entries are numbered File1, File2, ... with their TitleN beside them;
    // the count line is often missing or wrong, so the numbers alone decide
    // the order.
    static const QRegularExpression numberedKey(QStringLiteral("^\\s*(file|title)(\\d+)\\s*=(.*)$"),
                                                QRegularExpression::CaseInsensitiveOption);
    QMap<long long, QString> files;
    QMap<long long, QString> titles;
    for (const QString& line : bodyLines(body)) {
        const QRegularExpressionMatch match = numberedKey.match(line);
        if (!match.hasMatch())
            continue;
        auto& values = match.captured(1).compare(QLatin1String("file"), Qt::CaseInsensitive) == 0 ? files : titles;
        const long long number = match.captured(2).toLongLong();
        if (!values.contains(number))
            values.insert(number, match.captured(3));
    }
    QList<PlaylistEntry> entries;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        appendEntry(entries, it.value(), playlistURL, titles.value(it.key()).trimmed());
    return entries;
}

// The title of "#EXTINF:<duration> <attributes>,<title>": everything after
// the first comma that is not inside a quoted attribute value.
QString extinfTitle(const QString& line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (line[i] == QLatin1Char(',') && !quoted)
            return line.mid(i + 1).trimmed();
    }
    return {};
}

QList<PlaylistEntry> parseM3u(const QByteArray& body, const QUrl& playlistURL)
{
    QList<PlaylistEntry> entries;
    QString title; // from the #EXTINF line just before an entry
    for (const QString& line : bodyLines(body)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
            title = extinfTitle(trimmed);
        } else if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#'))) {
            appendEntry(entries, trimmed, playlistURL, title);
            title.clear();
        }
    }
    return entries;
}

// Collects the text of <location> elements (XSPF) or the href of <ref>
// elements (ASX), whatever their namespace or letter case, with the <title>
// of the <track> or <entry> they stand in.
QList<PlaylistEntry> parseXml(const QByteArray& body, const QUrl& playlistURL, bool asx)
{
    const QLatin1String itemElement(asx ? "entry" : "track");
    QList<PlaylistEntry> entries;
    QXmlStreamReader reader(body);
    // The entries of the <track> or <entry> being read take its title when
    // it ends: the title may come before or after them.
    qsizetype itemStart = -1; // none outside an item
    QString title;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        const QString element = reader.name().toString().toLower();
        if (token == QXmlStreamReader::EndElement && element == itemElement && itemStart >= 0) {
            for (qsizetype i = itemStart; i < entries.size(); ++i)
                entries[i].title = title;
            itemStart = -1;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (element == itemElement) {
            itemStart = entries.size();
            title.clear();
        } else if (itemStart >= 0 && element == QLatin1String("title")) {
            title = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (!asx && element == QLatin1String("location")) {
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
    QList<PlaylistEntry> scanned;
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

QList<PlaylistEntry> parsePlaylistEntries(PlaylistFormat format, const QByteArray& body, const QUrl& playlistURL)
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

QList<QUrl> parsePlaylist(PlaylistFormat format, const QByteArray& body, const QUrl& playlistURL)
{
    QList<QUrl> urls;
    for (const PlaylistEntry& entry : parsePlaylistEntries(format, body, playlistURL))
        urls.append(entry.url);
    return urls;
}

} // namespace tunara
