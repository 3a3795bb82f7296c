// The Store: the station list and its file, the URLs it accepts, the
// selection, and playing through it on the scripted backend.

#include "model/StationLibrary.h"
#include "model/Store.h"
#include "model/URLValidation.h"
#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/StationNames.h"
#include "support/StdoutCapture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunara;
using namespace tunara::testing;

namespace {

class StoreTest : public ::testing::Test {
protected:
    StoreTest()
    {
        StationLibrary::saveStations(libraryURL(), {Station::make("One", QUrl("https://one.example/stream")),
                                                   Station::make("Two", QUrl("https://two.example/stream")),
                                                   Station::make("Three", QUrl("https://three.example/stream"))});
        store = std::make_unique<Store>(player, libraryURL(), std::nullopt, platform.clock);
        QObject::connect(store.get(), &Store::stationsChanged, [this] { ++streamsNotifications; });
        QObject::connect(store.get(), &Store::selectedStationChanged, [this] { ++selectionNotifications; });
        QObject::connect(&player, &PlaybackController::nowPlayingChanged, [this] { clears += !player.nowPlaying(); });
    }

    QUrl libraryURL() const { return QUrl::fromLocalFile(dir.filePath("database.json")); }
    QUuid id(int index) const { return store->stations().at(index).id; }
    QStringList namesOnDisk() const { return names(StationLibrary::loadStations(libraryURL()).stations); }
    PlayingStatus status() const { return store->playingStatus(); }
    std::size_t players() const { return platform.backend.sessions.size(); }
    void report(const SessionEvent& event) { platform.backend.session().report(event); }
    // Plays the station and makes its session report that audio flows.
    void playAndReach(int index)
    {
        store->playStation(id(index));
        report(SessionState::buffering);
        report(SessionState::playing);
    }

