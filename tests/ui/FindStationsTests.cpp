// The Find Stations sheet against the local stand-in for the station
// directory: searching as the user types, adding by keyboard and mouse
// (each addition counted at the directory), and failures.

#include "UiFixture.h"
#include "directory/DirectoryFixture.h"
#include "model/StationLibrary.h"
#include "support/EventLoop.h"

#include <QAccessible>
#include <QTest>

namespace tunara::testing {
namespace {

QString text(QQuickItem* row, const char* name) { return UiHarness::find(row, name)->property("text").toString(); }

QString accessibleName(QObject* object)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// Points the directory's client at a server for as long as it lives.
class DirectoryURL {
public:
    explicit DirectoryURL(const QUrl& url) { qputenv("TUNARA_DIRECTORY_URL", url.toString().toUtf8()); }
    ~DirectoryURL() { qunsetenv("TUNARA_DIRECTORY_URL"); }
};

// The Settings window and its Find Stations sheet.
struct FindSheet : Window {
    using Window::Window;
    QObject* directory() const { return view.rootObject()->findChild<QObject*>("directoryViewModel"); }
    // Every result row, each scrolled into view in turn.
    QList<QQuickItem*> rows() const
    {
        QList<QQuickItem*> rows;
        for (int index = 0; index < item("resultList")->property("count").toInt(); ++index)
            rows << UiHarness::listRow(item("resultList"), index);
        return rows;
    }
    void open() const
    {
        press(Qt::ControlModifier | Qt::Key_F);
        EXPECT_TRUE(waitShown("findSheet"));
    }
    void search(const QString& text) const
    {
        type(text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !directory()->property("searching").toBool(); }, 15000));
    }
};

TEST_F(UiTest, FindStationsSearchesAsTheUserTypesAndAddsFromTheKeyboard)
{
    DirectoryFixture server(QUrl("http://127.0.0.1:8123"));
    ASSERT_TRUE(server.isRunning());
    DirectoryURL pointedAt(server.url());
    ui.setStations({"One"});
    FindSheet settings(ui.showSettings());
    // Nothing of the directory is made before the sheet is opened.
    EXPECT_EQ(settings.directory(), nullptr);

    settings.open();
    EXPECT_TRUE(settings.focused("searchField"));
    settings.type("jazz");
    EXPECT_EQ(settings.text("directoryMessage"), "Searching…");
    settings.search({});
    // One request for the four keystrokes.
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].query.value("name"), "jazz");
    QList<QQuickItem*> rows = settings.rows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(text(rows[0], "resultName"), "Fixture Jazz");
    EXPECT_EQ(text(rows[0], "resultDetails"), "US · MP3 · 128 kbps · jazz, smooth jazz, bebop");
    EXPECT_EQ(text(rows[2], "resultDetails"), "GB · AAC · HLS · jazz");
    // What a screen reader says.
    EXPECT_EQ(accessibleName(rows[0]), "Fixture Jazz, US · MP3 · 128 kbps, jazz, smooth jazz, bebop");
    EXPECT_EQ(accessibleName(UiHarness::find(rows[0], "addResultButton")), "Add Fixture Jazz");
    EXPECT_EQ(accessibleName(settings.item("findStationsView")), "Find Stations");
    // Name or tag: one of two, read as such.
    for (const char* button : {"byNameButton", "byTagButton"}) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(settings.item(button));
        EXPECT_EQ(accessible->role(), QAccessible::RadioButton) << button;
        EXPECT_EQ(accessible->state().checked, std::strcmp(button, "byNameButton") == 0) << button;
    }
    EXPECT_EQ(accessibleName(settings.item("searchField")), "Search the station directory");

    // Down enters the results at the first row, Down again selects the
    // second, Return adds it: at the end of the list, on disk, selected.
    settings.press({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    ASSERT_EQ(ui.store->stations().size(), 2);
    const Station cafe = ui.store->stations().back();
    EXPECT_EQ(cafe.name, "Jazz Radio Café ☕ — Zürich");
    EXPECT_EQ(cafe.urlText(), "https://cafe.example/stream.aac");
    EXPECT_EQ(names(StationLibrary::loadStations(QUrl::fromLocalFile(ui.libraryPath())).stations),
              QStringList({"One", "Jazz Radio Café ☕ — Zürich"}));
    EXPECT_EQ(settings.selection(), ui.id(1));
    EXPECT_TRUE(settings.rows()[1]->property("inList").toBool());
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 2; }));
    EXPECT_EQ(server.requests()[1].path, "/json/url/960a5c8f-0601-11e8-ae97-52543be04c81");
    // Not twice.
    settings.press(Qt::Key_Return);
    EXPECT_EQ(ui.store->stations().size(), 2);

    // A double-click adds the first row, the Add button the third.
    QTest::mouseDClick(&settings.view, Qt::LeftButton, {}, UiHarness::centreOf(settings.rows()[0]));
    settings.click(UiHarness::find(settings.rows()[2], "addResultButton"));
    EXPECT_EQ(ui.names(), QStringList({"One", "Jazz Radio Café ☕ — Zürich", "Fixture Jazz", "Jazz HLS"}));
    EXPECT_EQ(ui.station(2).urlText(), "http://127.0.0.1:8123/icy/mp3");
    // With the directory's favicon as its logo, shown once it is fetched.
    EXPECT_EQ(ui.station(2).logo, server.url().resolved(QUrl("favicons/jazz.png")));
    EXPECT_TRUE(cafe.logo.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !settings.row(2)->property("logo").toString().isEmpty(); }));

    // Escape closes; the button opens it again on the same results.
    settings.press(Qt::Key_Escape);
    ASSERT_TRUE(settings.waitShown("findSheet", false));
    settings.click("findStationsButton");
    ASSERT_TRUE(settings.waitShown("findSheet"));
    EXPECT_TRUE(settings.focused("searchField"));
    EXPECT_EQ(settings.rows().size(), 4);

    // A station removed from the list can be added again.
    ui.store->deleteStations({cafe.id});
    EXPECT_FALSE(settings.rows()[1]->property("inList").toBool());

    // By tag; an empty result says so.
    settings.click("byTagButton");
    settings.search({});
    EXPECT_EQ(server.requests().back().query.value("tag"), "jazz");
    settings.press(Qt::ControlModifier | Qt::Key_A);
    settings.search("polka");
    EXPECT_EQ(settings.rows().size(), 0);
    EXPECT_EQ(settings.text("directoryMessage"), "No stations found");
}

