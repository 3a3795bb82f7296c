#include "ControllerFixture.h"
#include "support/StdoutCapture.h"

#include <set>

using namespace tunara;
using namespace tunara::testing;

namespace {

using S = PlayingStatus;
using Published = std::pair<QString, bool>;

TEST_F(ControllerTest, FreshControllerIsPausedWithNoTrackAndNothingToPublishOrRetry)
{
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_FALSE(controller.track());
    StdoutCapture out;
    controller.handleStall();
    EXPECT_TRUE(out.lines().isEmpty());
    controller.stop();
    EXPECT_TRUE(statuses.empty());
    controller.pause();
    EXPECT_TRUE(controller.hasPauseTimer());
    // No station yet: nothing to show the desktop, not even a pause.
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(lastPublished(), Published("cleared", false));
    controller.resume(); // without a session it still reports playing
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_EQ(published.size(), 1u);
}

// The volume comes back from the mixer, once per change, and the next
// session starts at it; the Store's tests set it.
TEST_F(ControllerTest, TypicalStartConnectsBuffersAndPlaysAtTheVolume)
{
    StdoutCapture out;
    std::vector<double> volumes;
    QObject::connect(&controller, &PlaybackController::volumeChanged, [&](double volume) { volumes.push_back(volume); });
    controller.setVolume(0.4);
    start();
    // The desktop is shown the station at once, as playing: what the user
    // asked for.
    EXPECT_EQ(published.size(), 1u);
    EXPECT_EQ(lastPublished(), Published(name, true));
    EXPECT_EQ(session().url, url);
    EXPECT_EQ(session().stationName, name);
    EXPECT_EQ(session().volume, 0.4);
    // Nothing is armed before the session reports more than connecting,
    // however long that takes.
    report(SessionState::connecting);
    platform.clock.advance(3600);
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_EQ(platform.backend.sessions.size(), 1u);

    report(SessionState::buffering);
    EXPECT_TRUE(controller.hasStallTimer());
    EXPECT_EQ(published.size(), 1u);
    // A session that pauses itself before it ever played has not stalled.
    report(SessionState::paused);
    EXPECT_EQ(statuses, std::vector<S>{S::loading});

    report(SessionState::playing);
    EXPECT_EQ(statuses, (std::vector<S>{S::loading, S::playing}));
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_EQ(lastPublished(), Published(name, true));
    EXPECT_EQ(out.lines(), QStringList{"Stream buffering/stalled, waiting..."});

    report(MixerVolume{0.6});
    EXPECT_EQ(controller.volume(), 0.6);
    report(MixerVolume{0.6});
    EXPECT_EQ(volumes, (std::vector<double>{0.4, 0.6}));
    start();
    EXPECT_EQ(session().volume, 0.6);
}

TEST_F(ControllerTest, UserPauseIgnoresEveryReportUntilResumeAndStopReleasesEverything)
{
    startPlaying();
    controller.pause();
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_EQ(session().pauseCalls, 1);
    EXPECT_EQ(lastPublished(), Published(name, false));
    for (const SessionEvent& event : {SessionEvent(SessionState::buffering), SessionEvent(SessionState::playing),
                                      SessionEvent(PlaybackFailure::because(FailureReason::hostNotFound))})
        report(event);
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_FALSE(controller.canResume()) << "a session that failed while paused starts anew";

    startPlaying();
    controller.pause();
    EXPECT_TRUE(controller.canResume());
    controller.resume();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_EQ(session().playCalls, 1);
    EXPECT_FALSE(controller.hasPauseTimer());
    EXPECT_EQ(lastPublished(), Published(name, true));

    // Stop releases everything and clears what the desktop is shown.
    report(StreamTitle{QStringLiteral("Artist - Song")});
    ASSERT_EQ(controller.track()->title, "Song");
    statuses.clear();
    tracks.clear();
    controller.stop();
    EXPECT_FALSE(controller.hasSession());
    EXPECT_TRUE(platform.backend.sessions.back()->released);
    EXPECT_EQ(statuses, std::vector<S>{S::paused});
    EXPECT_EQ(tracks, std::vector<std::optional<Track>>{std::nullopt});
    EXPECT_EQ(lastPublished(), Published("cleared", false));
    EXPECT_EQ(controller.currentStationName(), name);
    EXPECT_EQ(controller.currentStationURL(), url);
}

// A start releases the old session first and shows the desktop the new
// station at once, without the old one's track; a retry's start of a
// station that played shows buffering, any other loading; a final failure
// shows the station as no longer playing.
TEST_F(ControllerTest, EachStartReleasesTheOldSessionAndShowsTheNewStationAtOnce)
{
    start();
    start();
    EXPECT_EQ(statuses, std::vector<S>{S::loading});
    EXPECT_TRUE(tracks.empty());
    report(SessionState::playing);
    report(StreamTitle{QStringLiteral("Artist - Song")});
    const auto old = platform.backend.sessions.back();
    controller.play(QUrl("https://other.example/"), "Other", false);
    EXPECT_TRUE(old->released);
    EXPECT_FALSE(session().released);
    EXPECT_EQ(controller.status(), S::buffering);
    ASSERT_TRUE(published.back());
    EXPECT_EQ(published.back()->station, "Other");
    EXPECT_FALSE(published.back()->track);
    EXPECT_TRUE(published.back()->playing);
    start(true);
    EXPECT_EQ(controller.status(), S::loading);
    report(PlaybackFailure::because(FailureReason::notFound));
    EXPECT_EQ(lastPublished(), Published(name, false));
}

TEST_F(ControllerTest, NothingReachesTheControllerAfterItIsGone)
{
    auto owned = std::make_unique<PlaybackController>(platform.environment());
    owned->play(url, name, true);
    session().report(SessionState::buffering);
    ASSERT_TRUE(owned->hasStallTimer());
    session().post(SessionState::playing);
    owned.reset(); // with a report queued and a network handler installed
    EXPECT_TRUE(session().released);
    platform.clock.runPending();
    platform.reportNetwork(false);
    platform.reportNetwork(true);
    platform.wake();
    platform.clock.advance(600);
    EXPECT_EQ(platform.backend.sessions.size(), 1u);
    EXPECT_EQ(platform.clock.armedTimerCount(), 0u);
}

// Only failures that may pass are retried; every other reason is final.
TEST(FailureReasons, OnlyThoseThatMayPassAreRetried)
{
    using R = FailureReason;
    const std::set<R> recoverable{R::connectionRefused, R::connectionLost,    R::timedOut,
                                  R::offline,           R::serverUnavailable, R::otherFailure};
    for (int reason = 0; reason <= int(R::otherFailure); ++reason)
        EXPECT_EQ(isFinal(R(reason)), !recoverable.contains(R(reason))) << reason;
}

} // namespace
