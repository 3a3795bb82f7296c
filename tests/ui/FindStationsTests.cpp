// The Find Stations sheet against the local stand-in for the station
// directory: searching as the user types, adding by keyboard and mouse,
// failures, and a station found, added and played on real GStreamer.

#include "UiFixture.h"
#include "directory/DirectoryFixture.h"
#include "model/StationLibrary.h"
#include "support/QtPrinters.h"

#include <QAccessible>
#include <QTest>

#ifdef TUNARA_HAVE_GSTREAMER
#include "GstMediaBackend.h"
#include "gstreamer/StreamFixture.h"
#include "playback/QtScheduler.h"
#endif

namespace tunara::testing {
namespace {

// Every row of a list view, each scrolled into view in turn.
QList<QQuickItem*> allRows(QQuickItem* list)
{
    QList<QQuickItem*> rows;
    for (int index = 0; index < list->property("count").toInt(); ++index)
        rows << UiHarness::listRow(list, index);
    return rows;
}

// Points the directory's client at a server for as long as it lives.
class DirectoryURL {
public:
    explicit DirectoryURL(const QUrl& url) { qputenv("TUNARA_DIRECTORY_URL", url.toString().toUtf8()); }
    ~DirectoryURL() { qunsetenv("TUNARA_DIRECTORY_URL"); }
};

// The Settings window of an application and its Find Stations sheet.
class SettingsDriver {
public:
    explicit SettingsDriver(TunaraApp& app)
        : app_(app)
    {
    }

    QQuickView& window() { return app_.settings(); }
    QQuickItem* item(const QString& name) { return UiHarness::find(window(), name); }
    QObject* sheet() { return window().rootObject()->findChild<QObject*>(QStringLiteral("findSheet")); }
    bool sheetOpen() { return sheet()->property("visible").toBool(); }
    QObject* directory() { return window().rootObject()->findChild<QObject*>(QStringLiteral("directoryViewModel")); }
    QString message() { return item(QStringLiteral("directoryMessage"))->property("text").toString(); }
    QList<QQuickItem*> rows() { return allRows(item(QStringLiteral("resultList"))); }
    QString text(QQuickItem* row, const QString& name) { return UiHarness::find(row, name)->property("text").toString(); }
    QString selection() { return window().rootObject()->property("selection").toString(); }

    void open()
    {
        QTest::keyClick(&window(), Qt::Key_F, Qt::ControlModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return sheetOpen(); }));
    }
    void type(const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(&window(), c.toLatin1());
    }
    void search(const QString& text)
    {
        type(text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !directory()->property("searching").toBool(); }, 15000));
    }
    void key(Qt::Key key) { QTest::keyClick(&window(), key); }
    void click(QQuickItem* target, bool twice = false)
    {
        const QPoint at = UiHarness::centreOf(target);
        if (twice)
            QTest::mouseDClick(&window(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(&window(), Qt::LeftButton, {}, at);
    }

private:
    TunaraApp& app_;
};

class FindStationsTest : public UiTest {};

QString accessibleName(QObject* object)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

QStringList namesOf(const QList<AudioStream>& streams)
{
    QStringList names;
    for (const AudioStream& stream : streams)
        names << stream.name;
    return names;
}

TEST_F(FindStationsTest, SearchesAsTheUserTypesAndAddsFromTheKeyboard)
{
    DirectoryFixture server(QUrl(QStringLiteral("http://127.0.0.1:8123")));
    ASSERT_TRUE(server.isRunning());
    DirectoryURL pointedAt(server.url());
    ui.setStations({QStringLiteral("One")});
    SettingsDriver settings(*ui.app);
    ui.showSettings();
    // Nothing of the directory is made before the sheet is opened.
    EXPECT_EQ(settings.directory(), nullptr);

    settings.open();
    EXPECT_TRUE(settings.item(QStringLiteral("searchField"))->hasActiveFocus());
    settings.type(QStringLiteral("jazz"));
    EXPECT_EQ(settings.message(), "Searching…");
    settings.search({});
    // One request for the four keystrokes.
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].query.value("name"), "jazz");
    QList<QQuickItem*> rows = settings.rows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(settings.text(rows[0], QStringLiteral("resultName")), "Fixture Jazz");
    EXPECT_EQ(settings.text(rows[0], QStringLiteral("resultDetails")), "US · MP3 · 128 kbps · jazz, smooth jazz, bebop");
    EXPECT_EQ(settings.text(rows[2], QStringLiteral("resultDetails")), "GB · AAC · HLS · jazz");
    // What a screen reader says.
    EXPECT_EQ(accessibleName(rows[0]), "Fixture Jazz, US · MP3 · 128 kbps, jazz, smooth jazz, bebop");
    EXPECT_EQ(accessibleName(UiHarness::find(rows[0], QStringLiteral("addResultButton"))), "Add Fixture Jazz");
    EXPECT_EQ(accessibleName(settings.item(QStringLiteral("searchField"))), "Search the station directory");

    // Down enters the results at the first row, Down again selects the
    // second, Return adds it: at the end of the list, on disk, selected.
    settings.key(Qt::Key_Down);
    settings.key(Qt::Key_Down);
    settings.key(Qt::Key_Return);
    ASSERT_EQ(ui.store->streams().size(), 2);
    const AudioStream cafe = ui.store->streams().back();
    EXPECT_EQ(cafe.name, "Jazz Radio Café ☕ — Zürich");
    EXPECT_EQ(cafe.urlText(), "https://cafe.example/stream.aac");
    EXPECT_EQ(namesOf(StationLibrary::loadStreams(QUrl::fromLocalFile(ui.libraryPath())).streams),
              QStringList({"One", "Jazz Radio Café ☕ — Zürich"}));
    EXPECT_EQ(settings.selection(), cafe.id.toString(QUuid::WithoutBraces));
    EXPECT_TRUE(settings.rows()[1]->property("inList").toBool());

    // Not twice.
    settings.key(Qt::Key_Return);
    EXPECT_EQ(ui.store->streams().size(), 2);

    // A double-click adds the first row, the Add button the third.
    settings.click(settings.rows()[0], true);
    settings.click(UiHarness::find(settings.rows()[2], QStringLiteral("addResultButton")));
    EXPECT_EQ(namesOf(ui.store->streams()),
              QStringList({"One", "Jazz Radio Café ☕ — Zürich", "Fixture Jazz", "Jazz HLS"}));
    EXPECT_EQ(ui.store->streams()[2].urlText(), "http://127.0.0.1:8123/icy/mp3");

    // Escape closes; the button opens it again on the same results.
    settings.key(Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !settings.sheetOpen(); }));
    settings.click(settings.item(QStringLiteral("findStationsButton")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return settings.sheetOpen(); }));
    EXPECT_TRUE(settings.item(QStringLiteral("searchField"))->hasActiveFocus());
    EXPECT_EQ(settings.rows().size(), 4);

    // A station removed from the list can be added again.
    ui.store->deleteStreams({cafe.id});
    EXPECT_FALSE(settings.rows()[1]->property("inList").toBool());

    // By tag; an empty result says so.
    settings.click(settings.item(QStringLiteral("byTagButton")));
    settings.search({});
    EXPECT_EQ(server.requests().back().query.value("tag"), "jazz");
    QTest::keyClick(&settings.window(), Qt::Key_A, Qt::ControlModifier);
    settings.search(QStringLiteral("polka"));
    EXPECT_EQ(settings.rows().size(), 0);
    EXPECT_EQ(settings.message(), "No stations found");
}

