#include "ControllerFixture.h"
#include "support/StdoutCapture.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

using S = PlayingStatus;

TEST_F(ControllerTest, FreshControllerIsPausedWithThePlaceholder)
{
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_TRUE(controller.metadata().isPlaceholder());
    EXPECT_FALSE(controller.player());
    EXPECT_EQ(platform.nowPlayingAccessCount, 1);
    controller.teardown();
    controller.stop();
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_TRUE(statuses.empty());
    controller.pause();
    EXPECT_TRUE(controller.hasPauseTimer());
    EXPECT_TRUE(platform.nowPlaying.updates.empty()); // no station, nothing to publish
}

TEST_F(ControllerTest, PlayBuildsThePlayerAndWaitsForReadiness)
{
    start();
    EXPECT_EQ(statuses, std::vector<S>{S::loading});
    EXPECT_EQ(item().url, url);
    EXPECT_EQ(item().preferredForwardBufferDuration, 0);
    EXPECT_TRUE(item().canUseNetworkResourcesWhilePaused);
    EXPECT_EQ(item().outputs.size(), 1u);
    EXPECT_TRUE(player().automaticallyWaitsToMinimizeStalling);
    EXPECT_EQ(player().playCalls, 0);
    EXPECT_FALSE(controller.hasStallTimer());
    settle(); // the initial status report (unknown) changes nothing
    EXPECT_EQ(statuses, std::vector<S>{S::loading});

    item().becomeReady();
    settle();
    EXPECT_EQ(player().playCalls, 1);
    EXPECT_EQ(controller.status(), S::loading); // ready is not playing
    ASSERT_EQ(platform.nowPlaying.updates.size(), 1u);
    EXPECT_EQ(platform.nowPlaying.updates[0].title, name);
    EXPECT_EQ(platform.nowPlaying.updates[0].stationName, name);
    EXPECT_FALSE(platform.nowPlaying.updates[0].artist);
    EXPECT_FALSE(platform.nowPlaying.updates[0].isPlaying);
}

TEST_F(ControllerTest, TypicalStartReachesPlayingAndPublishesIt)
{
    StdoutCapture out;
    startPlaying();
    EXPECT_EQ(statuses, (std::vector<S>{S::loading, S::playing}));
    EXPECT_EQ(out.lines(), QStringList{"Stream buffering/stalled, waiting..."});
    EXPECT_FALSE(controller.hasStallTimer());
    EXPECT_TRUE(controller.hasEverPlayed());
    EXPECT_TRUE(platform.nowPlaying.updates.back().isPlaying);
}

TEST_F(ControllerTest, LikelyToKeepUpSetsPlayingOnlyWhenThePlayerRuns)
{
    start();
    item().setLikelyToKeepUp(true); // rate is 0: not playing yet
    settle();
    EXPECT_EQ(controller.status(), S::loading);
    item().becomeReady();
    item().reportLikelyToKeepUpWithoutValue(); // a missing value counts as false
    settle();
    EXPECT_EQ(controller.status(), S::loading);
    item().setLikelyToKeepUp(true);
    settle();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_TRUE(controller.hasEverPlayed());
    // Not a confirmed start: nothing published as playing.
    EXPECT_FALSE(platform.nowPlaying.updates.back().isPlaying);
}

TEST_F(ControllerTest, StallsWhilePlayingBecomeBuffering)
{
    startPlaying();
    player().reportTimeControlStatus(TimeControlStatus::paused);
    settle();
    EXPECT_EQ(controller.status(), S::buffering);
    EXPECT_TRUE(controller.hasStallTimer());

    player().reportTimeControlStatus(TimeControlStatus::playing);
    item().setBufferEmpty(true);
    settle();
    EXPECT_EQ(controller.status(), S::buffering);
    item().setBufferEmpty(false); // only an empty buffer counts
    item().setLikelyToKeepUp(true);
    settle();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_FALSE(controller.hasStallTimer());
}

TEST_F(ControllerTest, BufferEmptyBeforeTheFirstPlayIsIgnored)
{
    start();
    item().setBufferEmpty(true);
    player().reportTimeControlStatus(TimeControlStatus::paused); // not playing: ignored
    settle();
    EXPECT_EQ(controller.status(), S::loading);
    EXPECT_FALSE(controller.hasStallTimer());
}

