#include "model/StationLibrary.h"
#include "model/Store.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QDir>
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
        QObject::connect(store.get(), &Store::playingStatusChanged, [this] { ++statusNotifications; });
        QObject::connect(store.get(), &Store::parsedMetadataChanged, [this] { ++metadataNotifications; });
    }

    QUrl libraryURL() const { return QUrl::fromLocalFile(dir.filePath("database.json")); }
    QUuid id(int index) const { return store->streams().at(index).id; }
    QStringList names() const
    {
        QStringList result;
        for (const auto& stream : store->streams())
            result << stream.name;
        return result;
    }
    QStringList namesOnDisk() const
    {
        QStringList result;
        for (const auto& stream : StationLibrary::loadStreams(libraryURL()).streams)
            result << stream.name;
        return result;
    }
    // Makes the current player report that audio flows.
    void reachPlaying()
    {
        platform.backend.item().becomeReady();
        platform.backend.player().reportTimeControlStatus(TimeControlStatus::playing);
        platform.clock.runPending();
    }
    void playAndReach(int index)
    {
        store->playStream(id(index));
        reachPlaying();
        ASSERT_EQ(store->playingStatus(), PlayingStatus::playing);
    }
    // Points the library at a place that cannot be written, so that every
    // save prints exactly one line and saves can be counted.
    std::unique_ptr<Store> storeThatCannotSave()
    {
        QFile blocker(dir.filePath("blocker"));
        EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
        return std::make_unique<Store>(platform.environment(),
                                       QUrl::fromLocalFile(dir.filePath("blocker/database.json")));
    }

    QTemporaryDir dir;
    FakePlatform platform;
    std::unique_ptr<Store> store;
    int streamsNotifications = 0;
    int selectionNotifications = 0;
    int statusNotifications = 0;
    int metadataNotifications = 0;
};

TEST_F(StoreTest, StartsWithTheLoadedListAndNothingSelectedOrPlaying)
{
    EXPECT_EQ(names(), QStringList({"One", "Two", "Three"}));
    EXPECT_FALSE(store->selectedStream());
    EXPECT_EQ(store->playingStatus(), PlayingStatus::paused);
    EXPECT_TRUE(store->parsedMetadata().isPlaceholder());
    EXPECT_EQ(store->playbackController().delegate(), store.get());
    EXPECT_TRUE(platform.backend.players.empty());
    EXPECT_EQ(store->filename(), "database.json");
    EXPECT_EQ(store->databaseFileURL(), libraryURL());
}

TEST_F(StoreTest, AddStreamTrimsAppendsAndSavesButNeverSelects)
{
    const auto id = store->addStream("  Four \n", "\t https://four.example/stream  ");
    ASSERT_TRUE(id);
    EXPECT_EQ(store->streams().back().id, *id);
    EXPECT_EQ(store->streams().back().name, "Four");
    EXPECT_EQ(store->streams().back().urlText(), "https://four.example/stream");
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three", "Four"}));
    EXPECT_FALSE(store->selectedStream());
    EXPECT_EQ(streamsNotifications, 1);
    // The same stream may be added twice.
    EXPECT_TRUE(store->addStream("Four", "https://four.example/stream"));
}

TEST_F(StoreTest, AddStreamRejectsBadInputWithoutAnyChange)
{
    for (const auto& [name, url] : std::vector<std::pair<QString, QString>>{
             {"   ", "https://x.example/"},
             {"Name", "  "},
             {"Name", "ftp://x.example/"},
             {"Name", "https://"},
             {"Name", "radio"}}) {
        EXPECT_FALSE(store->addStream(name, url)) << qPrintable(url);
    }
    EXPECT_EQ(names(), QStringList({"One", "Two", "Three"}));
    EXPECT_EQ(streamsNotifications, 0);
}

TEST_F(StoreTest, AddingManyStationsSkipsKnownURLsAndSavesOnce)
{
    const QList<std::pair<QString, QString>> batch = {
        {" Four ", "https://four.example/stream"},
        {"Two again", "https://two.example/stream"},    // already in the list
        {"Four again", " https://four.example/stream"}, // earlier in the batch
        {"No scheme", "five.example/stream"},
        {"Six", "http://six.example/"},
    };
    const QList<QUuid> added = store->addStreams(batch);
    ASSERT_EQ(added.size(), 2);
    EXPECT_EQ(added, QList<QUuid>({id(3), id(4)}));
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three", "Four", "Six"}));
    EXPECT_EQ(streamsNotifications, 1);
    EXPECT_TRUE(store->addStreams(batch).isEmpty());
    EXPECT_EQ(streamsNotifications, 1);

    store = storeThatCannotSave();
    StdoutCapture out;
    EXPECT_EQ(store->addStreams(batch).size(), 3); // to the four defaults
    EXPECT_TRUE(store->addStreams(batch).isEmpty());
    EXPECT_EQ(out.lines().filter("Failed to save streams").size(), 1);
}

