// Stations played for real: the controller on the GStreamer backend against
// the local stream server.

#include "LivePlayback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace tunara::testing {
namespace {

const auto rowName = [](const auto& info) { return std::string(info.param.name); };

// A stream whose ICY metadata block says text.
QString metadata(const QString& text)
{
    return "/icy/mp3?metadata=" + QString::fromLatin1(QUrl::toPercentEncoding(text));
}

struct PlayCase {
    const char* name;
    QString where;
    QString artist; // empty for none
    QString title;
    StreamDetails details{"MP3", 128000, 44100, 2}; // a bit rate of -1: measured, any
};

void PrintTo(const PlayCase& row, std::ostream* os)
{
    *os << row.name;
}

class StationPlaysTest : public ::testing::TestWithParam<PlayCase> {};

// Titles reach the player and the desktop as text, and cleaned: no control
// characters, one line, at most 1,024 characters. What the stream is comes
// from its own tags and decoded audio.
TEST_P(StationPlaysTest, WithoutAFailureAndWithItsTitleAsText)
{
    LivePlayback live;
    live.play(GetParam().where);
    EXPECT_EQ(live.status(), PlayingStatus::loading);
    // Well before a stall time-out and a retry could have played it.
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing, 12));
    EXPECT_EQ(live.controller->retryCount(), 0);
    EXPECT_FALSE(live.controller->hasStallTimer());
    EXPECT_TRUE(live.failures.empty());

    ASSERT_TRUE(live.waitForTrack());
    EXPECT_EQ(live.controller->track()->artist.value_or(QString()), GetParam().artist);
    EXPECT_EQ(live.controller->track()->title, GetParam().title);
    EXPECT_EQ(live.controller->nowPlaying()->track, live.controller->track());
    // Also when a playlist file named the stream.
    EXPECT_EQ(live.controller->nowPlaying()->station, "Fixture Radio");
    const StreamDetails& details = live.controller->streamDetails();
    StreamDetails expected = GetParam().details;
    EXPECT_TRUE(waitUntil([&] {
        if (GetParam().details.bitrate < 0 && details.bitrate > 0)
            expected.bitrate = details.bitrate;
        return details == expected;
    }, 5))
        << details.codec.toStdString() << " " << details.bitrate << " " << details.sampleRate << " " << details.channels;
}

INSTANTIATE_TEST_SUITE_P(
    Stations, StationPlaysTest,
    ::testing::Values(
        PlayCase{"Utf8", "/icy/mp3?charset=utf-8", "Sigur Rós", "Hoppípolla ♫"},
        PlayCase{"Windows1252", "/icy/mp3?charset=windows-1252", "Sinéad O’Connor", "Nothing Compares 2 U"},
        PlayCase{"Windows1251", "/icy/mp3?charset=windows-1251", "Кино", "Группа крови"},
        PlayCase{"MissingClosingQuote", metadata("StreamTitle='Artist - Title;"), "Artist", "Title"},
        PlayCase{"ControlCharacters", metadata("StreamTitle='Art\x1b]0;evil\aist - Ti\r\ntle\t\tend\x7f';"),
                 "Art]0;evilist", "Ti tle end"},
        PlayCase{"FourThousandCharacters", metadata("StreamTitle='A - " + QString(4000, 'x') + "';"), "A",
                 QString(1020, 'x')},
        // Packed audio, whose ID3 title frame wins over the artist frame.
        PlayCase{"Hls", "/hls/master.m3u8", "", "HLS Song", {"AAC", -1, 44100, 2}},
        // Tagged streams: their title tag is the title.
        PlayCase{"OggVorbis", "/ogg/vorbis", "", "Ogg Song", {"Vorbis", 96000, 44100, 2}},
        // Opus announces no bit rate, nor does GStreamer measure one.
        PlayCase{"OggOpus", "/ogg/opus", "", "Ogg Song", {"Opus", 0, 48000, 1}},
        PlayCase{"PlsFile", "/playlist?type=audio/x-scpls&body=[playlist]%0AFile1={http}/icy/mp3%0A", "Sigur Rós",
                 "Hoppípolla ♫"},
        // Served as plain text: recognised by its first bytes. The dead first
        // mirror gives way to the next without a retry.
        PlayCase{"M3uFileWithADeadMirror", "/playlist?body=%23EXTM3U%0A{refused}/icy/mp3%0A{http}/icy/mp3%0A",
                 "Sigur Rós", "Hoppípolla ♫"}),
    rowName);

