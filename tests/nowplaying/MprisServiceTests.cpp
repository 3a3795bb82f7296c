// The MPRIS2 service on a private session bus, driven through the shared
// Store on the fake media backend and checked with real D-Bus clients.

#include "MprisClients.h"

#include "model/Store.h"
#include "nowplaying/MprisService.h"
#include "nowplaying/NowPlayingManager.h"
#include "nowplaying/StationArtwork.h"
#include "support/FakePlatform.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tunara {
namespace {

using namespace testing;

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString playlistsInterface = QStringLiteral("org.mpris.MediaPlayer2.Playlists");

QString playerctl(const QStringList& arguments)
{
    const ClientResult result = runClient(QStringLiteral("playerctl"), QStringList{"-p", "tunara"} + arguments);
    return result.out.trimmed();
}

QString metadataLine()
{
    return playerctl({"metadata", "--format", "{{title}}|{{artist}}|{{album}}|{{mpris:trackid}}"});
}

FakePlatform& platform()
{
    // Lives as long as the shared Store that uses it.
    static FakePlatform* const instance = new FakePlatform;
    return *instance;
}

// The shared Store as the program builds it, on the fake platform, with the
// shared manager as its publisher.
Store& sharedStore()
{
    Store::provideSharedEnvironment([] {
        PlaybackEnvironment environment = platform().environment();
        environment.nowPlaying = []() -> NowPlayingPublisher& { return NowPlayingManager::shared(); };
        return environment;
    });
    return Store::shared();
}

class MprisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(manager.mprisService(), nullptr);
        ASSERT_TRUE(manager.mprisService()->isRegistered());
        drainMainLoop();
        ASSERT_GE(store.streams().size(), 3);
        recorder.flush();
    }

    void TearDown() override
    {
        store.playbackController().stop();
        store.setSelectedStream(std::nullopt);
        settle();
        manager.setQuitHandler({});
        manager.setRaiseHandler({});
    }

    void settle() { platform().clock.runPending(); }
    void startPlaying(const AudioStream& station)
    {
        store.playStream(station.id);
        platform().backend.item().becomeReady();
        platform().backend.player().reportTimeControlStatus(TimeControlStatus::playing);
        settle();
        ASSERT_EQ(store.playingStatus(), PlayingStatus::playing);
    }
    // Runs a client command, then lets the action it posted run.
    void command(const QStringList& arguments)
    {
        playerctl(arguments);
        drainMainLoop();
        settle();
    }

    Store& store = sharedStore();
    NowPlayingManager& manager = NowPlayingManager::shared();
    SignalRecorder recorder;
};

TEST_F(MprisTest, ServiceAppearsWithItsFixedProperties)
{
    const ClientResult players = runClient(QStringLiteral("playerctl"), {"-l"});
    EXPECT_TRUE(players.out.split(u'\n').contains(QStringLiteral("tunara"))) << players.out.toStdString();

    const std::pair<QString, QStringList> expectations[] = {
        {QStringLiteral("org.mpris.MediaPlayer2"),
         {"'Identity': <'Tunara'>", "'DesktopEntry': <'tunara'>", "'CanQuit': <true>", "'CanRaise': <true>",
          "'HasTrackList': <false>", "'SupportedUriSchemes': <@as []>", "'SupportedMimeTypes': <@as []>"}},
        {playerInterface,
         {"'PlaybackStatus': <'Stopped'>", "'Rate': <1.0>", "'MinimumRate': <1.0>", "'MaximumRate': <1.0>",
          "'CanControl': <true>", "'CanPlay': <true>", "'CanPause': <true>", "'CanGoNext': <false>",
          "'CanGoPrevious': <false>", "'CanSeek': <false>", "'Metadata': <@a{sv} {}>"}},
    };
    for (const auto& [interface, expected] : expectations) {
        const ClientResult all = gdbusCall("org.freedesktop.DBus.Properties.GetAll", {interface});
        ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
        for (const QString& property : expected)
            EXPECT_TRUE(all.out.contains(property)) << property.toStdString() << all.out.toStdString();
    }
}

