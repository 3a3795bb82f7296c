// The artwork files on disk, in real temporary folders: drawn off the main
// thread when asked for, latest request first, removed when their station
// goes. Reuse of files left on disk is checked through MPRIS.

#include "Files.h"

#include "nowplaying/ArtworkFiles.h"
#include "support/EventLoop.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace tunara {
namespace {

using namespace testing;

// The station names written() reported, in order.
struct WrittenLog {
    explicit WrittenLog(ArtworkFiles& files)
    {
        QObject::connect(&files, &ArtworkFiles::written, &context, [this](const QString& name) { names.append(name); });
    }
    bool waitFor(const QString& name) { return waitUntil([&] { return names.contains(name); }, 20); }

    QStringList names;
    QObject context;
};

// Drawings run one at a time on Qt's pool, the next started on the main
// loop when one ends: all are done once a turn of the loop starts none.
bool drawingsDone()
{
    const bool idle = QThreadPool::globalInstance()->activeThreadCount() == 0;
    QThreadPool::globalInstance()->waitForDone();
    return idle;
}

TEST(ArtworkFiles, DrawsAnyNameIntoItsFolderAndCleansUpCutWrites)
{
    QTemporaryDir home;
    const QString folder = home.filePath("cache/artwork");
    writeFile(folder + u'/' + ArtworkFiles::fileName("Cut FM") + ".part", "half");
    writeFile(folder + u'/' + ArtworkFiles::fileName("Empty FM"), {});
    writeFile(folder + "/notes.txt", "not ours");

    ArtworkFiles files(folder);
    WrittenLog log(files);
    // Names that could break a path, a painter or an encoder; an empty file
    // is drawn again.
    const QStringList drawn{"Worldwide FM", "../../etc/passwd", QString(5000, u'W') + " FM",
                            "Line\nBreak \"Quoted\" 'FM'", "a" + QString(3000, QChar(0x0301)),
                            QChar(0xD800) + QStringLiteral("Radio"), QStringLiteral("Nul") + QChar(u'\0') + "FM",
                            "Empty FM"};
    for (const QString& name : drawn)
        EXPECT_TRUE(files.url(name).isEmpty());
    files.request(drawn);
    ASSERT_TRUE(waitUntil([&] { return log.names.size() == drawn.size(); }, 30)) << log.names.size();

    QSet<QString> expected{"notes.txt"};
    for (const QString& name : drawn) {
        const QFileInfo file(files.url(name).toLocalFile());
        EXPECT_EQ(file.dir().path(), folder);
        EXPECT_TRUE(QRegularExpression("^[0-9a-f]{64}\\.png$").match(file.fileName()).hasMatch()) << name.size();
        EXPECT_EQ(QImage(file.filePath(), "PNG").size(), QSize(300, 300));
        expected.insert(file.fileName());
    }
    // Named by the SHA-256 of the name, drawn in the station's colour.
    EXPECT_EQ(files.url("Worldwide FM").fileName(),
              "69781acec78e1fc466c7a2194697681c74beb07db31264aeab47428e4fad60a7.png");
    for (const auto& [name, colour] :
         {std::pair{"Worldwide FM", 0xff08325cu}, {"../../etc/passwd", 0xff11bf86u}, {"Empty FM", 0xff0b5e16u}})
        EXPECT_EQ(QImage(files.url(name).toLocalFile(), "PNG").pixel(0, 0), colour) << name;
    // The cut write is gone; the file that is not ours stays.
    EXPECT_EQ(filesIn(folder), expected);
    EXPECT_TRUE(filesIn(home.path()).isEmpty());
}

TEST(ArtworkFiles, TheLatestRequestIsDrawnFirstAndKeepOnlyDropsTheRest)
{
    QTemporaryDir home;
    const QString folder = home.filePath("artwork");
    ArtworkFiles files(folder);
    WrittenLog log(files);

    QStringList list;
    for (int i = 0; i < 30; ++i)
        list.append(QStringLiteral("Station %1").arg(i));
    files.request(list);
    files.request({"Now Playing FM"});
    // The first of the list was being drawn already; the rest follows in
    // the list's order.
    ASSERT_TRUE(log.waitFor(list[2]));
    EXPECT_EQ(log.names.mid(0, 4), (QStringList{list[0], "Now Playing FM", list[1], list[2]}));

    // Only the playing station and one from the list stay; what was still
    // waiting is never drawn.
    files.keepOnly({list[0], "Now Playing FM"});
    files.request({"Later FM"});
    ASSERT_TRUE(log.waitFor("Later FM"));
    EXPECT_TRUE(waitUntil(drawingsDone));
    EXPECT_EQ(filesIn(folder), (QSet<QString>{ArtworkFiles::fileName(list[0]), ArtworkFiles::fileName("Now Playing FM"),
                                              ArtworkFiles::fileName("Later FM")}));
    EXPECT_TRUE(files.url(list[1]).isEmpty());
    EXPECT_FALSE(files.url(list[0]).isEmpty());
}

TEST(ArtworkFiles, AFolderThatCannotBeWrittenGivesNoUrlsAndOneLine)
{
    QTemporaryDir home;
    const QString blocker = home.filePath("cache");
    writeFile(blocker, "a file where the folder should be");
    const QStringList names{"NTS 2", "Worldwide FM", "KCRW"};

    StdoutCapture capture;
    ArtworkFiles files(blocker + "/artwork");
    WrittenLog log(files);
    files.request(names);
    EXPECT_TRUE(waitUntil(drawingsDone));
    ASSERT_EQ(capture.lines().size(), 1);
    EXPECT_TRUE(capture.lines()[0].startsWith("Failed to write artwork: cannot create "));
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
