// The MPRIS2 service on a private session bus, driven through the shared
// Store on the fake media backend and checked with real D-Bus clients.

#include "model/Store.h"
#include "nowplaying/MprisService.h"
#include "nowplaying/NowPlayingManager.h"
#include "playback/QtScheduler.h"
#include "support/FakePlatform.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tunara {
namespace {

using testing::FakePlatform;

// Runs the main loop until condition holds or timeoutMs pass.
bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// Runs the main loop until every task posted to it before this call has run.
void drainMainLoop()
{
    auto done = std::make_shared<bool>(false);
    QtScheduler::mainLoop().post([done] { *done = true; });
    spinUntil([done] { return *done; });
}

struct ClientResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a real client to its end (at most 10 s) while the main loop keeps
// serving the bus.
ClientResult runClient(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

const QString service = MprisService::serviceName;
const QString path = MprisService::objectPath;
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString playlistsInterface = QStringLiteral("org.mpris.MediaPlayer2.Playlists");

// Records PropertiesChanged as a desktop widget on another connection sees
// it.
class SignalRecorder final : public QObject {
    Q_OBJECT

public:
    struct Change {
        QString interface;
        QVariantMap changed;
    };

    SignalRecorder()
        : connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("observer")))
    {
        connection_.connect(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                            QStringLiteral("PropertiesChanged"), this,
                            SLOT(recordProperties(QString, QVariantMap, QStringList)));
        // A round trip on the same connection: the match rules are in place.
        connection_.interface()->isServiceRegistered(service);
    }
    ~SignalRecorder() override { QDBusConnection::disconnectFromBus(QStringLiteral("observer")); }

    // Waits for the next change of interface and returns it.
    Change next(const QString& interface)
    {
        const bool arrived = spinUntil([&] {
            while (!changes_.empty() && changes_.front().interface != interface)
                changes_.erase(changes_.begin());
            return !changes_.empty();
        });
        if (!arrived)
            return {};
        Change change = changes_.front();
        changes_.erase(changes_.begin());
        return change;
    }
    // Lets pending signals arrive, then forgets them.
    void flush()
    {
        connection_.interface()->isServiceRegistered(service);
        drainMainLoop();
        changes_.clear();
    }

public slots:
    void recordProperties(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        changes_.push_back({interface, changed});
    }

private:
    QDBusConnection connection_;
    std::vector<Change> changes_;
};

QVariantMap toMap(const QVariant& value)
{
    return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
}

QString playerctl(const QStringList& arguments)
{
    const ClientResult result = runClient(QStringLiteral("playerctl"), QStringList{"-p", "tunara"} + arguments);
    return result.out.trimmed();
}

QString metadataLine()
{
    return playerctl({"metadata", "--format", "{{title}}|{{artist}}|{{album}}|{{mpris:trackid}}"});
}

ClientResult gdbusCall(const QString& method, const QStringList& arguments)
{
    return runClient(QStringLiteral("gdbus"), QStringList{"call", "--session", "--dest", service, "--object-path",
                                                          path, "--method", method} + arguments);
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
    const QUrl artUrl(metadata.value("mpris:artUrl").toString());
    ASSERT_TRUE(artUrl.isLocalFile());
    EXPECT_TRUE(QFile::exists(artUrl.toLocalFile()));
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

    command({"stop"}); // pauses; the station stays loaded and visible
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    EXPECT_TRUE(store.playbackController().player());
    EXPECT_EQ(playerctl({"status"}), "Paused");
    EXPECT_EQ(playerctl({"metadata", "xesam:album"}), station.name);

    command({"play-pause"});
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);
    command({"play-pause"});
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);

    // Next exists but does nothing.
    const ClientResult next = gdbusCall(playerInterface + ".Next", {});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    drainMainLoop();
    settle();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    EXPECT_EQ(store.selectedStream()->id, station.id);
    EXPECT_EQ(platform().backend.players.size(), players);
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

    EXPECT_TRUE(recorder.next(playlistsInterface).changed.contains("ActivePlaylist"));

    const ClientResult unknown =
        gdbusCall(playlistsInterface + ".ActivatePlaylist", {"/tunara/playlist/00000000000000000000000000000000"});
    EXPECT_TRUE(unknown.err.contains("InvalidArgs")) << unknown.err.toStdString();

    // The list changes: the count follows.
    ASSERT_TRUE(store.addStream("Blue Lake Radio", "http://127.0.0.1:9/stream"));
    EXPECT_EQ(recorder.next(playlistsInterface).changed.value("PlaylistCount").toUInt(),
              static_cast<uint>(store.streams().size()));
}

TEST_F(MprisTest, RefusedAndMalformedCallsGetErrors)
{
    const ClientResult openUri = gdbusCall(playerInterface + ".OpenUri", {"file:///etc/passwd"});
    EXPECT_TRUE(openUri.err.contains("NotSupported")) << openUri.err.toStdString();

    const ClientResult seek = runClient(QStringLiteral("dbus-send"),
                                        {"--session", "--print-reply", "--dest=" + service, path,
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

#include "MprisServiceTests.moc"
