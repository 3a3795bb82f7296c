// The Settings window: its rules on the view model (what each key does to
// the selection and the order, where a dragged row lands), then what only
// the window does: buttons, menu and dialogs, the focus, the selection
// scrolled into view, the drop line and edge scrolling, a list that keeps
// its place through changes, and the window's texts and sizes.

#include "PastedURL.h"
#include "SettingsViewModel.h"
#include "UiFixture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QAccessible>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace tunara::testing {
namespace {

class SettingsTest : public UiTest {
protected:
    QQuickItem* list() { return UiHarness::find(ui.app->settings(), "stationList"); }
    qreal contentY() { return list()->property("contentY").toReal(); }
    bool inView(int index) { return UiHarness::inView(list(), index); }
    int rowOf(const QString& id) { return ui.app->viewModel().stations()->indexOf(id); }
    int selectedIndex() { return rowOf(ui.app->settingsModel().selection()); }
    // Stations A to E, the row given selected (-1: none).
    SettingsViewModel& fiveStations(int selected)
    {
        ui.setStations({"A", "B", "C", "D", "E"});
        ui.app->settingsModel().selectRow(selected);
        return ui.app->settingsModel();
    }
    QString order() { return ui.names().join(""); }
};

TEST_F(SettingsTest, KeysMoveTheSelectionOrTheSelectedStation)
{
    // The row selected before (-1: none), the key, the row selected after
    // and the order; three rows a page.
    const std::tuple<int, QKeyCombination, int, const char*> cases[] = {
        {-1, Qt::Key_Down, 0, "ABCDE"}, {-1, Qt::Key_Up, 4, "ABCDE"}, {1, Qt::Key_Down, 2, "ABCDE"},
        {4, Qt::Key_Down, 4, "ABCDE"}, {0, Qt::Key_Up, 0, "ABCDE"}, {2, Qt::Key_Home, 0, "ABCDE"},
        {2, Qt::Key_End, 4, "ABCDE"}, {0, Qt::Key_PageDown, 3, "ABCDE"}, {3, Qt::Key_PageDown, 4, "ABCDE"},
        {4, Qt::Key_PageUp, 1, "ABCDE"}, {2, Qt::AltModifier | Qt::Key_Up, 1, "ACBDE"},
        {2, Qt::AltModifier | Qt::Key_Down, 3, "ABDCE"}, {0, Qt::AltModifier | Qt::Key_Up, 0, "ABCDE"},
        {4, Qt::AltModifier | Qt::Key_Down, 4, "ABCDE"}, {-1, Qt::AltModifier | Qt::Key_Down, -1, "ABCDE"},
    };
    for (const auto& [selected, key, selectedAfter, expectedOrder] : cases) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString() + " from " + std::to_string(selected));
        SettingsViewModel& model = fiveStations(selected);
        EXPECT_TRUE(model.pressKey(key.key(), key.keyboardModifiers().toInt(), 3));
        EXPECT_EQ(rowOf(model.selection()), selectedAfter);
        EXPECT_EQ(order(), expectedOrder);
    }
}

TEST_F(SettingsTest, ADroppedRowLandsBeforeOrAfterTheRowUnderThePointer)
{
    // The row dragged, the row under the pointer (-1: above the first, 5:
    // below the last), in its lower half or not; the order and the row
    // selected after the drop.
    const std::tuple<int, int, bool, const char*, int> cases[] = {
        {0, 2, true, "BCADE", 2},  {0, 2, false, "BACDE", 1}, {3, 1, false, "ADBCE", 1}, {3, 1, true, "ABDCE", 2},
        {1, -1, false, "BACDE", 0}, {1, 5, false, "ACDEB", 4}, {2, 2, true, "ABCDE", 2},  {2, 3, false, "ABCDE", 2},
    };
    for (const auto& [from, over, lowerHalf, expectedOrder, selected] : cases) {
        SCOPED_TRACE(std::to_string(from) + " over " + std::to_string(over) + (lowerHalf ? " lower" : ""));
        SettingsViewModel& model = fiveStations(from);
        model.startDrag(from);
        model.dragOver(over, lowerHalf);
        model.drop();
        EXPECT_EQ(order(), expectedOrder);
        EXPECT_EQ(rowOf(model.selection()), selected);
        EXPECT_EQ(model.dropIndex(), -1);
    }
}