TEST(PlaylistStationTest, NestedPlaylistsAreFollowedTwoLevelsDeep)
{
    LivePlayback live;
    const QString xspf = live.playlist("application/xspf+xml",
                                       "<?xml version=\"1.0\"?><playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                                       "<track><location>{http}/icy/mp3</location></track></trackList></playlist>");
    const QString pls = live.playlist("audio/x-scpls", "[playlist]\nFile1={http}" + xspf + "\n");
    live.play(pls);
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));

    // One level more is not followed: the deepest file is not audio.
    live.play(live.playlist("audio/x-mpegurl", "{http}" + pls + "\n"));
    ASSERT_TRUE(live.waitFor(PlayingStatus::error));
}

struct FailureCase {
    const char* name;
    const char* where;
    std::optional<FailureReason> reason; // none: any final one
};

void PrintTo(const FailureCase& row, std::ostream* os)
{
    *os << row.name;
}

class UnrecoverableFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(UnrecoverableFailureTest, EndsInErrorAtOnceWithoutRetry)
{
    LivePlayback live;
    live.play(GetParam().where);

    ASSERT_TRUE(live.waitFor(PlayingStatus::error, 30));
    EXPECT_FALSE(live.controller->hasStallTimer());
    EXPECT_FALSE(live.controller->hasRetryTimer());
    ASSERT_EQ(live.failures.size(), 1u);
    EXPECT_TRUE(live.failures[0].isFinal());
    if (GetParam().reason) {
        EXPECT_EQ(live.failures[0].reason, GetParam().reason) << live.failures[0].message.toStdString();
    }
    EXPECT_EQ(std::count(live.statuses.begin(), live.statuses.end(), PlayingStatus::playing), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UnrecoverableFailureTest,
    ::testing::Values(
        FailureCase{"NotFound", "/status/404", FailureReason::notFound},
        FailureCase{"Gone", "/status/410", FailureReason::notFound},
        FailureCase{"Unauthorized", "/status/401", FailureReason::authenticationRequired},
        FailureCase{"Forbidden", "/status/403", FailureReason::forbidden},
        FailureCase{"ServerError", "/status/500", FailureReason::badServerResponse},
        FailureCase{"UnknownHost", "http://no-such-station.invalid/live", FailureReason::hostNotFound},
        FailureCase{"NoHost", "http:///live", FailureReason::badURL},
        FailureCase{"SelfSignedCertificate", "{https}/icy/mp3", FailureReason::certificateUnknownIssuer},
        // No format recognised, or (GStreamer 1.26, now and then) one taken
        // for a format nothing here decodes.
        FailureCase{"GarbageBody", "/garbage", std::nullopt},
        FailureCase{"PictureBody", "/video", FailureReason::noDecoder},
        FailureCase{"RedirectToFile", "/redirect?to=file:///etc/hostname", FailureReason::unsupportedScheme},
        FailureCase{"FileStation", "file:///etc/hostname", FailureReason::unsupportedScheme},
        FailureCase{"UnparsablePlaylist",
                    "/playlist?type=application/vnd.apple.mpegurl&body=%23EXTM3U%0A%23EXT-X-TARGETDURATION:banana%0A"
                    "%23EXTINF:x,%0A%00%01%0A",
                    FailureReason::parseFailure},
        FailureCase{"MetadataIntervalThatDoesNotFitTheBody", "/icy/mp3?metaint=1", FailureReason::unrecognisedFormat}),
    rowName);

// A local file named anywhere in a stream (a playlist file, an HLS variant or
// segment, a redirect), or any other URI that is not http or https, is never
// opened, and the station fails at once: long before any time-out. The local
// file is the FIFO, which shows whether anything opened it.
class NonWebURITest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(NonWebURITest, IsNeverOpenedAndTheStationFailsAtOnce)
{
    auto options = LivePlayback::defaultOptions();
    options.sourceTimeoutSeconds = 60;
    options.startTimeoutSeconds = 60;
    LivePlayback live(options);
    live.play(GetParam().where);
    const bool failed = live.waitFor(PlayingStatus::error, 10);
    EXPECT_FALSE(live.fifoOpened) << "a local file was opened";
    ASSERT_TRUE(failed);
    EXPECT_EQ(live.failures.back().reason, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Places, NonWebURITest,
    ::testing::Values(
        FailureCase{"HlsSegment", "/hls/live.m3u8?uri=file://{fifo}", FailureReason::unsupportedScheme},
        FailureCase{"HlsVariant", "/hls/master.m3u8?uri=file://{fifo}", FailureReason::unsupportedScheme},
        FailureCase{"Redirect", "/redirect?to=file://{fifo}", FailureReason::unsupportedScheme},
        FailureCase{"FdSegment", "/hls/live.m3u8?uri=fd://0", FailureReason::unsupportedScheme},
        FailureCase{"DataSegment", "/hls/live.m3u8?uri=data:audio/aac;base64,AAAA", FailureReason::unsupportedScheme},
        FailureCase{"PlaylistOfNoWebStreams",
                    "/playlist?type=audio/x-scpls&body=[playlist]%0AFile1=file://{fifo}%0AFile2=rtsp://x.example/%0A",
                    FailureReason::parseFailure},
        FailureCase{"PlaylistTooLarge", "/playlist?type=audio/x-mpegurl&size=70000&body={http}/icy/mp3",
                    FailureReason::parseFailure}),
    rowName);

class RecoverableFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RecoverableFailureTest, WaitsWithTheStallTimerArmed)
{
    LivePlayback live;
    live.play(GetParam().where);

