// The Store: the station list and its file, the selection, and playing
// through it on the scripted backend.

#include "model/StationLibrary.h"
#include "model/Store.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/StationNames.h"
#include "support/StdoutCapture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunara;
using namespace tunara::testing;

namespace {

class StoreTest : public ::testing::Test {
protected:
    StoreTest()
    {
        StationLibrary::saveStreams(libraryURL(), {AudioStream::make("One", QUrl("https://one.example/stream")),
                                                   AudioStream::make("Two", QUrl("https://two.example/stream")),
                                                   AudioStream::make("Three", QUrl("https://three.example/stream"))});
        store = std::make_unique<Store>(platform.environment(), libraryURL());
        QObject::connect(store.get(), &Store::streamsChanged, [this] { ++streamsNotifications; });
        QObject::connect(store.get(), &Store::selectedStreamChanged, [this] { ++selectionNotifications; });
    }

    QUrl libraryURL() const { return QUrl::fromLocalFile(dir.filePath("database.json")); }
    QUuid id(int index) const { return store->streams().at(index).id; }
    QStringList namesOnDisk() const { return names(StationLibrary::loadStreams(libraryURL()).streams); }
    PlayingStatus status() const { return store->playingStatus(); }
    std::size_t players() const { return platform.backend.players.size(); }
    // Plays the station and makes its player report that audio flows.
    void playAndReach(int index)
    {
        store->playStream(id(index));
        platform.backend.item().becomeReady();
        platform.backend.player().reportTimeControlStatus(TimeControlStatus::playing);
        platform.clock.runPending();
    }

    QTemporaryDir dir;
    FakePlatform platform;
    std::unique_ptr<Store> store;
    int streamsNotifications = 0;
    int selectionNotifications = 0;
};

TEST_F(StoreTest, AddingTrimsAppendsAndSavesButNeverSelects)
{
    const auto added = store->addStream("  Four \n", "\t https://four.example/stream  ");
    ASSERT_TRUE(added);
    EXPECT_EQ(store->streams().back().id, *added);
    EXPECT_EQ(store->streams().back().urlText(), "https://four.example/stream");
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three", "Four"}));
    EXPECT_FALSE(store->selectedStream());
    // The same stream may be added twice by hand.
    EXPECT_TRUE(store->addStream("Four", "https://four.example/stream"));

    EXPECT_FALSE(store->addStream("   ", "https://x.example/"));
    EXPECT_FALSE(store->addStream("Name", "  "));
    EXPECT_FALSE(store->addStream("Name", "radio"));
    EXPECT_EQ(store->streams().size(), 5);
    EXPECT_EQ(streamsNotifications, 2);

    // Many at once: the URLs not in the list yet, nor earlier in the batch.
    const QList<std::pair<QString, QString>> batch = {
        {"Two again", "https://two.example/stream"}, {" Six ", "http://six.example/"},
        {"No scheme", "seven.example/stream"},       {"Six again", " http://six.example/"},
        {"Eight", "https://eight.example/"}};
    EXPECT_EQ(store->addStreams(batch).size(), 2);
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three", "Four", "Four", "Six", "Eight"}));
    EXPECT_TRUE(store->addStreams(batch).isEmpty());
    EXPECT_EQ(streamsNotifications, 3);
}

// Saves that fail (the folder is read-only to an ordinary user) print one
// line each, so saves can be counted, and leave the old file as it was; the
// error is shown until a save succeeds.
TEST_F(StoreTest, EachChangeSavesOnceAndAFailedSaveIsShownUntilOneSucceeds)
{
    int errorNotifications = 0;
    QObject::connect(store.get(), &Store::saveErrorChanged, [&] { ++errorNotifications; });
    UnprivilegedFileAccess::openUp(dir.path());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                          | QFileDevice::ExeOther);
    playAndReach(0);
    StdoutCapture out;
    {
        UnprivilegedFileAccess asUser;
        EXPECT_EQ(store->addStreams({{"A", "https://a.example/"}, {"B", "https://b.example/"}}).size(), 2);
        EXPECT_EQ(out.lines().filter("Failed to save streams: ").size(), 1);
        // Deleting the playing station among others stops it once.
        store->deleteStreams({id(0), id(2), QUuid::createUuid()});
    }
    EXPECT_EQ(out.lines().filter("Failed to save streams: ").size(), 2);
    EXPECT_EQ(platform.nowPlaying.clearCount, 1);
    EXPECT_FALSE(store->selectedStream());
    EXPECT_EQ(status(), PlayingStatus::paused);
    EXPECT_FALSE(store->saveError().isEmpty());
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three"}));

    store->moveStreams({0}, 3);
    EXPECT_TRUE(store->saveError().isEmpty());
    EXPECT_EQ(errorNotifications, 2);
    EXPECT_EQ(namesOnDisk(), QStringList({"A", "B", "Two"}));
}

