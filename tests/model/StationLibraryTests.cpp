#include "model/StationLibrary.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunara;
using tunara::testing::StdoutCapture;
using tunara::testing::UnprivilegedFileAccess;

namespace {

QList<AudioStream> loadedStreams(const std::optional<QUrl>& url)
{
    return StationLibrary::loadStreams(url).streams;
}

class StationLibraryTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QStringList names(const QList<AudioStream>& streams)
    {
        QStringList result;
        for (const auto& stream : streams)
            result << stream.name;
        return result;
    }

    QTemporaryDir dir;
};

const QStringList defaultNames = {"Worldwide FM", "NTS 1", "NTS 2", "KCRW Eclectic24"};

TEST_F(StationLibraryTest, MissingFileSeedsTheDefaultsAndWritesNothing)
{
    StdoutCapture out;
    const auto streams = loadedStreams(url("database.json"));
    EXPECT_EQ(names(streams), defaultNames);
    for (const auto& stream : streams)
        EXPECT_EQ(stream.url.scheme(), "https");
    EXPECT_TRUE(streams[1].url.path().endsWith("/hls.m3u8"));
    EXPECT_NE(streams[1].url, streams[2].url);
    // The same ids for the whole run.
    EXPECT_EQ(loadedStreams(std::nullopt)[0].id, streams[0].id);
    EXPECT_FALSE(QFile::exists(path("database.json")));
    EXPECT_TRUE(out.lines().isEmpty());
}

TEST_F(StationLibraryTest, RoundTripKeepsEveryTextExactly)
{
    const QList<AudioStream> streams = {
        AudioStream::make(QString::fromUtf8("Caf\u00e9 \u201cJazz\u201d \\ \"quoted\" \U0001F3B7"),
                          QUrl("http://example.com:8000/live.mp3?a=1&b=%20x")),
        AudioStream::make(QString::fromUtf8("\u05e8\u05d3\u05d9\u05d5 \u05ea\u05dc \u05d0\u05d1\u05d9\u05d1"),
                          QUrl("https://radio.example.org/hls/playlist.m3u8")),
        AudioStream::make(QString::fromUtf8("e\u0301 combining / slash\nnewline"),
                          QUrl("https://example.com/%C3%A4/stream")),
    };
    StationLibrary::saveStreams(url("database.json"), streams);
    const auto loaded = loadedStreams(url("database.json"));
    ASSERT_EQ(loaded.size(), streams.size());
    for (qsizetype i = 0; i < streams.size(); ++i) {
        EXPECT_EQ(loaded[i].id, streams[i].id);
        EXPECT_EQ(loaded[i].name, streams[i].name);
        EXPECT_EQ(loaded[i].urlText(), streams[i].urlText());
    }
}

TEST_F(StationLibraryTest, WrittenFileIsPrettyWithEscapedSolidusAndUpperCaseIds)
{
    const AudioStream stream = AudioStream::make("A/B", QUrl("https://example.com/stream"));
    StationLibrary::saveStreams(url("database.json"), {stream});
    const QString text = QString::fromUtf8(read("database.json"));
    EXPECT_TRUE(text.contains("\"https:\\/\\/example.com\\/stream\"")) << qPrintable(text);
    EXPECT_TRUE(text.contains("\"A\\/B\""));
    EXPECT_FALSE(text.contains(QRegularExpression("[^\\\\]/")));
    EXPECT_TRUE(text.contains(stream.id.toString(QUuid::WithoutBraces).toUpper()));
    EXPECT_GT(text.count('\n'), 4); // one member per line
    EXPECT_TRUE(text.startsWith("["));
}

TEST_F(StationLibraryTest, ReaderIsLenientWhereTheFormatAllows)
{
    write("database.json", R"([
        {"url": "https:\/\/a.example\/one", "extra": [1, 2], "name": "One", "id": "6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a"},
        {"name": "Two", "url": "https://b.example/two"},
        {"id": null, "name": "Three", "url": "https://c.example/three"},
        {"id": "6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A", "name": "Twin", "url": "https://d.example/"}
    ])");
    StdoutCapture out;
    const auto streams = loadedStreams(url("database.json"));
    EXPECT_TRUE(out.lines().isEmpty());
    ASSERT_EQ(streams.size(), 4);
    EXPECT_EQ(names(streams), QStringList({"One", "Two", "Three", "Twin"}));
    EXPECT_EQ(streams[0].id, QUuid::fromString(QStringLiteral("6F1D5C3E-8B1A-4B7E-9A51-0F0E3C2D1B4A")));
    EXPECT_EQ(streams[0].id, streams[3].id); // shared ids load as they are
    EXPECT_FALSE(streams[1].id.isNull());
    EXPECT_FALSE(streams[2].id.isNull());
    EXPECT_NE(streams[1].id, streams[2].id);
    EXPECT_EQ(streams[0].urlText(), "https://a.example/one");
    // Extra members are dropped at the next save.
    StationLibrary::saveStreams(url("database.json"), streams);
    EXPECT_FALSE(read("database.json").contains("extra"));
}

