// The panel: the header's status table, the station rows (key hints,
// speaker mark, wrapping, scroll height), the hover rule and the commands.

#include "ColorScheme.h"
#include "UiFixture.h"

#include <QSignalSpy>
#include <QTest>

namespace tunara::testing {
namespace {

class PanelTest : public UiTest {
protected:
    Window panel() { return Window(ui.app->panel()); }
    QQuickItem* list() { return panel().item("stationList"); }
    // The rows of a short list, once the view has made them.
    QList<QQuickItem*> rows(int count)
    {
        QList<QQuickItem*> result;
        EXPECT_TRUE(QTest::qWaitFor([&] { return UiHarness::madeRows(list()) == count; }));
        for (int i = 0; i < count; ++i)
            result << panel().row(i);
        return result;
    }
    // The rows lit for the pointer, or ringed for the keyboard.
    static QList<int> highlighted(const QList<QQuickItem*>& rows, const char* mark = "highlighted")
    {
        QList<int> result;
        for (int i = 0; i < rows.size(); ++i) {
            if (rows[i]->property(mark).toBool())
                result.append(i);
        }
        return result;
    }
    static QQuickItem* part(QQuickItem* row, const char* name) { return UiHarness::find(row, name); }
    QString playing()
    {
        ui.platform.clock.runPending();
        return ui.store->selectedStation() ? ui.store->selectedStation()->name : QString();
    }
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
    ui.setStations({"Radio One"});
    ui.present(0, PlayingStatus::error);
    ui.store->setSelectedStation(std::nullopt);
    Window panel(ui.showPanel());
    // Without a selection the header only asks for one, whatever the status.
    EXPECT_TRUE(panel.shown("selectStationText"));
    EXPECT_FALSE(panel.shown("playButton"));

    const HeaderCase cases[] = {
        {PlayingStatus::loading, true, "", "Connecting", {"stationTitleText", "progressText"}, "Connecting…"},
        {PlayingStatus::buffering, false, "pause.fill", "Pause", {"stationTitleText", "progressText"}, "Buffering…"},
        {PlayingStatus::playing, false, "pause.fill", "Pause", {"detailLine", "titleMarquee"}, "Song"},
        {PlayingStatus::error, false, "arrow.clockwise", "Retry", {"errorText", "failureReasonText"},
         "The server has no stream at this address."},
        {PlayingStatus::paused, false, "play.fill", "Play", {"detailLine", "titleText"}, "Song"},
    };
    for (const HeaderCase& expected : cases) {
        SCOPED_TRACE(expected.label);
        ui.present(0, expected.status, metadata("Song", "Band"));
        EXPECT_FALSE(panel.shown("selectStationText"));
        EXPECT_EQ(panel.text("playButton", "accessibilityLabel"), expected.label);
        EXPECT_EQ(panel.shown("spinner"), *expected.symbol == '\0');
        EXPECT_EQ(panel.text("playButton", "symbolName"), expected.symbol);
        EXPECT_EQ(panel.get("playButton", "circleColor").value<QColor>() == QColor(0x8e, 0x8e, 0x93), expected.grayCircle);
        for (const char* name : {"errorText", "failureReasonText", "stationTitleText", "progressText", "titleMarquee",
                                 "titleText", "detailLine"})
            EXPECT_EQ(panel.shown(name), expected.visibleTexts.contains(name)) << name;
        EXPECT_EQ(panel.text(expected.visibleTexts.last()), expected.statusText);
    }

