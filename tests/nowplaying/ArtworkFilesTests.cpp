// The artwork files on disk, in real temporary folders: drawn off the main
// thread when asked for, in the order asked, removed when their station
// goes. Reuse of files on disk is checked through MPRIS, with the station
// list.

#include "MprisClients.h"

#include "nowplaying/ArtworkFiles.h"
#include "nowplaying/StationArtwork.h"
#include "support/StdoutCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tunara {
namespace {

using namespace testing;

// Station names and what files.written() reported, in order.
class WrittenLog {
public:
    explicit WrittenLog(ArtworkFiles& files)
    {
        QObject::connect(&files, &ArtworkFiles::written, &context_, [this](const QString& name) { names.append(name); });
    }
    bool waitFor(const QString& name) { return waitUntil([&] { return names.contains(name); }, 20); }

    QStringList names;

private:
    QObject context_;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QSet<QString> filesIn(const QString& folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return {names.cbegin(), names.cend()};
}

TEST(ArtworkFiles, DrawsAnyNameIntoItsFolderAndCleansUpCutWrites)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("cache/artwork"));
    ASSERT_TRUE(QDir().mkpath(folder));
    writeFile(folder + u'/' + ArtworkFiles::fileName(QStringLiteral("Cut FM")) + QStringLiteral(".part"), "half");
    writeFile(folder + u'/' + ArtworkFiles::fileName(QStringLiteral("Empty FM")), {});
    writeFile(folder + QStringLiteral("/notes.txt"), "not ours");

    ArtworkFiles files(folder);
    WrittenLog log(files);

    // An empty file is drawn again. Names that could break a path, a painter or an encoder.
    const QStringList drawn{QStringLiteral("Worldwide FM"),
                            QStringLiteral("../../etc/passwd"),
                            QString(5000, u'W') + QStringLiteral(" FM"),
                            QStringLiteral("Line\nBreak \"Quoted\" 'FM'"),
                            QStringLiteral("a") + QString(3000, QChar(0x0301)),
                            QString(QChar(0xD800)) + QStringLiteral("Radio"),
                            QStringLiteral("Nul") + QChar(u'\0') + QStringLiteral("FM"),
                            QStringLiteral("Empty FM")};
    for (const QString& name : drawn)
        EXPECT_TRUE(files.url(name).isEmpty());
    files.request(drawn);
    ASSERT_TRUE(waitUntil([&] { return log.names.size() == drawn.size(); }, 30)) << log.names.size();

    QSet<QString> expected{QStringLiteral("notes.txt")};
    for (const QString& name : drawn) {
        const QUrl url = files.url(name);
        ASSERT_TRUE(url.isLocalFile());
        const QFileInfo file(url.toLocalFile());
        EXPECT_EQ(file.dir().path(), folder);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{64}\\.png$")).match(file.fileName()).hasMatch());
        const QImage image(file.filePath(), "PNG");
        EXPECT_EQ(image.size(), QSize(300, 300));
        EXPECT_EQ(image.pixel(0, 0), artwork::stationColor(name).rgb());
        expected.insert(file.fileName());
    }
    // The cut write is gone; the file that is not ours stays.
    EXPECT_EQ(filesIn(folder), expected);
    EXPECT_TRUE(filesIn(home.path()).isEmpty());
}

TEST(ArtworkFiles, TheLatestRequestIsDrawnFirstAndKeepOnlyDropsTheRest)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("artwork"));
    ArtworkFiles files(folder);
    WrittenLog log(files);

    QStringList list;
    for (int i = 0; i < 30; ++i)
        list.append(QStringLiteral("Station %1").arg(i));
    files.request(list);
    files.request({QStringLiteral("Now Playing FM")});
    // The first of the list was being drawn already; the rest follows in
    // the list's order.
    ASSERT_TRUE(log.waitFor(list[2]));
    EXPECT_EQ(log.names.mid(0, 4), (QStringList{list[0], QStringLiteral("Now Playing FM"), list[1], list[2]}));

    // Only the playing station and one from the list stay; what was still
    // waiting is never drawn.
    files.keepOnly({list[0], QStringLiteral("Now Playing FM")});
    files.request({QStringLiteral("Later FM")});
    ASSERT_TRUE(log.waitFor(QStringLiteral("Later FM")));
    drainMainLoop();
    const QSet<QString> expected{ArtworkFiles::fileName(list[0]), ArtworkFiles::fileName(QStringLiteral("Now Playing FM")),
                                 ArtworkFiles::fileName(QStringLiteral("Later FM"))};
    EXPECT_EQ(filesIn(folder), expected);
    EXPECT_TRUE(files.url(list[1]).isEmpty());
    EXPECT_FALSE(files.url(list[0]).isEmpty());
}

TEST(ArtworkFiles, AFolderThatCannotBeWrittenGivesNoUrlsAndOneLine)
{
    QTemporaryDir home;
    const QString blocker = home.filePath(QStringLiteral("cache"));
    writeFile(blocker, "a file where the folder should be");
    const QString folder = blocker + QStringLiteral("/artwork");
    const QStringList names{QStringLiteral("NTS 2"), QStringLiteral("Worldwide FM"), QStringLiteral("KCRW")};

    StdoutCapture capture;
    ArtworkFiles files(folder);
    WrittenLog log(files);
    files.request(names);
    waitUntil([&] { return !capture.lines().isEmpty(); });
    runFor(0.5); // lets the other attempts end
    ASSERT_EQ(capture.lines().size(), 1);
    EXPECT_TRUE(capture.lines()[0].startsWith(QStringLiteral("Failed to write artwork: cannot create ")));
    EXPECT_TRUE(log.names.isEmpty());
    for (const QString& name : names)
        EXPECT_TRUE(files.url(name).isEmpty());

    // Once the folder can be made, the next request writes.
    QFile::remove(blocker);
    files.request({names[0]});
    ASSERT_TRUE(log.waitFor(names[0]));
    EXPECT_TRUE(QFile::exists(files.url(names[0]).toLocalFile()));
}

} // namespace
} // namespace tunara
