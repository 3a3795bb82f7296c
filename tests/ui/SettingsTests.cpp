// The Settings window: selection-dependent buttons, the delete
// confirmation, the context menu and double-click, drag and keyboard
// reordering over a list longer than the window, a list that keeps its
// place through changes, paste, and the window's texts and sizes.

#include "PastedURL.h"
#include "UiFixture.h"
#include "support/UnprivilegedFileAccess.h"
#include "support/QtPrinters.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

namespace tunara::testing {
namespace {

class SettingsTest : public UiTest {
protected:
    QQuickView& window() { return ui.app->settings(); }
    QQuickItem* root() { return window().rootObject(); }
    QQuickItem* item(const QString& name) { return UiHarness::find(window(), name); }
    bool enabled(const QString& name) { return item(name)->isEnabled(); }
    // Popups are objects beside the items; their "visible" tells if they are open.
    QObject* object(const QString& name)
    {
        if (QObject* found = root()->findChild<QObject*>(name))
            return found;
        return item(name);
    }
    bool shown(const QString& name) { return object(name) && object(name)->property("visible").toBool(); }

    QQuickItem* list() { return item(QStringLiteral("stationList")); }
    QQuickItem* row(int index) { return UiHarness::listRow(list(), index); }
    qreal contentY() { return list()->property("contentY").toReal(); }
    // The row is wholly inside the list's viewport.
    bool inView(int index)
    {
        QQuickItem* made = nullptr;
        QMetaObject::invokeMethod(list(), "itemAtIndex", Q_RETURN_ARG(QQuickItem*, made), Q_ARG(int, index));
        if (!made)
            return false;
        const QRectF inList = made->mapRectToItem(list(), QRectF(0, 0, made->width(), made->height()));
        return inList.top() >= -0.5 && inList.bottom() <= list()->height() + 0.5;
    }
    void click(QQuickItem* target, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(&window(), button, {}, UiHarness::centreOf(target));
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&window(), key, modifiers); }
    QString selection() { return root()->property("selection").toString(); }
    QString id(int index) { return ui.station(index).id.toString(QUuid::WithoutBraces); }
    int selectedIndex()
    {
        for (int i = 0; i < ui.store->streams().size(); ++i) {
            if (id(i) == selection())
                return i;
        }
        return -1;
    }
    bool sheetOpen() { return shown(QStringLiteral("editorSheet")); }
    QQuickItem* editor() { return item(QStringLiteral("editStreamView")); }
    QString editedName() { return item(QStringLiteral("nameField"))->property("text").toString(); }
    void closeSheet()
    {
        press(Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !sheetOpen(); }));
    }
    void paste(const QString& text)
    {
        auto* data = new QMimeData;
        data->setText(text);
        QGuiApplication::clipboard()->setMimeData(data);
        press(Qt::Key_V, Qt::ControlModifier);
    }
    QStringList sixty()
    {
        QStringList names;
        for (int i = 0; i < 60; ++i)
            names << QStringLiteral("Station %1").arg(i);
        return names;
    }
    QStringList storedNames()
    {
        QStringList names;
        for (const AudioStream& stream : ui.store->streams())
            names << stream.name;
        return names;
    }
};

TEST_F(SettingsTest, ButtonsNeedASelectionAndDeletionAsksFirst)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two \"2\"")});
    ui.store->playStream(ui.station(1).id);
    ui.platform.clock.runPending();
    ui.showSettings();
    EXPECT_FALSE(enabled(QStringLiteral("removeButton")));
    EXPECT_FALSE(enabled(QStringLiteral("editButton")));

    click(row(1));
    EXPECT_EQ(selection(), id(1));
    EXPECT_TRUE(enabled(QStringLiteral("removeButton")));
    EXPECT_TRUE(enabled(QStringLiteral("editButton")));

    click(item(QStringLiteral("removeButton")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("deleteDialog")); }));
    EXPECT_EQ(object(QStringLiteral("deleteDialog"))->property("title").toString(), "Delete Stream");
    EXPECT_EQ(item(QStringLiteral("deleteMessage"))->property("text").toString(),
              "Are you sure you want to delete \"Two \"2\"\"?");

    // Cancel keeps the station and the selection.
    click(item(QStringLiteral("deleteCancelButton")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown(QStringLiteral("deleteDialog")); }));
    EXPECT_EQ(ui.store->streams().size(), 2);
    EXPECT_EQ(selection(), id(1));

    // Deleting the station that plays stops it.
    click(item(QStringLiteral("removeButton")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("deleteDialog")); }));
    click(item(QStringLiteral("deleteConfirmButton")));
    ASSERT_EQ(ui.store->streams().size(), 1);
    EXPECT_EQ(ui.store->streams().at(0).name, "One");
    EXPECT_EQ(selection(), "");
    EXPECT_FALSE(enabled(QStringLiteral("removeButton")));
    EXPECT_FALSE(enabled(QStringLiteral("editButton")));
    EXPECT_FALSE(ui.store->selectedStream());
    EXPECT_FALSE(ui.store->playbackController().player());
}

