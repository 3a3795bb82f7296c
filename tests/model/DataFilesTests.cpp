// The files of the user's data: the library, what is read and written, and
// that a file which may hold the user's list is never lost; the settings
// file and the volume the Store keeps in it.

#include "model/AppSettings.h"
#include "model/StationLibrary.h"
#include "model/Store.h"
#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/StationNames.h"
#include "support/StdoutCapture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunara;
using namespace tunara::testing;

namespace {

const QStringList defaultNames = {"Worldwide FM", "NTS 1", "NTS 2", "KCRW Eclectic24"};

// What each printed line is about: the text before its first colon.
QStringList heads(QStringList lines)
{
    return lines.replaceInStrings(QRegularExpression(":.*"), QString());
}

class DataFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }
    void write(const QString& name, const QByteArray& bytes) const { writeFile(path(name), bytes); }
    QByteArray read(const QString& name) const { return readFile(path(name)); }
    double storedVolume() const { return AppSettings::loadVolume(url("tunara/settings.json")); }

    QTemporaryDir dir;
};

// The library's place in the data folder, seeded with the defaults and
// not written until the list changes.
TEST_F(DataFileTest, AMissingLibraryGivesTheDefaultsAndWritesNothing)
{
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    ASSERT_EQ(StationLibrary::defaultFileURL(), url("tunara/database.json"));
    StdoutCapture out;
    FakePlatform platform;
    PlaybackController player(platform.environment());
    Store store(player, StationLibrary::defaultFileURL(), std::nullopt, platform.clock);
    EXPECT_EQ(names(store.stations()), defaultNames);
    // The same ids for the whole run.
    EXPECT_EQ(StationLibrary::loadStations(std::nullopt).stations[0].id, store.stations()[0].id);
    EXPECT_FALSE(QFile::exists(path("tunara/database.json")));
    EXPECT_TRUE(out.lines().isEmpty());
}

TEST_F(DataFileTest, SavedFileIsPrettyReadsBackExactlyAndAFailedSaveDestroysNothing)
{
    const Station stream{QUuid("6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a"), "Café “Jazz” \\ \"A/B\"\n🎷",
                             QUrl("http://example.com:8000/live.mp3?a=1&b=%20x&c=%C3%A4"), {}};
    ASSERT_EQ(StationLibrary::saveStations(url("a/b/database.json"), {stream}), std::nullopt);
    EXPECT_EQ(read("a/b/database.json"), R"([
    {
        "id": "6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A",
        "name": "Café “Jazz” \\ \"A\/B\"\n🎷",
        "url": "http:\/\/example.com:8000\/live.mp3?a=1&b=%20x&c=%C3%A4"
    }
]
)");
    // Missing folders are made; no temporary file is left behind.
    EXPECT_EQ(filesIn(path("a/b")), QSet<QString>({"database.json"}));
    const auto loaded = StationLibrary::loadStations(url("a/b/database.json")).stations;
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].name, stream.name);
    EXPECT_EQ(loaded[0].urlText(), "http://example.com:8000/live.mp3?a=1&b=%20x&c=%C3%A4");

    // A logo is one member more, which a reader that knows none passes by;
    // one that is no web address or file is left out, the station kept.
    Station withLogo = stream;
    withLogo.logo = QUrl("https://radio.example/fav icon.png");
    ASSERT_EQ(StationLibrary::saveStations(url("logo.json"), {withLogo}), std::nullopt);
    EXPECT_TRUE(read("logo.json").contains(R"("logo": "https:\/\/radio.example\/fav%20icon.png")"));
    EXPECT_EQ(StationLibrary::loadStations(url("logo.json")).stations.value(0).logo, withLogo.logo);
    write("logo.json", QByteArray(read("logo.json")).replace("https:", "javascript:"));
    const auto kept = StationLibrary::loadStations(url("logo.json")).stations;
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].logo.isEmpty());

    // Failed saves are reported and destroy nothing.
    ASSERT_TRUE(QDir(dir.path()).mkpath("database.json/inner"));
    write("blocker", "a file where a folder is needed");
    StdoutCapture out;
    // A folder where the library belongs is neither read nor replaced.
    EXPECT_EQ(names(StationLibrary::loadStations(url("database.json")).stations), defaultNames);
    EXPECT_TRUE(StationLibrary::saveStations(url("database.json"), StationLibrary::defaultStations()));
    EXPECT_TRUE(StationLibrary::saveStations(url("blocker/tunara/database.json"), StationLibrary::defaultStations()));
    EXPECT_EQ(StationLibrary::saveStations(std::nullopt, {}), "Could not determine database file path");
    EXPECT_EQ(heads(out.lines()), QStringList({"Failed to save streams", "Failed to save streams", "Failed to save"}));
    EXPECT_TRUE(QFileInfo(path("database.json/inner")).isDir());
    EXPECT_EQ(read("blocker"), "a file where a folder is needed");
}

