// The library file: what is read and written, and that a file which may
// hold the user's list is never lost.

#include "model/StationLibrary.h"
#include "model/Store.h"
#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/StationNames.h"
#include "support/StdoutCapture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunara;
using namespace tunara::testing;

namespace {

const QStringList defaultNames = {"Worldwide FM", "NTS 1", "NTS 2", "KCRW Eclectic24"};
constexpr auto readOnlyFolder = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                | QFileDevice::ExeOther;

// What each printed line is about: the text before its first colon.
QStringList heads(const QStringList& lines)
{
    QStringList result;
    for (const QString& line : lines)
        result << line.section(':', 0, 0);
    return result;
}

class StationLibraryTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(StationLibraryTest, MissingFileSeedsTheDefaultsAndWritesNothing)
{
    StdoutCapture out;
    const auto streams = StationLibrary::loadStations(url("database.json")).stations;
    EXPECT_EQ(names(streams), defaultNames);
    // The same ids for the whole run.
    EXPECT_EQ(StationLibrary::loadStations(std::nullopt).stations[0].id, streams[0].id);
    EXPECT_FALSE(QFile::exists(path("database.json")));
    EXPECT_TRUE(out.lines().isEmpty());
}

TEST_F(StationLibraryTest, SavedFileIsPrettyWithEscapedSolidusAndReadsBackExactly)
{
    const Station stream{QUuid("6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a"), "Café “Jazz” \\ \"A/B\"\n🎷",
                             QUrl("http://example.com:8000/live.mp3?a=1&b=%20x&c=%C3%A4")};
    ASSERT_EQ(StationLibrary::saveStations(url("a/b/database.json"), {stream}), std::nullopt);
    EXPECT_EQ(read("a/b/database.json"), R"([
    {
        "id": "6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A",
        "name": "Café “Jazz” \\ \"A\/B\"\n🎷",
        "url": "http:\/\/example.com:8000\/live.mp3?a=1&b=%20x&c=%C3%A4"
    }
]
)");
    // Missing folders are made; no temporary file is left behind.
    EXPECT_EQ(QDir(path("a/b")).entryList(QDir::Files | QDir::Hidden), QStringList({"database.json"}));
    const auto loaded = StationLibrary::loadStations(url("a/b/database.json")).stations;
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].name, stream.name);
    EXPECT_EQ(loaded[0].urlText(), "http://example.com:8000/live.mp3?a=1&b=%20x&c=%C3%A4");
}

TEST(StationLibraryDecode, IsLenientWhereTheFormatAllowsAndRejectsAnythingElse)
{
    StdoutCapture out;
    const auto streams = StationLibrary::decodeStations(R"([
        {"url": "https:\/\/a.example\/one", "extra": [1, 2], "name": "One", "id": "6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a"},
        {"name": "Two", "url": "https://b.example/two"},
        {"id": null, "name": "Three", "url": "https://c.example/three"},
        {"id": "6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A", "name": "Twin", "url": "https://d.example/"}
    ])");
    ASSERT_TRUE(streams);
    EXPECT_EQ(names(*streams), QStringList({"One", "Two", "Three", "Twin"}));
    EXPECT_EQ((*streams)[0].id, QUuid("6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A"));
    EXPECT_EQ((*streams)[3].id, (*streams)[0].id); // shared ids load as they are
    // Missing or null: a new id each.
    EXPECT_EQ(QSet<QUuid>({QUuid(), (*streams)[0].id, (*streams)[1].id, (*streams)[2].id}).size(), 4);
    EXPECT_TRUE(StationLibrary::decodeStations("[]").value_or(QList<Station>(1)).isEmpty());

    const char* const rejected[] = {
        "[{\"name\": \"cut",
        R"({"name": "x", "url": "https://a.example/"})",
        R"([{"name": 7, "url": "https://a.example/"}])",
        R"([{"name": "x"}])",
        R"([{"name": "x", "url": "http://[::1"}])",
        R"([{"id": "{6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a}", "name": "x", "url": "https://a.example/"}])",
        R"([{"name": "good", "url": "https://a.example/"}, 42])",
    };
    for (const char* bytes : rejected)
        EXPECT_FALSE(StationLibrary::decodeStations(bytes)) << bytes;
    EXPECT_EQ(heads(out.lines()), QStringList(7, "Failed to decode streams")); // and none before
}