TEST_F(SettingsTest, TheContextMenuAndDoubleClickEditTheRowClicked)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    QQuickView& view = ui.showSettings();
    const auto menuItems = [&] {
        QStringList result;
        for (const char* name : {"contextEdit", "contextDelete"}) {
            QQuickItem* menuItem = item(QString::fromLatin1(name));
            result << menuItem->property("text").toString() + (menuItem->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
        }
        return result;
    };
    const auto closeMenu = [&] {
        press(Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shown(QStringLiteral("contextMenu")); }));
    };

    // Beside the rows: both items, disabled.
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(100, int(list()->height()) - 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("contextMenu")); }));
    EXPECT_EQ(menuItems(), (QStringList{"Edit… (disabled)", "Delete (disabled)"}));
    closeMenu();

    // On a row: enabled, and "Edit…" edits that row.
    click(row(2), Qt::RightButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("contextMenu")); }));
    EXPECT_EQ(menuItems(), (QStringList{"Edit…", "Delete"}));
    click(item(QStringLiteral("contextEdit")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(selection(), id(2));
    EXPECT_EQ(editedName(), "Three");
    closeSheet();

    // "Delete" asks about that row.
    click(row(0), Qt::RightButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("contextMenu")); }));
    click(item(QStringLiteral("contextDelete")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("deleteDialog")); }));
    EXPECT_EQ(item(QStringLiteral("deleteMessage"))->property("text").toString(),
              "Are you sure you want to delete \"One\"?");
    press(Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown(QStringLiteral("deleteDialog")); }));
    EXPECT_EQ(ui.store->streams().size(), 3);

    // A double-click edits the row under it, also with another selected.
    click(row(0));
    QTest::mouseDClick(&view, Qt::LeftButton, {}, UiHarness::centreOf(row(1)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(selection(), id(1));
    EXPECT_EQ(editedName(), "Two");
    EXPECT_EQ(item(QStringLiteral("sheetTitle"))->property("text").toString(), "Edit stream");
}

TEST_F(SettingsTest, DraggingARowReorders)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    QQuickView& view = ui.showSettings();
    const QPoint start = UiHarness::centreOf(row(0));
    const QPoint end = UiHarness::centreOf(row(2)) + QPoint(0, int(row(2)->height() / 2) - 1);
    QTest::mousePress(&view, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 6; ++step)
        QTest::mouseMove(&view, start + (end - start) * step / 6);
    EXPECT_TRUE(shown(QStringLiteral("dropIndicator")));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, end);
    EXPECT_EQ(storedNames(), (QStringList{"Two", "Three", "One"}));
    EXPECT_FALSE(shown(QStringLiteral("dropIndicator")));
    EXPECT_EQ(selection(), id(2));
}

TEST_F(SettingsTest, ADragScrollsALongListAndKeepsTheMovedRowInView)
{
    ui.setStations(sixty());
    QQuickView& view = ui.showSettings();
    ASSERT_FALSE(inView(59));

    // A row dragged to an edge and held there until the list has scrolled to that end.
    const auto dragAndHold = [&](int fromRow, qreal edgeY, const char* endReached) {
        const QPoint from = UiHarness::centreOf(row(fromRow));
        const QPoint edge(from.x(), int(list()->mapToScene(QPointF(0, edgeY)).y()));
        QTest::mousePress(&view, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 8; ++step)
            QTest::mouseMove(&view, from + (edge - from) * step / 8);
        const bool reached = QTest::qWaitFor([&] { return list()->property(endReached).toBool(); }, 10000);
        QTest::qWait(50);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, edge);
        return reached;
    };

    // Down: held at the bottom edge, the list scrolls to its end under the drag.
    ASSERT_TRUE(dragAndHold(1, list()->height() - 4, "atYEnd"));
    EXPECT_EQ(storedNames().last(), "Station 1");
    EXPECT_EQ(selection(), id(59));
    EXPECT_TRUE(inView(59));

    // Up: held at the top edge, back to the start.
    ASSERT_TRUE(dragAndHold(58, 3, "atYBeginning"));
    EXPECT_EQ(storedNames().first(), "Station 59");
    EXPECT_EQ(selection(), id(0));
    EXPECT_TRUE(inView(0));
}