TEST(StationLibraryDecode, IsLenientWhereTheFormatAllowsAndRejectsAnythingElse)
{
    StdoutCapture out;
    const auto streams = StationLibrary::decodeStations(R"([
        {"url": "https:\/\/a.example\/one", "extra": [1, 2], "name": "One", "id": "6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a"},
        {"name": "Two", "url": "https://b.example/two"},
        {"id": null, "name": "Three", "url": "https://c.example/three"},
        {"id": "6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A", "name": "Twin", "url": "https://d.example/"}
    ])");
    ASSERT_TRUE(streams);
    EXPECT_EQ(names(*streams), QStringList({"One", "Two", "Three", "Twin"}));
    EXPECT_EQ((*streams)[0].id, QUuid("6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A"));
    EXPECT_EQ((*streams)[3].id, (*streams)[0].id); // shared ids load as they are
    // Missing or null: a new id each.
    EXPECT_EQ(QSet<QUuid>({QUuid(), (*streams)[0].id, (*streams)[1].id, (*streams)[2].id}).size(), 4);
    EXPECT_TRUE(StationLibrary::decodeStations("[]").value_or(QList<Station>(1)).isEmpty());

    const char* const rejected[] = {
        "[{\"name\": \"cut",
        R"({"name": "x", "url": "https://a.example/"})",
        R"([{"name": 7, "url": "https://a.example/"}])",
        R"([{"name": "x"}])",
        R"([{"name": "x", "url": "http://[::1"}])",
        R"([{"id": "{6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a}", "name": "x", "url": "https://a.example/"}])",
        R"([{"name": "good", "url": "https://a.example/"}, 42])",
    };
    for (const char* bytes : rejected)
        EXPECT_FALSE(StationLibrary::decodeStations(bytes)) << bytes;
    EXPECT_EQ(heads(out.lines()), QStringList(7, "Failed to decode streams")); // and none before
}