// A library that cannot be read or decoded may still hold the user's list:
// it is moved aside whole, deleting and following nothing that stands
// there, or, when it cannot be moved, kept where it is and never written
// over. Loaded as an ordinary user, saved with every permission.
TEST_F(StationLibraryTest, AnUnusableLibraryIsMovedAsideOrKeptButNeverLost)
{
    struct Case {
        QByteArray bytes = "not json";
        bool readable = true;
        bool folderWritable = true;
        const char* directory = nullptr; // standing beside the library, with something inside
        const char* link = nullptr;      // a symbolic link there, to a file of the user's
        bool earlierBackup = false; // a read-only database.corrupt.json
        QStringList lines = {"Failed to decode streams"};
        const char* keptAt = "database.corrupt.json";
    };
    const QByteArray mine = R"([{"name": "Mine", "url": "https://mine.example/"}])";
    const QStringList cannotMove = {"Failed to back up database file", "Failed to save streams"};
    const Case cases[] = {
        {},
        {.earlierBackup = true},
        {.directory = "database.corrupt.json", .keptAt = "database.corrupt-2.json"},
        {.link = "database.corrupt.json", .keptAt = "database.corrupt-2.json"},
        {.directory = "database.corrupt.json", .link = "database.corrupt-2.json", .keptAt = "database.corrupt-3.json"},
        {.bytes = mine, .readable = false, .lines = {"Failed to read stations"}},
        {.bytes = mine, .readable = false, .folderWritable = false,
         .lines = QStringList{"Failed to read stations"} + cannotMove, .keptAt = "database.json"},
        {.bytes = "[{\"name\": \"Mine\", \"url\": ", .folderWritable = false,
         .lines = QStringList{"Failed to decode streams"} + cannotMove, .keptAt = "database.json"},
    };
    FakePlatform platform;
    PlaybackController player(platform.environment());
    write("precious", "kept");
    UnprivilegedFileAccess::openUp(dir.path());
    for (int i = 0; i < 8; ++i) {
        const Case& c = cases[i];
        const QString folder = QString::number(i) + '/';
        write(folder + "database.json", c.bytes);
        ASSERT_TRUE(!c.directory || QDir(path(folder)).mkpath(c.directory + QString("/inner")));
        ASSERT_TRUE(!c.link || QFile::link(path("precious"), path(folder + c.link)));
        if (c.earlierBackup) {
            write(folder + "database.corrupt.json", "earlier");
            QFile::setPermissions(path(folder + "database.corrupt.json"), QFileDevice::ReadOwner);
        }
        if (!c.readable)
            QFile::setPermissions(path(folder + "database.json"), QFileDevice::WriteOwner);
        UnprivilegedFileAccess::openUp(path(folder));
        if (!c.folderWritable)
            QFile::setPermissions(path(folder), readOnlyFolder);

        StdoutCapture out;
        std::unique_ptr<Store> store;
        {
            UnprivilegedFileAccess asUser;
            store = std::make_unique<Store>(player, url(folder + "database.json"), std::nullopt, platform.clock);
        }
        EXPECT_EQ(names(store->stations()), defaultNames) << i;
        UnprivilegedFileAccess::openUp(path(folder));
        ASSERT_TRUE(store->addStation("Four", "https://four.example/stream"));
        EXPECT_EQ(heads(out.lines()), c.lines) << i;
        EXPECT_EQ(store->saveError().isEmpty(), QString(c.keptAt) != "database.json") << i;
        QFile::setPermissions(path(folder + c.keptAt), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(read(folder + c.keptAt), c.bytes) << i;
        EXPECT_EQ(read("precious"), "kept") << i;
        EXPECT_TRUE(!c.directory || QFileInfo(path(folder + c.directory + "/inner")).isDir()) << i;
        EXPECT_TRUE(!c.link || QFileInfo(path(folder + c.link)).symLinkTarget() == path("precious")) << i;
    }
    EXPECT_EQ(StationLibrary::backupURL(url("library.v2.json")), url("library.v2.corrupt.json"));
}

TEST_F(StationLibraryTest, SaveFailuresAreReportedAndDestroyNothing)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("database.json/inner"));
    write("blocker", "a file where a folder is needed");
    StdoutCapture out;
    // A folder where the library belongs is neither read nor replaced.
    EXPECT_EQ(names(StationLibrary::loadStations(url("database.json")).stations), defaultNames);
    EXPECT_TRUE(StationLibrary::saveStations(url("database.json"), StationLibrary::defaultStations()));
    EXPECT_TRUE(StationLibrary::saveStations(url("blocker/tunara/database.json"), StationLibrary::defaultStations()));
    EXPECT_EQ(StationLibrary::saveStations(std::nullopt, {}), "Could not determine database file path");
    EXPECT_EQ(heads(out.lines()), QStringList({"Failed to save streams", "Failed to save streams", "Failed to save"}));
    EXPECT_TRUE(QFileInfo(path("database.json/inner")).isDir());
    EXPECT_EQ(read("blocker"), "a file where a folder is needed");
}

} // namespace
