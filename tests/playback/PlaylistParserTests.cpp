#include "playback/PlaylistParser.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tunara;

namespace {

const QUrl base(QStringLiteral("http://radio.example/listen/station.pls"));

// Each entry as "title = url", or its url alone when the file gives no title.
QStringList entries(PlaylistFormat format, const QByteArray& body)
{
    QStringList result;
    for (const PlaylistEntry& entry : parsePlaylistEntries(format, body, base))
        result << (entry.title.isEmpty() ? QString() : entry.title + " = ") + entry.url.toString();
    return result;
}

TEST(PlaylistDetection, TrustsPlaylistTypesAndSniffsVagueOnes)
{
    const QByteArray ext = "#EXTM3U\n#EXTINF:-1,Radio\nhttp://a.example/stream\n";
    const QByteArray hls = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:6\nseg1.aac\n";
    const std::tuple<QByteArray, QByteArray, PlaylistFormat> cases[] = {
        {"audio/x-scpls; charset=UTF-8", "", PlaylistFormat::pls},
        {"audio/x-mpegurl", ext, PlaylistFormat::m3u},
        {"application/vnd.apple.mpegurl", hls, PlaylistFormat::hls},
        {"application/xspf+xml", "<?xml version=\"1.0\"?><playlist>", PlaylistFormat::xspf},
        {"video/x-ms-asf", "<ASX version=\"3.0\">", PlaylistFormat::asx},
        {"video/x-ms-asf", "\x30\x26\xB2\x75\x8E\x66\xCF\x11", PlaylistFormat::notPlaylist}, // real ASF media
        {"text/plain", "\xEF\xBB\xBF[Playlist]\r\nFile1=http://a.example/", PlaylistFormat::pls},
        {"application/octet-stream", "  #EXTM3U\nhttp://a.example/", PlaylistFormat::m3u},
        {"text/plain", hls, PlaylistFormat::hls},
        {"", "<?xml version=\"1.0\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">", PlaylistFormat::xspf},
        {"text/plain", "<asx version=\"3.0\">", PlaylistFormat::asx},
        {"text/plain", "https://a.example/stream\n", PlaylistFormat::m3u},
        {"application/octet-stream", "\xFF\xFB\x90\x64\x00", PlaylistFormat::notPlaylist}, // MP3 frames
        {"audio/mpeg", "[playlist]", PlaylistFormat::notPlaylist},
    };
    for (const auto& [contentType, head, expected] : cases)
        EXPECT_EQ(detectPlaylistFormat(contentType, head), expected) << contentType.constData() << " / "
                                                                     << head.constData();
}

TEST(PlaylistParsing, EntriesInTheShapesStationsPublish)
{
    using F = PlaylistFormat;
    const std::tuple<F, QByteArray, QStringList> cases[] = {
        // Shoutcast's own shape.
        {F::pls, "[playlist]\nnumberofentries=2\nFile1=http://a.example:8000/\nTitle1=Radio\nLength1=-1\n"
                 "File2=http://b.example:8000/\nVersion=2\n",
         {"Radio = http://a.example:8000/", "http://b.example:8000/"}},
        // Byte-order mark, CRLF, lower-case keys, a wrong count, entries out of order.
        {F::pls, "\xEF\xBB\xBF[playlist]\r\nNumberOfEntries=5\r\nfile2=http://b.example/\r\nFILE1 = http://a.example/ \r\n",
         {"http://a.example/", "http://b.example/"}},
        // No count at all, a relative entry, an unparsable line.
        {F::pls, "[playlist]\nFile1=live.mp3\ngarbage\n", {"http://radio.example/listen/live.mp3"}},
        // Comments skipped, every scheme kept.
        {F::m3u, "#EXTM3U\r\n#EXTINF:-1,Station\r\nhttps://a.example/stream\r\n\r\n# a comment\r\nfile:///etc/passwd\r\n"
                 "/relative.aac\r\n",
         {"Station = https://a.example/stream", "file:///etc/passwd", "http://radio.example/relative.aac"}},
        // Namespaces and odd case.
        {F::xspf, R"(<?xml version="1.0" encoding="UTF-8"?>
            <playlist version="1" xmlns="http://xspf.org/ns/0/"><trackList>
            <track><title>Radio</title><location>http://a.example/stream</location></track>
            <track><Location> https://b.example/stream </Location></track></trackList></playlist>)",
         {"Radio = http://a.example/stream", "https://b.example/stream"}},
        {F::asx, R"(<ASX VERSION="3.0"><ENTRY><TITLE>Radio</TITLE>
            <REF HREF="http://a.example/stream?x=1&amp;y=2" /></ENTRY><Entry><ref href="mms://b.example/"/></Entry></ASX>)",
         {"Radio = http://a.example/stream?x=1&y=2", "mms://b.example/"}},
        // Bare ampersand and an unquoted attribute: not XML, still read.
        {F::asx, "<asx version=3.0><entry><ref href=http://a.example/s?x=1&y=2 /><Ref Href=\"http://b.example/\"/></entry></asx>",
         {"http://a.example/s?x=1&y=2", "http://b.example/"}},
        // Titles as the file gives them, wherever they stand.
        {F::m3u,
         "#EXTM3U\r\n#EXTINF:-1 tvg-name=\"A, B\" tvg-logo=\"x.png\",Radio \"One, Two\"\r\nhttp://a.example/\r\n"
         "http://b.example/\r\n#EXTINF:0\r\n#EXTINF:-1,  Three \r\n# comment\r\nhttp://c.example/\r\n",
         {"Radio \"One, Two\" = http://a.example/", "http://b.example/", "Three = http://c.example/"}},
        {F::xspf,
         "<playlist><title>The list</title><trackList><track><location>http://a.example/</location>"
         "<title>After</title></track><track><title>Before</title><location>http://b.example/</location></track>"
         "<track><location>http://c.example/</location></track></trackList></playlist>",
         {"After = http://a.example/", "Before = http://b.example/", "http://c.example/"}},
        // Latin-1, as older players wrote them.
        {F::m3u, "#EXTINF:-1,Caf\xE9 del Mar\nhttp://a.example/\n", {"Caf\u00E9 del Mar = http://a.example/"}},
        // An HLS media playlist: no entries.
        {F::hls, "#EXTM3U\n#EXT-X-VERSION:3\nseg.aac\n", {}},
    };
    for (const auto& [format, body, expected] : cases)
        EXPECT_EQ(entries(format, body), expected) << body.left(60).constData();
}

} // namespace
