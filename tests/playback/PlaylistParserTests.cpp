#include "playback/PlaylistParser.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tunara;

namespace {

const QUrl base(QStringLiteral("http://radio.example/listen/station.pls"));

QStringList entries(PlaylistFormat format, const QByteArray& body)
{
    QStringList result;
    for (const QUrl& url : parsePlaylist(format, body, base))
        result << url.toString();
    return result;
}

TEST(PlaylistDetection, TrustsPlaylistTypesAndSniffsVagueOnes)
{
    struct Case {
        QByteArray contentType;
        QByteArray head;
        PlaylistFormat expected;
    };
    const QByteArray ext = "#EXTM3U\n#EXTINF:-1,Radio\nhttp://a.example/stream\n";
    const QByteArray hls = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:6\nseg1.aac\n";
    const Case cases[] = {
        {"audio/x-scpls", "[playlist]", PlaylistFormat::pls},
        {"audio/x-scpls; charset=UTF-8", "", PlaylistFormat::pls},
        {"audio/x-mpegurl", ext, PlaylistFormat::m3u},
        {"audio/mpegurl", "http://a.example/stream\n", PlaylistFormat::m3u},
        {"application/vnd.apple.mpegurl", hls, PlaylistFormat::hls},
        {"audio/x-mpegurl", hls, PlaylistFormat::hls},
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
        {"text/html", "<html>", PlaylistFormat::notPlaylist},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectPlaylistFormat(c.contentType, c.head), c.expected) << c.contentType.constData() << " / "
                                                                           << c.head.constData();
}

TEST(PlaylistParsing, PlsInTheShapesStationsPublish)
{
    // Shoutcast's own shape.
    EXPECT_EQ(entries(PlaylistFormat::pls, "[playlist]\nnumberofentries=2\nFile1=http://a.example:8000/\n"
                                           "Title1=Radio\nLength1=-1\nFile2=http://b.example:8000/\nVersion=2\n"),
              QStringList({"http://a.example:8000/", "http://b.example:8000/"}));
    // Byte-order mark, CRLF, lower-case keys, a wrong count, entries out of order.
    EXPECT_EQ(entries(PlaylistFormat::pls, "\xEF\xBB\xBF[playlist]\r\nNumberOfEntries=5\r\nfile2=http://b.example/\r\n"
                                           "FILE1 = http://a.example/ \r\n"),
              QStringList({"http://a.example/", "http://b.example/"}));
    // No count at all, a relative entry, an unparsable line.
    EXPECT_EQ(entries(PlaylistFormat::pls, "[playlist]\nFile1=live.mp3\ngarbage\n"),
              QStringList({"http://radio.example/listen/live.mp3"}));
    EXPECT_TRUE(entries(PlaylistFormat::pls, "[playlist]\nNumberOfEntries=0\n").isEmpty());
}

TEST(PlaylistParsing, M3uSkipsCommentsAndKeepsEveryScheme)
{
    EXPECT_EQ(entries(PlaylistFormat::m3u, "#EXTM3U\r\n#EXTINF:-1,Station\r\nhttps://a.example/stream\r\n\r\n"
                                           "# a comment\r\nfile:///etc/passwd\r\n/relative.aac\r\n"),
              QStringList({"https://a.example/stream", "file:///etc/passwd", "http://radio.example/relative.aac"}));
}

TEST(PlaylistParsing, XspfWithNamespacesAndOddCase)
{
    EXPECT_EQ(entries(PlaylistFormat::xspf, R"(<?xml version="1.0" encoding="UTF-8"?>
        <playlist version="1" xmlns="http://xspf.org/ns/0/">
          <trackList>
            <track><title>Radio</title><location>http://a.example/stream</location></track>
            <track><Location> https://b.example/stream </Location></track>
          </trackList>
        </playlist>)"),
              QStringList({"http://a.example/stream", "https://b.example/stream"}));
    EXPECT_EQ(entries(PlaylistFormat::xspf, R"(<x:playlist xmlns:x="http://xspf.org/ns/0/"><x:trackList><x:track>
        <x:location>http://c.example/</x:location></x:track></x:trackList></x:playlist>)"),
              QStringList({"http://c.example/"}));
}

TEST(PlaylistParsing, AsxWellFormedOrNot)
{
    EXPECT_EQ(entries(PlaylistFormat::asx, R"(<ASX VERSION="3.0"><ENTRY><TITLE>Radio</TITLE>
        <REF HREF="http://a.example/stream?x=1&amp;y=2" /></ENTRY><Entry><ref href="mms://b.example/"/></Entry></ASX>)"),
              QStringList({"http://a.example/stream?x=1&y=2", "mms://b.example/"}));
    // Bare ampersand and an unquoted attribute: not XML, still read.
    EXPECT_EQ(entries(PlaylistFormat::asx, "<asx version=3.0><entry><ref href=http://a.example/s?x=1&y=2 />"
                                           "<Ref Href=\"http://b.example/\"/></entry></asx>"),
              QStringList({"http://a.example/s?x=1&y=2", "http://b.example/"}));
}

TEST(PlaylistParsing, EntriesCarryTheTitlesTheFileGivesThem)
{
    struct Case {
        PlaylistFormat format;
        QByteArray body;
        QStringList titles;
    };
    const Case cases[] = {
        {PlaylistFormat::m3u,
         "#EXTM3U\r\n#EXTINF:-1 tvg-name=\"A, B\" tvg-logo=\"x.png\",Radio \"One, Two\"\r\nhttp://a.example/\r\n"
         "http://b.example/\r\n#EXTINF:0\r\n#EXTINF:-1,  Three \r\n# comment\r\nhttp://c.example/\r\n",
         {"Radio \"One, Two\"", "", "Three"}},
        {PlaylistFormat::pls, "[playlist]\nTitle2=Second\nFile1=http://a.example/\nFile2=http://b.example/\ntitle1= First \n",
         {"First", "Second"}},
        {PlaylistFormat::xspf,
         "<playlist><title>The list</title><trackList><track><location>http://a.example/</location>"
         "<title>After</title></track><track><title>Before</title><location>http://b.example/</location></track>"
         "<track><location>http://c.example/</location></track></trackList></playlist>",
         {"After", "Before", ""}},
        {PlaylistFormat::asx, "<asx><title>List</title><entry><title>Radio</title><ref href=\"http://a.example/\"/></entry></asx>",
         {"Radio"}},
        // Latin-1, as older players wrote them.
        {PlaylistFormat::m3u, "#EXTINF:-1,Caf\xE9 del Mar\nhttp://a.example/\n", {"Caf\u00E9 del Mar"}},
    };
    for (const Case& c : cases) {
        QStringList titles;
        for (const PlaylistEntry& entry : parsePlaylistEntries(c.format, c.body, base))
            titles << entry.title;
        EXPECT_EQ(titles, c.titles) << c.body.constData();
    }
}

TEST(PlaylistParsing, GarbageGivesNoEntries)
{
    EXPECT_TRUE(entries(PlaylistFormat::xspf, "<playlist><track><location>").isEmpty());
    EXPECT_TRUE(entries(PlaylistFormat::pls, QByteArray(4096, '\xFF')).isEmpty());
    EXPECT_TRUE(entries(PlaylistFormat::hls, "#EXTM3U\n#EXT-X-VERSION:3\nseg.aac\n").isEmpty());
}

} // namespace