TEST_F(SettingsTest, ACancelledDragMovesNothing)
{
    ui.setStations(sixty());
    QQuickView& view = ui.showSettings();
    const QStringList before = storedNames();
    const QPoint start = UiHarness::centreOf(row(0));
    const QPoint end = UiHarness::centreOf(row(4));

    // Escape while dragging.
    QTest::mousePress(&view, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(&view, start + (end - start) * step / 4);
    ASSERT_TRUE(shown(QStringLiteral("dropIndicator")));
    press(Qt::Key_Escape);
    EXPECT_FALSE(shown(QStringLiteral("dropIndicator")));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, end);
    EXPECT_EQ(storedNames(), before);

    // The pointer taken away by the system (another window, a grab).
    QTest::mousePress(&view, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(&view, start + (end - start) * step / 4);
    ASSERT_TRUE(shown(QStringLiteral("dropIndicator")));
    QQuickItem* grabber = item(QStringLiteral("listPointer"));
    grabber->ungrabMouse();
    EXPECT_FALSE(shown(QStringLiteral("dropIndicator")));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, end);
    EXPECT_EQ(storedNames(), before);
}

TEST_F(SettingsTest, TheKeyboardSelectsAndReordersTheWholeList)
{
    ui.setStations(sixty());
    ui.showSettings();
    ASSERT_TRUE(list()->hasActiveFocus());

    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int selected;
    };
    const Step steps[] = {
        {Qt::Key_Down, {}, 0},         {Qt::Key_Down, {}, 1},   {Qt::Key_Up, {}, 0},  {Qt::Key_Up, {}, 0},
        {Qt::Key_End, {}, 59},         {Qt::Key_Home, {}, 0},   {Qt::Key_PageDown, {}, -1},
    };
    for (const Step& step : steps) {
        press(step.key, step.modifiers);
        if (step.selected >= 0) {
            EXPECT_EQ(selectedIndex(), step.selected) << step.key;
        }
        EXPECT_TRUE(inView(selectedIndex())) << step.key;
    }
    EXPECT_GT(selectedIndex(), 3);

    // Down through the whole list: the selection never stops at the visible edge.
    press(Qt::Key_Home);
    for (int i = 1; i < 60; ++i)
        press(Qt::Key_Down);
    EXPECT_EQ(selectedIndex(), 59);
    EXPECT_TRUE(inView(59));

    // Alt+Up carries the selected station up, one place a press, in view.
    for (int i = 0; i < 30; ++i)
        press(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(storedNames().at(29), "Station 59");
    EXPECT_EQ(selectedIndex(), 29);
    EXPECT_TRUE(inView(29));
    press(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(storedNames().at(30), "Station 59");
    EXPECT_TRUE(inView(30));
    // Not past either end.
    press(Qt::Key_Home);
    press(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(storedNames().first(), "Station 0");
    EXPECT_EQ(selectedIndex(), 0);

    // Return edits the selected row; Delete asks to delete it.
    press(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(editedName(), "Station 0");
    closeSheet();
    EXPECT_TRUE(list()->hasActiveFocus());
    press(Qt::Key_Delete);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("deleteDialog")); }));
    press(Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown(QStringLiteral("deleteDialog")); }));
    EXPECT_TRUE(list()->hasActiveFocus());
    EXPECT_EQ(ui.store->streams().size(), 60);
}

