#include "nowplaying/StationArtwork.h"

#include <QFontInfo>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace tunara::artwork;

namespace {

struct WorkedExample {
    const char* name;
    std::uint64_t hash;
    double hue, saturation, brightness;
    bool blackText;
    QStringList lines;
    std::vector<int> sizes;
};

std::vector<int> fontSizes(const QStringList& lines)
{
    if (lines.size() == 2)
        return {firstOfTwoLinesFontSize, secondOfTwoLinesFontSize};
    return {singleLineFontSize(lines.value(0))};
}

class WorkedExamples : public ::testing::TestWithParam<WorkedExample> {};

TEST_P(WorkedExamples, HashColourTextAndLayout)
{
    const WorkedExample& example = GetParam();
    const QString name = QString::fromUtf8(example.name);

    EXPECT_EQ(stationHash(name), example.hash);
    const HSB hsb = stationHSB(stationHash(name));
    EXPECT_NEAR(hsb.hue, example.hue, 1e-9);
    EXPECT_NEAR(hsb.saturation, example.saturation, 1e-9);
    EXPECT_NEAR(hsb.brightness, example.brightness, 1e-9);
    EXPECT_EQ(textColor(stationColor(name)), example.blackText ? QColor(Qt::black) : QColor(Qt::white));
    const QStringList lines = initialsLines(name);
    EXPECT_EQ(lines, example.lines);
    EXPECT_EQ(fontSizes(lines), example.sizes);
}

INSTANTIATE_TEST_SUITE_P(
    StationArtwork, WorkedExamples,
    ::testing::Values(
        WorkedExample{"Worldwide FM", 0x5eb5d5e2f9df5f2fULL, 0.583, 0.91, 0.36, false, {"WFM"}, {80}},
        WorkedExample{"NTS 2", 0x4165d2927d3ed3fbULL, 0.771, 0.95, 0.44, false, {"NTS 2"}, {60}},
        WorkedExample{"KCRW Eclectic24", 0x84e66aede041bb98ULL, 0.088, 0.71, 0.94, true, {"KCRW", "E24"}, {72, 48}},
        WorkedExample{"Blue Lake Radio", 0xa6cc46444583155bULL, 0.235, 0.89, 0.43, false, {"BLR"}, {80}},
        WorkedExample{"ABCD Live", 0xfd4e96522ad5fb40ULL, 0.208, 0.79, 0.78, true, {"ABCD", "LIVE"}, {72, 48}},
        WorkedExample{"ABCDEFG", 0xdaa132cff2697a42ULL, 0.586, 0.70, 0.78, false, {"ABCDEFG"}, {48}}),
    [](const auto& test) { return std::to_string(test.index); });

class InitialsExamples : public ::testing::TestWithParam<std::pair<const char*, QStringList>> {};

TEST_P(InitialsExamples, GiveTheirLines)
{
    EXPECT_EQ(initialsLines(QString::fromUtf8(GetParam().first)), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    StationArtwork, InitialsExamples,
    ::testing::Values(
        // Short names whole, upper-cased with full case mapping.
        std::pair{"NTS 2", QStringList{"NTS 2"}}, std::pair{"The", QStringList{"THE"}},
        std::pair{"Maße", QStringList{"MASSE"}}, std::pair{"\t nts 2 \u00a0", QStringList{"NTS 2"}},
        // Ignored words, digits, capitals.
        std::pair{"The Night Owl", QStringList{"NO"}}, std::pair{"Radio 1", QStringList{"R1"}},
        std::pair{"Night 24", QStringList{"N24"}}, std::pair{"DeepHouse Beats", QStringList{"DHB"}},
        std::pair{"eRadio Beats", QStringList{"EB"}},
        // Two lines, and the fall-back when the remainder abbreviates to nothing.
        std::pair{"WXYZ Radio 6 Music", QStringList{"WXYZ", "R6M"}},
        std::pair{"ABCD The And", QStringList{"ABCD"}},
        // Length limits of the abbreviation.
        std::pair{"Wonderful Extraordinary Sounds Of The Amazing Night Jazz Club Live", QStringList{"WESOAN"}},
        std::pair{"Wonderful Extraordinary Sounds Of The Amazing Night Jazz Club", QStringList{"WESOANJC"}},
        // Nothing to show: one empty line.
        std::pair{"The And &", QStringList{""}}, std::pair{"", QStringList{""}},
        std::pair{" \t ", QStringList{""}},
        // Characters are user-perceived: a family emoji counts as one.
        std::pair{"\U0001F468\u200D\U0001F469\u200D\U0001F467 FM", QStringList{"\U0001F468\u200D\U0001F469\u200D\U0001F467 FM"}}),
    [](const auto& test) { return std::to_string(test.index); });

TEST(StationArtwork, SingleLineSizesFollowLength)
{
    for (const auto& [line, size] : {std::pair{"ABCD", 80}, {"ABCDE", 60}, {"ABCDEF", 60}, {"ABCDEFG", 48}})
        EXPECT_EQ(singleLineFontSize(line), size) << line;
}

bool hasPixelOf(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

TEST(StationArtwork, RenderedImageHasBackgroundAtCornersAndTextInTheMiddle)
{
    for (const char* name : {"KCRW Eclectic24", "Worldwide FM"}) {
        const StationImage recipe(QString::fromUtf8(name));
        const QImage image = recipe.render();
        ASSERT_EQ(image.size(), QSize(300, 300));
        const QRgb background = recipe.background().rgb();
        for (const QPoint corner : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 299), QPoint(299, 299)})
            EXPECT_EQ(image.pixel(corner), background) << name;
        EXPECT_TRUE(hasPixelOf(image, recipe.text().rgb())) << name;
    }
    // A name of ignored words only: background, no text.
    const StationImage empty("The And &");
    EXPECT_FALSE(hasPixelOf(empty.render(), empty.text().rgb()));
}

// The initials are drawn in the font fontconfig gives for "sans-serif" at
// each weight, as fc-match reports it.
TEST(StationArtwork, InitialsUseTheDesktopsDefaultSansSerif)
{
    for (const auto& [weight, name] : {std::pair{QFont::Bold, "bold"}, std::pair{QFont::Medium, "medium"}}) {
        QProcess fcMatch;
        fcMatch.start(QStringLiteral("fc-match"),
                      {QStringLiteral("--format=%{family[0]}"), QStringLiteral("sans-serif:weight=") + name});
        ASSERT_TRUE(fcMatch.waitForFinished(10000));
        const QString expected = QString::fromUtf8(fcMatch.readAllStandardOutput());
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(QFontInfo(initialsFont(80, weight)).family(), expected) << name;
    }
}

} // namespace
