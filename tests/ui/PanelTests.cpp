// The panel: the header's status table, the station rows (key hints,
// speaker mark, wrapping, scroll height), the hover rule and the commands.

#include "UiFixture.h"

#include <QSignalSpy>
#include <QTest>

namespace tunara::testing {
namespace {

class PanelTest : public UiTest {
protected:
    QQuickItem* item(const QString& name) { return UiHarness::find(ui.app->panel(), name); }
    QVariant value(const QString& name, const char* property) { return item(name) ? item(name)->property(property) : QVariant(); }
    bool shown(const QString& name) { return item(name) && item(name)->isVisible(); }

    QQuickItem* list() { return item(QStringLiteral("stationList")); }
    QQuickItem* row(int index) { return UiHarness::listRow(list(), index); }
    // The rows of a short list, once the view has made them.
    QList<QQuickItem*> rows(int count)
    {
        QList<QQuickItem*> result;
        EXPECT_TRUE(QTest::qWaitFor([&] { return UiHarness::madeRows(list()) == count; }));
        for (int i = 0; i < count; ++i)
            result << row(i);
        return result;
    }
    static QQuickItem* part(QQuickItem* row, const char* name) { return UiHarness::find(row, QString::fromLatin1(name)); }
};

struct HeaderCase {
    PlayingStatus status;
    bool grayCircle;
    const char* symbol; // "" while the spinner turns
    const char* label;
    QStringList visibleTexts;
    const char* statusText; // the text of the last visible one
};

TEST_F(PanelTest, HeaderFollowsTheStatusTable)
{
    ui.setStations({QStringLiteral("Radio One")});
    ui.store->didChangeStatus(PlayingStatus::error);
    ui.showPanel();
    // Without a selection the header only asks for one, whatever the status.
    EXPECT_TRUE(shown(QStringLiteral("selectStreamText")));
    EXPECT_FALSE(shown(QStringLiteral("playButton")));

    const HeaderCase cases[] = {
        {PlayingStatus::loading, true, "", "Connecting", {"stationTitleText", "progressText"}, "Connecting…"},
        {PlayingStatus::buffering, false, "pause.fill", "Pause", {"stationTitleText", "progressText"}, "Buffering…"},
        {PlayingStatus::playing, false, "pause.fill", "Pause", {"detailLine", "titleMarquee"}, "Song"},
        {PlayingStatus::error, false, "play.fill", "Retry", {"errorText"}, "Connection failed"},
        {PlayingStatus::paused, false, "play.fill", "Play", {"detailLine", "titleText"}, "Song"},
    };
    const QStringList allTexts = {"errorText", "stationTitleText", "progressText", "titleMarquee", "titleText", "detailLine"};

    for (const HeaderCase& expected : cases) {
        SCOPED_TRACE(toString(expected.status));
        ui.present(0, expected.status, metadata(QStringLiteral("Song"), QStringLiteral("Band")));
        EXPECT_FALSE(shown(QStringLiteral("selectStreamText")));
        EXPECT_EQ(value(QStringLiteral("playButton"), "accessibilityLabel").toString(), expected.label);
        EXPECT_EQ(shown(QStringLiteral("spinner")), QString::fromLatin1(expected.symbol).isEmpty());
        EXPECT_EQ(value(QStringLiteral("playButton"), "symbolName").toString(), expected.symbol);
        const QColor circle = value(QStringLiteral("playButton"), "circleColor").value<QColor>();
        EXPECT_EQ(circle == QColor(0x8e, 0x8e, 0x93), expected.grayCircle);
        for (const QString& name : allTexts)
            EXPECT_EQ(shown(name), expected.visibleTexts.contains(name)) << qPrintable(name);
        EXPECT_EQ(value(expected.visibleTexts.last(), "text").toString(), QString::fromUtf8(expected.statusText));
    }

    // The detail line: artist, a middle dot, the station; no dot without an
    // artist. The station name is shown cleaned.
    ui.store->updateStream(ui.station(0).id, QStringLiteral("Radio\nOne"), ui.station(0).urlText());
    ui.present(0, PlayingStatus::paused, metadata(QStringLiteral("Song"), QStringLiteral("Band")));
    EXPECT_EQ(value(QStringLiteral("artistText"), "text").toString(), "Band");
    EXPECT_TRUE(shown(QStringLiteral("artistSeparator")));
    EXPECT_EQ(value(QStringLiteral("artistSeparator"), "text").toString(), QStringLiteral("\u00b7"));
    EXPECT_EQ(value(QStringLiteral("stationNameText"), "text").toString(), "Radio One");
    ui.present(0, PlayingStatus::paused, metadata(QStringLiteral("Song")));
    EXPECT_FALSE(shown(QStringLiteral("artistSeparator")));
    EXPECT_FALSE(shown(QStringLiteral("artistText")));
    ui.store->didChangeStatus(PlayingStatus::loading);
    EXPECT_EQ(value(QStringLiteral("stationTitleText"), "text").toString(), "Radio One");
}

TEST_F(PanelTest, RowsShowKeyHintsTheSpeakerAndWrapLongNames)
{
    ui.setStations({});
    QQuickView& panel = ui.showPanel();
    EXPECT_TRUE(shown(QStringLiteral("emptyList")));
    EXPECT_FALSE(shown(QStringLiteral("stationList")));
    EXPECT_TRUE(shown(QStringLiteral("settingsItem")));
    EXPECT_TRUE(shown(QStringLiteral("quitItem")));

    QStringList names = {QString(500, QLatin1Char('x')), QStringLiteral("Line one\nline two"), QStringLiteral("רדיו תל אביב")};
    for (int i = 4; i <= 12; ++i)
        names << QStringLiteral("Station %1").arg(i);
    ui.setStations(names);
    ui.present(10, PlayingStatus::error);
    EXPECT_FALSE(shown(QStringLiteral("emptyList")));
    QList<QQuickItem*> list;
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        list << row(i);
        ASSERT_NE(list[i], nullptr);
        EXPECT_EQ(part(list[i], "speakerMark")->isVisible(), i == 10);
        EXPECT_EQ(part(list[i], "keyHint")->isVisible(), i <= 8);
        if (i <= 8) {
            EXPECT_EQ(part(list[i], "keyHint")->property("text").toString(), QStringLiteral("Ctrl+%1").arg(i + 1));
        }
        // Long, multi-line and right-to-left names wrap inside the row.
        EXPECT_LE(part(list[i], "stationName")->x() + part(list[i], "stationName")->width(), list[i]->width());
    }
    // Names are shown cleaned: the line break is a space.
    EXPECT_EQ(part(list[1], "stationName")->property("text").toString(), "Line one line two");
    EXPECT_GT(list[0]->height(), 4 * list[3]->height());