TEST_F(ControllerTest, UserPauseIgnoresEveryReportUntilResume)
{
    startPlaying();
    controller.pause();
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_FALSE(platform.nowPlaying.updates.back().isPlaying);
    item().setBufferEmpty(true);
    item().setLikelyToKeepUp(true);
    item().becomeReady();
    item().fail(urlError(-1003));
    player().reportTimeControlStatus(TimeControlStatus::playing);
    player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    EXPECT_EQ(controller.status(), S::paused);
    EXPECT_FALSE(controller.hasStallTimer());

    const int playCalls = player().playCalls;
    controller.resume();
    EXPECT_EQ(controller.status(), S::playing);
    EXPECT_EQ(player().playCalls, playCalls + 1);
    EXPECT_FALSE(controller.hasPauseTimer());
    EXPECT_TRUE(platform.nowPlaying.updates.back().isPlaying);
}

TEST_F(ControllerTest, ResumeWithoutAPlayerStillReportsPlaying)
{
    controller.resume();
    EXPECT_EQ(controller.status(), S::playing);
}

TEST_F(ControllerTest, ReportsFromAReplacedPlayerAreIgnored)
{
    startPlaying();
    auto oldItem = platform.backend.items.back();
    auto oldPlayer = platform.backend.players.back();
    controller.play(QUrl("https://other.example/"), "Other", true);
    EXPECT_EQ(controller.status(), S::loading);
    EXPECT_FALSE(oldItem->hasLiveObservers());
    EXPECT_FALSE(oldPlayer->hasLiveObservers());
    EXPECT_FALSE(oldPlayer->currentItem());
    EXPECT_TRUE(oldItem->outputs.empty());
    EXPECT_FALSE(platform.backend.outputs.front()->hasDelegate());

    // A report already on its way when the player was replaced.
    auto newItem = platform.backend.items.back();
    newItem->becomeReady();
    oldPlayer->reportTimeControlStatus(TimeControlStatus::playing);
    platform.backend.players.back()->reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    settle();
    EXPECT_EQ(controller.status(), S::loading);
}

TEST_F(ControllerTest, StaleReportQueuedBeforeTeardownIsDropped)
{
    start();
    player().reportTimeControlStatus(TimeControlStatus::playing); // queued, not yet handled
    controller.play(QUrl("https://other.example/"), "Other", true);
    settle();
    EXPECT_EQ(controller.status(), S::loading);
}

TEST_F(ControllerTest, RetryDrivenStartShowsBufferingUserStartShowsLoading)
{
    startPlaying();
    start(false);
    EXPECT_EQ(controller.status(), S::buffering);
    start(true);
    EXPECT_EQ(controller.status(), S::loading);
}

TEST_F(ControllerTest, StopReleasesEverythingAndClearsNowPlaying)
{
    startPlaying();
    item().reportStatus(ItemStatus::readyToPlay);
    platform.backend.output().deliver({{{streamTitleItem("Artist - Song")}}});
    settle();
    ASSERT_EQ(controller.metadata().title, "Song");
    statuses.clear();
    metadataReports.clear();
    controller.stop();
    EXPECT_FALSE(controller.player());
    EXPECT_EQ(statuses, std::vector<S>{S::paused});
    ASSERT_EQ(metadataReports.size(), 1u);
    EXPECT_TRUE(metadataReports[0].isPlaceholder());
    EXPECT_TRUE(platform.nowPlaying.cleared);
    EXPECT_EQ(controller.currentStreamName(), name);
    EXPECT_EQ(controller.currentStreamURL(), url);
}

TEST_F(ControllerTest, EqualAssignmentsNotifyOnce)
{
    start();
    start();
    EXPECT_EQ(statuses, std::vector<S>{S::loading});
    EXPECT_TRUE(metadataReports.empty());
}

TEST_F(ControllerTest, NothingReachesTheControllerAfterItIsGone)
{
    auto owned = std::make_unique<PlaybackController>(platform.environment());
    owned->play(url, name, true);
    platform.backend.item().becomeReady();
    platform.backend.player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    platform.clock.runPending();
    ASSERT_TRUE(owned->hasStallTimer());
    const auto published = platform.nowPlaying.updates.size();
    platform.backend.player().reportTimeControlStatus(TimeControlStatus::playing);
    owned.reset(); // with a task still queued and a network handler installed
    platform.clock.runPending();
    platform.reportNetwork(false);
    platform.reportNetwork(true);
    platform.wake();
    platform.clock.advance(600);
    EXPECT_EQ(platform.nowPlaying.updates.size(), published);
    EXPECT_EQ(platform.backend.players.size(), 1u);
    EXPECT_EQ(platform.clock.armedTimerCount(), 0u);
}

} // namespace
