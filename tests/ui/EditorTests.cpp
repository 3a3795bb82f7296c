// The station editor sheet: enablement of the confirm button, validation
// messages and focus, trimming, Return and Escape.

#include "UiFixture.h"

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

    void openAddSheet()
    {
        ui.showSettings();
        QTest::mouseClick(&window(), Qt::LeftButton, {}, UiHarness::centreOf(item(QStringLiteral("addButton"))));
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    }
    void openEditSheet(int index)
    {
        ui.showSettings();
        window().rootObject()->setProperty("selection", ui.station(index).id.toString(QUuid::WithoutBraces));
        window().rootObject()->setProperty("showingEditSheet", true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    }
    void type(const QString& field, const QString& characters)
    {
        item(field)->forceActiveFocus();
        for (const QChar character : characters)
            QTest::keyClick(&window(), character.toLatin1());
    }
    void press(Qt::Key key) { QTest::keyClick(&window(), key); }
    QString error() { return item(QStringLiteral("urlErrorText"))->isVisible() ? text(QStringLiteral("urlErrorText")) : QString(); }
};

TEST_F(EditorTest, AddSheetNeedsANameAndAValidURL)
{
    ui.setStations({});
    openAddSheet();
    EXPECT_FALSE(confirmEnabled());
    type(QStringLiteral("nameField"), QStringLiteral("   "));
    type(QStringLiteral("urlField"), QStringLiteral("  "));
    EXPECT_FALSE(confirmEnabled());
    press(Qt::Key_Return); // a disabled button does not act
    EXPECT_TRUE(sheetOpen());

    type(QStringLiteral("nameField"), QStringLiteral("Jazz"));
    type(QStringLiteral("urlField"), QStringLiteral("ftp://radio.example/"));
    EXPECT_TRUE(confirmEnabled());
    item(QStringLiteral("nameField"))->forceActiveFocus();
    press(Qt::Key_Return);
    EXPECT_TRUE(sheetOpen());
    EXPECT_EQ(error(), "URL must start with http:// or https://");
    EXPECT_EQ(item(QStringLiteral("urlErrorText"))->property("color").value<QColor>(), QColor(0xff, 0x3b, 0x30));
    EXPECT_TRUE(item(QStringLiteral("urlField"))->hasActiveFocus());

    // Typing in the name keeps the message; the first key in the URL clears it.
    type(QStringLiteral("nameField"), QStringLiteral("24 "));
    EXPECT_NE(error(), "");
    item(QStringLiteral("urlField"))->setProperty("text", QString());
    type(QStringLiteral("urlField"), QStringLiteral("h"));
    EXPECT_EQ(error(), "");
    type(QStringLiteral("urlField"), QStringLiteral("ttp://"));
    press(Qt::Key_Return);
    EXPECT_EQ(error(), "URL must contain a valid host");

    type(QStringLiteral("urlField"), QStringLiteral("127.0.0.1:8000/jazz "));
    press(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheetOpen(); }));
    ASSERT_EQ(ui.store->streams().size(), 1);
    EXPECT_EQ(ui.store->streams().at(0).name, "Jazz24");
    EXPECT_EQ(ui.store->streams().at(0).urlText(), "http://127.0.0.1:8000/jazz");
}

TEST_F(EditorTest, EditSheetSavesUnchangedValuesWithoutDisturbingPlayback)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two")});
    ui.store->playStream(ui.station(1).id);
    ui.platform.clock.runPending();
    const auto player = ui.store->playbackController().player();
    ASSERT_TRUE(player);

    openEditSheet(1);
    EXPECT_EQ(text(QStringLiteral("nameField")), "Two");
    EXPECT_EQ(text(QStringLiteral("urlField")), ui.station(1).urlText());
    EXPECT_TRUE(confirmEnabled());
    item(QStringLiteral("editStreamView"))->forceActiveFocus();
    press(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheetOpen(); }));
    EXPECT_EQ(ui.store->playbackController().player(), player);
}

TEST_F(EditorTest, EditingAStationDeletedMeanwhileShowsTheInvalidURLMessage)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two")});
    openEditSheet(0);
    ui.store->deleteStreams({ui.station(0).id});
    type(QStringLiteral("nameField"), QStringLiteral(" renamed"));
    press(Qt::Key_Return);
    EXPECT_EQ(error(), "Please enter a valid URL");
    EXPECT_TRUE(item(QStringLiteral("urlField"))->hasActiveFocus());
    // Escape closes without a trace, also with the message shown.
    press(Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheetOpen(); }));
    ASSERT_EQ(ui.store->streams().size(), 1);
    EXPECT_EQ(ui.store->streams().at(0).name, "Two");
}

} // namespace
} // namespace tunara::testing
