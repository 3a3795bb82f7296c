#include "ControllerFixture.h"
#include "support/StdoutCapture.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

using S = PlayingStatus;

class SupervisionTest : public ControllerTest {
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
    // A stall is known by the retry it schedules.
    void expectStallAfter(double seconds) { expectFiresAfter(seconds, [&] { return controller.hasRetryTimer(); }); }
    std::size_t attempts() const { return platform.backend.sessions.size(); }
};

TEST_F(SupervisionTest, StationThatNeverStartsRetriesOnScheduleThenGivesUp)
{
    StdoutCapture out;
    start();
    attemptWaits();
    for (const double delay : {15, 30, 60, 60, 60}) {
        // Each attempt gets the start-up allowance before the stall fires...
        expectStallAfter(25);
        EXPECT_EQ(controller.status(), S::loading);
        // ...and the retry follows after the back-off delay.
        const std::size_t before = attempts();
        expectFiresAfter(delay, [&] { return attempts() == before + 1; });
        EXPECT_EQ(controller.status(), S::loading);
        attemptWaits();
    }
    EXPECT_EQ(controller.retryCount(), 5);
    platform.clock.advance(25);
    EXPECT_EQ(controller.status(), S::error);
    EXPECT_FALSE(published.back()->playing);
    EXPECT_FALSE(controller.hasSession());
    EXPECT_EQ(platform.clock.armedTimerCount(), 0u);
    EXPECT_EQ(out.lines().filter("Stream stalled"),
              (QStringList{"Stream stalled, retry 1/5 in 15.0s...", "Stream stalled, retry 2/5 in 30.0s...",
                           "Stream stalled, retry 3/5 in 60.0s...", "Stream stalled, retry 4/5 in 60.0s...",
                           "Stream stalled, retry 5/5 in 60.0s..."}));
    EXPECT_EQ(out.lines().last(), "Max retries (5) reached, giving up");
    // The user is told why: it never answered.
    EXPECT_EQ(controller.failureMessage(), failureMessage(FailureReason::timedOut));
}

// Once a station has played, every way it can stall gives it 15 s, and so
// does each retried session; a retry that plays starts the count anew.
class StallAfterPlaying : public SupervisionTest, public ::testing::WithParamInterface<SessionEvent> {};

TEST_P(StallAfterPlaying, GetsFifteenSecondsThenARetryThatGetsFifteenAgain)
{
    startPlaying();
    report(GetParam());
    EXPECT_EQ(controller.status(), S::buffering);
    expectStallAfter(15);
    controller.handleStall(); // while a retry is pending: does not count
    EXPECT_EQ(controller.retryCount(), 1);
    platform.clock.advance(15);
    EXPECT_EQ(attempts(), 2u);
    EXPECT_EQ(controller.status(), S::buffering);
    attemptWaits();
    expectStallAfter(15);
    EXPECT_EQ(controller.retryCount(), 2);

    platform.clock.advance(30);
    report(SessionState::playing);
    EXPECT_EQ(controller.retryCount(), 0);
    StdoutCapture out;
    report(GetParam());
    platform.clock.advance(15);
    EXPECT_EQ(out.lines().filter("retry"), QStringList{"Stream stalled, retry 1/5 in 15.0s..."});
}

INSTANTIATE_TEST_SUITE_P(BufferRunsDrySessionPausesItselfOrRecoverableFailure, StallAfterPlaying,
                         ::testing::Values(SessionState::buffering, SessionState::paused,
                                           PlaybackFailure::because(FailureReason::connectionLost)));

// A stall timer that fired while a report of playing was already waiting to
// be handled: the stream plays, so its stall counts for nothing.
TEST_F(SupervisionTest, AFiredStallIsVoidOncePlayingWasHandledFirst)
{
    start();
    attemptWaits();
    ASSERT_TRUE(controller.hasStallTimer());
    session().post(SessionState::playing); // queued first...
    platform.clock.fireTimers(25);         // ...then the stall fires
    platform.clock.runPending();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_FALSE(controller.hasRetryTimer());
    EXPECT_EQ(controller.retryCount(), 0);
    platform.clock.advance(600);
    EXPECT_EQ(attempts(), 1u);
}