TEST_F(StoreTest, EditingOrDeletingStopsTheSelectedStationOnlyWhenItsURLChangesOrItGoes)
{
    playAndReach(0);
    // Another station, a missing one, bad input: playback goes on.
    EXPECT_TRUE(store->updateStream(id(2), "Three", "https://three.example/new"));
    EXPECT_FALSE(store->updateStream(QUuid::createUuid(), "Ghost", "https://ghost.example/"));
    EXPECT_FALSE(store->updateStream(id(0), "One", "not a url"));
    store->deleteStreams({id(1)});
    // A new name for the playing station: it plays on.
    ASSERT_TRUE(store->updateStream(id(0), " Renamed ", "https://one.example/stream "));
    EXPECT_EQ(status(), PlayingStatus::playing);
    EXPECT_EQ(store->selectedStream()->name, "Renamed");
    EXPECT_EQ(store->playbackController().currentStreamName(), "One"); // told at the next start
    EXPECT_EQ(namesOnDisk(), QStringList({"Renamed", "Three"}));

    // A new URL stops it and clears the selection, also when paused.
    store->togglePlayPause();
    ASSERT_TRUE(store->updateStream(id(0), "Renamed", "https://one.example/other"));
    EXPECT_FALSE(store->selectedStream());
    EXPECT_FALSE(store->playbackController().player());
    EXPECT_EQ(platform.nowPlaying.clearCount, 1);
    EXPECT_EQ(store->streams()[0].urlText(), "https://one.example/other");
}

TEST_F(StoreTest, StationsSharingAnIdAreFoundAsTheFirstAndDeletedTogether)
{
    const AudioStream a = AudioStream::make("A", QUrl("https://a.example/"));
    StationLibrary::saveStreams(libraryURL(), {a, AudioStream::make("B", QUrl("https://b.example/")),
                                               {a.id, "A2", QUrl("https://a2.example/")}});
    store = std::make_unique<Store>(platform.environment(), libraryURL());
    store->playStream(id(2));
    EXPECT_EQ(store->selectedStream()->name, "A");
    store->deleteStreams({id(0)});
    EXPECT_EQ(names(store->streams()), QStringList({"B"}));
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
        store->moveStreams(sources, destination);
        EXPECT_EQ(names(store->streams()), expected) << destination;
    }
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Three", "Two"}));
    EXPECT_EQ(streamsNotifications, 6);
}

TEST_F(StoreTest, PlayingConnectsOnlyWhenTheStationIsNeitherUnderWayNorPaused)
{
    store->togglePlayPause(); // nothing selected: nothing to play
    store->playStream();
    store->playStream(QUuid::createUuid());
    EXPECT_EQ(players(), 0u);
    EXPECT_EQ(selectionNotifications, 0);

    // Connecting, playing, or paused while connecting or rebuffering: the
    // same connection.
    store->playStream(id(0));
    store->playStream(id(0));
    store->togglePlayPause();
    EXPECT_EQ(status(), PlayingStatus::paused);
    playAndReach(0);
    store->playStream();
    platform.backend.item().setBufferEmpty(true);
    platform.clock.runPending();
    ASSERT_EQ(status(), PlayingStatus::buffering);
    store->togglePlayPause();
    EXPECT_EQ(status(), PlayingStatus::paused);
    store->playStream(id(0));
    EXPECT_EQ(status(), PlayingStatus::playing);
    EXPECT_EQ(players(), 1u);

    // Paused until the player was released, or failed: a new connection.
    store->togglePlayPause();
    platform.clock.advance(300);
    store->playStream(id(0));
    EXPECT_EQ(players(), 2u);
    platform.backend.item().fail(urlError(-1003));
    platform.clock.runPending();
    ASSERT_EQ(status(), PlayingStatus::error);
    store->togglePlayPause();
    EXPECT_EQ(players(), 3u);

    store->playStream(id(2));
    EXPECT_EQ(store->selectedStream()->id, id(2));
    EXPECT_EQ(platform.backend.item().url, QUrl("https://three.example/stream"));
}

TEST_F(StoreTest, StatusAndMetadataNotifyOnlyRealChangesTheSelectionEveryAssignment)
{
    int statusNotifications = 0;
    int metadataNotifications = 0;
    QObject::connect(store.get(), &Store::playingStatusChanged, [&] { ++statusNotifications; });
    QObject::connect(store.get(), &Store::parsedMetadataChanged, [&] { ++metadataNotifications; });
    store->didChangeStatus(PlayingStatus::paused);
    store->didChangeStatus(PlayingStatus::loading);
    store->didChangeStatus(PlayingStatus::loading);
    store->didChangeMetadata(ParsedMetadata::placeholder());
    store->didChangeMetadata({QString::fromUtf8("Cafe\u0301"), std::nullopt});
    store->didChangeMetadata({QString::fromUtf8("Caf\u00e9"), std::nullopt}); // canonically equal
    EXPECT_EQ(statusNotifications, 1);
    EXPECT_EQ(metadataNotifications, 1);
    store->setSelectedStream(std::nullopt);
    store->setSelectedStream(std::nullopt);
    EXPECT_EQ(selectionNotifications, 2);
}

TEST(SharedStore, IsCreatedOnFirstAccessWithTheProvidedServices)
{
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    static FakePlatform platform;
    int factoryCalls = 0;
    Store::provideSharedEnvironment([&] { return ++factoryCalls, platform.environment(); });
    Store& first = Store::shared();
    EXPECT_EQ(&first, &Store::shared());
    EXPECT_EQ(factoryCalls, 1);
    EXPECT_EQ(first.databaseFileURL(), QUrl::fromLocalFile(dataHome.filePath("tunara/database.json")));
    EXPECT_EQ(names(first.streams()), QStringList({"Worldwide FM", "NTS 1", "NTS 2", "KCRW Eclectic24"}));
    EXPECT_FALSE(QFile::exists(dataHome.filePath("tunara/database.json")));
}

} // namespace
