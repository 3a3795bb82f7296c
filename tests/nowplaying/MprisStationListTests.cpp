// MPRIS with a long station list: a Store of its own read from a library
// file of 1,000 stations, published on a bus of its own, with an artwork
// folder left by an earlier run, checked with real D-Bus clients.

#include "MprisClients.h"
#include "PrivateBus.h"

#include "model/Store.h"
#include "nowplaying/ArtworkFiles.h"
#include "nowplaying/MprisService.h"
#include "nowplaying/NowPlayingManager.h"
#include "nowplaying/StationArtwork.h"
#include "playback/QtScheduler.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tunara {
namespace {

using namespace testing;

const QString playlistsInterface = QStringLiteral("org.mpris.MediaPlayer2.Playlists");
const QString connectionName = QStringLiteral("long-list");

// One entry of a GetPlaylists reply as gdbus prints it.
struct ListedPlaylist {
    QString path;
    QString name;
    QString icon;
    friend bool operator==(const ListedPlaylist&, const ListedPlaylist&) = default;
    friend void PrintTo(const ListedPlaylist& p, std::ostream* out)
    {
        *out << qPrintable(p.path + " '" + p.name + "' '" + p.icon + "'");
    }
};

std::vector<ListedPlaylist> parsePlaylists(const QString& gdbusOutput)
{
    // gdbus names the type of the first path only.
    static const QRegularExpression entry(QStringLiteral("\\((?:objectpath )?'([^']*)', '([^']*)', '([^']*)'\\)"));
    std::vector<ListedPlaylist> result;
    for (auto match = entry.globalMatch(gdbusOutput); match.hasNext();) {
        const auto found = match.next();
        result.push_back({found.captured(1), found.captured(2), found.captured(3)});
    }
    return result;
}

QSet<QString> filesIn(const QString& folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return {names.cbegin(), names.cend()};
}

class LongStationList : public ::testing::Test {
protected:
    static constexpr int stationCount = 1000;

    LongStationList()
    {
        QJsonArray stations;
        for (int i = 0; i < stationCount; ++i) {
            ids.push_back(QUuid::createUuid());
            stations.append(QJsonObject{{"id", ids.back().toString(QUuid::WithoutBraces)},
                                        {"name", i == 0 ? QStringLiteral("Night\tJazz\n 1") : QStringLiteral("Station %1 FM").arg(i)},
                                        {"url", url(i)}});
        }
        QDir().mkpath(home.filePath("data"));
        QFile library(home.filePath("data/database.json"));
        library.open(QIODevice::WriteOnly);
        library.write(QJsonDocument(stations).toJson());
        library.close();

        // Left by an earlier run: the drawing of station 1, which must be
        // used as it is; one of a station no longer in the list; a file that
        // is not ours.
        QDir().mkpath(artworkFolder);
        writeFile(artworkFolder + u'/' + ArtworkFiles::fileName(QStringLiteral("Station 1 FM")), "drawn before");
        writeFile(artworkFolder + u'/' + ArtworkFiles::fileName(QStringLiteral("Deleted FM")), "drawn before");
        writeFile(artworkFolder + QStringLiteral("/notes.txt"), "not ours");

        const QByteArray cacheHome = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
        manager = std::make_unique<NowPlayingManager>(QtScheduler::mainLoop(), [this]() -> Store& { return *store; },
                                                      QDBusConnection::connectToBus(busAddress, connectionName));
        qputenv("XDG_CACHE_HOME", cacheHome);
        PlaybackEnvironment environment = platform.environment();
        environment.nowPlaying = [this]() -> NowPlayingPublisher& { return *manager; };
        store = std::make_unique<Store>(environment, QUrl::fromLocalFile(home.filePath("data/database.json")));
    }

    ~LongStationList() override
    {
        store.reset();
        manager.reset();
        QDBusConnection::disconnectFromBus(connectionName);
    }