    // The selected row never shows its hint, whatever the status; the speaker stays beside a long name.
    ui.present(0, PlayingStatus::paused);
    list[0] = row(0);
    EXPECT_TRUE(part(list[0], "speakerMark")->isVisible());
    EXPECT_FALSE(part(list[0], "keyHint")->isVisible());
    EXPECT_GT(part(list[0], "speakerMark")->mapToItem(list[0], QPointF()).x(), part(list[0], "stationName")->width());

    // More stations than fit: the list stops at 256 and the panel stays 260 wide.
    EXPECT_TRUE(QTest::qWaitFor([&] { return item(QStringLiteral("stationList"))->height() == 256; }, 2000))
        << item(QStringLiteral("stationList"))->height();
    EXPECT_EQ(panel.width(), 260);
}

TEST_F(PanelTest, OnlyTheRowUnderThePointerIsHighlighted)
{
    ui.setStations({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    QQuickView& panel = ui.showPanel();
    QQuickItem* root = panel.rootObject();
    const QList<QQuickItem*> list = rows(3);
    const auto highlighted = [&] {
        QList<int> result;
        for (int i = 0; i < list.size(); ++i) {
            if (list[i]->property("highlighted").toBool())
                result.append(i);
        }
        return result;
    };

    // A leave that arrives after the next row's enter keeps the next row lit.
    const QString a = list[0]->property("stationId").toString();
    const QString b = list[1]->property("stationId").toString();
    QMetaObject::invokeMethod(root, "rowEntered", Q_ARG(QVariant, a));
    QMetaObject::invokeMethod(root, "rowEntered", Q_ARG(QVariant, b));
    QMetaObject::invokeMethod(root, "rowExited", Q_ARG(QVariant, a));
    EXPECT_EQ(highlighted(), QList<int>{1});
    QMetaObject::invokeMethod(root, "rowExited", Q_ARG(QVariant, b));
    EXPECT_EQ(highlighted(), QList<int>{});

    // With the pointer.
    for (int i = 0; i < 3; ++i) {
        QTest::mouseMove(&panel, UiHarness::centreOf(list[i]));
        EXPECT_EQ(highlighted(), QList<int>{i});
    }
    QTest::mouseMove(&panel, QPoint(130, panel.height() - 2));
    EXPECT_EQ(highlighted(), QList<int>{});
}

TEST_F(PanelTest, RowsKeysAndButtonsRunTheirCommands)
{
    ui.setStations({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    QQuickView& panel = ui.showPanel();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(rows(3)[1]));
    ui.platform.clock.runPending();
    ASSERT_TRUE(ui.store->selectedStream());
    EXPECT_EQ(ui.store->selectedStream()->name, "B");
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::loading);
    EXPECT_TRUE(panel.isVisible());

    // Ctrl+digit plays the station now at that position; none at 9: nothing changes.
    ui.store->moveStreams({0}, 3);
    for (const Qt::Key key : {Qt::Key_2, Qt::Key_9}) {
        QTest::keyClick(&panel, key, Qt::ControlModifier);
        ui.platform.clock.runPending();
        EXPECT_EQ(ui.store->selectedStream()->name, "C");
    }

    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(item(QStringLiteral("playButton"))));
    ui.platform.clock.runPending();
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);

    QSignalSpy settingsRequests(&ui.app->commands(), &AppCommands::settingsRequested);
    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(item(QStringLiteral("quitItem"))));
    EXPECT_EQ(quitRequests.count(), 1);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(item(QStringLiteral("settingsItem"))));
    EXPECT_EQ(settingsRequests.count(), 1);
    QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quitRequests.count(), 2);
    QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(settingsRequests.count(), 2);
}

