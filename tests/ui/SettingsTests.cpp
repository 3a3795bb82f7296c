// The Settings window: selection-dependent buttons, the delete
// confirmation, drag to reorder, paste.

#include "PastedURL.h"
#include "UiFixture.h"
#include "support/UnprivilegedFileAccess.h"

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

    QList<QQuickItem*> rows() { return UiHarness::rows(item(QStringLiteral("stationList")), "urlText"); }
    void click(QQuickItem* target, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(&window(), button, {}, UiHarness::centreOf(target));
    }
    QString selection() { return root()->property("selection").toString(); }
    QString id(int index) { return ui.station(index).id.toString(QUuid::WithoutBraces); }
    bool sheetOpen() { return shown(QStringLiteral("editorSheet")); }
    QQuickItem* editor() { return item(QStringLiteral("editStreamView")); }
    void paste(const QString& text)
    {
        auto* data = new QMimeData;
        data->setText(text);
        QGuiApplication::clipboard()->setMimeData(data);
        QTest::keyClick(&window(), Qt::Key_V, Qt::ControlModifier);
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

    click(rows()[1]);
    EXPECT_EQ(selection(), id(1));
    EXPECT_TRUE(enabled(QStringLiteral("removeButton")));
    EXPECT_TRUE(enabled(QStringLiteral("editButton")));

    click(item(QStringLiteral("removeButton")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(QStringLiteral("deleteDialog")); }));
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
    EXPECT_FALSE(ui.store->selectedStream());
    EXPECT_FALSE(ui.store->playbackController().player());
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
    EXPECT_EQ(ui.store->streams().at(2).name, "One");
    EXPECT_EQ(ui.store->streams().at(0).name, "Two");
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
    EXPECT_EQ(editor()->property("stationId").toString(), "");
    QTest::keyClick(&window(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheetOpen(); }));

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

} // namespace
} // namespace tunara::testing