    void SetUp() override
    {
        ASSERT_FALSE(busAddress.isEmpty());
        ASSERT_TRUE(manager->mprisService() && manager->mprisService()->isRegistered());
        ASSERT_EQ(store->streams().size(), stationCount);
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    static QString url(int i) { return QStringLiteral("http://127.0.0.1:9/s%1.mp3").arg(i); }
    QString path(int i) const { return mpris::playlistPath(ids[i]).path(); }
    QString keptFile() const { return artworkFolder + u'/' + ArtworkFiles::fileName(QStringLiteral("Station 1 FM")); }

    ClientResult getPlaylists(const QStringList& arguments) const
    {
        return gdbusCall(playlistsInterface + ".GetPlaylists", arguments, busAddress);
    }

    QTemporaryDir home;
    const QString artworkFolder = home.filePath("cache/tunara/artwork");
    PrivateBus bus;
    const QString busAddress = QString::fromStdString(bus.address());
    SignalRecorder recorder{busAddress};
    std::vector<QUuid> ids;
    FakePlatform platform;
    std::unique_ptr<NowPlayingManager> manager;
    std::unique_ptr<Store> store;
};

TEST_F(LongStationList, StartUpPublishesTheListOnceAndDrawsNothing)
{
    EXPECT_EQ(recorder.next(playlistsInterface).changed, (QVariantMap{{"PlaylistCount", uint(stationCount)}}));
    recorder.catchUp();
    EXPECT_TRUE(recorder.changes.empty());
    EXPECT_TRUE(recorder.playlistChanges.empty());

    const ClientResult count = gdbusCall("org.freedesktop.DBus.Properties.Get", {playlistsInterface, "PlaylistCount"},
                                         busAddress);
    EXPECT_EQ(count.out.trimmed(), "(<uint32 1000>,)") << count.err.toStdString();

    // Nothing drawn; the file of the station gone is removed, the others kept.
    EXPECT_EQ(filesIn(artworkFolder), (QSet<QString>{QFileInfo(keptFile()).fileName(), "notes.txt"}));
}

TEST_F(LongStationList, ClientsGetTheIconsOfWhatTheyList)
{
    recorder.next(playlistsInterface);
    recorder.flush();

    const ClientResult page = getPlaylists({"0", "3", "User", "false"});
    ASSERT_EQ(page.exitCode, 0) << page.err.toStdString();
    // Names as shown; an icon only where the file is on disk.
    const std::vector<ListedPlaylist> expected{{path(0), "Night Jazz 1", ""},
                                               {path(1), "Station 1 FM", QUrl::fromLocalFile(keptFile()).toString()},
                                               {path(2), "Station 2 FM", ""}};
    EXPECT_EQ(parsePlaylists(page.out), expected) << page.out.toStdString();

    // The missing icons are drawn and announced one by one, in list order.
    for (const int i : {0, 2}) {
        const mpris::Playlist changed = recorder.nextPlaylistChange();
        EXPECT_EQ(changed.id.path(), path(i));
        EXPECT_EQ(changed.name, expected[i].name);
        const QImage icon(QUrl(changed.icon).toLocalFile(), "PNG");
        EXPECT_EQ(icon.size(), QSize(300, 300)) << changed.icon.toStdString();
        EXPECT_EQ(icon.pixel(0, 0), artwork::stationColor(expected[i].name).rgb());
    }
    recorder.catchUp();
    EXPECT_TRUE(recorder.playlistChanges.empty());
    EXPECT_EQ(filesIn(artworkFolder).size(), 4);
    QFile kept(keptFile());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "drawn before");

    // From the end of the list, and an ordering the player does not have.
    const std::vector<ListedPlaylist> last = parsePlaylists(getPlaylists({"0", "1", "User", "true"}).out);
    ASSERT_EQ(last.size(), 1);
    EXPECT_EQ(last[0].path, path(stationCount - 1));
    EXPECT_TRUE(getPlaylists({"0", "1", "Alphabetical", "false"}).err.contains("InvalidArgs"));
}

TEST_F(LongStationList, ChangesArePublishedOnceAndTakeTheirFilesAlong)
{
    recorder.next(playlistsInterface);
    getPlaylists({"0", "4", "User", "false"});
    for (int drawn = 0; drawn < 3; ++drawn)
        recorder.nextPlaylistChange();
    ASSERT_EQ(filesIn(artworkFolder).size(), 5);
    recorder.flush();

    // Four stations deleted at once: one change, and their files go.
    store->deleteStreams({ids[0], ids[1], ids[2], ids[500]});
    EXPECT_EQ(recorder.next(playlistsInterface).changed, (QVariantMap{{"PlaylistCount", uint(stationCount - 4)}}));
    recorder.catchUp();
    EXPECT_TRUE(recorder.changes.empty());
    EXPECT_TRUE(recorder.playlistChanges.empty());
    const QString station3File = ArtworkFiles::fileName("Station 3 FM");
    EXPECT_EQ(filesIn(artworkFolder), (QSet<QString>{"notes.txt", station3File}));

    // A station renamed in place: that station alone, and as its icon was
    // shown, the new icon follows; the old file goes.
    ASSERT_TRUE(store->updateStream(ids[3], "Renamed FM", url(3)));
    const mpris::Playlist renamed = recorder.nextPlaylistChange();
    EXPECT_EQ(renamed.id.path(), path(3));
    EXPECT_EQ(renamed.name, "Renamed FM");
    EXPECT_EQ(renamed.icon, "");
    const mpris::Playlist redrawn = recorder.nextPlaylistChange();
    EXPECT_EQ(redrawn.id.path(), path(3));
    EXPECT_EQ(QUrl(redrawn.icon).fileName(), ArtworkFiles::fileName("Renamed FM"));
    recorder.catchUp();
    EXPECT_TRUE(recorder.changes.empty());
    EXPECT_TRUE(recorder.playlistChanges.empty());
    EXPECT_EQ(filesIn(artworkFolder), (QSet<QString>{"notes.txt", ArtworkFiles::fileName("Renamed FM")}));

    // A move keeps the count but changes the list: clients are told to
    // read it again.
    store->moveStreams({0}, 5);
    EXPECT_EQ(recorder.next(playlistsInterface).changed, (QVariantMap{{"PlaylistCount", uint(stationCount - 4)}}));
    recorder.catchUp();
    EXPECT_TRUE(recorder.playlistChanges.empty());
}

} // namespace
} // namespace tunara
