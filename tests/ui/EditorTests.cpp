// The station editor sheet in the Settings window, driven by the keyboard
// alone: where the keyboard starts, Tab order, Return and Escape, the
// message under the form, and the list it hands the keyboard back to.

#include "UiFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

namespace tunara::testing {
namespace {

class EditorTest : public UiTest {
protected:
    QQuickView& window() { return ui.app->settings(); }
    QQuickItem* item(const QString& name) { return UiHarness::find(window(), name); }
    QString text(const QString& name) { return item(name)->property("text").toString(); }
    bool sheetOpen() { return window().rootObject()->findChild<QObject*>(QStringLiteral("editorSheet"))->property("visible").toBool(); }
    bool confirmEnabled() { return item(QStringLiteral("confirmButton"))->isEnabled(); }
    bool focused(const char* name) { return item(QString::fromLatin1(name))->hasActiveFocus(); }
    QString selection() { return window().rootObject()->property("selection").toString(); }
    QQuickItem* list() { return item(QStringLiteral("stationList")); }

    void waitForSheet(bool open) { ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen() == open; })); }
    void openAddSheet()
    {
        ui.showSettings();
        QTest::mouseClick(&window(), Qt::LeftButton, {}, UiHarness::centreOf(item(QStringLiteral("addButton"))));
        waitForSheet(true);
    }
    // Types into whatever has the keyboard.
    void type(const QString& characters)
    {
        for (const QChar character : characters)
            QTest::keyClick(&window(), character.toLatin1());
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&window(), key, modifiers); }
    QString error() { return item(QStringLiteral("urlErrorText"))->isVisible() ? text(QStringLiteral("urlErrorText")) : QString(); }
};

TEST_F(EditorTest, TheAddSheetShowsItsTextsAndNeedsANameAndAValidURL)
{
    ui.setStations({});
    openAddSheet();
    EXPECT_EQ(text(QStringLiteral("sheetTitle")), "Add a stream");
    EXPECT_EQ(text(QStringLiteral("confirmButton")), "Add");
    EXPECT_EQ(text(QStringLiteral("nameField")), "");
    EXPECT_EQ(text(QStringLiteral("urlField")), "");
    EXPECT_EQ(item(QStringLiteral("urlField"))->property("placeholderText").toString(), "https://");
    EXPECT_EQ(item(QStringLiteral("editStreamView"))->width(), 360);
    EXPECT_FALSE(confirmEnabled());
    EXPECT_TRUE(focused("nameField"));

    // Blank texts keep the button disabled, and Return does nothing.
    type(QStringLiteral("   "));
    press(Qt::Key_Tab);
    type(QStringLiteral("  "));
    EXPECT_FALSE(confirmEnabled());
    press(Qt::Key_Return);
    EXPECT_TRUE(sheetOpen());

    press(Qt::Key_Backtab, Qt::ShiftModifier);
    type(QStringLiteral("Jazz"));
    press(Qt::Key_Tab);
    type(QStringLiteral("ftp://radio.example/"));
    EXPECT_TRUE(confirmEnabled());
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Return);
    EXPECT_TRUE(sheetOpen());
    EXPECT_EQ(error(), "URL must start with http:// or https://");
    EXPECT_EQ(item(QStringLiteral("urlErrorText"))->property("color").value<QColor>(), QColor(0xff, 0x3b, 0x30));
    EXPECT_TRUE(focused("urlField"));

    // Keys in the name keep the message; in the URL field a key that only
    // selects keeps it too, and the first that changes the text clears it.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    type(QStringLiteral("24"));
    EXPECT_EQ(error(), "URL must start with http:// or https://");
    press(Qt::Key_Tab);
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(error(), "URL must start with http:// or https://");
    type(QStringLiteral("h"));
    EXPECT_EQ(error(), "");
    EXPECT_EQ(text(QStringLiteral("urlField")), "h");
    type(QStringLiteral("ttp://"));
    press(Qt::Key_Return);
    EXPECT_EQ(error(), "URL must contain a valid host");

    type(QStringLiteral("127.0.0.1:8000/jazz "));
    press(Qt::Key_Return);
    waitForSheet(false);
    ASSERT_EQ(ui.store->streams().size(), 1);
    EXPECT_EQ(ui.store->streams().at(0).name, "Jazz24");
    EXPECT_EQ(ui.store->streams().at(0).urlText(), "http://127.0.0.1:8000/jazz");
}

