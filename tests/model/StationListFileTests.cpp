// Station lists in playlist files: real-world files read from disk, and a
// list exported.

#include "model/StationListFile.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunara;
using namespace tunara::testing;

namespace {

class StationListFileTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) const
    {
        writeFile(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
    static QStringList describe(const QList<ListedStation>& stations)
    {
        QStringList result;
        for (const ListedStation& station : stations)
            result << station.name + QStringLiteral(" = ") + station.url.toString(QUrl::FullyEncoded);
        return result;
    }

    QTemporaryDir dir;
};

TEST_F(StationListFileTest, RealWorldFilesGiveTheirHttpStationsOrSayWhyNot)
{
    const std::tuple<const char*, QByteArray, QStringList> cases[] = {
        // A player's export on Windows: BOM, CRLF, comments, attributes, a
        // control in a name, an FTP entry, a local file, a line without #EXTINF.
        {"favourites.m3u8",
         "\xEF\xBB\xBF#EXTM3U\r\n# exported 2024-03-01\r\n#EXTINF:-1 tvg-logo=\"http://a.example/a.png\",Radio\x01 "
         "\xC3\x9C\x62\x65r\r\nhttp://a.example:8000/live?type=.mp3\r\n\r\n#EXTINF:-1,FTP\r\nftp://b.example/x.mp3\r\n"
         "#EXTINF:-1,Local\r\nC:\\Music\\song.mp3\r\nrelative/song.mp3\r\nhttps://c.example/stream\r\n",
         {"Radio \u00DCber = http://a.example:8000/live?type=.mp3", "c.example = https://c.example/stream"}},
        // No known extension: the first bytes decide.
        {"urls.txt", "http://a.example/one\nhttp://a.example/two\n",
         {"a.example = http://a.example/one", "a.example = http://a.example/two"}},
    };
    for (const auto& [fileName, bytes, stations] : cases) {
        const StationFileContents contents = readStationFile(write(QString::fromLatin1(fileName), bytes));
        EXPECT_EQ(contents.problem, std::nullopt) << fileName;
        EXPECT_EQ(describe(contents.stations), stations) << fileName;
    }

    // Files without stations are problems of their kind.
    const std::pair<QString, StationFileProblem> problems[] = {
        {write("stream.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\nseg1.aac\n"),
         StationFileProblem::noStations},
        {write("huge.m3u", QByteArray(1024 * 1024 + 1, '#')), StationFileProblem::tooLarge},
        {dir.path(), StationFileProblem::unreadable},
    };
    for (const auto& [path, problem] : problems)
        EXPECT_EQ(readStationFile(path).problem, problem) << qPrintable(path);

    // The largest file accepted, all of it entries: the first thousand.
    QByteArray many;
    for (int i = 0; many.size() < 1024 * 1024 - 32; ++i)
        many += "http://" + QByteArray::number(i) + ".example/\n";
    const StationFileContents contents = readStationFile(write(QStringLiteral("many.m3u"), many));
    EXPECT_TRUE(contents.truncated);
    ASSERT_EQ(contents.stations.size(), 1000);
    EXPECT_EQ(contents.stations.back().name, "999.example");
}

TEST_F(StationListFileTest, AListIsExportedAsExtendedM3uOneStationToTwoLines)
{
    const QList<Station> streams = {
        Station::make("Radio Über, \"Eins\"", QUrl("https://a.example/live?x=1&y=%C3%BC")),
        // A name with a line break, as another program may have written it.
        Station::make("Two\nLines", QUrl("http://b.example:8000/")),
        Station::make("ラジオ", QUrl("http://c.example/stream.m3u8")),
    };
    const QString path = dir.filePath("Tunara Stations.m3u8");
    ASSERT_EQ(writeStationFile(path, streams), std::nullopt);
    EXPECT_EQ(QString::fromUtf8(readFile(path)),
              "#EXTM3U\n#EXTINF:-1,Radio Über, \"Eins\"\nhttps://a.example/live?x=1&y=%C3%BC\n"
              "#EXTINF:-1,Two Lines\nhttp://b.example:8000/\n#EXTINF:-1,ラジオ\nhttp://c.example/stream.m3u8\n");

    // A place that cannot be written: an error, and no file.
    EXPECT_NE(writeStationFile(dir.filePath("no-such-folder/x.m3u8"), streams), std::nullopt);
    EXPECT_FALSE(QFile::exists(dir.filePath("no-such-folder/x.m3u8")));
}

} // namespace
