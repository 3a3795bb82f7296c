// The marquee's scroll decision, pass distance and timing, on a clock the
// test advances; and that it runs only while on screen.

#include "ManualMarqueeClock.h"
#include "MarqueeScroller.h"
#include "UiFixture.h"

#include <QTest>

namespace tunara::testing {
namespace {

class MarqueeTest : public ::testing::Test {
protected:
    MarqueeTest()
    {
        scroller.setClock(&clock);
        scroller.setProperty("speed", 30.0);
        scroller.setProperty("spacing", 40.0);
        scroller.setProperty("pauseDuration", 2.0);
        scroller.setText(QStringLiteral("A title"));
        scroller.setActive(true);
    }

    ManualMarqueeClock clock;
    MarqueeScroller scroller;
};

TEST_F(MarqueeTest, ScrollsOnlyWhenStrictlyWiderThanAMeasuredSlot)
{
    scroller.setTextWidth(200);
    EXPECT_FALSE(scroller.needsScrolling()); // slot not measured yet
    scroller.setContainerWidth(200);
    EXPECT_FALSE(scroller.needsScrolling()); // exactly as wide
    clock.advance(30);
    EXPECT_EQ(scroller.offset(), 0);
    EXPECT_FALSE(clock.hasPendingWake()); // standing still costs nothing
    scroller.setContainerWidth(199.5);
    EXPECT_TRUE(scroller.needsScrolling());
}

TEST_F(MarqueeTest, PausesMovesTextWidthPlusSpacingThenSnapsBack)
{
    scroller.setTextWidth(200);
    scroller.setContainerWidth(150);

    clock.advance(1.99);
    EXPECT_EQ(scroller.offset(), 0);
    clock.advance(0.01 + 4); // halfway through an 8-second pass of 240 points
    EXPECT_NEAR(scroller.offset(), -120, 0.5);
    clock.advance(3.99);
    EXPECT_NEAR(scroller.offset(), -240, 1.5); // drawn once a point
    clock.advance(0.02); // the pass ends: back to the start
    EXPECT_EQ(scroller.offset(), 0);
    EXPECT_FALSE(scroller.moving());

    scroller.setTextWidth(360); // the font got wider, say: the next pass reads it
    clock.advance(1.9); // the next pause
    EXPECT_EQ(scroller.offset(), 0);
    clock.advance(0.1 + 5);
    EXPECT_NEAR(scroller.offset(), -150, 0.5); // still 30 points a second
    clock.advance(8);
    EXPECT_NEAR(scroller.offset(), -390, 1.0); // 360 + 40, not the slot
}

TEST_F(MarqueeTest, ANewTextOrReappearingStartsOverWithAPause)
{
    scroller.setTextWidth(200);
    scroller.setContainerWidth(150);
    const auto expectFreshStart = [&] {
        EXPECT_EQ(scroller.offset(), 0);
        clock.advance(1.9);
        EXPECT_EQ(scroller.offset(), 0);
        clock.advance(0.1 + 1);
        EXPECT_NEAR(scroller.offset(), -30, 0.5);
    };
    clock.advance(2 + 3);
    scroller.setText(QStringLiteral("Another title"));
    expectFreshStart();

    scroller.setActive(false);
    EXPECT_EQ(scroller.offset(), 0);
    EXPECT_FALSE(clock.hasPendingWake()); // off screen nothing runs
    clock.advance(100);
    scroller.setActive(true);
    expectFreshStart();
}

TEST_F(MarqueeTest, ARunningLoopGoesOnWhenTheSlotWidens)
{
    scroller.setTextWidth(200);
    scroller.setContainerWidth(150);
    clock.advance(2 + 1);
    scroller.setContainerWidth(400);
    EXPECT_FALSE(scroller.needsScrolling());
    clock.advance(1);
    EXPECT_NEAR(scroller.offset(), -60, 0.5);
    // A new text that fits ends it, at the leading edge.
    scroller.setText(QStringLiteral("Short"));
    scroller.setTextWidth(50);
    clock.advance(20);
    EXPECT_EQ(scroller.offset(), 0);
    EXPECT_FALSE(clock.hasPendingWake());
}

TEST_F(UiTest, HeaderTitleScrollsOnlyWhileThePanelIsShown)
{
    ui.setStations({QStringLiteral("Radio One")});
    ui.present(0, PlayingStatus::playing,
               metadata(QStringLiteral("A title far too long to fit in the narrow header of the panel")));
    QQuickView& panel = ui.showPanel();
    QQuickItem* marquee = UiHarness::find(panel, QStringLiteral("titleMarquee"));
    ASSERT_NE(marquee, nullptr);
    auto* scroller = marquee->property("scroller").value<MarqueeScroller*>();
    ASSERT_NE(scroller, nullptr);
    ManualMarqueeClock clock;
    scroller->setClock(&clock);

    EXPECT_TRUE(marquee->property("needsScrolling").toBool());
    EXPECT_EQ(UiHarness::find(panel, QStringLiteral("marqueeSecondCopy"))->opacity(), 1.0);
    clock.advance(3);
    EXPECT_LT(scroller->offset(), -20);

    panel.hide();
    EXPECT_FALSE(scroller->active());
    scroller->setClock(nullptr);
}

} // namespace
} // namespace tunara::testing
