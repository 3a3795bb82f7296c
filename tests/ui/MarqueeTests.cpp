// The marquee's scroll decision, pass distance and timing, on a clock the
// test advances; and that it runs only while on screen.

#include "ManualMarqueeClock.h"
#include "MarqueeScroller.h"
#include "UiFixture.h"

namespace tunara::testing {
namespace {

// 30 points a second, 40 between the copies, 2 seconds' pause; a text 200
// wide in a slot 150 wide unless a test says otherwise.
class MarqueeTest : public ::testing::Test {
protected:
    MarqueeTest()
    {
        scroller.setClock(&clock);
        scroller.setProperty("speed", 30.0);
        scroller.setProperty("spacing", 40.0);
        scroller.setProperty("pauseDuration", 2.0);
        scroller.setText("A title");
        scroller.setActive(true);
        scroller.setTextWidth(200);
    }
    // The offset once the clock has gone on this long.
    double after(double seconds)
    {
        clock.advance(seconds);
        return scroller.offset();
    }

    ManualMarqueeClock clock;
    MarqueeScroller scroller;
};

TEST_F(MarqueeTest, ScrollsOnlyWhenStrictlyWiderThanAMeasuredSlot)
{
    EXPECT_FALSE(scroller.needsScrolling()); // slot not measured yet
    scroller.setContainerWidth(200);
    EXPECT_FALSE(scroller.needsScrolling()); // exactly as wide
    EXPECT_EQ(after(30), 0);
    EXPECT_FALSE(clock.hasPendingWake()); // standing still costs nothing
    scroller.setContainerWidth(199.5);
    EXPECT_TRUE(scroller.needsScrolling());
}

TEST_F(MarqueeTest, PausesMovesTextWidthPlusSpacingThenSnapsBack)
{
    scroller.setContainerWidth(150);
    EXPECT_EQ(after(1.99), 0);
    EXPECT_NEAR(after(0.01 + 4), -120, 0.5); // halfway through an 8-second pass of 240 points
    EXPECT_NEAR(after(3.99), -240, 1.5);     // drawn once a point
    EXPECT_EQ(after(0.02), 0);               // the pass ends: back to the start
    EXPECT_FALSE(scroller.moving());

    scroller.setTextWidth(360); // the font got wider, say: the next pass reads it
    EXPECT_EQ(after(1.9), 0);   // the next pause
    EXPECT_NEAR(after(0.1 + 5), -150, 0.5); // still 30 points a second
    EXPECT_NEAR(after(8), -390, 1.0);       // 360 + 40, not the slot
}

TEST_F(MarqueeTest, ANewTextOrReappearingStartsOverWithAPause)
{
    scroller.setContainerWidth(150);
    clock.advance(2 + 3);
    const auto expectFreshStart = [&] {
        EXPECT_EQ(scroller.offset(), 0);
        EXPECT_EQ(after(1.9), 0);
        EXPECT_NEAR(after(0.1 + 1), -30, 0.5);
    };
    scroller.setText("Another title");
    expectFreshStart();

    scroller.setActive(false);
    EXPECT_EQ(scroller.offset(), 0);
    EXPECT_FALSE(clock.hasPendingWake()); // off screen nothing runs
    clock.advance(100);
    scroller.setActive(true);
    expectFreshStart();
}

TEST_F(MarqueeTest, ARunningLoopGoesOnWhenTheSlotWidensAndEndsWithATextThatFits)
{
    scroller.setContainerWidth(150);
    clock.advance(2 + 1);
    scroller.setContainerWidth(400);
    EXPECT_FALSE(scroller.needsScrolling());
    EXPECT_NEAR(after(1), -60, 0.5);
    // A new text that fits ends it, at the leading edge.
    scroller.setText("Short");
    scroller.setTextWidth(50);
    EXPECT_EQ(after(20), 0);
    EXPECT_FALSE(clock.hasPendingWake());
}

TEST_F(UiTest, HeaderTitleScrollsOnlyWhileThePanelIsShown)
{
    ui.setStations({"Radio One"});
    ui.present(0, PlayingStatus::playing, metadata("A title far too long to fit in the narrow header of the panel"));
    Window panel(ui.showPanel());
    auto* scroller = panel.get("titleMarquee", "scroller").value<MarqueeScroller*>();
    ASSERT_NE(scroller, nullptr);
    ManualMarqueeClock clock;
    scroller->setClock(&clock);

    EXPECT_TRUE(panel.get("titleMarquee", "needsScrolling").toBool());
    EXPECT_EQ(panel.item("marqueeSecondCopy")->opacity(), 1.0);
    EXPECT_TRUE(panel.shown("marqueeFade")); // not cut at the edges
    clock.advance(3);
    EXPECT_LT(scroller->offset(), -20);

    panel.view.hide();
    EXPECT_FALSE(scroller->active());
    scroller->setClock(nullptr);
}

} // namespace
} // namespace tunara::testing
