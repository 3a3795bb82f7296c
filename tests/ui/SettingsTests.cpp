// The Settings window: selection-dependent buttons, the delete
// confirmation, the context menu and double-click, drag and keyboard
// reordering over a list longer than the window, a list that keeps its
// place through changes, and the window's texts and sizes.

#include "PastedURL.h"
#include "UiFixture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QSignalSpy>
#include <QTest>

namespace tunara::testing {
namespace {

class SettingsTest : public UiTest {
protected:
    QQuickItem* list() { return UiHarness::find(ui.app->settings(), "stationList"); }
    qreal contentY() { return list()->property("contentY").toReal(); }
    bool inView(int index) { return UiHarness::inView(list(), index); }
    int selectedIndex()
    {
        const QString selection = Window(ui.app->settings()).selection();
        for (int i = 0; i < ui.store->stations().size(); ++i) {
            if (ui.id(i) == selection)
                return i;
        }
        return -1;
    }
};

TEST_F(SettingsTest, ButtonsAndMenuItemsActOnTheRowAndDeletionAsksFirst)
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

    // Without a selection: buttons, and the menu beside the rows, disabled.
    EXPECT_EQ(buttons(), (QList<bool>{false, false}));
    EXPECT_EQ(menuAt(QPoint(100, int(list()->height()) - 10)), (QStringList{"Edit… (disabled)", "Delete (disabled)"}));
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
    menuAt(UiHarness::centreOf(settings.row(0)));
    choose("contextDelete", "deleteDialog");
    EXPECT_EQ(settings.text("deleteMessage"), "Are you sure you want to delete \"One\"?");
    ASSERT_TRUE(settings.escape("deleteDialog"));
    EXPECT_EQ(ui.store->stations().size(), 3);

    // Deleting the station that plays stops it.
    menuAt(UiHarness::centreOf(settings.row(1)));
    choose("contextDelete", "deleteDialog");
    settings.click("deleteConfirmButton");
    EXPECT_EQ(ui.names(), (QStringList{"One", "Three"}));
    EXPECT_EQ(settings.selection(), "");
    EXPECT_EQ(buttons(), (QList<bool>{false, false}));
    EXPECT_FALSE(ui.store->selectedStation());
    EXPECT_FALSE(ui.player.hasSession());