// Never retried directly: a recoverable failure waits like a stall, a
// final one ends in error at once.
TEST_F(SupervisionTest, FailuresWaitForTheStallOrEndInErrorAtOnce)
{
    start();
    report(PlaybackFailure::because(FailureReason::timedOut));
    EXPECT_EQ(controller.status(), S::loading);
    expectStallAfter(25);

    StdoutCapture out;
    startPlaying();
    report(SessionState::buffering);
    ASSERT_TRUE(controller.hasStallTimer());
    report(PlaybackFailure::because(FailureReason::certificateUntrusted));
    EXPECT_EQ(controller.status(), S::error);
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_TRUE(controller.hasSession()); // kept until the next play or stop
    EXPECT_EQ(out.lines().last(), "Unrecoverable stream error: The server's certificate is not trusted.");
    EXPECT_EQ(controller.failureMessage(), "The server's certificate is not trusted.");
    platform.clock.advance(600);
    EXPECT_EQ(attempts(), 2u);
    // Gone with the failure.
    start();
    EXPECT_EQ(controller.failureMessage(), "");
}

TEST_F(SupervisionTest, PauseReleasesTheStreamAfterFiveMinutesEachPauseStartingThemAnew)
{
    startPlaying();
    controller.pause();
    platform.clock.advance(299);
    controller.resume();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_TRUE(controller.hasSession());

    report(StreamTitle{QStringLiteral("A - B")});
    controller.pause();
    controller.handleStall(); // while paused: does not count
    EXPECT_FALSE(controller.hasRetryTimer());
    platform.clock.advance(200);
    controller.pause();
    platform.clock.advance(299.999);
    EXPECT_TRUE(controller.hasSession());
    platform.clock.advance(0.001);
    EXPECT_FALSE(controller.hasSession());
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_FALSE(controller.track());
    EXPECT_FALSE(published.back());
    EXPECT_TRUE(controller.isUserPaused());
    EXPECT_EQ(attempts(), 1u);
}

// A returning network restarts a station that waits or failed, a wake one
// that plays too; neither one paused or stopped.
TEST_F(SupervisionTest, NetworkReturnRestartsAWaitingOrFailedStationAndWakeAlsoOnePlaying)
{
    const auto networkReturns = [&] {
        platform.reportNetwork(false);
        platform.reportNetwork(true);
    };
    platform.wake();
    networkReturns();
    EXPECT_EQ(attempts(), 0u); // nothing started yet

    startPlaying();
    platform.reportNetwork(true); // the first report of a satisfied path does nothing
    networkReturns();
    EXPECT_EQ(attempts(), 1u); // playing: the network leaves it alone, a wake does not
    platform.wake();
    EXPECT_EQ(attempts(), 2u);
    EXPECT_EQ(controller.status(), S::loading);

    startPlaying();
    report(SessionState::buffering);
    platform.clock.advance(15);
    ASSERT_EQ(controller.retryCount(), 1);
    platform.reportNetwork(false);
    EXPECT_EQ(controller.status(), S::buffering); // a loss only records the flag
    EXPECT_FALSE(controller.isNetworkAvailable());
    platform.reportNetwork(true);
    EXPECT_EQ(attempts(), 4u);
    EXPECT_EQ(controller.status(), S::loading);
    EXPECT_EQ(controller.retryCount(), 0);
    EXPECT_FALSE(controller.hasRetryTimer());

    report(PlaybackFailure::because(FailureReason::hostNotFound));
    ASSERT_EQ(controller.status(), S::error);
    networkReturns();
    EXPECT_EQ(attempts(), 5u);
    report(PlaybackFailure::because(FailureReason::certificateExpired));
    ASSERT_EQ(controller.status(), S::error);
    platform.wake();
    EXPECT_EQ(attempts(), 6u);

    controller.stop(); // stopped without a pause, as when its station is deleted
    networkReturns();
    platform.wake();
    startPlaying();
    controller.pause();
    networkReturns();
    platform.wake();
    EXPECT_EQ(attempts(), 7u);
}

} // namespace