    // The detail line: artist, a middle dot, the station; no dot without an
    // artist. The station name is shown cleaned.
    ui.store->updateStation(ui.station(0).id, "Radio\nOne", ui.station(0).urlText());
    ui.present(0, PlayingStatus::paused, metadata("Song", "Band"));
    EXPECT_EQ(panel.texts({"artistText", "artistSeparator", "stationNameText"}), (QStringList{"Band", "\u00b7", "Radio One"}));
    EXPECT_TRUE(panel.shown("artistSeparator"));
    ui.present(0, PlayingStatus::paused, metadata("Song"));
    EXPECT_FALSE(panel.shown("artistSeparator") || panel.shown("artistText"));
    // Under it, what the stream is, as far as it has said; nothing for a new station.
    EXPECT_FALSE(panel.shown("streamDetailsText"));
    ui.platform.backend.session().report(StreamDetails{"Opus", 0, 48000, 1});
    EXPECT_EQ(panel.text("streamDetailsText"), "Opus · 48 kHz · mono");
    ui.platform.backend.session().report(StreamDetails{"AAC", 96000, 22050, 6});
    EXPECT_EQ(panel.text("streamDetailsText"), "AAC · 96 kbps · 22.05 kHz · 6 channels");
    ui.present(0, PlayingStatus::loading);
    EXPECT_EQ(panel.text("stationTitleText"), "Radio One");
}

TEST_F(PanelTest, RowsShowKeyHintsTheSpeakerAndWrapLongNames)
{
    ui.setStations({});
    Window panel(ui.showPanel());
    for (const char* name : {"emptyList", "settingsItem", "quitItem"})
        EXPECT_TRUE(panel.shown(name)) << name;
    EXPECT_EQ(panel.text("firstStepsText"), "Ctrl+F finds stations, Ctrl+N adds one");
    EXPECT_FALSE(panel.shown("stationList"));

    ui.setStations(QStringList{QString(500, 'x'), "Line one\nline two", "רדיו תל אביב"} + numberedStations(9, 4));
    ui.present(10, PlayingStatus::error);
    EXPECT_FALSE(panel.shown("emptyList"));
    QList<QQuickItem*> rows;
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        rows << panel.row(i);
        ASSERT_NE(rows[i], nullptr);
        EXPECT_FALSE(part(rows[i], "speakerMark")->isVisible()); // not beside the failed station
        EXPECT_EQ(part(rows[i], "keyHint")->isVisible() ? part(rows[i], "keyHint")->property("text").toString() : "",
                  i <= 8 ? QStringLiteral("Ctrl+%1").arg(i + 1) : "");
        // Long, multi-line and right-to-left names wrap inside the row.
        EXPECT_LE(part(rows[i], "stationName")->x() + part(rows[i], "stationName")->width(), rows[i]->width());
    }
    // Each name aligns to its own direction.
    EXPECT_EQ(part(rows[2], "stationName")->property("effectiveHorizontalAlignment").toInt(), Qt::AlignRight);
    EXPECT_EQ(part(rows[3], "stationName")->property("effectiveHorizontalAlignment").toInt(), Qt::AlignLeft);
    // Names are shown cleaned: the line break is a space.
    EXPECT_EQ(part(rows[1], "stationName")->property("text").toString(), "Line one line two");
    EXPECT_GT(rows[0]->height(), 4 * rows[3]->height());