// A library that cannot be read or decoded may still hold the user's list:
// it is moved aside whole, deleting and following nothing that stands
// there, or, when it cannot be moved, kept where it is and never written
// over. Loaded as an ordinary user, saved with every permission.
TEST_F(DataFileTest, AnUnusableLibraryIsMovedAsideOrKeptButNeverLost)
{
    struct Case {
        QByteArray bytes = "not json";
        bool readable = true;
        bool folderWritable = true;
        const char* directory = nullptr; // standing beside the library, with something inside
        const char* link = nullptr;      // a symbolic link there, to a file of the user's
        bool earlierBackup = false; // a read-only database.corrupt.json
        QStringList lines = {"Failed to decode streams"};
        const char* keptAt = "database.corrupt.json";
    };
    const QByteArray mine = R"([{"name": "Mine", "url": "https://mine.example/"}])";
    const QStringList cannotMove = {"Failed to back up database file", "Failed to save streams"};
    const Case cases[] = {
        {},
        {.earlierBackup = true},
        // Neither a folder nor a link is a backup: both are passed over.
        {.directory = "database.corrupt.json", .link = "database.corrupt-2.json", .keptAt = "database.corrupt-3.json"},
        {.bytes = mine, .readable = false, .lines = {"Failed to read stations"}},
        {.bytes = mine, .readable = false, .folderWritable = false,
         .lines = QStringList{"Failed to read stations"} + cannotMove, .keptAt = "database.json"},
        {.bytes = "[{\"name\": \"Mine\", \"url\": ", .folderWritable = false,
         .lines = QStringList{"Failed to decode streams"} + cannotMove, .keptAt = "database.json"},
    };
    FakePlatform platform;
    PlaybackController player(platform.environment());
    write("precious", "kept");
    UnprivilegedFileAccess::openUp(dir.path());
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        const QString folder = QString::number(i) + '/';
        write(folder + "database.json", c.bytes);
        ASSERT_TRUE(!c.directory || QDir(path(folder)).mkpath(c.directory + QString("/inner")));
        ASSERT_TRUE(!c.link || QFile::link(path("precious"), path(folder + c.link)));
        if (c.earlierBackup) {
            write(folder + "database.corrupt.json", "earlier");
            setMode(path(folder + "database.corrupt.json"), 0400);
        }
        if (!c.readable)
            setMode(path(folder + "database.json"), 0200);
        UnprivilegedFileAccess::openUp(path(folder));
        if (!c.folderWritable)
            setMode(path(folder), 0555);

        StdoutCapture out;
        std::unique_ptr<Store> store;
        {
            UnprivilegedFileAccess asUser;
            store = std::make_unique<Store>(player, url(folder + "database.json"), std::nullopt, platform.clock);
        }
        EXPECT_EQ(names(store->stations()), defaultNames) << i;
        UnprivilegedFileAccess::openUp(path(folder));
        ASSERT_TRUE(store->addStation("Four", "https://four.example/stream"));
        EXPECT_EQ(heads(out.lines()), c.lines) << i;
        EXPECT_EQ(store->saveError().isEmpty(), QString(c.keptAt) != "database.json") << i;
        setMode(path(folder + c.keptAt), 0600);
        EXPECT_EQ(read(folder + c.keptAt), c.bytes) << i;
        EXPECT_EQ(read("precious"), "kept") << i;
        EXPECT_TRUE(!c.directory || QFileInfo(path(folder + c.directory + "/inner")).isDir()) << i;
        EXPECT_TRUE(!c.link || QFileInfo(path(folder + c.link)).symLinkTarget() == path("precious")) << i;
    }
}

TEST_F(DataFileTest, StoredVolumeIsClampedAndAnUnusableFileMeansFullVolumeSilently)
{
    const std::pair<QByteArray, double> cases[] = {
        {{}, 1.0}, // no file at all
        {R"({"volume": 0.4})", 0.4},
        {R"({"volume": -1})", 0.0},
        {R"({"volume": "loud"})", 1.0},
        {"{\"volume\": 0.", 1.0},
        {"{\"volume\": 0.4, \"x\": \"" + QByteArray(100 * 1024, 'x') + "\"}", 1.0},
    };
    StdoutCapture out;
    for (const auto& [bytes, volume] : cases) {
        if (!bytes.isNull())
            write("tunara/settings.json", bytes);
        EXPECT_EQ(storedVolume(), volume) << bytes.left(40).constData();
    }
    EXPECT_TRUE(out.lines().isEmpty());
}