TEST_F(SettingsTest, ButtonsMenusAndDoubleClickActOnTheirRowAndDeletionAsksFirst)
{
    ui.setStations({"One", "Two \"2\"", "Three"});
    ui.store->playStation(ui.station(1).id);
    ui.platform.clock.runPending();
    Window settings(ui.showSettings());
    const auto buttons = [&] {
        return QList<bool>{settings.item("removeButton")->isEnabled(), settings.item("editButton")->isEnabled()};
    };
    const auto menuAt = [&](QPoint at) {
        QTest::mouseClick(&settings.view, Qt::RightButton, {}, at);
        EXPECT_TRUE(settings.waitShown("contextMenu"));
        QStringList items;
        for (const char* name : {"contextEdit", "contextDelete"})
            items << settings.text(name) + (settings.item(name)->isEnabled() ? "" : " (disabled)");
        return items;
    };
    const auto choose = [&](const char* button, const char* popup) {
        settings.click(button);
        ASSERT_TRUE(settings.waitShown(popup)) << popup;
    };

    // The list opens on a selected row; a click beside the rows selects
    // none: buttons, and the menu there, disabled.
    EXPECT_EQ(settings.selection(), ui.id(0));
    const QPoint besideRows(100, int(list()->height()) - 10);
    QTest::mouseClick(&settings.view, Qt::LeftButton, {}, besideRows);
    EXPECT_EQ(buttons(), (QList<bool>{false, false}));
    EXPECT_EQ(menuAt(besideRows), (QStringList{"Edit… (disabled)", "Delete (disabled)"}));
    ASSERT_TRUE(settings.escape("contextMenu"));
    settings.click(settings.row(1));
    EXPECT_EQ(settings.selection(), ui.id(1));
    EXPECT_EQ(buttons(), (QList<bool>{true, true}));

    // Cancel keeps the station and the selection.
    choose("removeButton", "deleteDialog");
    EXPECT_EQ(settings.text("deleteDialog", "title"), "Delete Stream");
    EXPECT_EQ(settings.text("deleteMessage"), "Are you sure you want to delete \"Two \"2\"\"?");
    settings.click("deleteCancelButton");
    ASSERT_TRUE(settings.waitShown("deleteDialog", false));
    EXPECT_EQ(ui.store->stations().size(), 3);
    EXPECT_EQ(settings.selection(), ui.id(1));

    // The menu on a row acts on that row.
    EXPECT_EQ(menuAt(UiHarness::centreOf(settings.row(2))), (QStringList{"Edit…", "Delete"}));
    choose("contextEdit", "editorSheet");
    EXPECT_EQ(settings.selection(), ui.id(2));
    EXPECT_EQ(settings.text("nameField"), "Three");
    ASSERT_TRUE(settings.escape("editorSheet"));

    // Deleting the station that plays stops it.
    menuAt(UiHarness::centreOf(settings.row(1)));
    choose("contextDelete", "deleteDialog");
    settings.click("deleteConfirmButton");
    EXPECT_EQ(ui.names(), (QStringList{"One", "Three"}));
    EXPECT_EQ(settings.selection(), ui.id(1)); // the row in its place
    EXPECT_EQ(buttons(), (QList<bool>{true, true}));
    EXPECT_FALSE(ui.store->selectedStation());
    EXPECT_FALSE(ui.player.hasSession());

    // A double-click edits the row under it, also with another selected.
    settings.click(settings.row(0));
    QTest::mouseDClick(&settings.view, Qt::LeftButton, {}, UiHarness::centreOf(settings.row(1)));
    ASSERT_TRUE(settings.waitShown("editorSheet"));
    EXPECT_EQ(settings.selection(), ui.id(1));
    EXPECT_EQ(settings.text("nameField"), "Three");
}

TEST_F(SettingsTest, ADragShowsWhereTheRowLandsScrollsAtAnEdgeAndEscapeCancelsIt)
{
    ui.setStations(numberedStations(60));
    Window settings(ui.showSettings());
    // Escape, or the pointer taken away by another window or a grab.
    for (const bool escape : {true, false}) {
        settings.drag(UiHarness::centreOf(settings.row(0)), UiHarness::centreOf(settings.row(4)), 4);
        ASSERT_TRUE(settings.shown("dropIndicator"));
        if (escape)
            settings.press(Qt::Key_Escape);
        else
            settings.item("listPointer")->ungrabMouse();
        EXPECT_FALSE(settings.shown("dropIndicator"));
        QTest::mouseRelease(&settings.view, Qt::LeftButton, {}, UiHarness::centreOf(settings.row(4)));
        EXPECT_EQ(ui.names(), numberedStations(60));
    }
    ASSERT_FALSE(inView(59));
    // Held at an edge until the list has scrolled to that end and the drop
    // is past the last row (or before the first).
    const auto dragAndHold = [&](int fromRow, qreal edgeY, const char* end, int dropIndex) {
        const QPoint from = UiHarness::centreOf(settings.row(fromRow));
        const QPoint edge(from.x(), int(list()->mapToScene(QPointF(0, edgeY)).y()));
        settings.drag(from, edge, 8);
        const bool reached = QTest::qWaitFor(
            [&] { return list()->property(end).toBool() && list()->property("dropIndex").toInt() == dropIndex; }, 10000);
        QTest::mouseRelease(&settings.view, Qt::LeftButton, {}, edge);
        return reached;
    };
    ASSERT_TRUE(dragAndHold(1, list()->height() - 4, "atYEnd", 60));
    EXPECT_FALSE(settings.shown("dropIndicator"));
    EXPECT_EQ(ui.names().last(), "Station 1");
    EXPECT_EQ(selectedIndex(), 59);
    EXPECT_TRUE(inView(59));
    ASSERT_TRUE(dragAndHold(58, 3, "atYBeginning", 0));
    EXPECT_EQ(ui.names().first(), "Station 59");
    EXPECT_EQ(selectedIndex(), 0);
    EXPECT_TRUE(inView(0));
}