    // The selected row never shows its hint, whatever the status; the speaker stays beside a long name.
    ui.present(0, PlayingStatus::paused);
    rows[0] = panel.row(0);
    EXPECT_TRUE(part(rows[0], "speakerMark")->isVisible());
    EXPECT_FALSE(part(rows[0], "keyHint")->isVisible());
    EXPECT_GT(part(rows[0], "speakerMark")->mapToItem(rows[0], QPointF()).x(), part(rows[0], "stationName")->width());
}

TEST_F(PanelTest, OnlyTheRowUnderThePointerIsLitAndRowsKeysAndButtonsRunTheirCommands)
{
    ui.setStations({"A", "B", "C"});
    Window panel(ui.showPanel());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel.view));
    const QList<QQuickItem*> list = rows(3);
    QSignalSpy settingsRequests(&ui.app->commands(), &AppCommands::settingsRequested);
    QSignalSpy dismissRequests(&ui.app->commands(), &AppCommands::panelDismissRequested);
    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);

    // A leave that arrives after the next row's enter keeps the next row lit.
    const auto hover = [&](const char* change, int row) {
        QMetaObject::invokeMethod(panel.view.rootObject(), change, Q_ARG(QVariant, list[row]->property("stationId")));
    };
    hover("rowEntered", 0);
    hover("rowEntered", 1);
    hover("rowExited", 0);
    EXPECT_EQ(highlighted(list), QList<int>{1});
    hover("rowExited", 1);
    EXPECT_EQ(highlighted(list), QList<int>{});

    // With the pointer.
    for (int i = 0; i < 3; ++i) {
        QTest::mouseMove(&panel.view, UiHarness::centreOf(list[i]));
        EXPECT_EQ(highlighted(list), QList<int>{i});
    }
    // The pointer gone: no row is marked before a key is pressed, though the
    // list has the keyboard. Down, Down rings the second, not as the pointer
    // lights a row; Return plays it.
    QTest::mouseMove(&panel.view, QPoint(130, panel.view.height() - 2));
    EXPECT_EQ(highlighted(list) + highlighted(list, "keyboardCurrent"), QList<int>{});
    ASSERT_TRUE(panel.focused("stationList"));
    panel.press({Qt::Key_Down, Qt::Key_Down});
    EXPECT_EQ(highlighted(list), QList<int>{});
    EXPECT_EQ(highlighted(list, "keyboardCurrent"), QList<int>{1});
    EXPECT_TRUE(part(list[1], "focusRing")->isVisible());
    panel.press(Qt::Key_Return);
    EXPECT_EQ(playing(), "B");

    // Shift+Tab goes back to the play button, which Space toggles; Tab goes
    // on through the list to Settings… and Quit; Escape dismisses.
    panel.press(Qt::ShiftModifier | Qt::Key_Backtab);
    EXPECT_TRUE(panel.focused("playButton"));
    panel.press(Qt::Key_Space);
    ui.platform.clock.runPending();
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);
    for (const char* next : {"stationList", "settingsItem", "quitItem"}) {
        panel.press(Qt::Key_Tab);
        EXPECT_TRUE(panel.focused(next)) << next;
    }
    panel.press(Qt::Key_Escape);
    EXPECT_EQ(dismissRequests.count(), 1);
    // Return runs the item with the focus.
    ui.showPanel();
    panel.press(Qt::ShiftModifier | Qt::Key_Backtab);
    EXPECT_TRUE(panel.focused("settingsItem"));
    panel.press(Qt::Key_Return);
    EXPECT_EQ(settingsRequests.count(), 1);

    // A click on a row plays it and leaves the panel open.
    ui.showPanel();
    panel.click(list[2]);
    EXPECT_EQ(playing(), "C");
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::loading);
    EXPECT_TRUE(panel.view.isVisible());
    // Ctrl+digit plays the station now at that position; none at 9: nothing changes.
    ui.store->moveStations({0}, 3);
    for (const Qt::Key key : {Qt::Key_1, Qt::Key_9}) {
        panel.press(Qt::ControlModifier | key);
        EXPECT_EQ(playing(), "B");
    }
    panel.click("playButton");
    ui.platform.clock.runPending();
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);

    panel.click("quitItem");
    EXPECT_EQ(quitRequests.count(), 1);
    panel.press(Qt::ControlModifier | Qt::Key_Q);
    EXPECT_EQ(quitRequests.count(), 2);
    panel.press(Qt::ControlModifier | Qt::Key_Comma);
    EXPECT_EQ(settingsRequests.count(), 2);

    // The volume shows for a moment when it changes, by keys or from outside.
    ui.showPanel();
    EXPECT_FALSE(panel.shown("volumeLevel"));
    panel.press(Qt::ControlModifier | Qt::Key_Down);
    EXPECT_TRUE(panel.shown("volumeLevel"));
    EXPECT_EQ(panel.text("volumeText"), QStringLiteral("Volume %1 %").arg(qRound(ui.store->volume() * 100)));
    EXPECT_TRUE(panel.waitShown("volumeLevel", false));
    ui.player.setVolume(0.3);
    EXPECT_EQ(panel.text("volumeText"), "Volume 30 %");
    EXPECT_TRUE(panel.shown("volumeLevel"));

    // Ctrl+F and Ctrl+N: Settings, with Find Stations or the add sheet open.
    for (const auto& [key, sheet] : {std::pair(Qt::Key_F, "findSheet"), std::pair(Qt::Key_N, "editorSheet")}) {
        ui.showPanel();
        panel.press(Qt::ControlModifier | key);
        Window settings(ui.app->settings());
        ASSERT_TRUE(settings.waitShown(sheet)) << sheet;
        EXPECT_TRUE(settings.view.isVisible());
        ASSERT_TRUE(settings.escape(sheet));
    }
}