TEST(FindStationsFailureTest, BadAnswersAreAMessageAndLeaveTheListAlone)
{
    DirectoryFixture server;
    ASSERT_TRUE(server.isRunning());
    const std::pair<QUrl, const char*> cases[] = {
        {server.url(QStringLiteral("down")), "The station directory answered with an error"},
        {server.url(QStringLiteral("huge")), "The station directory's answer could not be read"},
        {DirectoryFixture::refused(), "Can't reach the station directory"},
    };
    for (const auto& [url, message] : cases) {
        DirectoryURL pointedAt(url);
        UiHarness ui;
        ui.setStations({QStringLiteral("One"), QStringLiteral("Two")});
        QFile file(ui.libraryPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        SettingsDriver settings(*ui.app);
        ui.showSettings();
        settings.open();
        settings.search(QStringLiteral("jazz"));
        EXPECT_EQ(settings.message(), message) << url.toString().toStdString();
        EXPECT_EQ(settings.rows().size(), 0);
        settings.key(Qt::Key_Down);
        settings.key(Qt::Key_Return);
        EXPECT_EQ(namesOf(ui.store->streams()), QStringList({"One", "Two"}));
        file.seek(0);
        EXPECT_EQ(file.readAll(), before);
    }
}

#ifdef TUNARA_HAVE_GSTREAMER

// The whole way a listener goes: search, add, and play it from the panel,
// with the audio coming from the local stream server.
TEST(FindStationsPlaybackTest, AStationFoundAndAddedPlaysFromThePanel)
{
    StreamFixture streams;
    ASSERT_TRUE(streams.isRunning());
    DirectoryFixture server(streams.http({}).adjusted(QUrl::StripTrailingSlash));
    ASSERT_TRUE(server.isRunning());
    DirectoryURL pointedAt(server.url());

    GstMediaBackendOptions options;
    options.makeAudioSink = [] {
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", TRUE, nullptr);
        return sink;
    };
    GstMediaBackend backend(QtScheduler::mainLoop(), options);
    FakePlatform platform;
    PlaybackEnvironment environment = platform.environment();
    environment.scheduler = &QtScheduler::mainLoop();
    environment.mediaBackend = &backend;
    QTemporaryDir directory;
    const QUrl library = QUrl::fromLocalFile(directory.filePath(QStringLiteral("database.json")));
    Store store(environment, library);
    TunaraApp app(store);

    SettingsDriver settings(app);
    app.openSettings();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settings.window()));
    settings.open();
    settings.search(QStringLiteral("fixture"));
    ASSERT_EQ(settings.rows().size(), 1);
    settings.key(Qt::Key_Down);
    settings.key(Qt::Key_Return);

    const QList<AudioStream> onDisk = StationLibrary::loadStreams(library).streams;
    ASSERT_EQ(onDisk.size(), 5); // the four defaults and the new one
    EXPECT_EQ(onDisk.back().name, "Fixture Jazz");
    EXPECT_EQ(onDisk.back().url, streams.http(QStringLiteral("/icy/mp3")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests().size() == 2; }));
    EXPECT_EQ(server.requests()[1].path, "/json/url/96062a7b-0601-11e8-ae97-52543be04c81");
    EXPECT_EQ(server.requests()[1].userAgent, "Tunara/" + QString::fromLatin1(TUNARA_VERSION));

    // In the panel like any other station: a click plays it.
    app.showPanel();
    QQuickView& panel = app.panel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const QList<QQuickItem*> rows = allRows(UiHarness::find(panel, QStringLiteral("stationList")));
    ASSERT_EQ(rows.size(), 5);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, UiHarness::centreOf(rows.back()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.playingStatus() == PlayingStatus::playing; }, 20000));
    EXPECT_EQ(store.selectedStream()->name, "Fixture Jazz");
    store.playbackController().stop();
}

#endif

} // namespace
} // namespace tunara::testing
