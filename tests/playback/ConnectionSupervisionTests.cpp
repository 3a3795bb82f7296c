#include "ControllerFixture.h"
#include "support/StdoutCapture.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

using S = PlayingStatus;

class SupervisionTest : public ControllerTest {
public:
    using ControllerTest::item;
    using ControllerTest::player;

protected:
    // The new player of each attempt reports that it is waiting.
    void attemptWaits()
    {
        item().becomeReady();
        player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
        settle();
    }
    // Advances to just before and just after the given time from now.
    void expectFiresAfter(double seconds, const std::function<bool()>& fired)
    {
        platform.clock.advance(seconds - 0.001);
        EXPECT_FALSE(fired()) << "fired before " << seconds << " s";
        platform.clock.advance(0.001);
        EXPECT_TRUE(fired()) << "did not fire at " << seconds << " s";
    }
    std::size_t attempts() const { return platform.backend.players.size(); }
};

TEST_F(SupervisionTest, StationThatNeverStartsRetriesOnScheduleThenGivesUp)
{
    StdoutCapture out;
    start();
    attemptWaits();
    const std::vector<double> delays = {15, 30, 60, 60, 60};
    for (std::size_t retry = 0; retry < delays.size(); ++retry) {
        // Each attempt gets the start-up allowance before the stall fires...
        expectFiresAfter(PlaybackController::initialBufferTimeout, [&] { return controller.hasRetryTimer(); });
        EXPECT_EQ(controller.retryCount(), static_cast<std::int64_t>(retry + 1));
        EXPECT_EQ(controller.status(), S::loading);
        // ...and the retry follows after the back-off delay.
        const std::size_t before = attempts();
        expectFiresAfter(delays[retry], [&] { return attempts() == before + 1; });
        EXPECT_EQ(controller.status(), S::loading);
        attemptWaits();
    }
    platform.clock.advance(PlaybackController::initialBufferTimeout);
    EXPECT_EQ(controller.status(), S::error);
    EXPECT_FALSE(controller.player());
    EXPECT_EQ(controller.retryCount(), 5);
    EXPECT_EQ(platform.clock.armedTimerCount(), 0u);

    const QStringList retryLines = out.lines().filter("Stream stalled");
    EXPECT_EQ(retryLines, (QStringList{"Stream stalled, retry 1/5 in 15.0s...", "Stream stalled, retry 2/5 in 30.0s...",
                                       "Stream stalled, retry 3/5 in 60.0s...", "Stream stalled, retry 4/5 in 60.0s...",
                                       "Stream stalled, retry 5/5 in 60.0s..."}));
    EXPECT_EQ(out.lines().last(), "Max retries (5) reached, giving up");
}

TEST_F(SupervisionTest, StationThatPlayedGetsTheShortStallTimeAndKeepsBuffering)
{
    startPlaying();
    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    EXPECT_EQ(controller.status(), S::buffering);
    expectFiresAfter(PlaybackController::stallTimeout, [&] { return controller.hasRetryTimer(); });
    platform.clock.advance(15);
    EXPECT_EQ(attempts(), 2u);
    EXPECT_EQ(controller.status(), S::buffering);
    EXPECT_TRUE(controller.hasEverPlayed());
    EXPECT_EQ(controller.retryCount(), 1);
    // The retried player waits: 15 s again, not 25 s.
    attemptWaits();
    expectFiresAfter(PlaybackController::stallTimeout, [&] { return controller.hasRetryTimer(); });
    EXPECT_EQ(controller.retryCount(), 2);
}

// Once a station has played, every way it can stall gives it 15 s.
struct Stall {
    const char* name;
    std::function<void(SupervisionTest&)> report;
};

class StallAfterPlaying : public SupervisionTest, public ::testing::WithParamInterface<Stall> {};

TEST_P(StallAfterPlaying, GetsFifteenSecondsThenARetry)
{
    startPlaying();
    GetParam().report(*this);
    settle();
    EXPECT_EQ(controller.status(), S::buffering);
    expectFiresAfter(PlaybackController::stallTimeout, [&] { return controller.hasRetryTimer(); });
    EXPECT_EQ(controller.retryCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, StallAfterPlaying,
    ::testing::Values(
        Stall{"PlayerWaits",
              [](SupervisionTest& fixture) { fixture.player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate); }},
        Stall{"PlayerPausesItself", [](SupervisionTest& fixture) { fixture.player().reportTimeControlStatus(TimeControlStatus::paused); }},
        Stall{"BufferRunsEmpty", [](SupervisionTest& fixture) { fixture.item().setBufferEmpty(true); }},
        Stall{"RecoverableFailure", [](SupervisionTest& fixture) { fixture.item().fail(urlError(-1005)); }}),
    [](const ::testing::TestParamInfo<Stall>& param) { return param.param.name; });

