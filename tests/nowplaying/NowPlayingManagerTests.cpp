#include "nowplaying/NowPlayingManager.h"

#include "model/Store.h"
#include "support/FakePlatform.h"
#include "support/StdoutCapture.h"

#include <QDBusConnection>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tunara {
namespace {

using testing::FakePlatform;

// A manager without a bus, whose commands act on a Store of its own on the
// fake platform; both share the virtual clock's main loop.
class NowPlayingManagerTest : public ::testing::Test {
protected:
    void settle() { platform.clock.runPending(); }

    void startPlaying()
    {
        store.playStream(store.streams().first().id);
        platform.backend.item().becomeReady();
        platform.backend.player().reportTimeControlStatus(TimeControlStatus::playing);
        settle();
        ASSERT_EQ(store.playingStatus(), PlayingStatus::playing);
    }

    QTemporaryDir dataDir;
    FakePlatform platform;
    Store store{platform.environment(), QUrl::fromLocalFile(dataDir.filePath(QStringLiteral("database.json")))};
    NowPlayingManager manager{platform.clock, [this]() -> Store& { return store; }, std::nullopt};
};

TEST_F(NowPlayingManagerTest, UpdateReplacesTheWholeDictionary)
{
    manager.updateNowPlaying("Song", QStringLiteral("Artist"), "Radio One", true);
    ASSERT_TRUE(manager.nowPlayingInfo());
    EXPECT_EQ(manager.nowPlayingInfo()->artist, QStringLiteral("Artist"));
    EXPECT_EQ(manager.nowPlayingInfo()->albumTitle, "Radio One");
    EXPECT_EQ(manager.nowPlayingInfo()->playbackRate, 1.0);
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::playing);

    // Nothing is kept from the previous dictionary: the artist goes away.
    manager.updateNowPlaying("Radio One", std::nullopt, "Radio One", false);
    EXPECT_FALSE(manager.nowPlayingInfo()->artist);
    EXPECT_EQ(manager.nowPlayingInfo()->playbackRate, 0.0);
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::paused);

    manager.clearNowPlaying();
    EXPECT_FALSE(manager.nowPlayingInfo());
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::stopped);
}

TEST_F(NowPlayingManagerTest, ArtworkIsCachedByTheExactStationName)
{
    manager.updateNowPlaying("First", std::nullopt, "NTS 2", true);
    const auto first = manager.nowPlayingInfo()->artwork;
    manager.updateNowPlaying("Second", QStringLiteral("Someone"), "NTS 2", true);
    EXPECT_EQ(manager.nowPlayingInfo()->artwork, first);

    // Surrounding spaces: the same initials, another colour.
    const auto spaced = manager.artwork(" NTS 2 ");
    EXPECT_NE(spaced, first);
    EXPECT_EQ(spaced->image({300, 300})->lines(), first->image({300, 300})->lines());
    EXPECT_NE(spaced->image({300, 300})->background(), first->image({300, 300})->background());
}

TEST_F(NowPlayingManagerTest, CommandsArePostedAndPlayNeedsASelection)
{
    EXPECT_EQ(manager.handleRemoteCommand(RemoteCommand::nextTrack), RemoteCommandResult::commandDisabled);
    EXPECT_EQ(manager.handleRemoteCommand(RemoteCommand::play), RemoteCommandResult::success);
    settle();
    EXPECT_TRUE(platform.backend.players.empty());

    startPlaying();
    EXPECT_EQ(manager.handleRemoteCommand(RemoteCommand::pause), RemoteCommandResult::success);
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing); // runs on the main loop, later
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
}

TEST_F(NowPlayingManagerTest, WithoutABusOneLineAndTheManagerStillWorks)
{
    QStringList lines;
    {
        testing::StdoutCapture capture;
        NowPlayingManager offline(platform.clock, [this]() -> Store& { return store; },
                                  QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                QStringLiteral("nowhere")));
        EXPECT_EQ(offline.mprisService(), nullptr);
        startPlaying();
        offline.handleRemoteCommand(RemoteCommand::pause);
        settle();
        EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
        lines = capture.lines();
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("No session bus")));
}

} // namespace
} // namespace tunara