TEST_F(MprisTest, MetadataAndStatusFollowTheController)
{
    const AudioStream station = store.streams().first();
    store.playStream(station.id);
    settle();
    EXPECT_EQ(playerctl({"status"}), "Stopped");

    // Ready: the station name stands as title, paused, no artist.
    platform().backend.item().becomeReady();
    settle();
    SignalRecorder::Change change = recorder.next(playerInterface);
    EXPECT_EQ(change.changed.value("PlaybackStatus").toString(), "Paused");
    QVariantMap metadata = toMap(change.changed.value("Metadata"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), station.name);
    EXPECT_FALSE(metadata.contains("xesam:artist"));
    EXPECT_FALSE(metadata.contains("mpris:length"));
    // The station's artwork is drawn when it is first published: its URL
    // follows in a change of its own, unless the file was already there.
    if (!metadata.contains("mpris:artUrl")) {
        change = recorder.next(playerInterface);
        EXPECT_EQ(change.changed.keys(), QStringList{"Metadata"});
        const QVariantMap withArt = toMap(change.changed.value("Metadata"));
        EXPECT_EQ(withArt.value("mpris:trackid"), metadata.value("mpris:trackid"));
        metadata = withArt;
    }
    const QUrl artUrl(metadata.value("mpris:artUrl").toString());
    ASSERT_TRUE(artUrl.isLocalFile()) << artUrl.toString().toStdString();
    const QImage art(artUrl.toLocalFile());
    EXPECT_EQ(art.size(), QSize(300, 300));
    EXPECT_EQ(art.pixel(0, 0), artwork::stationColor(station.name).rgb());
    const QString firstTrack = playerctl({"metadata", "mpris:trackid"});
    EXPECT_EQ(metadataLine(), station.name + "||" + station.name + "|" + firstTrack);

    // Playing: only the status changes.
    platform().backend.player().reportTimeControlStatus(TimeControlStatus::playing);
    settle();
    change = recorder.next(playerInterface);
    EXPECT_EQ(change.changed.keys(), QStringList{"PlaybackStatus"});
    EXPECT_EQ(change.changed.value("PlaybackStatus").toString(), "Playing");

    // A new title: a new track with artist, same station and artwork.
    platform().backend.output().deliver({TimedMetadataGroup{{testing::streamTitleItem("Nils Frahm - Says")}}});
    settle();
    change = recorder.next(playerInterface);
    EXPECT_EQ(change.changed.keys(), QStringList{"Metadata"});
    metadata = toMap(change.changed.value("Metadata"));
    EXPECT_EQ(metadata.value("mpris:artUrl").toString(), artUrl.toString());
    const QString secondTrack = playerctl({"metadata", "mpris:trackid"});
    EXPECT_NE(secondTrack, firstTrack);
    EXPECT_EQ(metadataLine(), "Says|Nils Frahm|" + station.name + "|" + secondTrack);

    // Pause and resume flip the status and keep the track.
    store.togglePlayPause();
    change = recorder.next(playerInterface);
    EXPECT_EQ(change.changed.keys(), QStringList{"PlaybackStatus"});
    EXPECT_EQ(change.changed.value("PlaybackStatus").toString(), "Paused");
    store.togglePlayPause();
    change = recorder.next(playerInterface);
    EXPECT_EQ(change.changed.value("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(playerctl({"metadata", "mpris:trackid"}), secondTrack);

    // Stop removes everything.
    store.playbackController().stop();
    change = recorder.next(playerInterface);
    EXPECT_EQ(change.changed.value("PlaybackStatus").toString(), "Stopped");
    EXPECT_TRUE(toMap(change.changed.value("Metadata")).isEmpty());
    EXPECT_EQ(playerctl({"status"}), "Stopped");
}

TEST_F(MprisTest, ClientCommandsReachTheStore)
{
    const AudioStream station = store.streams().at(1);
    startPlaying(station);
    const std::size_t players = platform().backend.players.size();

    command({"play"}); // already playing: nothing happens
    EXPECT_EQ(platform().backend.players.size(), players);
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);

    command({"pause"});
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    EXPECT_TRUE(store.playbackController().player());

    command({"play"}); // resumes the same player
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);
    EXPECT_EQ(platform().backend.players.size(), players);

    // Stop reads as stopped; the station stays loaded and visible, and both
    // play and play-pause resume the same player.
    for (const QString& restart : {QStringLiteral("play"), QStringLiteral("play-pause")}) {
        command({"stop"});
        EXPECT_EQ(playerctl({"status"}), "Stopped");
        EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
        EXPECT_TRUE(store.playbackController().player());
        EXPECT_EQ(playerctl({"metadata", "xesam:album"}), station.name);
        command({restart});
        EXPECT_EQ(playerctl({"status"}), "Playing") << restart.toStdString();
        EXPECT_EQ(platform().backend.players.size(), players);
    }

    command({"play-pause"});
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    EXPECT_EQ(playerctl({"status"}), "Paused");
    command({"stop"}); // a paused player stops too
    EXPECT_EQ(playerctl({"status"}), "Stopped");

    // Next exists but does nothing.
    const ClientResult next = gdbusCall(playerInterface + ".Next", {});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    drainMainLoop();
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    EXPECT_EQ(store.selectedStream()->id, station.id);
    EXPECT_EQ(platform().backend.players.size(), players);
}