TEST_F(SupervisionTest, BufferRunningEmptyBeforeTheStationPlayedArmsNothing)
{
    start();
    item().becomeReady();
    item().setBufferEmpty(true);
    settle();
    EXPECT_EQ(controller.status(), S::loading);
    EXPECT_FALSE(controller.hasStallTimer());
}

// A stall timer that fired while a report of playing was already waiting to
// be handled: the stream plays, so its stall counts for nothing.
TEST_F(SupervisionTest, AFiredStallIsVoidOncePlayingWasHandledFirst)
{
    start();
    attemptWaits();
    ASSERT_TRUE(controller.hasStallTimer());
    player().reportTimeControlStatus(TimeControlStatus::playing);            // queued first...
    platform.clock.fireTimers(PlaybackController::initialBufferTimeout);     // ...then the stall fires
    settle();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_FALSE(controller.hasRetryTimer());
    EXPECT_EQ(controller.retryCount(), 0);
    platform.clock.advance(600);
    EXPECT_EQ(attempts(), 1u);
}

TEST_F(SupervisionTest, APlayingReportResetsTheCount)
{
    startPlaying();
    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    platform.clock.advance(15 + 15); // stall, then retry
    attemptWaits();
    platform.clock.advance(15 + 30);
    ASSERT_EQ(controller.retryCount(), 2);
    player().reportTimeControlStatus(TimeControlStatus::playing);
    settle();
    EXPECT_EQ(controller.retryCount(), 0);
    EXPECT_EQ(controller.status(), S::playing);

    StdoutCapture out;
    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    platform.clock.advance(15);
    EXPECT_EQ(out.lines().last(), "Stream stalled, retry 1/5 in 15.0s...");
}

TEST_F(SupervisionTest, LikelyToKeepUpCancelsTimersWithoutResettingTheCount)
{
    startPlaying();
    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    platform.clock.advance(15);
    ASSERT_TRUE(controller.hasRetryTimer());
    item().setLikelyToKeepUp(true);
    settle();
    EXPECT_FALSE(controller.hasRetryTimer());
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_EQ(controller.retryCount(), 1);
}

TEST_F(SupervisionTest, StallWhileARetryIsPendingOrWhilePausedDoesNotCount)
{
    startPlaying();
    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    platform.clock.advance(15);
    ASSERT_EQ(controller.retryCount(), 1);
    controller.handleStall();
    EXPECT_EQ(controller.retryCount(), 1);

    controller.pause();
    controller.handleStall();
    EXPECT_EQ(controller.retryCount(), 1);
    EXPECT_FALSE(controller.hasRetryTimer());
}

TEST_F(SupervisionTest, StallBeforeAnyStationDoesNothing)
{
    StdoutCapture out;
    controller.handleStall();
    EXPECT_TRUE(out.lines().isEmpty());
    EXPECT_EQ(controller.retryCount(), 0);
}

TEST_F(SupervisionTest, StationThatNeverReportsStaysLoadingWithNoTimer)
{
    start();
    settle();
    platform.clock.advance(3600);
    EXPECT_EQ(controller.status(), S::loading);
    EXPECT_EQ(attempts(), 1u);
}

TEST_F(SupervisionTest, RecoverableFailureArmsTheStallTimer)
{
    start();
    item().fail(urlError(-1001)); // a time-out is worth retrying
    settle();
    EXPECT_EQ(controller.status(), S::loading);
    expectFiresAfter(25, [&] { return controller.hasRetryTimer(); });
}

TEST_F(SupervisionTest, UnrecoverableFailureEndsInErrorAtOnce)
{
    StdoutCapture out;
    startPlaying();
    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    ASSERT_TRUE(controller.hasStallTimer());
    auto certificate = std::make_shared<const MediaError>(urlError(-1202));
    item().fail(MediaError{QStringLiteral("GStreamer"), 1, QStringLiteral("Secure connection failed"),
                           std::make_shared<const MediaError>(urlError(-1005, certificate))});
    settle();
    EXPECT_EQ(controller.status(), S::error);
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_TRUE(controller.player()); // kept until the next play or stop
    EXPECT_EQ(out.lines().last(), "Unrecoverable stream error: Secure connection failed");
    platform.clock.advance(600);
    EXPECT_EQ(attempts(), 1u);
}

