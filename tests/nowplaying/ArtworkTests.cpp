// Station artwork: a name gives the same colour and initials on every
// machine, so the expected values are written out. Its files on disk, in
// real temporary folders, drawn off the main thread when asked for; their
// reuse and removal are checked through MPRIS.

#include "nowplaying/ArtworkFiles.h"
#include "nowplaying/StationArtwork.h"
#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>

namespace tunara {
namespace {

using namespace testing;
using namespace artwork;

TEST(StationArtwork, NamesGiveTheirColourWithReadableText)
{
    const QRgb black = 0xff000000;
    const QRgb white = 0xffffffff;
    // One line and two, white text and black.
    const struct { const char* name; QRgb background, text; } examples[] = {
        {"Worldwide FM", 0xff08325c, white},
        {"NTS 2", 0xff480670, white},
        {" NTS 2 ", 0xffc22154, white}, // the name exactly as given
        {"KCRW Eclectic24", 0xfff09f46, black},
        {"ABCDEFG", 0xff3c7fc7, white},
    };
    for (const auto& example : examples) {
        const QImage image = StationImage(example.name).render();
        ASSERT_EQ(image.size(), QSize(300, 300));
        for (const QPoint corner : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 299), QPoint(299, 299)})
            EXPECT_EQ(image.pixel(corner), example.background) << example.name;
        const QRgb* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        EXPECT_NE(std::find(pixels, pixels + 300 * 300, example.text), pixels + 300 * 300) << example.name;
    }
    // Nothing to write: the colour alone.
    QImage blank(300, 300, QImage::Format_RGB32);
    blank.fill(0xff134169);
    EXPECT_EQ(StationImage("The And &").render(), blank);
}

TEST(StationArtwork, InitialsLines)
{
    const std::pair<const char*, QStringList> examples[] = {
        // Short names whole, upper-cased with full case mapping.
        {"NTS 2", {"NTS 2"}}, {"The", {"THE"}}, {"Maße", {"MASSE"}}, {"\t nts 2 \u00a0", {"NTS 2"}},
        // Ignored words, digits, capitals.
        {"Worldwide FM", {"WFM"}}, {"Blue Lake Radio", {"BLR"}}, {"The Night Owl", {"NO"}}, {"Radio 1", {"R1"}},
        {"Night 24", {"N24"}}, {"DeepHouse Beats", {"DHB"}}, {"eRadio Beats", {"EB"}}, {"ABCDEFG", {"ABCDEFG"}},
        // Two lines, and one when the rest abbreviates to nothing.
        {"KCRW Eclectic24", {"KCRW", "E24"}}, {"ABCD Live", {"ABCD", "LIVE"}},
        {"WXYZ Radio 6 Music", {"WXYZ", "R6M"}}, {"ABCD The And", {"ABCD"}},
        // Length limits of the abbreviation.
        {"Wonderful Extraordinary Sounds Of The Amazing Night Jazz Club Live", {"WESOAN"}},
        {"Wonderful Extraordinary Sounds Of The Amazing Night Jazz Club", {"WESOANJC"}},
        // Nothing to show: one empty line.
        {"The And &", {""}}, {"", {""}}, {" \t ", {""}},
        // Characters are user-perceived: a family emoji counts as one.
        {"\U0001F468\u200D\U0001F469\u200D\U0001F467 FM", {"\U0001F468\u200D\U0001F469\u200D\U0001F467 FM"}},
    };
    for (const auto& [name, lines] : examples)
        EXPECT_EQ(initialsLines(QString::fromUtf8(name)), lines) << name;
    for (const auto& [line, size] : {std::pair{"ABCD", 80}, {"ABCDE", 60}, {"ABCDEF", 60}, {"ABCDEFG", 48}})
        EXPECT_EQ(singleLineFontSize(line), size) << line;
}

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

    QStringList written;
    ArtworkFiles files(folder);
    QObject::connect(&files, &ArtworkFiles::written, [&](const QString& name) { written << name; });
    // Names that could break a path, a painter or an encoder; an empty file
    // is drawn again.
    const QStringList drawn{"Worldwide FM", "../../etc/passwd", QString(5000, u'W') + " FM",
                            "Line\nBreak \"Quoted\" 'FM'", "a" + QString(3000, QChar(0x0301)),
                            QChar(0xD800) + QStringLiteral("Radio"), QStringLiteral("Nul") + QChar(u'\0') + "FM",
                            "Empty FM"};
    for (const QString& name : drawn)
        EXPECT_TRUE(files.url(name).isEmpty());
    files.request(drawn);
    ASSERT_TRUE(waitUntil([&] { return written.size() == drawn.size(); }, 30)) << written.size();

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

TEST(ArtworkFiles, AFolderThatCannotBeWrittenGivesNoUrlsAndOneLine)
{
    QTemporaryDir home;
    const QString blocker = home.filePath("cache");
    writeFile(blocker, "a file where the folder should be");
    const QStringList names{"NTS 2", "Worldwide FM", "KCRW"};

    StdoutCapture capture;
    QStringList written;
    ArtworkFiles files(blocker + "/artwork");
    QObject::connect(&files, &ArtworkFiles::written, [&](const QString& name) { written << name; });
    files.request(names);
    EXPECT_TRUE(waitUntil(drawingsDone));
    ASSERT_EQ(capture.lines().size(), 1);
    EXPECT_TRUE(capture.lines()[0].startsWith("Failed to write artwork: cannot create "));
    EXPECT_TRUE(written.isEmpty());
    for (const QString& name : names)
        EXPECT_TRUE(files.url(name).isEmpty());

    // Once the folder can be made, the next request writes.
    QFile::remove(blocker);
    files.request({names[0]});
    ASSERT_TRUE(waitUntil([&] { return written.contains(names[0]); }, 20));
    EXPECT_TRUE(QFile::exists(files.url(names[0]).toLocalFile()));
}

} // namespace
} // namespace tunara