TEST_F(StoreTest, AFailedSaveIsShownUntilTheNextSuccessfulOne)
{
    int errorNotifications = 0;
    QObject::connect(store.get(), &Store::saveErrorChanged, [&] { ++errorNotifications; });
    UnprivilegedFileAccess::openUp(dir.path());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                          | QFileDevice::ExeOther);
    StdoutCapture out;
    {
        UnprivilegedFileAccess asUser;
        ASSERT_TRUE(store->addStream("Four", "https://four.example/stream"));
    }
    ASSERT_EQ(out.lines().size(), 1);
    EXPECT_TRUE(out.lines()[0].startsWith("Failed to save streams: "));
    EXPECT_FALSE(store->saveError().isEmpty());
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Two", "Three"}));

    UnprivilegedFileAccess::openUp(dir.path());
    store->deleteStreams({id(3)});
    EXPECT_TRUE(store->saveError().isEmpty());
    EXPECT_EQ(errorNotifications, 2);
}

TEST_F(StoreTest, ALibraryThatCouldNotBeReadOrMovedIsNeverWrittenOver)
{
    const QByteArray mine = R"([{"name": "Mine", "url": "https://mine.example/"}])";
    const QString path = dir.filePath("kept/database.json");
    ASSERT_TRUE(QDir(dir.path()).mkpath("kept"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(mine);
    }
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    UnprivilegedFileAccess::openUp(dir.path());
    QFile::setPermissions(dir.filePath("kept"), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                    | QFileDevice::ReadOther | QFileDevice::ExeOther);
    std::unique_ptr<Store> kept;
    {
        UnprivilegedFileAccess asUser;
        kept = std::make_unique<Store>(platform.environment(), QUrl::fromLocalFile(path));
    }
    EXPECT_EQ(kept->streams().size(), 4); // the defaults
    UnprivilegedFileAccess::openUp(dir.filePath("kept"));
    StdoutCapture out;
    ASSERT_TRUE(kept->addStream("Four", "https://four.example/stream"));
    ASSERT_EQ(out.lines().size(), 1);
    EXPECT_TRUE(out.lines()[0].startsWith("Failed to save streams: "));
    EXPECT_FALSE(kept->saveError().isEmpty());
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), mine);
}

TEST_F(StoreTest, RenamingThePlayingStationKeepsItPlaying)
{
    playAndReach(0);
    const auto playersBefore = platform.backend.players.size();
    ASSERT_TRUE(store->updateStream(id(0), " Renamed ", "https://one.example/stream "));
    EXPECT_EQ(store->playingStatus(), PlayingStatus::playing);
    EXPECT_EQ(platform.backend.players.size(), playersBefore);
    EXPECT_EQ(store->selectedStream()->name, "Renamed");
    EXPECT_EQ(store->playbackController().currentStreamName(), "One"); // told at the next start
    EXPECT_EQ(platform.nowPlaying.clearCount, 0);
    EXPECT_EQ(namesOnDisk(), QStringList({"Renamed", "Two", "Three"}));
}

TEST_F(StoreTest, ChangingTheSelectedStationsURLStopsItAndClearsTheSelection)
{
    playAndReach(1);
    store->togglePlayPause(); // paused by the user: still selected, still stopped by the edit
    ASSERT_EQ(store->playingStatus(), PlayingStatus::paused);
    ASSERT_TRUE(store->updateStream(id(1), "Two", "https://two.example/other"));
    EXPECT_FALSE(store->selectedStream());
    EXPECT_FALSE(store->playbackController().player());
    EXPECT_EQ(platform.nowPlaying.clearCount, 1);
    EXPECT_EQ(store->streams()[1].urlText(), "https://two.example/other");
    EXPECT_EQ(store->streams()[1].id, id(1));
}

TEST_F(StoreTest, EditingAnotherStationOrAMissingOneLeavesPlaybackAlone)
{
    playAndReach(0);
    EXPECT_TRUE(store->updateStream(id(2), "Three", "https://three.example/new"));
    EXPECT_FALSE(store->updateStream(QUuid::createUuid(), "Ghost", "https://ghost.example/"));
    EXPECT_FALSE(store->updateStream(id(0), "One", "not a url"));
    EXPECT_EQ(store->playingStatus(), PlayingStatus::playing);
    EXPECT_EQ(store->selectedStream()->id, id(0));
    EXPECT_EQ(store->streams()[0].urlText(), "https://one.example/stream");
}