TEST_F(SettingsTest, TheKeyboardWorksTheListWhichKeepsItsPlaceThroughChanges)
{
    ui.setStations(numberedStations(60));
    Window settings(ui.showSettings());
    ASSERT_TRUE(settings.focused("stationList"));
    // The selection stays in view; Page Down moves a window's worth (-1: more than three rows).
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Home, 0}, {Qt::Key_PageDown, -1}, {Qt::Key_End, 59}};
    for (const auto& [key, selected] : steps) {
        settings.press(key);
        EXPECT_TRUE(selected < 0 ? selectedIndex() > 3 : selectedIndex() == selected) << key;
        EXPECT_TRUE(inView(selectedIndex())) << key;
    }
    // Alt+Up carries the selected station up, in view.
    for (int i = 0; i < 30; ++i)
        settings.press(Qt::AltModifier | Qt::Key_Up);
    EXPECT_EQ(ui.names().at(29), "Station 59");
    EXPECT_EQ(selectedIndex(), 29);
    EXPECT_TRUE(inView(29));

    // Delete asks to delete the selected row (Return edits it: the editor's
    // tests); Escape gives the keyboard back to the list.
    settings.press(Qt::Key_Delete);
    ASSERT_TRUE(settings.waitShown("deleteDialog"));
    EXPECT_EQ(settings.text("deleteMessage"), "Are you sure you want to delete \"Station 59\"?");
    ASSERT_TRUE(settings.escape("deleteDialog"));
    EXPECT_TRUE(settings.focused("stationList"));

    // A station elsewhere edited, added, deleted, moved; the status of the
    // station that plays: none of it scrolls the list or takes the focus.
    const qreal scrolled = contentY();
    ASSERT_GT(scrolled, 0);
    QSignalSpy frames(&settings.view, &QQuickWindow::frameSwapped);
    ui.store->updateStation(ui.station(2).id, "Renamed", ui.station(2).urlText());
    ui.store->addStation("New", "http://127.0.0.1/new");
    ui.store->deleteStations({ui.station(59).id});
    ui.store->moveStations({1}, 3);
    ui.store->playStation(ui.station(29).id);
    ui.platform.clock.runPending();
    ui.platform.backend.session().report(SessionState::playing);
    ui.store->updateStation(ui.station(29).id, "Station 59 renamed", ui.station(29).urlText());
    ASSERT_TRUE(frames.wait(5000)); // laid out and drawn again
    EXPECT_EQ(contentY(), scrolled);
    EXPECT_EQ(selectedIndex(), 29);
    EXPECT_TRUE(settings.focused("stationList"));
    settings.press(Qt::Key_Down);
    EXPECT_EQ(selectedIndex(), 30);
}

// The keyboard never strands: Tab and Shift+Tab come round to the list, the
// list that has it shows a selected row (also after a delete), and Escape
// or Ctrl+W go back to the panel.
TEST_F(SettingsTest, TabComesRoundToTheListWhichShowsItsRowAndEscapeGoesBackToThePanel)
{
    ui.setStations({"A", "B", "C"});
    Window settings(ui.showSettings());
    ASSERT_TRUE(settings.focused("stationList"));
    EXPECT_EQ(selectedIndex(), 0);
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        int presses = 0;
        do
            settings.press(key);
        while (!settings.focused("stationList") && ++presses < 10);
        EXPECT_TRUE(settings.focused("stationList")) << key;
        EXPECT_GE(presses, 5) << key; // through the five buttons
    }
    // Each button shows it has the keyboard with the same ring.
    settings.press(Qt::Key_Tab);
    EXPECT_TRUE(UiHarness::find(settings.view.activeFocusItem(), "focusRing")->isVisible());
    settings.press(Qt::Key_Backtab);

    // Shift+F10: the row's menu, the keyboard on its first item.
    settings.press(Qt::ShiftModifier | Qt::Key_F10);
    ASSERT_TRUE(settings.waitShown("contextMenu"));
    EXPECT_EQ(settings.get("contextMenu", "currentIndex").toInt(), 0);
    settings.press(Qt::Key_Return);
    ASSERT_TRUE(settings.waitShown("editorSheet"));
    ASSERT_TRUE(settings.escape("editorSheet"));

    // After a delete, the row in the deleted one's place, or the new last.
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_End}) {
        settings.press({key, Qt::Key_Delete});
        ASSERT_TRUE(settings.waitShown("deleteDialog"));
        // Cancel has the keyboard, shown, and is heard with the question.
        EXPECT_TRUE(settings.focused("deleteCancelButton"));
        EXPECT_TRUE(UiHarness::find(settings.item("deleteCancelButton"), "focusRing")->isVisible());
        EXPECT_EQ(QAccessible::queryAccessibleInterface(settings.item("deleteCancelButton"))->text(QAccessible::Description),
                  settings.text("deleteMessage"));
        settings.click("deleteConfirmButton");
        ASSERT_TRUE(settings.waitShown("deleteDialog", false));
        EXPECT_TRUE(settings.focused("stationList"));
    }
    EXPECT_EQ(ui.names(), QStringList{"B"});
    EXPECT_EQ(selectedIndex(), 0);

    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::ControlModifier | Qt::Key_W}) {
        ui.showSettings();
        settings.press(key);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !settings.view.isVisible(); })) << key.key();
        EXPECT_TRUE(ui.app->panel().isVisible());
    }
}