TEST_F(DataFileTest, TheStoreVolumeReachesTheBackendAndTheFileOnceSettledKeepingTheRest)
{
    write("tunara/settings.json", R"({"future": "kept", "volume": 0.3})");
    FakePlatform platform;
    PlaybackController player(platform.environment());
    Store store(player, url("database.json"), url("tunara/settings.json"), platform.clock);
    int notifications = 0;
    QObject::connect(&store, &Store::volumeChanged, [&] { ++notifications; });
    // From the first sample on.
    EXPECT_EQ(store.volume(), 0.3);
    store.playStation(store.stations().at(0).id);
    EXPECT_EQ(platform.backend.session().volume, 0.3);

    store.setVolume(0.5);
    store.setVolume(0.5); // no change, no notification
    store.changeVolume(-0.05);
    EXPECT_EQ(store.volume(), 0.45);
    store.setVolume(-3); // clamped, as every volume
    EXPECT_EQ(store.volume(), 0.0);
    EXPECT_EQ(platform.backend.session().volume, 0.0);
    EXPECT_EQ(notifications, 3);

    // Written once the changes have settled for half a second.
    platform.clock.advance(0.499);
    EXPECT_EQ(storedVolume(), 0.3);
    platform.clock.advance(0.001);
    EXPECT_EQ(storedVolume(), 0.0);

    // The desktop's mixer moves it; a step from there lands on a whole percent.
    platform.backend.session().report(MixerVolume{0.333});
    EXPECT_EQ(store.volume(), 0.333);
    EXPECT_EQ(notifications, 4);
    store.changeVolume(0.05);
    EXPECT_EQ(store.volume(), 0.38);
    // At the end of the program a settling change is written at once,
    // keeping what the file holds that this player does not know.
    store.saveSettingsNow();
    EXPECT_EQ(QJsonDocument::fromJson(read("tunara/settings.json")).object(),
              QJsonObject({{"future", "kept"}, {"volume", 0.38}}));
    EXPECT_EQ(filesIn(path("tunara")), QSet<QString>{"settings.json"});

    // A save that fails is printed and leaves the file as it was.
    UnprivilegedFileAccess::openUp(dir.path());
    setMode(path("tunara"), 0555);
    store.setVolume(0.8);
    StdoutCapture out;
    {
        UnprivilegedFileAccess asUser;
        store.saveSettingsNow();
    }
    EXPECT_EQ(out.lines().filter("Failed to save settings: ").size(), 1);
    EXPECT_EQ(storedVolume(), 0.38);
}

// The last station plays again at start when asked to, once the network
// monitor has reported a network; the station is kept as it changes.
TEST_F(DataFileTest, TheLastStationPlaysAtStartOnceThereIsANetwork)
{
    FakePlatform platform;
    PlaybackController player(platform.environment());
    const auto makeStore = [&] {
        return std::make_unique<Store>(player, std::nullopt, url("tunara/settings.json"), platform.clock);
    };
    auto store = makeStore();
    const QList<Station> stations = store->stations();
    store->playStation(stations[1].id);
    store->setPlaysLastStationAtStart(true);
    store->playStation(stations[2].id);
    platform.clock.advance(0.5);
    const QJsonObject written = QJsonDocument::fromJson(read("tunara/settings.json")).object();
    EXPECT_EQ(written.value("playLastStationAtStart"), true);
    EXPECT_EQ(QUuid(written.value("lastStation").toString()), stations[2].id);

    store->shutDown(); // the program ends; the next one starts
    store = makeStore();
    store->resumeAtStart();
    EXPECT_EQ(platform.backend.sessions.size(), 2u) << "nothing before the network";
    platform.reportNetwork(false);
    EXPECT_EQ(platform.backend.sessions.size(), 2u);
    platform.reportNetwork(true);
    ASSERT_EQ(platform.backend.sessions.size(), 3u);
    EXPECT_EQ(platform.backend.session().url, stations[2].url);
    platform.reportNetwork(true); // once only
    EXPECT_EQ(platform.backend.sessions.size(), 3u);

    // Turned off: nothing plays at start.
    store->setPlaysLastStationAtStart(false);
    store->shutDown();
    store = makeStore();
    store->resumeAtStart();
    EXPECT_EQ(platform.backend.sessions.size(), 3u);
}

} // namespace