TEST_F(StoreTest, DeletingTheSelectedStationStopsOnceAndSavesOnce)
{
    store = storeThatCannotSave();
    store->playStream(store->streams()[0].id);
    reachPlaying();
    const QSet<QUuid> ids = {store->streams()[0].id, store->streams()[2].id, QUuid::createUuid()};
    StdoutCapture out;
    store->deleteStreams(ids);
    EXPECT_EQ(out.lines().filter("Failed to save streams").size(), 1);
    EXPECT_EQ(platform.nowPlaying.clearCount, 1);
    EXPECT_FALSE(store->selectedStream());
    EXPECT_EQ(store->playingStatus(), PlayingStatus::paused);
    ASSERT_EQ(store->streams().size(), 2); // of the four defaults
    EXPECT_EQ(store->streams()[0].name, "NTS 1");
}

TEST_F(StoreTest, DeletingAnotherStationNeverTouchesPlayback)
{
    playAndReach(0);
    store->deleteStreams({id(1)});
    EXPECT_EQ(store->playingStatus(), PlayingStatus::playing);
    EXPECT_EQ(platform.nowPlaying.clearCount, 0);
    EXPECT_EQ(namesOnDisk(), QStringList({"One", "Three"}));
    // An unknown id removes nothing but still saves and notifies.
    const int before = streamsNotifications;
    QFile::remove(libraryURL().toLocalFile());
    store->deleteStreams({QUuid::createUuid()});
    EXPECT_TRUE(QFile::exists(libraryURL().toLocalFile()));
    EXPECT_EQ(streamsNotifications, before + 1);
}

TEST_F(StoreTest, DeletingRemovesEveryStationSharingTheId)
{
    QFile file(libraryURL().toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"([{"id": "6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A", "name": "A", "url": "https://a.example/"},
                  {"name": "B", "url": "https://b.example/"},
                  {"id": "6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A", "name": "A2", "url": "https://a2.example/"}])");
    file.close();
    store = std::make_unique<Store>(platform.environment(), libraryURL());
    // Lookups by id act on the first station with it.
    store->playStream(id(0));
    EXPECT_EQ(store->selectedStream()->name, "A");
    store->deleteStreams({id(0)});
    EXPECT_EQ(names(), QStringList({"B"}));
}

TEST_F(StoreTest, MoveStreamsPlacesStationsBeforeTheDestination)
{
    store->moveStreams({0}, 3);
    EXPECT_EQ(names(), QStringList({"Two", "Three", "One"}));
    store->moveStreams({2}, 0);
    EXPECT_EQ(names(), QStringList({"One", "Two", "Three"}));
    store->moveStreams({0, 2}, 2);
    EXPECT_EQ(names(), QStringList({"Two", "One", "Three"}));
    store->moveStreams({1}, 1);
    EXPECT_EQ(names(), QStringList({"Two", "One", "Three"}));
    store->moveStreams({7, -1}, 99); // positions outside the list are ignored
    EXPECT_EQ(names(), QStringList({"Two", "One", "Three"}));
    EXPECT_EQ(namesOnDisk(), QStringList({"Two", "One", "Three"}));
    EXPECT_EQ(streamsNotifications, 5);
}

TEST_F(StoreTest, PlayStreamDoesNotRestartAStationThatIsStartingOrPlaying)
{
    store->playStream(id(0));
    EXPECT_EQ(store->playingStatus(), PlayingStatus::loading);
    store->playStream(id(0));
    EXPECT_EQ(platform.backend.players.size(), 1u);
    reachPlaying();
    store->playStream(id(0));
    store->playStream();
    EXPECT_EQ(platform.backend.players.size(), 1u);
    EXPECT_EQ(store->playingStatus(), PlayingStatus::playing);
}

TEST_F(StoreTest, PlayStreamResumesAfterAPauseButRestartsAfterAStop)
{
    playAndReach(0);
    store->togglePlayPause();
    EXPECT_EQ(store->playingStatus(), PlayingStatus::paused);
    store->playStream(id(0));
    EXPECT_EQ(store->playingStatus(), PlayingStatus::playing);
    EXPECT_EQ(platform.backend.players.size(), 1u); // the same connection

    store->togglePlayPause();
    platform.clock.advance(300); // the pause time-out releases the player
    ASSERT_FALSE(store->playbackController().player());
    store->playStream(id(0));
    EXPECT_EQ(platform.backend.players.size(), 2u);
    EXPECT_EQ(store->playingStatus(), PlayingStatus::loading);
    EXPECT_EQ(store->playbackController().retryCount(), 0);
}