    QTemporaryDir dir;
    FakePlatform platform;
    PlaybackController player{platform.environment()};
    std::unique_ptr<Store> store;
    int clears = 0; // the desktop told that nothing plays
    int streamsNotifications = 0;
    int selectionNotifications = 0;
};

TEST_F(StoreTest, AddingTrimsAppendsAndSavesButNeverSelects)
{
    const auto added = store->addStation("  Four \n", "\t https://four.example/stream  ");
    ASSERT_TRUE(added);
    EXPECT_EQ(store->stations().back().id, *added);
    EXPECT_EQ(store->stations().back().urlText(), "https://four.example/stream");
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three", "Four"}));
    EXPECT_FALSE(store->selectedStation());
    // The same stream may be added twice by hand.
    EXPECT_TRUE(store->addStation("Four", "https://four.example/stream"));

    EXPECT_FALSE(store->addStation("   ", "https://x.example/"));
    EXPECT_FALSE(store->addStation("Name", "  "));
    EXPECT_FALSE(store->addStation("Name", "radio"));
    EXPECT_EQ(store->stations().size(), 5);
    EXPECT_EQ(streamsNotifications, 2);

    // Many at once: the URLs not in the list yet, nor earlier in the batch.
    const QList<std::pair<QString, QString>> batch = {
        {"Two again", "https://two.example/stream"}, {" Six ", "http://six.example/"},
        {"No scheme", "seven.example/stream"},       {"Six again", " http://six.example/"},
        {"Eight", "https://eight.example/"}};
    EXPECT_EQ(store->addStations(batch).size(), 2);
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three", "Four", "Four", "Six", "Eight"}));
    EXPECT_TRUE(store->addStations(batch).isEmpty());
    EXPECT_EQ(streamsNotifications, 3);
}

// Saves that fail (the folder is read-only to an ordinary user) print one
// line each, so saves can be counted, and leave the old file as it was; the
// error is shown until a save succeeds.
TEST_F(StoreTest, EachChangeSavesOnceAndAFailedSaveIsShownUntilOneSucceeds)
{
    int errorNotifications = 0;
    QObject::connect(store.get(), &Store::saveErrorChanged, [&] { ++errorNotifications; });
    setMode(dir.path(), 0555);
    playAndReach(0);
    StdoutCapture out;
    {
        UnprivilegedFileAccess asUser;
        EXPECT_EQ(store->addStations({{"A", "https://a.example/"}, {"B", "https://b.example/"}}).size(), 2);
        EXPECT_EQ(out.lines().filter("Failed to save streams: ").size(), 1);
        // Deleting the playing station among others stops it once.
        store->deleteStations({id(0), id(2), QUuid::createUuid()});
    }
    EXPECT_EQ(out.lines().filter("Failed to save streams: ").size(), 2);
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(store->selectedStation());
    EXPECT_EQ(status(), PlayingStatus::paused);
    EXPECT_FALSE(store->saveError().isEmpty());
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three"}));

    store->moveStations({0}, 3);
    EXPECT_TRUE(store->saveError().isEmpty());
    EXPECT_EQ(errorNotifications, 2);
    EXPECT_EQ(namesOnDisk(), QStringList({"A", "B", "Two"}));
}

TEST_F(StoreTest, EditingOrDeletingStopsTheSelectedStationOnlyWhenItsURLChangesOrItGoes)
{
    playAndReach(0);
    // Another station, a missing one, bad input: playback goes on.
    EXPECT_TRUE(store->updateStation(id(2), "Three", "https://three.example/new"));
    EXPECT_FALSE(store->updateStation(QUuid::createUuid(), "Ghost", "https://ghost.example/"));
    EXPECT_FALSE(store->updateStation(id(0), "One", "not a url"));
    store->deleteStations({id(1)});
    // A new name for the playing station: it plays on.
    ASSERT_TRUE(store->updateStation(id(0), " Renamed ", "https://one.example/stream "));
    EXPECT_EQ(status(), PlayingStatus::playing);
    EXPECT_EQ(store->selectedStation()->name, "Renamed");
    EXPECT_EQ(player.currentStationName(), "One"); // told at the next start
    EXPECT_EQ(namesOnDisk(), QStringList({"Renamed", "Three"}));

    // A new URL stops it and clears the selection, also when paused.
    store->togglePlayPause();
    ASSERT_TRUE(store->updateStation(id(0), "Renamed", "https://one.example/other"));
    EXPECT_FALSE(store->selectedStation());
    EXPECT_FALSE(player.hasSession());
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(store->stations()[0].urlText(), "https://one.example/other");
}

TEST_F(StoreTest, StationsSharingAnIdAreFoundAsTheFirstAndDeletedTogether)
{
    const Station a = Station::make("A", QUrl("https://a.example/"));
    StationLibrary::saveStations(libraryURL(), {a, Station::make("B", QUrl("https://b.example/")),
                                               {a.id, "A2", QUrl("https://a2.example/"), {}}});
    store = std::make_unique<Store>(player, libraryURL(), std::nullopt, platform.clock);
    store->playStation(id(2));
    EXPECT_EQ(store->selectedStation()->name, "A");
    store->deleteStations({id(0)});
    EXPECT_EQ(names(store->stations()), QStringList({"B"}));
}

TEST_F(StoreTest, MovedStationsStandBeforeTheDestinationInTheirOrder)
{
    const std::tuple<QList<int>, int, QStringList> moves[] = {
        {{0}, 3, {"Two", "Three", "One"}},
        {{2}, 0, {"One", "Two", "Three"}},
        {{2, 0}, 2, {"Two", "One", "Three"}},
        {{1}, 1, {"Two", "One", "Three"}},
        {{7, -1}, 99, {"Two", "One", "Three"}}, // positions outside the list are ignored
        {{1, 2}, 0, {"One", "Three", "Two"}},
    };
    for (const auto& [sources, destination, expected] : moves) {
        store->moveStations(sources, destination);
        EXPECT_EQ(names(store->stations()), expected) << destination;
    }
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Three", "Two"}));
    EXPECT_EQ(streamsNotifications, 6);
}

TEST_F(StoreTest, PlayingConnectsOnlyWhenTheStationIsNeitherUnderWayNorPaused)
{
    store->togglePlayPause(); // nothing selected: nothing to play
    store->playStation();
    store->playStation(QUuid::createUuid());
    EXPECT_EQ(players(), 0u);
    EXPECT_EQ(selectionNotifications, 0);

    // Connecting, playing, or paused while connecting or rebuffering: the
    // same connection.
    store->playStation(id(0));
    store->playStation(id(0));
    store->togglePlayPause();
    EXPECT_EQ(status(), PlayingStatus::paused);
    playAndReach(0);
    store->playStation();
    report(SessionState::buffering);
    ASSERT_EQ(status(), PlayingStatus::buffering);
    store->togglePlayPause();
    EXPECT_EQ(status(), PlayingStatus::paused);
    store->playStation(id(0));
    EXPECT_EQ(status(), PlayingStatus::playing);
    EXPECT_EQ(players(), 1u);

    // Paused until the player was released, or failed: a new connection.
    store->togglePlayPause();
    platform.clock.advance(300);
    store->playStation(id(0));
    EXPECT_EQ(players(), 2u);
    report(PlaybackFailure::because(FailureReason::hostNotFound));
    ASSERT_EQ(status(), PlayingStatus::error);
    store->togglePlayPause();
    EXPECT_EQ(players(), 3u);

    store->playStation(id(2));
    EXPECT_EQ(store->selectedStation()->id, id(2));
    EXPECT_EQ(platform.backend.session().url, QUrl("https://three.example/stream"));
}

TEST_F(StoreTest, StatusAndTrackNotifyOnlyRealChangesTheSelectionEveryAssignment)
{
    int statusNotifications = 0;
    int trackNotifications = 0;
    QObject::connect(store.get(), &Store::playingStatusChanged, [&] { ++statusNotifications; });
    QObject::connect(store.get(), &Store::trackChanged, [&] { ++trackNotifications; });
    store->playStation(id(0));
    player.play(store->stations().at(0).url, "One", true); // loading again
    report(StreamTitle{QString::fromUtf8("Cafe\u0301")});
    report(StreamTitle{QString::fromUtf8("Caf\u00e9")}); // canonically equal
    EXPECT_EQ(statusNotifications, 1);
    EXPECT_EQ(trackNotifications, 1);
    EXPECT_EQ(store->track()->title, QString::fromUtf8("Cafe\u0301"));
    store->setSelectedStation(std::nullopt);
    store->setSelectedStation(std::nullopt);
    EXPECT_EQ(selectionNotifications, 3);
}

TEST(URLValidation, NamesTheOneThingWrongInTheUsersWords)
{
    const char* const format = "Please enter a valid URL";
    const char* const scheme = "URL must start with http:// or https://";
    const char* const host = "URL must contain a valid host";
    const std::pair<const char*, const char*> cases[] = {
        {"", nullptr},
        {"radio", scheme},
        {"ftp://example.com/stream", scheme},
        {"hTtPs://example.com/stream", nullptr},
        {"https:///stream.mp3", host},
        {"http://[::1]:8080/stream", nullptr},
        {"http://[::1/stream", format},
        // Callers trim first: untrimmed, a valid URL is not accepted.
        {"  https://example.com/stream", format},
    };
    for (const auto& [text, message] : cases) {
        const std::optional<URLValidationError> error = validateStreamURL(QString::fromUtf8(text));
        EXPECT_EQ(error ? rawValue(*error) : QString(), QString(message)) << text;
        // The error is known again by its message alone.
        EXPECT_EQ(urlValidationErrorFromRawValue(message), error) << text;
    }
}

} // namespace
