// A station played for real: the controller on the GStreamer backend
// against the local stream server.

#include "LivePlayback.h"

#include "common/DisplayText.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunara::testing {
namespace {

struct CharsetCase {
    const char* name;
    const char* charset;
    const char* artist;
    const char* title;
};

void PrintTo(const CharsetCase& charset, std::ostream* os)
{
    *os << charset.name;
}

class IcyTitleTest : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(IcyTitleTest, StationPlaysAndItsTitleArrivesAsTheRightText)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QStringLiteral("/icy/mp3?charset=%1").arg(GetParam().charset)));
    EXPECT_EQ(live.status(), PlayingStatus::loading);

    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    EXPECT_EQ(live.controller->retryCount(), 0);
    EXPECT_FALSE(live.controller->hasStallTimer());

    ASSERT_TRUE(live.waitForTrack());
    EXPECT_EQ(live.controller->track()->artist, QString::fromUtf8(GetParam().artist));
    EXPECT_EQ(live.controller->track()->title, QString::fromUtf8(GetParam().title));
}

INSTANTIATE_TEST_SUITE_P(Charsets, IcyTitleTest,
                         ::testing::Values(CharsetCase{"Utf8", "utf-8", "Sigur Rós", "Hoppípolla ♫"},
                                           CharsetCase{"Windows1252", "windows-1252", "Sinéad O’Connor",
                                                       "Nothing Compares 2 U"},
                                           CharsetCase{"Windows1251", "windows-1251", "Кино", "Группа крови"}),
                         [](const ::testing::TestParamInfo<CharsetCase>& param) { return param.param.name; });

} // namespace
} // namespace tunara::testing

namespace tunara::testing {
namespace {

struct FailureCase {
    const char* name;
    std::function<QUrl(const StreamFixture&)> url;
    FailureReason reason;
};

void PrintTo(const FailureCase& failure, std::ostream* os)
{
    *os << failure.name;
}

std::string caseName(const ::testing::TestParamInfo<FailureCase>& info)
{
    return info.param.name;
}

QUrl path(const StreamFixture& server, const char* pathAndQuery)
{
    return server.http(QString::fromUtf8(pathAndQuery));
}

class UnrecoverableFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(UnrecoverableFailureTest, EndsInErrorAtOnceWithoutRetry)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(GetParam().url(live.server));

    ASSERT_TRUE(live.waitFor(PlayingStatus::error, 30));
    EXPECT_FALSE(live.controller->hasStallTimer());
    EXPECT_FALSE(live.controller->hasRetryTimer());
    ASSERT_EQ(live.failures.size(), 1u);
    EXPECT_EQ(live.failures[0].reason, GetParam().reason) << live.failures[0].message.toStdString();
    EXPECT_EQ(std::count(live.statuses.begin(), live.statuses.end(), PlayingStatus::playing), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UnrecoverableFailureTest,
    ::testing::Values(
        FailureCase{"NotFound", [](auto& s) { return path(s, "/status/404"); }, FailureReason::notFound},
        FailureCase{"Gone", [](auto& s) { return path(s, "/status/410"); }, FailureReason::notFound},
        FailureCase{"Unauthorized", [](auto& s) { return path(s, "/status/401"); },
                    FailureReason::authenticationRequired},
        FailureCase{"Forbidden", [](auto& s) { return path(s, "/status/403"); }, FailureReason::forbidden},
        FailureCase{"ServerError", [](auto& s) { return path(s, "/status/500"); }, FailureReason::badServerResponse},
        FailureCase{"UnknownHost", [](auto&) { return QUrl(QStringLiteral("http://no-such-station.invalid/live")); },
                    FailureReason::hostNotFound},
        FailureCase{"NoHost", [](auto&) { return QUrl(QStringLiteral("http:///live")); }, FailureReason::badURL},
        FailureCase{"SelfSignedCertificate", [](auto& s) { return s.https(QStringLiteral("/icy/mp3")); },
                    FailureReason::certificateUnknownIssuer},
        FailureCase{"GarbageBody", [](auto& s) { return path(s, "/garbage"); }, FailureReason::unrecognisedFormat},
        FailureCase{"PictureBody", [](auto& s) { return path(s, "/video"); }, FailureReason::noDecoder},
        FailureCase{"RedirectToFile", [](auto& s) { return path(s, "/redirect?to=file:///etc/hostname"); },
                    FailureReason::unsupportedScheme},
        FailureCase{"FileStation", [](auto&) { return QUrl(QStringLiteral("file:///etc/hostname")); },
                    FailureReason::unsupportedScheme},
        FailureCase{"UnparsablePlaylist", [](auto& s) { return path(s, "/hls/garbage.m3u8"); },
                    FailureReason::parseFailure},
        FailureCase{"MetadataIntervalThatDoesNotFitTheBody", [](auto& s) { return path(s, "/icy/mp3?metaint=1"); },
                    FailureReason::unrecognisedFormat}),
    caseName);

class RecoverableFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RecoverableFailureTest, WaitsWithTheStallTimerArmed)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(GetParam().url(live.server));