TEST_F(PanelTest, ALongListStops256HighAndMakesOnlyTheRowsInView)
{
    ui.setStations(numberedStations(1000, 1));
    Window panel(ui.showPanel());
    EXPECT_TRUE(QTest::qWaitFor([&] { return list()->height() == 256; })) << list()->height();
    EXPECT_EQ(panel.view.width(), 260);
    EXPECT_GT(UiHarness::madeRows(list()), 5);
    EXPECT_LT(UiHarness::madeRows(list()), 40);

    // The last one is reached by scrolling, and the list stays lazy.
    QQuickItem* last = panel.row(999);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(part(last, "stationName")->property("text").toString(), "Station 1000");
    EXPECT_FALSE(part(last, "keyHint")->isVisible());
    EXPECT_LT(UiHarness::madeRows(list()), 40);
    // A change far away leaves the scroll position alone.
    const qreal contentY = list()->property("contentY").toReal();
    ui.store->deleteStations({ui.station(0).id});
    ui.store->addStation("Station 1001", "http://127.0.0.1/1001");
    ui.present(2, PlayingStatus::playing);
    EXPECT_EQ(list()->property("contentY").toReal(), contentY);
}

// Every text of the panel and of Settings reads at WCAG AA (4.5:1) in the
// light and the dark palette, in each state the header can show; the
// keyboard's ring stands out at 3:1 (non-text contrast).
TEST_F(PanelTest, TextsKeepTheirContrastInLightAndDark)
{
    ui.setStations({"Radio One", "NTS 2", "Jazz FM"});
    for (const QPalette& palette : {ColorScheme::lightPalette(), ColorScheme::darkPalette()}) {
        QGuiApplication::setPalette(palette);
        for (const PlayingStatus status : {PlayingStatus::playing, PlayingStatus::loading, PlayingStatus::error}) {
            ui.present(1, status, metadata("Teardrop", "Massive Attack"));
            ui.platform.backend.session().report(StreamDetails{"MP3", 128000, 44100, 2});
            QQuickView& panel = ui.showPanel();
            QTest::qWait(50);
            EXPECT_EQ(lowContrastTexts(panel), QStringList()) << palette.color(QPalette::Window).name().toStdString();
        }
        Window panel(ui.showPanel());
        ASSERT_TRUE(QTest::qWaitFor([&] { return panel.focused("stationList"); }));
        panel.press(Qt::Key_Down);
        QTest::qWait(50);
        EXPECT_GE(focusRingContrast(panel.view), 3.0) << palette.color(QPalette::Window).name().toStdString();
        // Settings opens on a selected row, drawn in the palette's
        // highlight from the window's first frame.
        EXPECT_EQ(lowContrastTexts(ui.showSettings()), QStringList()) << palette.color(QPalette::Window).name().toStdString();
    }
    QGuiApplication::setPalette(QPalette());
}

} // namespace
} // namespace tunara::testing