TEST_F(SettingsTest, TheListKeepsItsPlaceAndSelectionThroughChanges)
{
    ui.setStations(sixty());
    ui.showSettings();
    press(Qt::Key_End);
    for (int i = 0; i < 25; ++i)
        press(Qt::Key_Up);
    ASSERT_EQ(selectedIndex(), 34);
    const qreal scrolled = contentY();
    ASSERT_GT(scrolled, 0);

    // A station elsewhere edited, added, deleted, moved; the status of the
    // station that plays: none of it scrolls the list or takes the focus.
    ui.store->updateStream(ui.station(2).id, QStringLiteral("Renamed"), ui.station(2).urlText());
    ui.store->addStream(QStringLiteral("New"), QStringLiteral("http://127.0.0.1/new"));
    ui.store->deleteStreams({ui.station(59).id});
    ui.store->moveStreams({1}, 3);
    ui.store->playStream(ui.station(34).id);
    ui.platform.clock.runPending();
    ui.store->didChangeStatus(PlayingStatus::playing);
    ui.store->updateStream(ui.station(34).id, QStringLiteral("Station 34 renamed"), ui.station(34).urlText());
    QTest::qWait(20);
    EXPECT_EQ(contentY(), scrolled);
    EXPECT_EQ(selectedIndex(), 34);
    EXPECT_TRUE(list()->hasActiveFocus());
    press(Qt::Key_Down);
    EXPECT_EQ(selectedIndex(), 35);
}

TEST(PastedURL, OnlyUtf8TextThatIsAStreamURL)
{
    EXPECT_EQ(streamURLFromPastedText("  https://radio.example/live.mp3\n"), "https://radio.example/live.mp3");
    for (const char* refused : {"\t\r\n", "", "just some words", "ftp://radio.example/", "http://\xff\xfe.example/"})
        EXPECT_EQ(streamURLFromPastedText(refused), std::nullopt) << refused;
}

TEST_F(SettingsTest, PastingAStreamURLOpensTheAddSheetWithIt)
{
    ui.setStations({QStringLiteral("One")});
    ui.showSettings();

    paste(QStringLiteral("plain words"));
    QTest::qWait(20);
    EXPECT_FALSE(sheetOpen());

    paste(QStringLiteral("  http://127.0.0.1:8000/live\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(item(QStringLiteral("urlField"))->property("text").toString(), "http://127.0.0.1:8000/live");
    EXPECT_EQ(editedName(), "");
    EXPECT_EQ(item(QStringLiteral("sheetTitle"))->property("text").toString(), "Add a stream");
    closeSheet();

    // "plus" afterwards starts empty.
    click(item(QStringLiteral("addButton")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(item(QStringLiteral("urlField"))->property("text").toString(), "");
}

TEST_F(SettingsTest, AFailedSaveStaysShownUntilASaveSucceeds)
{
    ui.setStations({QStringLiteral("One")});
    window().show();
    QQuickItem* line = item(QStringLiteral("saveFailureLine"));
    ASSERT_TRUE(line);
    EXPECT_FALSE(line->isVisible());

    UnprivilegedFileAccess::openUp(ui.directory.path());
    QFile::setPermissions(ui.directory.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                   | QFileDevice::ReadOther | QFileDevice::ExeOther);
    {
        UnprivilegedFileAccess asUser;
        ui.store->addStream(QStringLiteral("Two"), QStringLiteral("http://127.0.0.1:8000/two"));
    }
    EXPECT_TRUE(line->isVisible());
    EXPECT_TRUE(line->property("text").toString().startsWith("Could not save the station list: "));

    UnprivilegedFileAccess::openUp(ui.directory.path());
    ui.store->addStream(QStringLiteral("Three"), QStringLiteral("http://127.0.0.1:8000/three"));
    EXPECT_FALSE(line->isVisible());
}

TEST_F(SettingsTest, TheWindowOpensAt500By350AndShrinksTo400By250)
{
    ui.setStations({QStringLiteral("One")});
    QQuickView& view = ui.showSettings();
    EXPECT_EQ(view.title(), "Settings");
    EXPECT_EQ(view.size(), QSize(500, 350));
    EXPECT_EQ(view.minimumSize(), QSize(400, 250));
    EXPECT_EQ(root()->size(), QSizeF(500, 350));
    // The list takes all the height the button bar leaves.
    EXPECT_GT(list()->height(), 350 - 70);
    view.resize(400, 250);
    EXPECT_TRUE(QTest::qWaitFor([&] { return root()->width() == 400; }));
    EXPECT_TRUE(item(QStringLiteral("editButton"))->isVisible());
    EXPECT_LE(item(QStringLiteral("editButton"))->mapRectToScene(QRectF(0, 0, 1, 1)).x(), 400);

    // Ctrl+, with the window open asks for the same window again.
    QSignalSpy settingsRequests(&ui.app->commands(), &AppCommands::settingsRequested);
    press(Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(settingsRequests.count(), 1);
    EXPECT_EQ(&ui.app->settings(), &view);
}

} // namespace
} // namespace tunara::testing