// The desktop's media widget moves the volume, and follows it when
// anything else does.
TEST_F(MprisTest, VolumeIsTheStoresBothWays)
{
    for (const auto& [sent, kept] : std::vector<std::pair<QString, double>>{{"0.5", 0.5}, {"1.7", 1.0}, {"0.25", 0.25}}) {
        const ClientResult set = runClient(QStringLiteral("playerctl"), {"-p", "tunara", "volume", sent});
        EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
        ASSERT_TRUE(waitUntil([&] { return store.volume() == kept; })) << sent.toStdString();
        EXPECT_EQ(platform().backend.volume(), kept);
        EXPECT_EQ(recorder.next(playerInterface, QStringLiteral("Volume")).changed.value("Volume").toDouble(), kept);
    }
    // A negative volume is silence.
    const ClientResult negative = gdbusCall(QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                                            {playerInterface, QStringLiteral("Volume"), QStringLiteral("<-0.2>")});
    EXPECT_EQ(negative.exitCode, 0) << negative.err.toStdString();
    ASSERT_TRUE(waitUntil([&] { return store.volume() == 0.0; }));
    EXPECT_EQ(recorder.next(playerInterface, QStringLiteral("Volume")).changed.value("Volume").toDouble(), 0.0);

    // The desktop's mixer moves it.
    platform().backend.reportVolumeFromOutside(0.4);
    EXPECT_EQ(recorder.next(playerInterface, QStringLiteral("Volume")).changed.value("Volume").toDouble(), 0.4);
    EXPECT_EQ(playerctl({"volume"}).toDouble(), 0.4);
    store.setVolume(1.0);
}

