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
    void SetUp() override { ASSERT_FALSE(store.streams().isEmpty()); }

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
    EXPECT_FALSE(manager.nowPlayingInfo());
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::stopped);

    manager.updateNowPlaying("Song", QStringLiteral("Artist"), "Radio One", true);
    ASSERT_TRUE(manager.nowPlayingInfo());
    NowPlayingInfo info = *manager.nowPlayingInfo();
    EXPECT_EQ(info.title, "Song");
    EXPECT_EQ(info.artist, QStringLiteral("Artist"));
    EXPECT_EQ(info.albumTitle, "Radio One");
    EXPECT_TRUE(info.isLiveStream);
    EXPECT_EQ(info.playbackRate, 1.0);
    EXPECT_EQ(info.mediaType, 1u);
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::playing);

    // Nothing is kept from the previous dictionary: the artist goes away.
    manager.updateNowPlaying("Radio One", std::nullopt, "Radio One", false);
    info = *manager.nowPlayingInfo();
    EXPECT_EQ(info.title, "Radio One");
    EXPECT_FALSE(info.artist);
    EXPECT_EQ(info.playbackRate, 0.0);
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::paused);

    manager.clearNowPlaying();
    EXPECT_FALSE(manager.nowPlayingInfo());
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::stopped);

    manager.updateNowPlaying("Radio One", std::nullopt, "Radio One", false);
    EXPECT_TRUE(manager.nowPlayingInfo());
    EXPECT_EQ(manager.playbackState(), NowPlayingPlaybackState::paused);
}

TEST_F(NowPlayingManagerTest, ArtworkIsCachedByTheExactStationName)
{
    manager.updateNowPlaying("First", std::nullopt, "NTS 2", true);
    const auto first = manager.nowPlayingInfo()->artwork;
    manager.updateNowPlaying("Second", QStringLiteral("Someone"), "NTS 2", true);
    EXPECT_EQ(manager.nowPlayingInfo()->artwork, first);
    EXPECT_EQ(manager.platformImage("NTS 2"), first->image({300, 300}));

    const auto spaced = manager.artwork(" NTS 2 ");
    EXPECT_NE(spaced, first);
    EXPECT_EQ(spaced->image({300, 300})->lines(), first->image({300, 300})->lines());
    EXPECT_NE(spaced->image({300, 300})->background(), first->image({300, 300})->background());
}

TEST_F(NowPlayingManagerTest, OnlyTheFourPlaybackCommandsAreEnabled)
{
    for (const RemoteCommand command :
         {RemoteCommand::play, RemoteCommand::pause, RemoteCommand::stop, RemoteCommand::togglePlayPause})
        EXPECT_TRUE(manager.isCommandEnabled(command));
    for (const RemoteCommand command :
         {RemoteCommand::nextTrack, RemoteCommand::previousTrack, RemoteCommand::seekForward,
          RemoteCommand::seekBackward, RemoteCommand::skipForward, RemoteCommand::skipBackward,
          RemoteCommand::changePlaybackPosition}) {
        EXPECT_FALSE(manager.isCommandEnabled(command));
        EXPECT_EQ(manager.handleRemoteCommand(command), RemoteCommandResult::commandDisabled);
    }
}

TEST_F(NowPlayingManagerTest, CommandsOnlyPostTheirAction)
{
    startPlaying();
    EXPECT_EQ(manager.handleRemoteCommand(RemoteCommand::pause), RemoteCommandResult::success);
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
}

TEST_F(NowPlayingManagerTest, PlayStartsOrResumesUnlessPlaying)
{
    // Nothing selected: play does nothing.
    EXPECT_EQ(manager.handleRemoteCommand(RemoteCommand::play), RemoteCommandResult::success);
    settle();
    EXPECT_TRUE(platform.backend.players.empty());

    startPlaying();
    const std::size_t players = platform.backend.players.size();
    EXPECT_EQ(manager.handleRemoteCommand(RemoteCommand::play), RemoteCommandResult::success);
    settle();
    EXPECT_EQ(platform.backend.players.size(), players);
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);

    // Paused by the user: play resumes the same player.
    store.togglePlayPause();
    ASSERT_EQ(store.playingStatus(), PlayingStatus::paused);
    manager.handleRemoteCommand(RemoteCommand::play);
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);
    EXPECT_EQ(platform.backend.players.size(), players);
}

TEST_F(NowPlayingManagerTest, StopPausesAndKeepsTheStationLoaded)
{
    startPlaying();
    manager.handleRemoteCommand(RemoteCommand::stop);
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    EXPECT_TRUE(store.playbackController().player());
    EXPECT_TRUE(store.selectedStream());
    EXPECT_EQ(platform.nowPlaying.clearCount, 0);
    EXPECT_FALSE(platform.nowPlaying.updates.back().isPlaying);
}

TEST_F(NowPlayingManagerTest, ToggleFollowsTheStore)
{
    startPlaying();
    manager.handleRemoteCommand(RemoteCommand::togglePlayPause);
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    manager.handleRemoteCommand(RemoteCommand::togglePlayPause);
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);
}

TEST_F(NowPlayingManagerTest, QuitAndRaiseRunTheirHandlersLater)
{
    int quits = 0;
    int raises = 0;
    manager.setQuitHandler([&] { ++quits; });
    manager.setRaiseHandler([&] { ++raises; });
    manager.requestQuit();
    manager.requestRaise();
    EXPECT_EQ(quits + raises, 0);
    settle();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(raises, 1);
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
        offline.updateNowPlaying("Song", std::nullopt, "Radio", true);
        EXPECT_EQ(offline.playbackState(), NowPlayingPlaybackState::playing);
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