// Find Logos: each station without one looked up by its stream URL; the
// favicon of an exact match taken, no other.
TEST_F(UiTest, FindLogosTakesTheFaviconOfTheStationListedUnderTheSameURL)
{
    DirectoryFixture server(QUrl("http://127.0.0.1:8123"));
    DirectoryURL pointedAt(server.url());
    ui.setStations({});
    ui.store->addStations({{"My Jazz", "http://127.0.0.1:8123/icy/mp3"}, {"Mine", "http://127.0.0.1:8123/icy/mp3?x"},
                           {"Café", "https://cafe.example/stream.aac"}});
    FindSheet settings(ui.showSettings());
    settings.click("stationFilesButton");
    ASSERT_TRUE(settings.waitShown("stationFilesMenu"));
    settings.click("findLogosItem");
    EXPECT_TRUE(QTest::qWaitFor([&] { return settings.text("logoFinderLine") == "Found a logo for 1 station"; }, 15000))
        << settings.text("logoFinderLine").toStdString();
    EXPECT_EQ(ui.station(0).logo, server.url().resolved(QUrl("favicons/jazz.png")));
    EXPECT_TRUE(ui.station(1).logo.isEmpty());
    EXPECT_TRUE(ui.station(2).logo.isEmpty());
    // One lookup each; the logo found is fetched for the list.
    QStringList paths;
    for (const auto& request : server.requests())
        paths << request.path;
    paths.sort();
    EXPECT_EQ(paths, QStringList({"/favicons/jazz.png", "/json/stations/byurl", "/json/stations/byurl",
                                  "/json/stations/byurl"}));
    EXPECT_EQ(server.requests()[0].query.value("url"), "http://127.0.0.1:8123/icy/mp3");
}

// How each failure is worded is the directory's; here, that the sheet shows it
// and offers nothing to add.
TEST_F(UiTest, FindStationsShowsABadAnswerAsAMessageAndLeavesTheListAlone)
{
    DirectoryFixture server;
    ASSERT_TRUE(server.isRunning());
    DirectoryURL pointedAt(server.url("huge"));
    ui.setStations({"One", "Two"});
    QFile file(ui.libraryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    FindSheet settings(ui.showSettings());
    settings.open();
    settings.search("jazz");
    EXPECT_EQ(settings.text("directoryMessage"), "The station directory's answer could not be read");
    EXPECT_EQ(settings.rows().size(), 0);
    settings.press({Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(ui.names(), QStringList({"One", "Two"}));
    file.seek(0);
    EXPECT_EQ(file.readAll(), before);
}

} // namespace
} // namespace tunara::testing
