// Text from streams: cleaned, split into artist and title, and published.

#include "ControllerFixture.h"
#include "common/DisplayText.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

using Published = std::pair<QString, bool>;

// What is kept, and how breaks and spaces fold; fuzz_display_text checks
// that no control is left.
TEST(DisplayText, CleansTextFromOutside)
{
    const std::pair<QString, QString> cases[] = {
        {QString::fromUtf8("Sigur Rós · Кино · 東京 ♫"), QString::fromUtf8("Sigur Rós · Кино · 東京 ♫")},
        // Terminal escapes lose their control characters.
        {QStringLiteral("A\x1b[2JB\x1b]0;title\aC\u0080\u009b\u007f"), QStringLiteral("A[2JB]0;titleC")},
        // Breaks and tabs become one space; runs collapse, ends are trimmed.
        {QStringLiteral("Artist\r\n-\tTitle\u2028end\u0085x"), QStringLiteral("Artist - Title end x")},
        {QStringLiteral("  \t a \u00a0  b\n "), QStringLiteral("a b")},
        {QStringLiteral("\x01\x02\r\n\t"), QString()},
        // Embeddings, overrides and isolates go (Trojan Source); direction
        // marks and joiners stay.
        {QStringLiteral("\u202Ekcor\u202C\u2067\u05E9\u200F \u200E1\u061C \u0644\u200D\u200C\u2069"),
         QStringLiteral("kcor\u05E9\u200F \u200E1\u061C \u0644\u200D\u200C")},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(cleanDisplayText(input), expected) << input.toStdString();
}

// Joined for one line, a right-to-left text keeps its place: every part is
// isolated as soon as one of them is written right to left.
TEST(DisplayText, JoinedTextsOfBothDirectionsAreIsolated)
{
    EXPECT_EQ(joinIsolated({"Band", "Song (Live)"}, " · "), "Band · Song (Live)");
    EXPECT_EQ(joinIsolated({"jazz", QStringLiteral("\u0637\u0631\u0628")}, ", "),
              QStringLiteral("\u2068jazz\u2069, \u2068\u0637\u0631\u0628\u2069"));
}

TEST(DisplayText, CutsAt1024CharactersNeverInsideOne)
{
    EXPECT_EQ(cleanDisplayText(QString(4000, u'x')).size(), 1024);
    // A letter with a combining accent, and a family emoji of seven code
    // units, straddle the limit: each stays whole or goes whole.
    const QString a1023(1023, u'a');
    EXPECT_TRUE(cleanDisplayText(a1023 + QStringLiteral("e\u0301z")).endsWith(QStringLiteral("e\u0301")));
    const QString family = QString::fromUtf8("👩‍👩‍👧");
    EXPECT_TRUE(cleanDisplayText(a1023 + family + QStringLiteral("z")).endsWith(family));
    EXPECT_EQ(cleanDisplayText(a1023 + u'a' + family).size(), 1024);
}

TEST(ParseStreamTitle, SplitsAtTheFirstSeparatorOnly)
{
    const std::tuple<const char*, const char*, std::optional<QString>> cases[] = {
        {"Nina Simone   -   Sinnerman", "Sinnerman", "Nina Simone"},
        {"A - B - C", "B - C", "A"},
        {"Hyphen-without-spaces", "Hyphen-without-spaces", std::nullopt},
        {"En \u2013 dash", "En \u2013 dash", std::nullopt},
        {" - Starts with separator", "- Starts with separator", std::nullopt},
        {"Artist only - ", "Artist only -", std::nullopt}, // trimmed first: no separator left
    };
    for (const auto& [raw, title, artist] : cases) {
        const std::optional<Track> track = parseStreamTitle(QString::fromUtf8(raw));
        ASSERT_TRUE(track) << raw;
        EXPECT_EQ(track->title, QString::fromUtf8(title)) << raw;
        EXPECT_EQ(track->artist, artist) << raw;
    }
    EXPECT_FALSE(parseStreamTitle(QStringLiteral("  \t")));
    // Canonically equivalent texts are the same track.
    EXPECT_EQ(parseStreamTitle(QStringLiteral("Sigur R\u00f3s")), parseStreamTitle(QStringLiteral("Sigur Ro\u0301s")));
}

TEST_F(ControllerTest, StreamTitlesAreCleanedSplitStoredAndPublished)
{
    start();
    // Published while still connecting.
    report(StreamTitle{QStringLiteral("Title")});
    EXPECT_EQ(lastPublished(), Published("Title", true));
    report(SessionState::playing);
    tracks.clear();
    const auto publications = published.size();
    report(StreamTitle{QStringLiteral("  Massive Attack - Teardrop \n")});
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(controller.track(), (Track{"Teardrop", QString("Massive Attack")}));
    EXPECT_EQ(published.back()->track, controller.track());
    EXPECT_EQ(published.back()->station, name);
    EXPECT_TRUE(published.back()->playing);

    // The same title again: no new track, but published again. White space
    // or controls alone: the track stays, nothing is published.
    report(StreamTitle{QStringLiteral("Massive Attack - Teardrop")});
    report(StreamTitle{QStringLiteral(" \t\n ")});
    report(StreamTitle{QStringLiteral("\x1b\x07")});
    EXPECT_EQ(tracks.size(), 1u);
    EXPECT_EQ(published.size(), publications + 2);
    EXPECT_EQ(controller.track()->title, "Teardrop");
    // The placeholder the views show for no track is a text of theirs, not
    // a marker: a stream that sends it has a track of that name.
    report(StreamTitle{QStringLiteral("No track info")});
    EXPECT_EQ(lastPublished(), Published("No track info", true));
}

} // namespace