    // A double-click edits the row under it, also with another selected.
    settings.click(settings.row(0));
    settings.doubleClick(settings.row(1));
    ASSERT_TRUE(settings.waitShown("editorSheet"));
    EXPECT_EQ(settings.selection(), ui.id(1));
    EXPECT_EQ(settings.text("nameField"), "Three");
}

TEST_F(SettingsTest, ADraggedRowMovesAndHeldAtAnEdgeScrollsTheList)
{
    ui.setStations(numberedStations(60));
    Window settings(ui.showSettings());
    QQuickItem* list = this->list();
    // Onto the lower half of the third row: after it.
    const QPoint afterThird = UiHarness::centreOf(settings.row(2)) + QPoint(0, int(settings.row(2)->height() / 2) - 1);
    settings.drag(UiHarness::centreOf(settings.row(0)), afterThird, 6);
    EXPECT_TRUE(settings.shown("dropIndicator"));
    QTest::mouseRelease(&settings.view, Qt::LeftButton, {}, afterThird);
    EXPECT_EQ(ui.names().mid(0, 4), (QStringList{"Station 1", "Station 2", "Station 0", "Station 3"}));
    EXPECT_FALSE(settings.shown("dropIndicator"));
    EXPECT_EQ(settings.selection(), ui.id(2));
    ASSERT_FALSE(inView(59));

    // Held at an edge until the list has scrolled to that end and the drop
    // is past the last row (or before the first).
    const auto dragAndHold = [&](int fromRow, qreal edgeY, const char* end, int dropIndex) {
        const QPoint from = UiHarness::centreOf(settings.row(fromRow));
        const QPoint edge(from.x(), int(list->mapToScene(QPointF(0, edgeY)).y()));
        settings.drag(from, edge, 8);
        const bool reached = QTest::qWaitFor(
            [&] { return list->property(end).toBool() && list->property("dropIndex").toInt() == dropIndex; }, 10000);
        QTest::mouseRelease(&settings.view, Qt::LeftButton, {}, edge);
        return reached;
    };
    ASSERT_TRUE(dragAndHold(1, list->height() - 4, "atYEnd", 60));
    EXPECT_EQ(ui.names().last(), "Station 2");
    EXPECT_EQ(settings.selection(), ui.id(59));
    EXPECT_TRUE(inView(59));
    ASSERT_TRUE(dragAndHold(58, 3, "atYBeginning", 0));
    EXPECT_EQ(ui.names().first(), "Station 59");
    EXPECT_EQ(settings.selection(), ui.id(0));
    EXPECT_TRUE(inView(0));
}

TEST_F(SettingsTest, ADragCancelledByEscapeOrByTheSystemMovesNothing)
{
    ui.setStations(numberedStations(60));
    Window settings(ui.showSettings());
    const QPoint start = UiHarness::centreOf(settings.row(0));
    const QPoint end = UiHarness::centreOf(settings.row(4));
    for (const bool escape : {true, false}) {
        settings.drag(start, end, 4);
        ASSERT_TRUE(settings.shown("dropIndicator"));
        if (escape)
            settings.press(Qt::Key_Escape);
        else // the pointer taken away by another window or a grab
            settings.item("listPointer")->ungrabMouse();
        EXPECT_FALSE(settings.shown("dropIndicator"));
        QTest::mouseRelease(&settings.view, Qt::LeftButton, {}, end);
        EXPECT_EQ(ui.names(), numberedStations(60));
    }
}

TEST_F(SettingsTest, TheKeyboardSelectsAndReordersTheWholeList)
{
    ui.setStations(numberedStations(60));
    Window settings(ui.showSettings());
    ASSERT_TRUE(settings.focused("stationList"));
    // Each key and the row it selects, in view; Page Down a window's worth.
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_Up, 0}, {Qt::Key_Up, 0},
                                             {Qt::Key_End, 59}, {Qt::Key_Home, 0}, {Qt::Key_PageDown, -1}};
    for (const auto& [key, selected] : steps) {
        settings.press(key);
        if (selected >= 0) {
            EXPECT_EQ(selectedIndex(), selected) << key;
        }
        EXPECT_TRUE(inView(selectedIndex())) << key;
    }
    EXPECT_GT(selectedIndex(), 3);

    // Down through the whole list: the selection never stops at the visible edge.
    settings.press(Qt::Key_Home);
    for (int i = 1; i < 60; ++i)
        settings.press(Qt::Key_Down);
    EXPECT_EQ(selectedIndex(), 59);
    EXPECT_TRUE(inView(59));

    // Alt+Up carries the selected station up, one place a press, in view.
    for (int i = 0; i < 30; ++i)
        settings.press(Qt::AltModifier | Qt::Key_Up);
    EXPECT_EQ(ui.names().at(29), "Station 59");
    EXPECT_EQ(selectedIndex(), 29);
    EXPECT_TRUE(inView(29));
    settings.press(Qt::AltModifier | Qt::Key_Down);
    EXPECT_EQ(ui.names().at(30), "Station 59");
    EXPECT_TRUE(inView(30));
    // Not past either end.
    settings.press({Qt::Key_Home, Qt::AltModifier | Qt::Key_Up});
    EXPECT_EQ(ui.names().first(), "Station 0");
    EXPECT_EQ(selectedIndex(), 0);

    // Return edits the selected row; Delete asks to delete it.
    const std::tuple<Qt::Key, const char*, const char*, const char*> opening[] = {
        {Qt::Key_Return, "editorSheet", "nameField", "Station 0"},
        {Qt::Key_Delete, "deleteDialog", "deleteMessage", "Are you sure you want to delete \"Station 0\"?"}};
    for (const auto& [key, popup, item, text] : opening) {
        settings.press(key);
        ASSERT_TRUE(settings.waitShown(popup)) << popup;
        EXPECT_EQ(settings.text(item), text);
        ASSERT_TRUE(settings.escape(popup));
        EXPECT_TRUE(settings.focused("stationList"));
    }
    EXPECT_EQ(ui.store->stations().size(), 60);
}

TEST_F(SettingsTest, TheListKeepsItsPlaceAndSelectionThroughChanges)
{
    ui.setStations(numberedStations(60));
    Window settings(ui.showSettings());
    settings.press(Qt::Key_End);
    for (int i = 0; i < 25; ++i)
        settings.press(Qt::Key_Up);
    ASSERT_EQ(selectedIndex(), 34);
    const qreal scrolled = contentY();
    ASSERT_GT(scrolled, 0);

    // A station elsewhere edited, added, deleted, moved; the status of the
    // station that plays: none of it scrolls the list or takes the focus.
    QSignalSpy frames(&settings.view, &QQuickWindow::frameSwapped);
    ui.store->updateStation(ui.station(2).id, "Renamed", ui.station(2).urlText());
    ui.store->addStation("New", "http://127.0.0.1/new");
    ui.store->deleteStations({ui.station(59).id});
    ui.store->moveStations({1}, 3);
    ui.store->playStation(ui.station(34).id);
    ui.platform.clock.runPending();
    ui.platform.backend.session().report(SessionState::playing);
    ui.store->updateStation(ui.station(34).id, "Station 34 renamed", ui.station(34).urlText());
    ASSERT_TRUE(frames.wait(5000)); // laid out and drawn again
    EXPECT_EQ(contentY(), scrolled);
    EXPECT_EQ(selectedIndex(), 34);
    EXPECT_TRUE(settings.focused("stationList"));
    settings.press(Qt::Key_Down);
    EXPECT_EQ(selectedIndex(), 35);
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

} // namespace
} // namespace tunara::testing
