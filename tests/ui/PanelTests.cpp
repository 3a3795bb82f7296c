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
    QVariant value(const QString& name, const char* property) { return UiHarness::property(ui.app->panel(), name, property); }
    bool shown(const QString& name) { return item(name) && item(name)->isVisible(); }
    QString text(const QString& name) { return value(name, "text").toString(); }

    QList<QQuickItem*> rows()
    {
        QList<QQuickItem*> result;
        for (QQuickItem* child : UiHarness::descendants(item(QStringLiteral("stationList")))) {
            if (child->property("stationId").isValid())
                result.append(child);
        }
        std::sort(result.begin(), result.end(), [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
        return result;
    }
    static QQuickItem* part(QQuickItem* row, const char* name) { return UiHarness::find(row, QString::fromLatin1(name)); }
};

struct HeaderCase {
    PlayingStatus status;
    const char* circle; // "gray" or "accent"
    const char* symbol; // "" while the spinner turns
    const char* label;
    QStringList visibleTexts;
};

TEST_F(PanelTest, HeaderFollowsTheStatusTable)
{
    ui.setStations({QStringLiteral("Radio One")});
    ui.showPanel();

    const HeaderCase cases[] = {
        {PlayingStatus::loading, "gray", "", "Connecting", {"stationTitleText", "progressText"}},
        {PlayingStatus::buffering, "accent", "pause.fill", "Pause", {"stationTitleText", "progressText"}},
        {PlayingStatus::playing, "accent", "pause.fill", "Pause", {"titleMarquee", "detailLine"}},
        {PlayingStatus::error, "accent", "play.fill", "Retry", {"errorText"}},
        {PlayingStatus::paused, "accent", "play.fill", "Play", {"titleText", "detailLine"}},
    };
    const QStringList allTexts = {"errorText", "stationTitleText", "progressText", "titleMarquee", "titleText", "detailLine"};

    for (const HeaderCase& expected : cases) {
        SCOPED_TRACE(toString(expected.status));
        ui.present(0, expected.status, metadata(QStringLiteral("Song"), QStringLiteral("Band")));
        EXPECT_FALSE(shown(QStringLiteral("selectStreamText")));
        EXPECT_TRUE(shown(QStringLiteral("playButton")));
        EXPECT_EQ(value(QStringLiteral("playButton"), "accessibilityLabel").toString(), expected.label);
        EXPECT_EQ(shown(QStringLiteral("spinner")), QString::fromLatin1(expected.symbol).isEmpty());
        EXPECT_EQ(value(QStringLiteral("playButton"), "symbolName").toString(), expected.symbol);
        const QColor circle = value(QStringLiteral("playButton"), "circleColor").value<QColor>();
        EXPECT_EQ(circle == QColor(0x8e, 0x8e, 0x93), QString::fromLatin1(expected.circle) == "gray");
        for (const QString& name : allTexts)
            EXPECT_EQ(shown(name), expected.visibleTexts.contains(name)) << qPrintable(name);
    }

    ui.present(0, PlayingStatus::loading);
    EXPECT_EQ(text(QStringLiteral("stationTitleText")), "Radio One");
    EXPECT_EQ(text(QStringLiteral("progressText")), "Connecting…");
    EXPECT_EQ(value(QStringLiteral("stationTitleText"), "font").value<QFont>().weight(), QFont::DemiBold);
    ui.store->didChangeStatus(PlayingStatus::buffering);
    EXPECT_EQ(text(QStringLiteral("progressText")), "Buffering…");
    ui.store->didChangeStatus(PlayingStatus::error);
    EXPECT_EQ(text(QStringLiteral("errorText")), "Connection failed");
    EXPECT_EQ(value(QStringLiteral("errorText"), "color").value<QColor>(), QColor(0xff, 0x3b, 0x30));
    ui.present(0, PlayingStatus::paused, metadata(QStringLiteral("Song")));
    EXPECT_EQ(text(QStringLiteral("titleText")), "Song");
    EXPECT_EQ(value(QStringLiteral("titleText"), "elide").toInt(), Qt::ElideRight);
    ui.store->didChangeStatus(PlayingStatus::playing);
    EXPECT_EQ(text(QStringLiteral("titleMarquee")), "Song");
}

TEST_F(PanelTest, WithoutSelectionTheHeaderAsksForAStream)
{
    ui.setStations({QStringLiteral("Radio One")});
    ui.store->didChangeStatus(PlayingStatus::error);
    ui.showPanel();
    EXPECT_TRUE(shown(QStringLiteral("selectStreamText")));
    EXPECT_EQ(text(QStringLiteral("selectStreamText")), "Select a stream");
    EXPECT_FALSE(shown(QStringLiteral("playButton")));
    EXPECT_GE(item(QStringLiteral("header"))->height(), 32);
}

TEST_F(PanelTest, DetailLineShowsArtistAndDotOnlyWithAnArtist)
{
    ui.setStations({QStringLiteral("Radio One")});
    ui.showPanel();
    ui.present(0, PlayingStatus::paused, ParsedMetadata::placeholder());
    EXPECT_EQ(text(QStringLiteral("titleText")), "No track info");
    EXPECT_FALSE(shown(QStringLiteral("artistText")));
    EXPECT_FALSE(shown(QStringLiteral("artistSeparator")));
    EXPECT_EQ(text(QStringLiteral("stationNameText")), "Radio One");

    ui.store->didChangeMetadata(metadata(QStringLiteral("Song"), QStringLiteral("Band")));
    QTest::qWait(0);
    ASSERT_TRUE(shown(QStringLiteral("artistText")));
    EXPECT_EQ(text(QStringLiteral("artistText")), "Band");
    EXPECT_EQ(text(QStringLiteral("artistSeparator")), "·");
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return item(QStringLiteral("artistText"))->x() < item(QStringLiteral("artistSeparator"))->x()
               && item(QStringLiteral("artistSeparator"))->x() < item(QStringLiteral("stationNameText"))->x();
    }));
}