    ASSERT_TRUE(waitUntil([&] { return !live.failures.empty(); }, 20));
    const auto waiting = live.controller->hasEverPlayed() ? PlayingStatus::buffering : PlayingStatus::loading;
    EXPECT_EQ(live.status(), waiting);
    EXPECT_TRUE(live.controller->hasStallTimer());
    EXPECT_FALSE(live.controller->hasRetryTimer());
    EXPECT_EQ(live.failures[0].reason, GetParam().reason) << live.failures[0].message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecoverableFailureTest,
    ::testing::Values(
        FailureCase{"ServiceUnavailable", [](auto& s) { return path(s, "/status/503"); },
                    FailureReason::serverUnavailable},
        FailureCase{"BadGateway", [](auto& s) { return path(s, "/status/502"); }, FailureReason::serverUnavailable},
        FailureCase{"ConnectionRefused", [](auto& s) { return s.refused(); }, FailureReason::connectionRefused},
        FailureCase{"SilentServer", [](auto& s) { return path(s, "/silent"); }, FailureReason::timedOut},
        FailureCase{"ClosedMidStream", [](auto& s) { return path(s, "/icy/mp3?burst=32000&close_after=1"); },
                    FailureReason::connectionLost}),
    caseName);

// Titles as hostile servers send them reach the player and the desktop
// cleaned: no control characters, one line, at most 1,024 characters.
struct HostileTitle {
    const char* name;
    QString metadata;
    QString artist;
    QString title;
};

void PrintTo(const HostileTitle& title, std::ostream* os)
{
    *os << title.name;
}

class HostileTitleTest : public ::testing::TestWithParam<HostileTitle> {};

TEST_P(HostileTitleTest, ArrivesCleaned)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QStringLiteral("/icy/mp3?metadata=")
                               + QString::fromLatin1(QUrl::toPercentEncoding(GetParam().metadata))));
    ASSERT_TRUE(live.waitForTrack());
    EXPECT_EQ(live.controller->track()->artist.value_or(QString()), GetParam().artist);
    EXPECT_EQ(live.controller->track()->title, GetParam().title);
    EXPECT_EQ(live.controller->nowPlaying()->track, live.controller->track());
}

INSTANTIATE_TEST_SUITE_P(
    Servers, HostileTitleTest,
    ::testing::Values(
        HostileTitle{"MissingClosingQuote", QStringLiteral("StreamTitle='Artist - Title;"), QStringLiteral("Artist"),
                     QStringLiteral("Title")},
        HostileTitle{"ControlCharacters", QStringLiteral("StreamTitle='Art\x1b]0;evil\aist - Ti\r\ntle\t\tend\x7f';"),
                     QStringLiteral("Art]0;evilist"), QStringLiteral("Ti tle end")},
        HostileTitle{"FourThousandCharacters", QStringLiteral("StreamTitle='A - %1';").arg(QString(4000, 'x')),
                     QStringLiteral("A"), QString(1020, 'x')}),
    [](const ::testing::TestParamInfo<HostileTitle>& param) { return param.param.name; });

} // namespace
} // namespace tunara::testing

namespace tunara::testing {
namespace {

TEST(LiveHlsTest, PackedAudioPlaylistPlaysWithItsSegmentTitles)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QStringLiteral("/hls/master.m3u8")));

    ASSERT_TRUE(live.waitFor(PlayingStatus::playing, 15));
    ASSERT_TRUE(live.waitForTrack(15));
    // The ID3 title frame wins over the artist frame.
    EXPECT_TRUE(live.controller->track()->title.startsWith(QStringLiteral("HLS Song ")));
    EXPECT_FALSE(live.controller->track()->artist);
}

// A local file named anywhere in a stream (an HLS variant or segment, a
// redirect), or any other URI that is not http or https, is never opened,
// and the station fails at once: long before any time-out. %1 is a FIFO,
// which shows whether anything opened it.
class NonWebURITest : public ::testing::TestWithParam<const char*> {};

TEST_P(NonWebURITest, IsNeverOpenedAndFailsAtOnce)
{
    auto options = LivePlayback::defaultOptions();
    options.sourceTimeoutSeconds = 60;
    options.startTimeoutSeconds = 60;
    LivePlayback live(options);
    ASSERT_TRUE(live.server.isRunning());
    const QString fifo = live.server.workDirectory() + QStringLiteral("/segment.aac");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString uri = QString::fromUtf8(GetParam()).arg(fifo);
    const QString query = QString::fromLatin1(QUrl::toPercentEncoding(uri));
    live.play(live.server.http(uri.startsWith(QLatin1Char('/')) ? uri : QStringLiteral("/hls/entry.m3u8?uri=") + query));

    bool opened = false;
    const bool failed = waitUntil(
        [&] {
            opened = opened || fifoHasReader(fifo);
            return live.status() == PlayingStatus::error;
        },
        10);
    EXPECT_FALSE(opened);
    ASSERT_TRUE(failed);
    EXPECT_EQ(live.failures.back().reason, FailureReason::unsupportedScheme);
}

INSTANTIATE_TEST_SUITE_P(Places, NonWebURITest,
                         ::testing::Values("file://%1", "/hls/variant.m3u8?uri=file://%1", "/redirect?to=file://%1",
                                           "fd://0", "data:audio/aac;base64,AAAA"));

TEST(LiveSupervisionTest, StallBecomesBufferingWithTheStallTimerArmed)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QStringLiteral("/icy/mp3?stop_after=2")));
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));

    ASSERT_TRUE(live.waitFor(PlayingStatus::buffering));
    EXPECT_TRUE(live.controller->hasStallTimer());
    EXPECT_FALSE(live.controller->hasRetryTimer());
}

TEST(LiveSupervisionTest, StreamBackAfterARetryPlaysWithTheRetryCountReset)
{
    // The source waits longer than the stall timer, so the stall ends in a
    // retry (after 15 s and 15 s more) rather than in a source error.
    auto options = LivePlayback::defaultOptions();
    options.sourceTimeoutSeconds = 60;
    LivePlayback live(options);
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QStringLiteral("/icy/mp3?stop_after=1")));
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));

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
