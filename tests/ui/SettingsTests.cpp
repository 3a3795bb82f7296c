// The Settings window: selection-dependent buttons, the delete
// confirmation, the context menu, double-click, drag to reorder, paste.

#include "PastedURL.h"
#include "UiFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
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

    QList<QQuickItem*> rows()
    {
        QList<QQuickItem*> result;
        for (QQuickItem* child : UiHarness::descendants(item(QStringLiteral("stationList")))) {
            if (child->property("urlText").isValid())
                result.append(child);
        }
        std::sort(result.begin(), result.end(), [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
        return result;
    }
    void click(QQuickItem* target, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(&window(), button, {}, UiHarness::centreOf(target));
    }
    QString selection() { return root()->property("selection").toString(); }
    QString id(int index) { return ui.station(index).id.toString(QUuid::WithoutBraces); }
    bool sheetOpen() { return shown(QStringLiteral("editorSheet")); }
    QQuickItem* editor() { return item(QStringLiteral("editStreamView")); }
    void paste(QMimeData* data)
    {
        QGuiApplication::clipboard()->setMimeData(data);
        QTest::keyClick(&window(), Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_F(SettingsTest, ButtonsNeedASelectionAndDeletionAsksFirst)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two \"2\"")});
    ui.showSettings();
    EXPECT_FALSE(enabled(QStringLiteral("removeButton")));
    EXPECT_FALSE(enabled(QStringLiteral("editButton")));
    EXPECT_TRUE(enabled(QStringLiteral("addButton")));

    click(rows()[1]);
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

    click(item(QStringLiteral("removeButton")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("deleteDialog")); }));
    click(item(QStringLiteral("deleteConfirmButton")));
    ASSERT_EQ(ui.store->streams().size(), 1);
    EXPECT_EQ(ui.store->streams().at(0).name, "One");
    EXPECT_EQ(selection(), "");
    EXPECT_FALSE(enabled(QStringLiteral("removeButton")));
    EXPECT_FALSE(enabled(QStringLiteral("editButton")));
}

TEST_F(SettingsTest, DeletingThePlayingStationStopsIt)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two")});
    ui.store->playStream(ui.station(0).id);
    ui.platform.clock.runPending();
    ui.showSettings();
    QMetaObject::invokeMethod(root(), "deleteStations", Q_ARG(QVariant, QVariantList{id(0)}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("deleteDialog")); }));
    click(item(QStringLiteral("deleteConfirmButton")));
    EXPECT_FALSE(ui.store->selectedStream());
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);
    EXPECT_FALSE(ui.store->playbackController().player());
}

TEST_F(SettingsTest, ContextMenuBesideTheRowsOffersDisabledItems)
{
    ui.setStations({QStringLiteral("One")});
    QQuickView& view = ui.showSettings();
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(250, 250));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("contextMenu")); }));
    EXPECT_FALSE(enabled(QStringLiteral("contextEdit")));
    EXPECT_FALSE(enabled(QStringLiteral("contextDelete")));
    QTest::keyClick(&view, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown(QStringLiteral("contextMenu")); }));

    click(rows()[0], Qt::RightButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("contextMenu")); }));
    EXPECT_TRUE(enabled(QStringLiteral("contextEdit")));
    click(item(QStringLiteral("contextEdit")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(editor()->property("stationId").toString(), id(0));
}

TEST_F(SettingsTest, DoubleClickEditsThatRowAndAGoneStationOpensNothing)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two")});
    QQuickView& view = ui.showSettings();
    click(rows()[0]);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, UiHarness::centreOf(rows()[1]));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(editor()->property("stationId").toString(), id(1));
    EXPECT_EQ(selection(), id(1));
    QTest::keyClick(&view, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheetOpen(); }));

    // The selected station is deleted elsewhere; "Edit…" then shows nothing.
    ui.store->deleteStreams({ui.station(1).id});
    click(item(QStringLiteral("editButton")));
    QTest::qWait(50);
    EXPECT_FALSE(sheetOpen());
    EXPECT_FALSE(root()->property("showingEditSheet").toBool());
}

TEST_F(SettingsTest, DraggingARowReorders)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    QQuickView& view = ui.showSettings();
    const QList<QQuickItem*> list = rows();
    const QPoint start = UiHarness::centreOf(list[0]);
    const QPoint end = UiHarness::centreOf(list[2]) + QPoint(0, int(list[2]->height() / 2) - 1);
    QTest::mousePress(&view, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 6; ++step)
        QTest::mouseMove(&view, start + (end - start) * step / 6);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, end);
    QStringList order;
    for (const AudioStream& stream : ui.store->streams())
        order << stream.name;
    EXPECT_EQ(order, (QStringList{"Two", "Three", "One"}));
}

TEST(PastedURL, OnlyUtf8TextThatIsAStreamURL)
{
    EXPECT_EQ(streamURLFromPastedText("  https://radio.example/live.mp3\n"), "https://radio.example/live.mp3");
    EXPECT_EQ(streamURLFromPastedText("\t\r\n"), std::nullopt);
    EXPECT_EQ(streamURLFromPastedText(""), std::nullopt);
    EXPECT_EQ(streamURLFromPastedText("just some words"), std::nullopt);
    EXPECT_EQ(streamURLFromPastedText("ftp://radio.example/"), std::nullopt);
    EXPECT_EQ(streamURLFromPastedText("http://\xff\xfe.example/"), std::nullopt);
}

TEST_F(SettingsTest, PastingAStreamURLOpensTheAddSheetWithIt)
{
    ui.setStations({QStringLiteral("One")});
    ui.showSettings();

    auto* words = new QMimeData;
    words->setText(QStringLiteral("plain words"));
    paste(words);
    QTest::qWait(20);
    EXPECT_FALSE(sheetOpen());

    auto* url = new QMimeData;
    url->setText(QStringLiteral("  http://127.0.0.1:8000/live\n"));
    paste(url);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(item(QStringLiteral("urlField"))->property("text").toString(), "http://127.0.0.1:8000/live");
    EXPECT_EQ(item(QStringLiteral("nameField"))->property("text").toString(), "");
    EXPECT_EQ(editor()->property("stationId").toString(), "");
    QTest::keyClick(&window(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheetOpen(); }));

    // "plus" afterwards starts empty.
    click(item(QStringLiteral("addButton")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    EXPECT_EQ(item(QStringLiteral("urlField"))->property("text").toString(), "");
}

} // namespace
} // namespace tunara::testing