    ASSERT_TRUE(waitUntil([&] { return !live.failures.empty(); }, 20));
    EXPECT_EQ(live.status(), live.controller->hasEverPlayed() ? PlayingStatus::buffering : PlayingStatus::loading);
    EXPECT_TRUE(live.controller->hasStallTimer());
    EXPECT_FALSE(live.controller->hasRetryTimer());
    EXPECT_EQ(live.failures[0].reason, GetParam().reason) << live.failures[0].message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecoverableFailureTest,
    ::testing::Values(FailureCase{"ServiceUnavailable", "/status/503", FailureReason::serverUnavailable},
                      FailureCase{"BadGateway", "/status/502", FailureReason::serverUnavailable},
                      FailureCase{"ConnectionRefused", "{refused}/icy/mp3", FailureReason::connectionRefused},
                      FailureCase{"SilentServer", "/silent", FailureReason::timedOut},
                      FailureCase{"ClosedMidStream", "/icy/mp3?burst=32000&close_after=1",
                                  FailureReason::connectionLost}),
    rowName);

TEST(LiveSupervisionTest, AStallBuffersThenRetriesAndTheStreamBackPlaysWithTheRetryCountReset)
{
    // The source waits longer than the stall timer, so the stall ends in a
    // retry (after 15 s and 15 s more) rather than in a source error.
    auto options = LivePlayback::defaultOptions();
    options.sourceTimeoutSeconds = 60;
    LivePlayback live(options);
    live.play("/icy/mp3?stop_after=1");
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    ASSERT_TRUE(live.waitFor(PlayingStatus::buffering));
    EXPECT_TRUE(live.controller->hasStallTimer());
    EXPECT_FALSE(live.controller->hasRetryTimer());

    ASSERT_TRUE(waitUntil([&] { return live.controller->hasRetryTimer(); }, 25));
    EXPECT_EQ(live.controller->retryCount(), 1);
    EXPECT_EQ(live.status(), PlayingStatus::buffering);

    // The retry reconnects; the server streams again.
    ASSERT_TRUE(waitUntil([&] { return !live.controller->hasRetryTimer(); }, 20));
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    EXPECT_EQ(live.controller->retryCount(), 0);
    EXPECT_FALSE(live.controller->hasStallTimer());
}

} // namespace
} // namespace tunara::testing
