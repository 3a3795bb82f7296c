#include "ControllerFixture.h"
#include "support/StdoutCapture.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

using S = PlayingStatus;

class SupervisionTest : public ControllerTest {
public:
    using ControllerTest::report;

protected:
    // The new session of each attempt connects and waits for audio.
    void attemptWaits() { report(SessionState::buffering); }
    // Advances to just before and just after the given time from now.
    void expectFiresAfter(double seconds, const std::function<bool()>& fired)
    {
        platform.clock.advance(seconds - 0.001);
        EXPECT_FALSE(fired()) << "fired before " << seconds << " s";
        platform.clock.advance(0.001);
        EXPECT_TRUE(fired()) << "did not fire at " << seconds << " s";
    }
    std::size_t attempts() const { return platform.backend.sessions.size(); }
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
    EXPECT_FALSE(controller.hasSession());
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
    report(SessionState::buffering);
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
    SessionEvent report;
};

class StallAfterPlaying : public SupervisionTest, public ::testing::WithParamInterface<Stall> {};

TEST_P(StallAfterPlaying, GetsFifteenSecondsThenARetry)
{
    startPlaying();
    report(GetParam().report);
    EXPECT_EQ(controller.status(), S::buffering);
    expectFiresAfter(PlaybackController::stallTimeout, [&] { return controller.hasRetryTimer(); });
    EXPECT_EQ(controller.retryCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, StallAfterPlaying,
    ::testing::Values(Stall{"BufferRunsDry", SessionState::buffering},
                      Stall{"SessionPausesItself", SessionState::paused},
                      Stall{"RecoverableFailure", PlaybackFailure::because(FailureReason::connectionLost)}),
    [](const ::testing::TestParamInfo<Stall>& param) { return param.param.name; });

// A stall timer that fired while a report of playing was already waiting to
// be handled: the stream plays, so its stall counts for nothing.
TEST_F(SupervisionTest, AFiredStallIsVoidOncePlayingWasHandledFirst)
{
    start();
    attemptWaits();
    ASSERT_TRUE(controller.hasStallTimer());
    session().post(SessionState::playing);                               // queued first...
    platform.clock.fireTimers(PlaybackController::initialBufferTimeout); // ...then the stall fires
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
    report(SessionState::buffering);
    platform.clock.advance(15 + 15); // stall, then retry
    attemptWaits();
    platform.clock.advance(15 + 30);
    ASSERT_EQ(controller.retryCount(), 2);
    report(SessionState::playing);
    EXPECT_EQ(controller.retryCount(), 0);
    EXPECT_EQ(controller.status(), S::playing);

    StdoutCapture out;
    report(SessionState::buffering);
    platform.clock.advance(15);
    EXPECT_EQ(out.lines().last(), "Stream stalled, retry 1/5 in 15.0s...");
}

TEST_F(SupervisionTest, StallWhileARetryIsPendingOrWhilePausedDoesNotCount)
{
    startPlaying();
    report(SessionState::buffering);
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
    report(PlaybackFailure::because(FailureReason::timedOut)); // worth retrying
    EXPECT_EQ(controller.status(), S::loading);
    expectFiresAfter(25, [&] { return controller.hasRetryTimer(); });
}

TEST_F(SupervisionTest, FinalFailureEndsInErrorAtOnce)
{
    StdoutCapture out;
    startPlaying();
    report(SessionState::buffering);
    ASSERT_TRUE(controller.hasStallTimer());
    report(PlaybackFailure::because(FailureReason::certificateUntrusted));
    EXPECT_EQ(controller.status(), S::error);
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_TRUE(controller.hasSession()); // kept until the next play or stop
    EXPECT_EQ(out.lines().last(), "Unrecoverable stream error: The server's certificate is not trusted.");
    platform.clock.advance(600);
    EXPECT_EQ(attempts(), 1u);
}

TEST_F(SupervisionTest, PauseReleasesTheStreamAfterExactlyFiveMinutes)
{
    startPlaying();
    controller.pause();
    platform.clock.advance(299);
    controller.resume();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_EQ(attempts(), 1u);
    EXPECT_TRUE(controller.hasSession());

    report(StreamTitle{QStringLiteral("A - B")});
    controller.pause();
    platform.clock.advance(299.999);
    EXPECT_TRUE(controller.hasSession());
    platform.clock.advance(0.001);
    EXPECT_FALSE(controller.hasSession());
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_FALSE(controller.track());
    EXPECT_FALSE(published.back());
    EXPECT_TRUE(controller.isUserPaused());
}

TEST_F(SupervisionTest, RepeatedPauseRestartsTheFiveMinutes)
{
    startPlaying();
    controller.pause();
    platform.clock.advance(200);
    controller.pause();
    platform.clock.advance(200);
    EXPECT_TRUE(controller.hasSession());
    platform.clock.advance(100);
    EXPECT_FALSE(controller.hasSession());
}

TEST_F(SupervisionTest, NetworkReturnRestartsOnlyAWaitingOrFailedStation)
{
    startPlaying();
    platform.reportNetwork(true); // the first report of a satisfied path does nothing
    platform.reportNetwork(false);
    platform.reportNetwork(true);
    EXPECT_EQ(attempts(), 1u); // playing: left alone

    report(SessionState::buffering);
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

    report(PlaybackFailure::because(FailureReason::hostNotFound));
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

    report(PlaybackFailure::because(FailureReason::certificateExpired));
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