TEST_F(StationLibraryTest, EmptyArrayIsAnEmptyLibrary)
{
    write("database.json", "[]");
    EXPECT_TRUE(loadedStreams(url("database.json")).isEmpty());
}

class Quarantine : public StationLibraryTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(Quarantine, UndecodableFileIsMovedAsideAndDefaultsAreUsed)
{
    write("database.json", GetParam());
    write("database.corrupt.json", "an earlier backup");
    StdoutCapture out;
    const auto streams = loadedStreams(url("database.json"));
    EXPECT_EQ(names(streams), defaultNames);
    const QStringList lines = out.lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("Failed to decode streams: ")) << qPrintable(lines[0]);
    EXPECT_FALSE(QFile::exists(path("database.json")));
    EXPECT_EQ(read("database.corrupt.json"), QByteArray(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, Quarantine,
    ::testing::Values("", "not json at all", R"({"name": "x", "url": "https://a.example/"})",
                      R"([{"url": "https://a.example/"}])", R"([{"name": 7, "url": "https://a.example/"}])",
                      R"([{"name": "x", "url": ""}])", R"([{"name": "x", "url": "http://[::1"}])",
                      R"([{"id": "not-a-uuid", "name": "x", "url": "https://a.example/"}])",
                      R"([{"id": "{6f1d5c3e-8b1a-4b7e-9a51-0f0e3c2d1b4a}", "name": "x", "url": "https://a.example/"}])",
                      R"([{"name": "good", "url": "https://a.example/"}, 42])", "[{\"name\": \"cut"));

struct BackupPlace {
    const char* name;
    QStringList directories; // standing beside the library before it is moved aside
    QStringList links;       // symbolic links there, to a file of the user's
    bool earlierBackup;      // a read-only database.corrupt.json
    const char* movedTo;
};

class BackupPlaceTest : public StationLibraryTest, public ::testing::WithParamInterface<BackupPlace> {};

TEST_P(BackupPlaceTest, MovingACorruptLibraryAsideDeletesNothingElse)
{
    const BackupPlace& place = GetParam();
    write("precious", "kept");
    for (const QString& directory : place.directories)
        ASSERT_TRUE(QDir(dir.path()).mkpath(directory + "/inner"));
    for (const QString& link : place.links)
        ASSERT_TRUE(QFile::link(path("precious"), path(link)));
    if (place.earlierBackup) {
        write("database.corrupt.json", "earlier");
        QFile::setPermissions(path("database.corrupt.json"), QFileDevice::ReadOwner);
    }
    write("database.json", "not json");

    StdoutCapture out;
    EXPECT_EQ(names(loadedStreams(url("database.json"))), defaultNames);
    EXPECT_EQ(out.lines().size(), 1);
    EXPECT_EQ(read(place.movedTo), "not json");
    EXPECT_FALSE(QFile::exists(path("database.json")));
    EXPECT_EQ(read("precious"), "kept");
    for (const QString& directory : place.directories)
        EXPECT_TRUE(QFileInfo(path(directory + "/inner")).isDir()) << qPrintable(directory);
    for (const QString& link : place.links)
        EXPECT_EQ(QFileInfo(path(link)).symLinkTarget(), path("precious")) << qPrintable(link);
}

INSTANTIATE_TEST_SUITE_P(
    WhatStandsThere, BackupPlaceTest,
    ::testing::Values(BackupPlace{"Nothing", {}, {}, false, "database.corrupt.json"},
                      BackupPlace{"ReadOnlyEarlierBackup", {}, {}, true, "database.corrupt.json"},
                      BackupPlace{"DirectoryTree", {"database.corrupt.json"}, {}, false, "database.corrupt-2.json"},
                      BackupPlace{"SymbolicLink", {}, {"database.corrupt.json"}, false, "database.corrupt-2.json"},
                      BackupPlace{"SomethingAtTheFirstTwoNames", {"database.corrupt.json"}, {"database.corrupt-2.json"},
                                  false, "database.corrupt-3.json"}),
    [](const ::testing::TestParamInfo<BackupPlace>& param) { return param.param.name; });

// A library an ordinary user cannot read, or cannot move aside, is never
// lost: it is moved aside whole, or kept where it is and marked so that no
// save replaces it.
struct KeptLibrary {
    const char* name;
    QByteArray bytes;
    bool readable;
    bool directoryWritable;
    QStringList linePrefixes;
    const char* keptAt;
};

class KeptLibraryTest : public StationLibraryTest, public ::testing::WithParamInterface<KeptLibrary> {};

TEST_P(KeptLibraryTest, ItsBytesStayOnDisk)
{
    const KeptLibrary& kept = GetParam();
    write("database.json", kept.bytes);
    if (!kept.readable)
        QFile::setPermissions(path("database.json"), QFileDevice::WriteOwner);
    UnprivilegedFileAccess::openUp(dir.path());
    if (!kept.directoryWritable)
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                              | QFileDevice::ExeOther);

    StdoutCapture out;
    StationLibrary::LoadedLibrary loaded;
    {
        UnprivilegedFileAccess asUser;
        loaded = StationLibrary::loadStreams(url("database.json"));
    }
    UnprivilegedFileAccess::openUp(dir.path());

    EXPECT_EQ(names(loaded.streams), defaultNames);
    const QStringList lines = out.lines();
    ASSERT_EQ(lines.size(), kept.linePrefixes.size()) << qPrintable(lines.join('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(kept.linePrefixes[i])) << qPrintable(lines[i]);
    EXPECT_EQ(read(kept.keptAt), kept.bytes);
    EXPECT_EQ(loaded.keepFileReason.isEmpty(), QString(kept.keptAt) != "database.json");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, KeptLibraryTest,
    ::testing::Values(
        KeptLibrary{"Unreadable", R"([{"name": "Mine", "url": "https://mine.example/"}])", false, true,
                    {"Failed to read streams: "}, "database.corrupt.json"},
        KeptLibrary{"UnreadableInAReadOnlyFolder", R"([{"name": "Mine", "url": "https://mine.example/"}])", false,
                    false, {"Failed to read streams: ", "Failed to back up database file: "}, "database.json"},
        KeptLibrary{"CorruptInAReadOnlyFolder", "[{\"name\": \"Mine\", \"url\": ", true, false,
                    {"Failed to decode streams: ", "Failed to back up database file: "}, "database.json"}),
    [](const ::testing::TestParamInfo<KeptLibrary>& param) { return param.param.name; });

TEST_F(StationLibraryTest, BackupNameReplacesTheLastExtension)
{
    EXPECT_EQ(StationLibrary::backupURL(url("database.json")), url("database.corrupt.json"));
    EXPECT_EQ(StationLibrary::backupURL(url("library")), url("library.corrupt.json"));
    EXPECT_EQ(StationLibrary::backupURL(url("library.v2.json")), url("library.v2.corrupt.json"));
    EXPECT_EQ(StationLibrary::numberedBackupURL(url("database.json"), 2), url("database.corrupt-2.json"));
}

TEST_F(StationLibraryTest, LibraryThatIsADirectoryIsNeitherReadNorDestroyed)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("database.json/inner"));
    StdoutCapture out;
    EXPECT_EQ(names(loadedStreams(url("database.json"))), defaultNames);
    EXPECT_TRUE(out.lines().isEmpty());
    StationLibrary::saveStreams(url("database.json"), StationLibrary::defaultStreams());
    ASSERT_EQ(out.lines().size(), 1);
    EXPECT_TRUE(out.lines()[0].startsWith("Failed to save streams: "));
    EXPECT_TRUE(QFileInfo(path("database.json/inner")).isDir());
}

TEST_F(StationLibraryTest, SaveFailuresAreReportedAndKeepTheOldFile)
{
    write("blocker", "a file where a directory is needed");
    StdoutCapture out;
    StationLibrary::saveStreams(url("blocker/tunara/database.json"), StationLibrary::defaultStreams());
    StationLibrary::saveStreams(std::nullopt, StationLibrary::defaultStreams());
    const QStringList lines = out.lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Failed to save streams: "));
    EXPECT_EQ(lines[1], "Failed to save: Could not determine database file path");
    EXPECT_EQ(read("blocker"), "a file where a directory is needed");
}

TEST_F(StationLibraryTest, SaveCreatesMissingDirectoriesAndLeavesNoTemporaryFiles)
{
    StationLibrary::saveStreams(url("a/b/database.json"), StationLibrary::defaultStreams());
    EXPECT_EQ(QDir(path("a/b")).entryList(QDir::Files | QDir::Hidden), QStringList({"database.json"}));
    EXPECT_EQ(loadedStreams(url("a/b/database.json")).size(), 4);
}

} // namespace