TEST(PastedURL, OnlyUtf8TextThatIsAStreamURL)
{
    EXPECT_EQ(streamURLFromPastedText("  https://radio.example/live.mp3\n"), "https://radio.example/live.mp3");
    for (const char* refused : {"\t\r\n", "", "just some words", "ftp://radio.example/", "http://\xff\xfe.example/"})
        EXPECT_EQ(streamURLFromPastedText(refused), std::nullopt) << refused;
}

TEST_F(SettingsTest, AFailedSaveStaysShownUntilASaveSucceeds)
{
    ui.setStations({"One"});
    Window settings(ui.app->settings());
    settings.view.show();
    EXPECT_FALSE(settings.shown("saveFailureLine"));

    UnprivilegedFileAccess::openUp(ui.directory.path());
    QFile::setPermissions(ui.directory.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                   | QFileDevice::ReadOther | QFileDevice::ExeOther);
    {
        UnprivilegedFileAccess asUser;
        ui.store->addStation("Two", "http://127.0.0.1:8000/two");
    }
    EXPECT_TRUE(settings.shown("saveFailureLine"));
    EXPECT_TRUE(settings.text("saveFailureLine").startsWith("Could not save the station list: "));

    UnprivilegedFileAccess::openUp(ui.directory.path());
    ui.store->addStation("Three", "http://127.0.0.1:8000/three");
    EXPECT_FALSE(settings.shown("saveFailureLine"));
}

TEST_F(SettingsTest, TheWindowOpensAt500By350AndShrinksTo400By250)
{
    ui.setStations({"One"});
    Window settings(ui.showSettings());
    EXPECT_EQ(settings.view.title(), "Settings");
    EXPECT_EQ(settings.view.rootObject()->size(), QSizeF(500, 350));
    EXPECT_EQ(settings.view.minimumSize(), QSize(400, 250));
    // The list takes all the height the button bar leaves.
    EXPECT_GT(list()->height(), 350 - 70);
    settings.view.resize(400, 250);
    EXPECT_TRUE(QTest::qWaitFor([&] { return settings.view.rootObject()->width() == 400; }));
    EXPECT_TRUE(settings.shown("editButton"));
    EXPECT_LE(settings.item("editButton")->mapRectToScene(QRectF(0, 0, 1, 1)).x(), 400);

    // Ctrl+, with the window open asks for the same window again.
    QSignalSpy settingsRequests(&ui.app->commands(), &AppCommands::settingsRequested);
    settings.press(Qt::ControlModifier | Qt::Key_Comma);
    EXPECT_EQ(settingsRequests.count(), 1);
    EXPECT_EQ(&ui.app->settings(), &settings.view);
}

// "Start Tunara at login" writes a desktop entry the desktop accepts,
// starting this program in the background, and takes it away again.
TEST_F(SettingsTest, StartAtLoginWritesAValidDesktopEntryAndRemovesIt)
{
    SettingsViewModel& model = ui.app->settingsModel();
    const QString path = qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/tunara.desktop";
    EXPECT_FALSE(model.startsAtLogin());
    model.setStartsAtLogin(true);
    ASSERT_TRUE(model.startsAtLogin());
    QProcess validate;
    validate.start("desktop-file-validate", {path});
    ASSERT_TRUE(validate.waitForFinished(10000));
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_EQ(validate.readAll(), "");
    QFile entry(path);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\" --login\n"));
    model.setStartsAtLogin(false);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
} // namespace tunara::testing