TEST(ErrorClassification, SearchesTheWholeChainOfUnderlyingErrors)
{
    const auto chain = [](std::vector<MediaError> errors) {
        std::shared_ptr<const MediaError> head;
        for (auto it = errors.rbegin(); it != errors.rend(); ++it) {
            it->underlyingError = head;
            head = std::make_shared<const MediaError>(*it);
        }
        return head;
    };
    const MediaError other{QStringLiteral("OtherDomain"), -1202, {}, nullptr};
    const MediaError av{AVFoundationErrorDomain, -11853, {}, nullptr};
    const MediaError avRecoverable{AVFoundationErrorDomain, -11800, {}, nullptr};

    EXPECT_FALSE(PlaybackController::isUnrecoverable(nullptr));
    // Never retried: bad URL, unsupported URL, cannot find host, bad server
    // response, authentication required, no such file, no permission, a
    // secure connection required, and the five TLS failures...
    for (long long code : {-1000, -1002, -1003, -1011, -1013, -1100, -1102, -1022, -1200, -1201, -1202, -1203, -1204})
        EXPECT_TRUE(PlaybackController::isUnrecoverable(chain({urlError(code)}).get())) << code;
    // ...format not recognised, failed to parse, no decoder, content
    // unavailable, no longer playable.
    for (long long code : {-11828, -11853, -11833, -11863, -11867})
        EXPECT_TRUE(PlaybackController::isUnrecoverable(
            chain({MediaError{AVFoundationErrorDomain, code, {}, nullptr}}).get())) << code;
    // Worth retrying: time-out, refused, connection lost, offline, and
    // codes of a neighbouring kind.
    for (long long code : {-1001, -1004, -1005, -1009, -1206, -1099})
        EXPECT_FALSE(PlaybackController::isUnrecoverable(chain({urlError(code)}).get())) << code;
    EXPECT_FALSE(PlaybackController::isUnrecoverable(chain({other}).get())); // codes count only in their domain
    EXPECT_FALSE(PlaybackController::isUnrecoverable(chain({avRecoverable, urlError(-1001)}).get()));
    EXPECT_TRUE(PlaybackController::isUnrecoverable(chain({urlError(-1001), other, av}).get()));
}

TEST_F(SupervisionTest, PauseReleasesTheStreamAfterExactlyFiveMinutes)
{
    startPlaying();
    controller.pause();
    platform.clock.advance(299);
    controller.resume();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_EQ(attempts(), 1u);
    EXPECT_TRUE(controller.player());

    controller.pause();
    platform.clock.advance(299.999);
    EXPECT_TRUE(controller.player());
    platform.clock.advance(0.001);
    EXPECT_FALSE(controller.player());
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_TRUE(controller.metadata().isPlaceholder());
    EXPECT_TRUE(platform.nowPlaying.cleared);
    EXPECT_TRUE(controller.isUserPaused());
}

TEST_F(SupervisionTest, RepeatedPauseRestartsTheFiveMinutes)
{
    startPlaying();
    controller.pause();
    platform.clock.advance(200);
    controller.pause();
    platform.clock.advance(200);
    EXPECT_TRUE(controller.player());
    platform.clock.advance(100);
    EXPECT_FALSE(controller.player());
}

TEST_F(SupervisionTest, NetworkReturnRestartsOnlyAWaitingOrFailedStation)
{
    startPlaying();
    platform.reportNetwork(true); // the first report of a satisfied path does nothing
    platform.reportNetwork(false);
    platform.reportNetwork(true);
    EXPECT_EQ(attempts(), 1u); // playing: left alone

    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    platform.clock.advance(15);
    ASSERT_EQ(controller.retryCount(), 1);
    platform.reportNetwork(false);
    EXPECT_EQ(controller.status(), S::buffering); // a loss only records the flag
    EXPECT_FALSE(controller.isNetworkAvailable());
    platform.reportNetwork(true);
    EXPECT_EQ(attempts(), 2u);
    EXPECT_EQ(controller.status(), S::loading);
    EXPECT_EQ(controller.retryCount(), 0);
    EXPECT_FALSE(controller.hasRetryTimer());

    item().fail(urlError(-1003));
    settle();
    ASSERT_EQ(controller.status(), S::error);
    platform.reportNetwork(false);
    platform.reportNetwork(true);
    EXPECT_EQ(attempts(), 3u);

    controller.pause();
    platform.reportNetwork(false);
    platform.reportNetwork(true);
    EXPECT_EQ(attempts(), 3u);
}

TEST_F(SupervisionTest, WakeRestartsEverythingButAPausedStation)
{
    platform.wake();
    EXPECT_EQ(attempts(), 0u); // nothing started yet

    startPlaying();
    platform.wake();
    EXPECT_EQ(attempts(), 2u);
    EXPECT_EQ(controller.status(), S::loading);

    item().fail(urlError(-1202));
    settle();
    ASSERT_EQ(controller.status(), S::error);
    platform.wake();
    EXPECT_EQ(attempts(), 3u);

    controller.pause();
    platform.wake();
    EXPECT_EQ(attempts(), 3u);
    controller.stop();
    platform.wake();
    EXPECT_EQ(attempts(), 3u);
}

} // namespace