TEST_F(PanelTest, TheKeyboardPlaysARowAndReachesTheItems)
{
    ui.setStations({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    QQuickView& panel = ui.showPanel();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    const QList<QQuickItem*> list = rows(3);
    // No row is lit before a key is pressed.
    for (QQuickItem* row : list)
        EXPECT_FALSE(row->property("highlighted").toBool());
    ASSERT_TRUE(this->list()->hasActiveFocus());

    QTest::keyClick(&panel, Qt::Key_Down);
    QTest::keyClick(&panel, Qt::Key_Down);
    EXPECT_TRUE(list[1]->property("highlighted").toBool());
    QTest::keyClick(&panel, Qt::Key_Return);
    ui.platform.clock.runPending();
    ASSERT_TRUE(ui.store->selectedStream());
    EXPECT_EQ(ui.store->selectedStream()->name, "B");

    // Shift+Tab goes back to the play button, which Space toggles; Tab
    // goes on through the list to Settings… and Quit, and Return runs the
    // one with the focus.
    QTest::keyClick(&panel, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(item(QStringLiteral("playButton"))->hasActiveFocus());
    QTest::keyClick(&panel, Qt::Key_Space);
    ui.platform.clock.runPending();
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);
    QTest::keyClick(&panel, Qt::Key_Tab);
    EXPECT_TRUE(this->list()->hasActiveFocus());
    QTest::keyClick(&panel, Qt::Key_Tab);
    EXPECT_TRUE(item(QStringLiteral("settingsItem"))->hasActiveFocus());
    QTest::keyClick(&panel, Qt::Key_Tab);
    EXPECT_TRUE(item(QStringLiteral("quitItem"))->hasActiveFocus());

    QSignalSpy dismissRequests(&ui.app->commands(), &AppCommands::panelDismissRequested);
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(dismissRequests.count(), 1);

    ui.showPanel();
    QSignalSpy settingsRequests(&ui.app->commands(), &AppCommands::settingsRequested);
    QTest::keyClick(&panel, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(item(QStringLiteral("settingsItem"))->hasActiveFocus());
    QTest::keyClick(&panel, Qt::Key_Return);
    EXPECT_EQ(settingsRequests.count(), 1);
}

TEST_F(PanelTest, ALongListMakesOnlyTheRowsInView)
{
    QStringList names;
    for (int i = 1; i <= 1000; ++i)
        names << QStringLiteral("Station %1").arg(i);
    ui.setStations(names);
    QQuickView& panel = ui.showPanel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return list()->height() == 256; }));
    EXPECT_EQ(panel.width(), 260);
    EXPECT_GT(UiHarness::madeRows(list()), 5);
    EXPECT_LT(UiHarness::madeRows(list()), 40);

    // The last one is reached by scrolling, and the list stays lazy.
    QQuickItem* last = row(999);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(part(last, "stationName")->property("text").toString(), "Station 1000");
    EXPECT_FALSE(part(last, "keyHint")->isVisible());
    EXPECT_LT(UiHarness::madeRows(list()), 40);
    // A change far away leaves the scroll position alone.
    const qreal contentY = list()->property("contentY").toReal();
    ui.store->deleteStreams({ui.station(0).id});
    ui.store->addStream(QStringLiteral("Station 1001"), QStringLiteral("http://127.0.0.1/1001"));
    ui.present(2, PlayingStatus::playing);
    EXPECT_EQ(list()->property("contentY").toReal(), contentY);
}

} // namespace
} // namespace tunara::testing