TEST_F(PanelTest, PlayButtonTogglesAndScalesOnHover)
{
    ui.setStations({QStringLiteral("Radio One")});
    QQuickView& panel = ui.showPanel();
    ui.store->playStream(ui.station(0).id);
    ui.platform.clock.runPending();
    ASSERT_EQ(ui.store->playingStatus(), PlayingStatus::loading);

    QQuickItem* button = item(QStringLiteral("playButton"));
    QTest::mouseMove(&panel, UiHarness::centreOf(button));
    EXPECT_TRUE(QTest::qWaitFor([&] { return qFuzzyCompare(button->scale(), 1.05); }));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(button));
    ui.platform.clock.runPending();
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);
    QTest::mouseMove(&panel, QPoint(250, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return qFuzzyCompare(button->scale(), 1.0); }));
}

TEST_F(PanelTest, EmptyListShowsAMessageAndStillTheTwoItems)
{
    ui.setStations({});
    ui.showPanel();
    EXPECT_TRUE(shown(QStringLiteral("emptyList")));
    EXPECT_FALSE(shown(QStringLiteral("stationList")));
    EXPECT_TRUE(shown(QStringLiteral("settingsItem")));
    EXPECT_TRUE(shown(QStringLiteral("quitItem")));
    EXPECT_EQ(value(QStringLiteral("settingsItem"), "title").toString(), "Settings…");
    EXPECT_EQ(value(QStringLiteral("settingsItem"), "shortcut").toString(), "Ctrl+,");
    EXPECT_EQ(value(QStringLiteral("quitItem"), "title").toString(), "Quit Tunara");
    EXPECT_EQ(value(QStringLiteral("quitItem"), "shortcut").toString(), "Ctrl+Q");
}