TEST_F(StoreTest, PlayStreamRestartsAFailedStation)
{
    store->playStream(id(0));
    platform.backend.item().fail(urlError(-1003));
    platform.clock.runPending();
    ASSERT_EQ(store->playingStatus(), PlayingStatus::error);
    store->togglePlayPause();
    EXPECT_EQ(platform.backend.players.size(), 2u);
    EXPECT_EQ(store->playingStatus(), PlayingStatus::loading);
}

TEST_F(StoreTest, PlayStreamSwitchesStationsAndIgnoresUnknownIds)
{
    playAndReach(0);
    store->playStream(QUuid::createUuid());
    EXPECT_EQ(store->selectedStream()->id, id(0));
    EXPECT_EQ(store->playingStatus(), PlayingStatus::playing);

    store->playStream(id(2));
    EXPECT_EQ(store->selectedStream()->id, id(2));
    EXPECT_EQ(store->playingStatus(), PlayingStatus::loading);
    EXPECT_EQ(platform.backend.item().url, QUrl("https://three.example/stream"));
    EXPECT_FALSE(platform.backend.players[0]->currentItem()); // the old player was released
}

TEST_F(StoreTest, ToggleWithNothingSelectedDoesNothing)
{
    store->togglePlayPause();
    store->playStream();
    EXPECT_TRUE(platform.backend.players.empty());
    EXPECT_EQ(selectionNotifications, 0);
}

TEST_F(StoreTest, ToggleWhileConnectingOrRebufferingPausesTheSameConnection)
{
    // Connecting: no audio yet.
    store->playStream(id(0));
    platform.clock.runPending();
    ASSERT_EQ(store->playingStatus(), PlayingStatus::loading);
    store->togglePlayPause();
    EXPECT_EQ(store->playingStatus(), PlayingStatus::paused);
    EXPECT_TRUE(store->playbackController().isUserPaused());
    EXPECT_EQ(platform.backend.players.size(), 1u);

    // Rebuffering after audio played.
    store->togglePlayPause();
    reachPlaying();
    platform.backend.player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    platform.clock.runPending();
    ASSERT_EQ(store->playingStatus(), PlayingStatus::buffering);
    store->togglePlayPause();
    EXPECT_EQ(store->playingStatus(), PlayingStatus::paused);
    EXPECT_FALSE(store->playbackController().hasStallTimer());
    EXPECT_EQ(platform.backend.players.size(), 1u);
}

TEST_F(StoreTest, NotificationsFollowTheirRules)
{
    store->playStream(id(0)); // loading, placeholder unchanged
    EXPECT_EQ(statusNotifications, 1);
    EXPECT_EQ(metadataNotifications, 0);
    EXPECT_EQ(selectionNotifications, 1);
    store->didChangeStatus(PlayingStatus::loading);
    store->didChangeMetadata(ParsedMetadata::placeholder());
    EXPECT_EQ(statusNotifications, 1);
    EXPECT_EQ(metadataNotifications, 0);
    store->didChangeMetadata({QString::fromUtf8("Cafe\u0301"), std::nullopt});
    store->didChangeMetadata({QString::fromUtf8("Caf\u00e9"), std::nullopt}); // canonically equal
    EXPECT_EQ(metadataNotifications, 1);
    // The selection notifies on every assignment, also of an equal value.
    store->setSelectedStream(store->selectedStream());
    EXPECT_EQ(selectionNotifications, 2);
}

TEST(SharedStore, IsCreatedOnFirstAccessWithTheProvidedServices)
{
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    static FakePlatform platform;
    int factoryCalls = 0;
    Store::provideSharedEnvironment([&] {
        ++factoryCalls;
        return platform.environment();
    });
    Store& first = Store::shared();
    EXPECT_EQ(&first, &Store::shared());
    EXPECT_EQ(factoryCalls, 1);
    EXPECT_EQ(platform.nowPlayingAccessCount, 1);
    EXPECT_EQ(first.databaseFileURL(), QUrl::fromLocalFile(dataHome.filePath("tunara/database.json")));
    EXPECT_EQ(first.streams().size(), 4);
    EXPECT_FALSE(QFile::exists(dataHome.filePath("tunara/database.json")));
}

} // namespace