TEST_F(EditorTest, AStationIsAddedFromACopiedURLWithoutTheMouse)
{
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("Station %1").arg(i);
    ui.setStations(names);
    auto* copied = new QMimeData;
    copied->setText(QStringLiteral("https://127.0.0.1:8000/live.mp3"));
    QGuiApplication::clipboard()->setMimeData(copied);

    // Ctrl+, then Ctrl+V: the sheet opens with the URL, the keyboard in the name.
    QQuickView& panel = ui.showPanel();
    QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_TRUE(ui.app->hasSettings());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    press(Qt::Key_V, Qt::ControlModifier);
    waitForSheet(true);
    EXPECT_EQ(text(QStringLiteral("urlField")), "https://127.0.0.1:8000/live.mp3");
    EXPECT_TRUE(focused("nameField"));
    type(QStringLiteral("Live"));
    press(Qt::Key_Return);
    waitForSheet(false);

    // Back in the list, on the new station, scrolled into view.
    ASSERT_EQ(ui.store->streams().size(), 61);
    EXPECT_EQ(ui.store->streams().last().name, "Live");
    EXPECT_EQ(selection(), ui.station(60).id.toString(QUuid::WithoutBraces));
    EXPECT_TRUE(list()->hasActiveFocus());
    QQuickItem* row = nullptr;
    QMetaObject::invokeMethod(list(), "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, 60));
    ASSERT_NE(row, nullptr);
    EXPECT_LE(row->mapToItem(list(), QPointF(0, row->height())).y(), list()->height() + 0.5);
}

TEST_F(EditorTest, EditingStartsWithTheWholeNameSelectedAndTabsThroughTheSheet)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    ui.store->playStream(ui.station(1).id);
    ui.platform.clock.runPending();
    const auto player = ui.store->playbackController().player();
    ASSERT_TRUE(player);
    ui.showSettings();

    // Down, Down, Return: the edit sheet of the second station.
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    waitForSheet(true);
    EXPECT_EQ(text(QStringLiteral("sheetTitle")), "Edit stream");
    EXPECT_EQ(text(QStringLiteral("confirmButton")), "Save");
    EXPECT_EQ(text(QStringLiteral("urlField")), ui.station(1).urlText());
    EXPECT_TRUE(focused("nameField"));
    EXPECT_EQ(item(QStringLiteral("nameField"))->property("selectedText").toString(), "Two");

    // Tab order: Name, URL, Cancel, Save, and round again.
    for (const char* next : {"urlField", "cancelButton", "confirmButton", "nameField"}) {
        press(Qt::Key_Tab);
        EXPECT_TRUE(focused(next)) << next;
    }
    // Return on Cancel cancels.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(focused("cancelButton"));
    press(Qt::Key_Return);
    waitForSheet(false);
    EXPECT_EQ(ui.station(1).name, "Two");
    EXPECT_TRUE(list()->hasActiveFocus());

    // Return without changes saves the same values: playback goes on.
    press(Qt::Key_Return);
    waitForSheet(true);
    press(Qt::Key_Return);
    waitForSheet(false);
    EXPECT_EQ(ui.store->playbackController().player(), player);

    // Typing replaces the selected name; back in the list on that row.
    press(Qt::Key_Return);
    waitForSheet(true);
    type(QStringLiteral("Deux"));
    press(Qt::Key_Return);
    waitForSheet(false);
    EXPECT_EQ(ui.station(1).name, "Deux");
    EXPECT_EQ(selection(), ui.station(1).id.toString(QUuid::WithoutBraces));
    EXPECT_TRUE(list()->hasActiveFocus());
    press(Qt::Key_Down);
    EXPECT_EQ(selection(), ui.station(2).id.toString(QUuid::WithoutBraces));
}

TEST_F(EditorTest, EditingAStationDeletedMeanwhileShowsTheInvalidURLMessage)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two")});
    ui.showSettings();
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    waitForSheet(true);
    ui.store->deleteStreams({ui.station(0).id});
    press(Qt::Key_End);
    type(QStringLiteral(" renamed"));
    press(Qt::Key_Return);
    EXPECT_EQ(error(), "Please enter a valid URL");
    EXPECT_TRUE(focused("urlField"));
    // Escape closes without a trace, also with the message shown.
    press(Qt::Key_Escape);
    waitForSheet(false);
    ASSERT_EQ(ui.store->streams().size(), 1);
    EXPECT_EQ(ui.store->streams().at(0).name, "Two");
}

} // namespace
} // namespace tunara::testing