TEST_F(PanelTest, KeyHintsForTheFirstNineAndTheSpeakerOnTheSelectedRow)
{
    QStringList names;
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("Station %1").arg(i);
    ui.setStations(names);
    ui.present(10, PlayingStatus::error);
    QQuickView& panel = ui.showPanel();

    const QList<QQuickItem*> list = rows();
    ASSERT_EQ(list.size(), 12);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const bool selected = i == 10;
        EXPECT_EQ(part(list[i], "speakerMark")->isVisible(), selected);
        EXPECT_EQ(part(list[i], "keyHint")->isVisible(), i <= 8);
        if (i <= 8) {
            EXPECT_EQ(part(list[i], "keyHint")->property("text").toString(), QStringLiteral("Ctrl+%1").arg(i + 1));
        }
    }
    // The selected row never shows its hint, whatever the status.
    ui.present(0, PlayingStatus::paused);
    EXPECT_TRUE(part(rows()[0], "speakerMark")->isVisible());
    EXPECT_FALSE(part(rows()[0], "keyHint")->isVisible());

    // More stations than fit: the list stops at 256 and the panel stays 260 wide.
    EXPECT_EQ(item(QStringLiteral("stationList"))->height(), 256);
    EXPECT_EQ(panel.width(), 260);
}

TEST_F(PanelTest, LongMultilineAndRightToLeftNamesWrapInsideTheRow)
{
    const QString longName = QString(500, QLatin1Char('x'));
    ui.setStations({longName, QStringLiteral("Line one\nline two"), QStringLiteral("רדיו תל אביב"), QStringLiteral("Short")});
    ui.present(0, PlayingStatus::playing);
    QQuickView& panel = ui.showPanel();
    const QList<QQuickItem*> list = rows();
    ASSERT_EQ(list.size(), 4);

    QQuickItem* longRow = list[0];
    EXPECT_GT(longRow->height(), 4 * list[3]->height());
    EXPECT_GT(list[1]->height(), list[3]->height());
    for (QQuickItem* row : list) {
        QQuickItem* name = part(row, "stationName");
        EXPECT_LE(name->x() + name->width(), row->width());
        EXPECT_EQ(row->width(), list[3]->width());
    }
    QQuickItem* speaker = part(longRow, "speakerMark");
    EXPECT_GT(speaker->mapToItem(longRow, QPointF()).x(), part(longRow, "stationName")->width());
    EXPECT_EQ(panel.width(), 260);
}

TEST_F(PanelTest, OnlyTheRowUnderThePointerIsHighlighted)
{
    ui.setStations({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    QQuickView& panel = ui.showPanel();
    QQuickItem* root = panel.rootObject();
    const QList<QQuickItem*> list = rows();
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

TEST_F(PanelTest, ClickingARowPlaysItAndTheItemsRunTheirCommands)
{
    ui.setStations({QStringLiteral("A"), QStringLiteral("B")});
    QQuickView& panel = ui.showPanel();
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(rows()[1]));
    ui.platform.clock.runPending();
    ASSERT_TRUE(ui.store->selectedStream());
    EXPECT_EQ(ui.store->selectedStream()->id, ui.station(1).id);
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::loading);
    EXPECT_TRUE(panel.isVisible());

    QSignalSpy settingsRequests(&ui.app->commands(), &AppCommands::settingsRequested);
    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(item(QStringLiteral("quitItem"))));
    EXPECT_EQ(quitRequests.count(), 1);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(item(QStringLiteral("settingsItem"))));
    EXPECT_EQ(settingsRequests.count(), 1);
}

TEST_F(PanelTest, CtrlDigitsPlayTheStationNowAtThatPosition)
{
    ui.setStations({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    QQuickView& panel = ui.showPanel();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    ui.store->moveStreams({0}, 3);
    QTest::keyClick(&panel, Qt::Key_1, Qt::ControlModifier);
    ui.platform.clock.runPending();
    ASSERT_TRUE(ui.store->selectedStream());
    EXPECT_EQ(ui.store->selectedStream()->name, "B");
    // No station at position 9: nothing changes.
    QTest::keyClick(&panel, Qt::Key_9, Qt::ControlModifier);
    EXPECT_EQ(ui.store->selectedStream()->name, "B");

    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);
    QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quitRequests.count(), 1);
}

} // namespace
} // namespace tunara::testing