TEST_F(MprisTest, PlaylistsListTheStationsAndActivateOne)
{
    const ClientResult listed = gdbusCall(playlistsInterface + ".GetPlaylists", {"0", "100", "User", "false"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    qsizetype position = 0;
    for (const AudioStream& station : store.streams()) {
        const qsizetype found = listed.out.indexOf("'" + station.name + "'", position);
        EXPECT_GT(found, position) << station.name.toStdString();
        position = found;
    }

    const AudioStream third = store.streams().at(2);
    const QString thirdPath = mpris::playlistPath(third.id).path();
    EXPECT_TRUE(listed.out.contains(thirdPath));
    const ClientResult activated = gdbusCall(playlistsInterface + ".ActivatePlaylist", {thirdPath});
    ASSERT_EQ(activated.exitCode, 0) << activated.err.toStdString();
    drainMainLoop();
    settle();
    ASSERT_TRUE(store.selectedStream());
    EXPECT_EQ(store.selectedStream()->id, third.id);
    EXPECT_EQ(platform().backend.item().url, third.url);
    EXPECT_EQ(store.playingStatus(), PlayingStatus::loading);

    const auto nextActive = [&] {
        return qdbus_cast<mpris::MaybePlaylist>(
            recorder.next(playlistsInterface, "ActivePlaylist").changed.value("ActivePlaylist"));
    };
    mpris::MaybePlaylist active = nextActive();
    EXPECT_TRUE(active.valid);
    EXPECT_EQ(active.playlist.id.path(), thirdPath);
    EXPECT_EQ(active.playlist.name, third.name);
    // Its icon is drawn if it was not yet, and announced.
    if (active.playlist.icon.isEmpty())
        active = nextActive();
    EXPECT_EQ(QImage(QUrl(active.playlist.icon).toLocalFile(), "PNG").size(), QSize(300, 300));

    const ClientResult unknown =
        gdbusCall(playlistsInterface + ".ActivatePlaylist", {"/tunara/playlist/00000000000000000000000000000000"});
    EXPECT_TRUE(unknown.err.contains("InvalidArgs")) << unknown.err.toStdString();

    // The list changes: the count follows.
    ASSERT_TRUE(store.addStream("Blue Lake Radio", "http://127.0.0.1:9/stream"));
    EXPECT_EQ(recorder.next(playlistsInterface, "PlaylistCount").changed.value("PlaylistCount").toUInt(),
              static_cast<uint>(store.streams().size()));
}

TEST_F(MprisTest, RefusedAndMalformedCallsGetErrors)
{
    const ClientResult openUri = gdbusCall(playerInterface + ".OpenUri", {"file:///etc/passwd"});
    EXPECT_TRUE(openUri.err.contains("NotSupported")) << openUri.err.toStdString();

    const ClientResult seek = runClient(QStringLiteral("dbus-send"),
                                        {"--session", "--print-reply", "--dest=" + MprisService::serviceName, MprisService::objectPath,
                                         playerInterface + ".Seek", "string:far"});
    EXPECT_NE(seek.exitCode, 0);

    EXPECT_EQ(playerctl({"status"}), "Stopped");
}

TEST_F(MprisTest, QuitAndRaiseReachTheirHandlers)
{
    int quits = 0;
    int raises = 0;
    manager.setQuitHandler([&] { ++quits; });
    manager.setRaiseHandler([&] { ++raises; });
    EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Raise", {}).exitCode, 0);
    EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Quit", {}).exitCode, 0);
    drainMainLoop();
    EXPECT_EQ(raises, 1);
    EXPECT_EQ(quits, 1);
}

TEST_F(MprisTest, AnyTextTravelsSafely)
{
    const QString title = QStringLiteral("Quote \" ' \\ \n<b>") + QChar(u'\0') + QChar(0xD800)
                          + QString(10000, QChar(0x00E9));
    const QString station = QStringLiteral("St\nation \"\u2603\"") + QChar(u'\0');
    manager.updateNowPlaying(title, QStringLiteral("Ärtist \U0001F3B5"), station, true);
    const SignalRecorder::Change change = recorder.next(playerInterface);
    const QVariantMap metadata = toMap(change.changed.value("Metadata"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), mpris::busSafeText(title));
    EXPECT_EQ(metadata.value("xesam:title").toString().size(), title.size() - 1);
    EXPECT_EQ(metadata.value("xesam:album").toString(), QStringLiteral("St\nation \"\u2603\""));
    EXPECT_EQ(playerctl({"metadata", "xesam:artist"}), QStringLiteral("Ärtist \U0001F3B5"));
    manager.clearNowPlaying();
}

} // namespace
} // namespace tunara

