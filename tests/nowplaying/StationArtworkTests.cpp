// Station artwork: a name gives the same colour and initials on every
// machine, so the expected values are written out.

#include "nowplaying/StationArtwork.h"
#include "support/QtPrinters.h"

#include <QFontInfo>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

using namespace tunara::artwork;

namespace {

TEST(StationArtwork, NamesGiveTheirColourWithReadableText)
{
    const QRgb black = 0xff000000;
    const QRgb white = 0xffffffff;
    const struct { const char* name; std::uint64_t hash; QRgb background, text; } examples[] = {
        {"Worldwide FM", 0x5eb5d5e2f9df5f2fULL, 0xff08325c, white},
        {"NTS 2", 0x4165d2927d3ed3fbULL, 0xff480670, white},
        {" NTS 2 ", 0x51a48df1aae5573bULL, 0xffc22154, white}, // the name exactly as given
        {"KCRW Eclectic24", 0x84e66aede041bb98ULL, 0xfff09f46, black},
        {"Blue Lake Radio", 0xa6cc46444583155bULL, 0xff466e0c, white},
        {"ABCD Live", 0xfd4e96522ad5fb40ULL, 0xffa0c72a, black},
        {"ABCDEFG", 0xdaa132cff2697a42ULL, 0xff3c7fc7, white},
    };
    for (const auto& example : examples) {
        EXPECT_EQ(stationHash(example.name), example.hash) << example.name;
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

// The font fontconfig gives for "sans-serif" at each weight, as fc-match
// reports it.
TEST(StationArtwork, InitialsUseTheDesktopsDefaultSansSerif)
{
    for (const auto& [weight, name] : {std::pair{QFont::Bold, "bold"}, {QFont::Medium, "medium"}}) {
        QProcess fcMatch;
        fcMatch.start("fc-match", {"--format=%{family[0]}", QStringLiteral("sans-serif:weight=") + name});
        ASSERT_TRUE(fcMatch.waitForFinished(10000));
        const QString expected = QString::fromUtf8(fcMatch.readAllStandardOutput());
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(QFontInfo(initialsFont(80, weight)).family(), expected) << name;
    }
}

} // namespace
