// The history of tracks played: what is kept from the player, the file
// across runs, and that no crash or broken file loses it.

#include "model/Store.h"
#include "model/TrackHistory.h"
#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/Files.h"
#include "support/StdoutCapture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace tunara;
using namespace tunara::testing;

namespace {

class HistoryTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("tunara/history.json"); }
    QUrl url() const { return QUrl::fromLocalFile(path()); }
    QStringList titlesOnDisk() const
    {
        QStringList titles;
        for (const PlayedTrack& track : HistoryFile::decode(readFile(path())).value_or(QList<PlayedTrack>()))
            titles << track.title;
        return titles;
    }

    QTemporaryDir dir;
};

PlayedTrack played(const QString& title, const QString& artist = {})
{
    return {QDateTime(QDate(2026, 12, 8), QTime(1, 2, 3), Qt::UTC), title, artist, QStringLiteral("Station")};
}

TEST(HistoryFile, IsUnderTheStateHome)
{
    qputenv("XDG_STATE_HOME", "/state");
    EXPECT_EQ(HistoryFile::defaultFileURL(), QUrl::fromLocalFile("/state/tunara/history.json"));
    // Not absolute, as unset.
    qputenv("XDG_STATE_HOME", "state");
    EXPECT_EQ(HistoryFile::defaultFileURL(), QUrl::fromLocalFile(QDir::homePath() + "/.local/state/tunara/history.json"));
    qunsetenv("XDG_STATE_HOME");
}

// Each new track of the station playing, once, while the settings keep a
// history; read back by the next run, newest first.
TEST_F(HistoryTest, KeepsTheNewTracksAcrossARestart)
{
    FakePlatform platform;
    PlaybackController player(platform.environment());
    Store store(player, std::nullopt, std::nullopt, platform.clock);
    {
        TrackHistory history(url());
        history.follow(store);
        store.playStation(store.stations().at(1).id);
        const FakeSession& session = platform.backend.session();
        session.report(SessionState::playing);
        session.report(StreamTitle{"Bonobo - Kerala"});
        session.report(StreamTitle{"Bonobo - Kerala"});
        session.report(StreamTitle{"Jingle"});
        // After a reconnection the same title is not played anew.
        session.report(StreamTitle{""});
        session.report(StreamTitle{"Jingle"});
        AppSettings::DesktopOptions options = store.desktopOptions();
        options.keepsHistory = false;
        store.setDesktopOptions(options);
        session.report(StreamTitle{"Not kept"});
        ASSERT_EQ(history.tracks().size(), 2);
        EXPECT_EQ(history.tracks().at(1).artist, "Bonobo");
        EXPECT_EQ(history.tracks().at(1).title, "Kerala");
        EXPECT_EQ(history.tracks().at(1).station, "NTS 1");
        EXPECT_LE(qAbs(history.tracks().at(0).time.secsTo(QDateTime::currentDateTimeUtc())), 5);
    }
    TrackHistory again(url());
    EXPECT_EQ(titlesOnDisk(), QStringList({"Jingle", "Kerala"}));
    ASSERT_EQ(again.tracks().size(), 2);
    EXPECT_EQ(again.tracks().at(1), TrackHistory(url()).tracks().at(1));
    EXPECT_EQ(again.tracks().at(0).artist, "");

    again.clear();
    again.flush();
    EXPECT_EQ(titlesOnDisk(), QStringList());
}

TEST_F(HistoryTest, KeepsTheLast500)
{
    TrackHistory history(url());
    for (int n = 0; n <= HistoryFile::capacity; ++n)
        history.add(played(QString::number(n)));
    history.flush();
    EXPECT_EQ(history.tracks().size(), HistoryFile::capacity);
    EXPECT_EQ(history.tracks().first().title, "500");
    EXPECT_EQ(history.tracks().last().title, "1");
    EXPECT_EQ(TrackHistory(url()).tracks(), history.tracks());
}

// A file that is not a history may be one worth keeping: it is moved
// aside, not written over; entries that make no sense are left out.
TEST_F(HistoryTest, ABrokenFileIsMovedAsideAndBadEntriesLeftOut)
{
    StdoutCapture out;
    writeFile(path(), "{\"tracks\": [{\"title\": \"no time\"}, {\"time\": \"2026-12-08T01:02:03Z\"}, 7,"
                      " {\"time\": \"2026-12-08T01:02:03Z\", \"title\": \"Kept\", \"station\": \"Station\"}]}");
    EXPECT_EQ(TrackHistory(url()).tracks(), QList<PlayedTrack>({played("Kept")}));

    writeFile(path(), "{\"tracks\": [");
    {
        TrackHistory history(url());
        EXPECT_TRUE(history.tracks().isEmpty());
        history.add(played("New"));
    }
    EXPECT_EQ(readFile(path() + ".corrupt"), "{\"tracks\": [");
    EXPECT_EQ(titlesOnDisk(), QStringList({"New"}));
    EXPECT_TRUE(out.lines().join("\n").contains("moved to")) << out.lines().join("\n").toStdString();
}

// Killed at any moment, a run leaves a whole history: the one before the
// write or the one after.
TEST_F(HistoryTest, AKillMidWriteLeavesAWholeHistory)
{
    for (const int milliseconds : {30, 90, 170, 260, 600}) {
        QProcess writer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TUNARA_HISTORY_WRITER", path());
        writer.setProcessEnvironment(environment);
        writer.start(QFileInfo("/proc/self/exe").symLinkTarget(), {"--gtest_filter=HistoryWriter.WritesUntilKilled"});
        ASSERT_TRUE(writer.waitForStarted());
        QThread::msleep(milliseconds);
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished();
        const QStringList titles = titlesOnDisk();
        // Before its first write, a run leaves none.
        if (QFile::exists(path()) || milliseconds == 600) {
            ASSERT_FALSE(titles.isEmpty()) << milliseconds;
            // Newest first, none missing between.
            for (qsizetype n = 1; n < titles.size(); ++n)
                EXPECT_EQ(titles[n].toInt(), titles[n - 1].toInt() - 1);
        }
    }
}

// Run by the test above as a program of its own: adds tracks until it is
// killed.
TEST(HistoryWriter, WritesUntilKilled)
{
    const QString path = qEnvironmentVariable("TUNARA_HISTORY_WRITER");
    if (path.isEmpty())
        GTEST_SKIP() << "run by AKillMidWriteLeavesAWholeHistory";
    TrackHistory history(QUrl::fromLocalFile(path));
    int next = history.tracks().isEmpty() ? 0 : history.tracks().first().title.toInt() + 1;
    for (;;)
        history.add(played(QString::number(next++)));
}

} // namespace
