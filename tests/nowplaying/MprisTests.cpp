// The MPRIS2 service on the test's private session bus, over a Store on
// the fake playback, checked with real D-Bus clients. The library holds
// 1,000 stations; the artwork folder was left by an earlier run.

#include "MprisClients.h"

#include "model/Store.h"
#include "playback/PlaybackController.h"
#include "playback/QtScheduler.h"
#include "support/FakePlatform.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tunara {
namespace {

using namespace testing;

const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString playlists = QStringLiteral("org.mpris.MediaPlayer2.Playlists");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString playlistChanged = QStringLiteral("PlaylistChanged");
constexpr int stationCount = 1000;

// playerctl quotes the track id, an object path.
QString metadataLine()
{
    return playerctl({"metadata", "--format", "{{title}}|{{artist}}|{{album}}|{{mpris:trackid}}"}).remove(u'\'');
}

// A page of the playlists as a client gets it, each as "path | name | icon".
QStringList listed(uint index, uint count, bool reverse = false)
{
    const ClientResult reply = call(playlists + ".GetPlaylists",
                                    {"uint32:" + QString::number(index), "uint32:" + QString::number(count),
                                     "string:User", reverse ? "boolean:true" : "boolean:false"});
    static const QRegularExpression entry(R"re(object path "([^"]*)" string "([^"]*)" string "([^"]*)")re");
    QStringList result;
    for (auto match = entry.globalMatch(reply.out); match.hasNext();)
        result.append(match.next().capturedTexts().mid(1).join(" | "));
    return result;
}

class Mpris : public ::testing::Test {
protected:
    static QString digits(int i) { return QString::number(i).rightJustified(12, u'0'); }
    static QUuid id(int i) { return QUuid("00000000-0000-4000-8000-" + digits(i)); }
    static QString path(int i) { return "/tunara/playlist/00000000000040008000" + digits(i); }
    static QString url(int i) { return QStringLiteral("http://127.0.0.1:9/s%1.mp3").arg(i); }
    static QString artworkFolder() { return qEnvironmentVariable("XDG_CACHE_HOME") + "/tunara/artwork"; }
    static QString artworkFile(const QString& name) { return artworkFolder() + u'/' + ArtworkFiles::fileName(name); }

    void SetUp() override
    {
        ASSERT_EQ(store.stations().size(), stationCount);
        ASSERT_TRUE(service && service->isRegistered());
        // The list is published once when the service starts, and nothing else.
        EXPECT_EQ(recorder.next(playlists).changed, (QVariantMap{{"PlaylistCount", uint(stationCount)}}));
        EXPECT_TRUE(recorder.quiet());
    }

    // Station 0's name needs cleaning. The artwork folder holds the file of
    // station 1, to be used as it is, one of a station gone, and one not ours.
    static bool writeLibraryAndArtwork()
    {
        QJsonArray stations;
        for (int i = 0; i < stationCount; ++i)
            stations.append(QJsonObject{{"id", id(i).toString(QUuid::WithoutBraces)},
                                        {"name", i == 0 ? "Night\tJazz\n 1" : QStringLiteral("Station %1 FM").arg(i)},
                                        {"url", url(i)}});
        writeFile(qEnvironmentVariable("XDG_DATA_HOME") + "/tunara/database.json", QJsonDocument(stations).toJson());
        writeFile(artworkFile("Station 1 FM"), "drawn before");
        writeFile(artworkFile("Deleted FM"), "drawn before");
        writeFile(artworkFolder() + "/notes.txt", "not ours");
        return true;
    }

    // What the fake playback under the Store is made to do.
    void report(const SessionEvent& event) { platform.backend.session().report(event); }

    // Posted actions, then what they started on the fake playback.
    void runPosted()
    {
        drainMainLoop();
        platform.clock.runPending();
    }

    SignalRecorder recorder; // listening before the service starts
    const bool prepared = writeLibraryAndArtwork(); // before the Store and the service read them
    FakePlatform platform;
    PlaybackController controller{platform.environment()};
    Store store{controller, QUrl::fromLocalFile(qEnvironmentVariable("XDG_DATA_HOME") + "/tunara/database.json"),
                std::nullopt, platform.clock};
    QtScheduler mainLoop;
    std::unique_ptr<MprisService> service = MprisService::publish(store, mainLoop, QDBusConnection::sessionBus());
};

TEST_F(Mpris, AppearsWithItsPropertiesRefusesWhatItCannotDoAndLeavesEarlierArtworkAlone)
{
    const std::pair<QString, QStringList> expectations[] = {
        {"org.mpris.MediaPlayer2",
         {R"("Identity" variant string "Tunara")", R"("DesktopEntry" variant string "tunara")",
          R"("CanQuit" variant boolean true)", R"("CanRaise" variant boolean true)",
          R"("HasTrackList" variant boolean false)", R"("SupportedUriSchemes" variant array [ ])",
          R"("SupportedMimeTypes" variant array [ ])"}},
        {player,
         {R"("PlaybackStatus" variant string "Stopped")", R"("Metadata" variant array [ ])",
          R"("Rate" variant double 1 )", R"("MinimumRate" variant double 1 )", R"("MaximumRate" variant double 1 )",
          R"("Volume" variant double 1 )", R"("CanControl" variant boolean true)", R"("CanPlay" variant boolean true)",
          R"("CanPause" variant boolean true)", R"("CanGoNext" variant boolean false)",
          R"("CanGoPrevious" variant boolean false)", R"("CanSeek" variant boolean false)"}},
        {playlists,
         {R"("PlaylistCount" variant uint32 1000)", R"("Orderings" variant array [ string "User" ])",
          R"("ActivePlaylist" variant struct { boolean false struct { object path "/" string "" string "" } })"}},
    };
    for (const auto& [interface, expected] : expectations) {
        const ClientResult all = call(properties + ".GetAll", {"string:" + interface});
        ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
        for (const QString& property : expected)
            EXPECT_TRUE(all.out.contains(property)) << property.toStdString() << "\n" << all.out.toStdString();
    }
    // Nothing drawn; the file of the station gone is removed, the others stay.
    EXPECT_EQ(filesIn(artworkFolder()), (QSet<QString>{ArtworkFiles::fileName("Station 1 FM"), "notes.txt"}));

    // Refused calls change nothing. Bad volumes and playlist ids from any
    // caller are fuzz_mpris's; here, the errors a client is given.
    const QString setProperty = properties + ".Set";
    const struct { QString method; QStringList arguments; QString error; } calls[] = {
        {player + ".OpenUri", {"string:file:///etc/passwd"}, "NotSupported"},
        {setProperty, {"string:" + player, "string:PlaybackStatus", "variant:string:Playing"}, "PropertyReadOnly"},
        {playlists + ".ActivatePlaylist", {"objpath:/tunara/playlist/00000000000000000000000000000000"}, "InvalidArgs"},
        {playlists + ".GetPlaylists", {"uint32:0", "uint32:1", "string:Alphabetical", "boolean:false"}, "InvalidArgs"},
    };
    for (const auto& [method, arguments, error] : calls) {
        const ClientResult result = call(method, arguments);
        EXPECT_NE(result.exitCode, 0) << method.toStdString();
        EXPECT_TRUE(result.err.contains(error)) << method.toStdString() << ": " << result.err.toStdString();
    }
    runPosted();
    EXPECT_EQ(playerctl({"status"}), "Stopped");
    EXPECT_EQ(store.volume(), 1.0);
    EXPECT_FALSE(store.selectedStation());

    // Without a bus: no service, and one line.
    StdoutCapture capture;
    EXPECT_FALSE(MprisService::publish(store, mainLoop,
                                       QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                     QStringLiteral("nowhere"))));
    EXPECT_EQ(capture.lines().size(), 1);
    EXPECT_TRUE(capture.lines().value(0).startsWith(QStringLiteral("No session bus")));
}

TEST_F(Mpris, StatusAndMetadataFollowWhatPlays)
{
    // Chosen: the station at once, playing as the user asked while it
    // connects; its name as title and album, no artist, no length.
    store.playStation(store.stations().at(3).id);
    SignalRecorder::Change change = recorder.next(player);
    EXPECT_EQ(change.changed.value("PlaybackStatus").toString(), "Playing");
    QVariantMap metadata = toMap(change.changed.value("Metadata"));
    EXPECT_FALSE(metadata.contains("xesam:artist") || metadata.contains("mpris:length"));
    // The artwork is drawn when first needed: its URL follows in a change of
    // its own, unless the file was there already.
    if (!metadata.contains("mpris:artUrl")) {
        change = recorder.next(player);
        EXPECT_EQ(change.changed.keys(), QStringList{"Metadata"});
        metadata = toMap(change.changed.value("Metadata"));
    }
    const QString artUrl = metadata.value("mpris:artUrl").toString();
    EXPECT_EQ(QImage(QUrl(artUrl).toLocalFile(), "PNG").size(), QSize(300, 300)) << artUrl.toStdString();
    EXPECT_EQ(metadataLine(), "Station 3 FM||Station 3 FM|/tunara/track/1");

    report(SessionState::buffering);
    report(SessionState::playing);
    EXPECT_EQ(playerctl({"status"}), "Playing");

    // A new title: a new track with its artist, the same station and artwork.
    // Controls are cleaned away, a lone surrogate travels as U+FFFD.
    report(StreamTitle{QStringLiteral("Nils Frahm \U0001F3B5 - Says <b>\\") + QChar(u'\0') + QChar(0xD800) + "!"});
    change = recorder.next(player);
    EXPECT_EQ(change.changed.keys(), QStringList{"Metadata"});
    EXPECT_EQ(toMap(change.changed.value("Metadata")).value("mpris:artUrl").toString(), artUrl);
    EXPECT_EQ(metadataLine(), QStringLiteral("Says <b>\\\ufffd!|Nils Frahm \U0001F3B5|Station 3 FM|/tunara/track/2"));

    // Pause and resume change the status alone and keep the track.
    for (const QString status : {"Paused", "Playing"}) {
        store.togglePlayPause();
        EXPECT_EQ(recorder.next(player).changed, (QVariantMap{{"PlaybackStatus", status}}));
    }
    // Every update replaces the whole: no artist is kept from before.
    report(StreamTitle{"Radio One"});
    EXPECT_EQ(metadataLine(), "Radio One||Station 3 FM|/tunara/track/3");

    // Another station: shown at once, without the last one's track; when it
    // fails for good, no longer playing.
    recorder.quiet();
    recorder.changes.clear();
    store.playStation(store.stations().at(5).id);
    metadata = toMap(recorder.next(player, "Metadata").changed.value("Metadata"));
    EXPECT_EQ(metadata.value("xesam:album").toString(), "Station 5 FM");
    EXPECT_EQ(metadata.value("xesam:title").toString(), "Station 5 FM");
    EXPECT_FALSE(metadata.contains("xesam:artist"));
    report(PlaybackFailure::because(FailureReason::notFound));
    EXPECT_EQ(recorder.next(player, "PlaybackStatus").changed.value("PlaybackStatus").toString(), "Paused");

    // Stop removes everything (the station's artwork may have come first).
    store.player().stop();
    change = recorder.next(player, "PlaybackStatus");
    EXPECT_EQ(change.changed.value("PlaybackStatus").toString(), "Stopped");
    EXPECT_TRUE(toMap(change.changed.value("Metadata")).isEmpty());
}

TEST_F(Mpris, ClientCommandsReachTheStoreAndTheApplication)
{
    int quits = 0;
    int raises = 0;
    service->setQuitHandler([&] { ++quits; });
    service->setRaiseHandler([&] { ++raises; });
    EXPECT_EQ(call("org.mpris.MediaPlayer2.Raise").exitCode, 0);
    EXPECT_EQ(call("org.mpris.MediaPlayer2.Quit").exitCode, 0);
    call(player + ".Play");
    runPosted();
    EXPECT_EQ(raises, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(platform.backend.sessions.size(), 0u) << "nothing selected, nothing to play";

    const Station station = store.stations().at(4);
    store.playStation(station.id);
    report(SessionState::buffering);
    report(SessionState::playing);
    const struct { const char* method; const char* shown; PlayingStatus status; } steps[] = {
        {"Play", "Playing", PlayingStatus::playing}, // already playing: nothing happens
        {"Pause", "Paused", PlayingStatus::paused},
        // Stop pauses: the station stays loaded and shown, and both Play and
        // PlayPause resume it; a paused player stops too.
        {"Stop", "Stopped", PlayingStatus::paused},
        {"Play", "Playing", PlayingStatus::playing},
        {"Stop", "Stopped", PlayingStatus::paused},
        {"PlayPause", "Playing", PlayingStatus::playing},
        {"PlayPause", "Paused", PlayingStatus::paused},
        {"Next", "Paused", PlayingStatus::paused}, // there is no next station
    };
    for (const auto& step : steps) {
        const ClientResult result = call(player + "." + step.method);
        EXPECT_EQ(result.exitCode, 0) << step.method << result.err.toStdString();
        runPosted();
        EXPECT_EQ(store.playingStatus(), step.status) << step.method;
        EXPECT_EQ(playerctl({"status"}), step.shown) << step.method;
        EXPECT_EQ(playerctl({"metadata", "xesam:album"}), station.name) << step.method;
        EXPECT_EQ(platform.backend.sessions.size(), 1u) << step.method;
    }
    // Commands are posted, not run at once.
    service->play();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::paused);
    drainMainLoop();
    EXPECT_EQ(store.playingStatus(), PlayingStatus::playing);

    // The desktop's media widget moves the volume, and follows it when
    // anything else does.
    for (const auto& [sent, kept] : {std::pair{"0.5", 0.5}, {"1.7", 1.0}}) {
        const ClientResult set =
            call(properties + ".Set", {"string:" + player, "string:Volume", QStringLiteral("variant:double:") + sent});
        EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
        EXPECT_EQ(store.volume(), kept) << sent;
        EXPECT_EQ(platform.backend.session().volume, kept);
        EXPECT_EQ(recorder.next(player, "Volume").changed.value("Volume").toDouble(), kept);
    }
    report(MixerVolume{0.4});
    EXPECT_EQ(recorder.next(player, "Volume").changed.value("Volume").toDouble(), 0.4);
}

TEST_F(Mpris, ClientsGetTheIconsOfWhatTheyListAndPlayWhatTheyActivate)
{
    // Names as shown; an icon only where its file is on disk.
    const QString kept = QUrl::fromLocalFile(artworkFile("Station 1 FM")).toString();
    EXPECT_EQ(listed(0, 3), (QStringList{path(0) + " | Night Jazz 1 | ", path(1) + " | Station 1 FM | " + kept,
                                         path(2) + " | Station 2 FM | "}));

    // The missing icons are drawn and announced one by one, in list order.
    for (const auto& [i, name, colour] : {std::tuple{0, "Night Jazz 1", 0xffa9e051}, {2, "Station 2 FM", 0xff692480}}) {
        const QVariantMap changed = recorder.next(playlistChanged).changed;
        EXPECT_EQ(changed.value("id").toString(), path(i));
        EXPECT_EQ(changed.value("name").toString(), name);
        const QImage icon(QUrl(changed.value("icon").toString()).toLocalFile(), "PNG");
        EXPECT_EQ(icon.size(), QSize(300, 300)) << name;
        EXPECT_EQ(icon.pixel(0, 0), colour) << name;
    }
    EXPECT_TRUE(recorder.quiet());
    EXPECT_EQ(filesIn(artworkFolder()).size(), 4);
    EXPECT_EQ(readFile(artworkFile("Station 1 FM")), "drawn before");

    // Pages from either end.
    const struct { uint index, count; bool reverse; QStringList paths; } pages[] = {
        {998, 5, false, {path(998), path(999)}}, {0, 1, true, {path(999)}}, {2, 2, true, {path(997), path(996)}}};
    const QRegularExpression afterPath(" \\|.*");
    for (const auto& page : pages) {
        const QStringList paths = listed(page.index, page.count, page.reverse).replaceInStrings(afterPath, {});
        EXPECT_EQ(paths, page.paths) << page.index << " " << page.count;
    }

    // Activating a playlist plays its station.
    ASSERT_EQ(call(playlists + ".ActivatePlaylist", {"objpath:" + path(3)}).exitCode, 0);
    runPosted();
    ASSERT_TRUE(store.selectedStation());
    EXPECT_EQ(store.selectedStation()->id, id(3));
    EXPECT_EQ(platform.backend.session().url, QUrl(url(3)));
    EXPECT_EQ(store.playingStatus(), PlayingStatus::loading);

    // It is the active playlist; its icon is drawn if it was not yet, and announced.
    const auto nextActive = [&] {
        const QVariant active = recorder.next(playlists, "ActivePlaylist").changed.value("ActivePlaylist");
        return qdbus_cast<mpris::MaybePlaylist>(active);
    };
    mpris::MaybePlaylist active = nextActive();
    EXPECT_TRUE(active.valid);
    EXPECT_EQ(active.playlist.id.path(), path(3));
    EXPECT_EQ(active.playlist.name, "Station 3 FM");
    if (active.playlist.icon.isEmpty())
        active = nextActive();
    EXPECT_EQ(QImage(QUrl(active.playlist.icon).toLocalFile(), "PNG").size(), QSize(300, 300));
}

TEST_F(Mpris, ListChangesArePublishedOnceAndTakeTheirFilesAlong)
{
    // Clients were shown the first four stations, and their icons drawn.
    listed(0, 4);
    for (int drawn = 0; drawn < 3; ++drawn)
        recorder.next(playlistChanged);
    ASSERT_TRUE(recorder.quiet());
    ASSERT_EQ(filesIn(artworkFolder()).size(), 5);

    // Four stations deleted at once: one change, and their files go.
    store.deleteStations({id(0), id(1), id(2), id(500)});
    EXPECT_EQ(recorder.next(playlists).changed, (QVariantMap{{"PlaylistCount", uint(stationCount - 4)}}));
    EXPECT_TRUE(recorder.quiet());
    EXPECT_EQ(filesIn(artworkFolder()), (QSet<QString>{"notes.txt", ArtworkFiles::fileName("Station 3 FM")}));

    // A station renamed in place: that station alone. Its icon was shown, so
    // the new one is drawn and announced, and the old file goes.
    ASSERT_TRUE(store.updateStation(id(3), "Renamed FM", url(3)));
    const QVariantMap renamed{{"id", path(3)}, {"name", "Renamed FM"}, {"icon", ""}};
    EXPECT_EQ(recorder.next(playlistChanged).changed, renamed);
    const QVariantMap redrawn = recorder.next(playlistChanged).changed;
    EXPECT_EQ(redrawn.value("id").toString(), path(3));
    EXPECT_EQ(QUrl(redrawn.value("icon").toString()).fileName(), ArtworkFiles::fileName("Renamed FM"));
    EXPECT_TRUE(recorder.quiet());
    EXPECT_EQ(filesIn(artworkFolder()), (QSet<QString>{"notes.txt", ArtworkFiles::fileName("Renamed FM")}));

    // A move keeps the count but changes the list: clients are told to read it again.
    store.moveStations({0}, 5);
    EXPECT_EQ(recorder.next(playlists).changed, (QVariantMap{{"PlaylistCount", uint(stationCount - 4)}}));
    EXPECT_TRUE(recorder.quiet());
}

} // namespace
} // namespace tunara
