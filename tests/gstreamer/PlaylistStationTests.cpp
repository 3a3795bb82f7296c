// Stations whose URL names a playlist file (PLS, M3U, XSPF, ASX) instead
// of a stream: the backend plays the stream the file lists.

#include "LivePlayback.h"

#include "support/QtPrinters.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tunara::testing {
namespace {

// A URL of the fixture server that serves body with the given content type.
QUrl playlistURL(const StreamFixture& server, const QString& contentType, const QString& body)
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("type"), QString::fromUtf8(QUrl::toPercentEncoding(contentType)));
    query.addQueryItem(QStringLiteral("body"), QString::fromUtf8(QUrl::toPercentEncoding(body)));
    QUrl url = server.http(QStringLiteral("/playlist"));
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}

QString pls(const QStringList& entries)
{
    QString text = QStringLiteral("[playlist]\r\nNumberOfEntries=%1\r\n").arg(entries.size() + 3);
    for (qsizetype i = 0; i < entries.size(); ++i)
        text += QStringLiteral("File%1=%2\r\n").arg(i + 1).arg(entries[i]);
    return text;
}

TEST(PlaylistStationTest, PlsStationPlaysItsStreamWithTheTitle)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    const QString stream = live.server.http(QStringLiteral("/icy/mp3?charset=utf-8")).toString();
    live.play(playlistURL(live.server, QStringLiteral("audio/x-scpls"), pls({stream})));
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    ASSERT_TRUE(live.waitForTrack());
    EXPECT_EQ(live.controller->track()->title, QString::fromUtf8("Hoppípolla ♫"));
    // The station is still known by its own name.
    EXPECT_EQ(live.controller->nowPlaying()->station, QStringLiteral("Fixture Radio"));
}

TEST(PlaylistStationTest, DeadFirstEntryGivesWayToTheNextWithoutARetry)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    const QString stream = live.server.http(QStringLiteral("/icy/mp3")).toString();
    const QString body = QStringLiteral("#EXTM3U\n#EXTINF:-1,Mirror 1\n%1\n#EXTINF:-1,Mirror 2\n%2\n")
                             .arg(live.server.refused().toString(), stream);
    // Served as plain text: recognised by its first bytes.
    live.play(playlistURL(live.server, QStringLiteral("text/plain"), body));
    // Well before a stall time-out and a retry could have played it.
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing, 12));
    EXPECT_EQ(live.controller->retryCount(), 0);
    EXPECT_TRUE(live.failures.empty());
}

TEST(PlaylistStationTest, NestedPlaylistsAreFollowedTwoLevelsDeep)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    const QString stream = live.server.http(QStringLiteral("/icy/mp3")).toString();
    const QString xspf = QStringLiteral("<?xml version=\"1.0\"?><playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                                        "<track><location>%1</location></track></trackList></playlist>")
                             .arg(stream.toHtmlEscaped());
    const QUrl inner = playlistURL(live.server, QStringLiteral("application/xspf+xml"), xspf);
    live.play(playlistURL(live.server, QStringLiteral("audio/x-scpls"), pls({inner.toString()})));
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));

    // One level more is not followed: the deepest file is not audio.
    const QUrl outer = playlistURL(live.server, QStringLiteral("audio/x-scpls"), pls({inner.toString()}));
    live.play(playlistURL(live.server, QStringLiteral("audio/x-mpegurl"), outer.toString() + QStringLiteral("\n")));
    ASSERT_TRUE(live.waitFor(PlayingStatus::error));
}

TEST(PlaylistStationTest, PlaylistThatCannotServeFailsAsUnparsable)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    const QString fifo = live.server.workDirectory() + QStringLiteral("/station.mp3");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QUrl localOnly = playlistURL(live.server, QStringLiteral("audio/x-scpls"),
                                       pls({QUrl::fromLocalFile(fifo).toString(), QStringLiteral("rtsp://x.example/")}));
    QUrl tooLarge = live.server.http(QStringLiteral("/playlist?type=audio/x-mpegurl&size=70000"));

    for (const QUrl& url : {localOnly, tooLarge}) {
        live.play(url);
        bool opened = false;
        const bool failed = waitUntil(
            [&] {
                opened = opened || fifoHasReader(fifo);
                return live.status() == PlayingStatus::error;
            },
            20);
        EXPECT_FALSE(opened);
        ASSERT_TRUE(failed) << url.toString().toStdString();
        EXPECT_EQ(live.failures.back().reason, FailureReason::parseFailure);
    }
}

} // namespace
} // namespace tunara::testing
