// The sleep timer on the virtual clock: minutes counted down, the fade
// inside the player over the last 30 seconds, the stop at the exact second.

#include "ControllerFixture.h"

#include "playback/SleepTimer.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

class SleepTimerTest : public ControllerTest {
protected:
    SleepTimer timer{controller, platform.clock};
};

TEST_F(SleepTimerTest, FadesOverTheLastHalfMinuteAndStopsAtTheSecondThroughAStationChange)
{
    startPlaying();
    timer.start(2 * 60);
    EXPECT_EQ(timer.remainingMinutes(), 2);
    platform.clock.advance(61);
    EXPECT_EQ(timer.remainingMinutes(), 1);
    platform.clock.advance(29);
    EXPECT_EQ(session().fade, 1.0); // 30 s left: the fade starts
    platform.clock.advance(15);
    EXPECT_DOUBLE_EQ(session().fade, 0.125); // half way, on the sliders' cubic scale

    // Another station keeps the timer, and the fade where it is.
    startPlaying();
    EXPECT_DOUBLE_EQ(session().fade, 0.125);
    platform.clock.advance(14);
    EXPECT_EQ(controller.status(), PlayingStatus::playing);
    EXPECT_TRUE(timer.isRunning());
    platform.clock.advance(1);
    EXPECT_EQ(controller.status(), PlayingStatus::paused);
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.remainingMinutes(), 0);
    // The next station plays at the volume set.
    startPlaying();
    EXPECT_EQ(session().fade, 1.0);
}

TEST_F(SleepTimerTest, APauseByTheUserCancelsItAndTheSoundComesBack)
{
    startPlaying();
    timer.start(45 * 60);
    platform.clock.advance(45 * 60 - 10);
    EXPECT_LT(session().fade, 0.1);
    controller.pause();
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(session().fade, 1.0);
    platform.clock.advance(3600);
    EXPECT_EQ(controller.status(), PlayingStatus::paused);
}

} // namespace
