#include "ControllerFixture.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

using Published = std::pair<QString, bool>;

TEST(ParseStreamTitle, SplitsAtTheFirstSeparatorOnly)
{
    struct Case {
        const char* raw;
        const char* title;
        std::optional<QString> artist;
    };
    const Case cases[] = {
        {"Nina Simone - Sinnerman", "Sinnerman", "Nina Simone"},
        {"Nina Simone   -   Sinnerman", "Sinnerman", "Nina Simone"},
        {"A - B - C", "B - C", "A"},
        {"Just a title", "Just a title", std::nullopt},
        {"Hyphen-without-spaces", "Hyphen-without-spaces", std::nullopt},
        {"En \u2013 dash", "En \u2013 dash", std::nullopt},
        {" - Starts with separator", "- Starts with separator", std::nullopt},
        {"Artist only - ", "Artist only -", std::nullopt}, // trimmed first: no separator left
        {"\t\u00a0Padded title\u2028\n", "Padded title", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<Track> track = parseStreamTitle(QString::fromUtf8(c.raw));
        ASSERT_TRUE(track) << c.raw;
        EXPECT_EQ(track->title, QString::fromUtf8(c.title)) << c.raw;
        EXPECT_EQ(track->artist, c.artist) << c.raw;
    }
    EXPECT_FALSE(parseStreamTitle(QStringLiteral("  \t")));
    EXPECT_FALSE(parseStreamTitle(QString()));
    // Canonically equivalent texts are the same track.
    EXPECT_EQ(parseStreamTitle(QStringLiteral("Sigur R\u00f3s")), parseStreamTitle(QStringLiteral("Sigur Ro\u0301s")));
}

class MetadataTest : public ControllerTest {};

TEST_F(MetadataTest, ANewTitleIsSplitStoredAndPublished)
{
    startPlaying();
    const auto publications = published.size();
    report(StreamTitle{QStringLiteral("  Massive Attack - Teardrop \n")});
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(controller.track()->title, "Teardrop");
    EXPECT_EQ(controller.track()->artist, QString("Massive Attack"));
    ASSERT_EQ(published.size(), publications + 1);
    EXPECT_EQ(published.back()->track, controller.track());
    EXPECT_EQ(published.back()->station, name);
    EXPECT_TRUE(published.back()->playing);

    // The same title again: no new track, but published again.
    report(StreamTitle{QStringLiteral("Massive Attack - Teardrop")});
    EXPECT_EQ(tracks.size(), 1u);
    EXPECT_EQ(published.size(), publications + 2);
}

TEST_F(MetadataTest, PublishedAsNotPlayingWhileStillConnecting)
{
    start();
    report(StreamTitle{QStringLiteral("Title")});
    EXPECT_EQ(controller.track()->title, "Title");
    EXPECT_EQ(lastPublished(), Published("Title", false));
}

TEST_F(MetadataTest, WhiteSpaceKeepsTheCurrentTrackAndControlsAreCleaned)
{
    startPlaying();
    report(StreamTitle{QStringLiteral("Keep - Me")});
    const auto publications = published.size();
    report(StreamTitle{QStringLiteral(" \t\n ")});
    report(StreamTitle{QStringLiteral("\x1b\x07")});
    EXPECT_EQ(controller.track()->title, "Me");
    EXPECT_EQ(published.size(), publications);
    report(StreamTitle{QStringLiteral("Art\x1b]0;ist - Ti\r\ntle")});
    EXPECT_EQ(controller.track()->artist, QString("Art]0;ist"));
    EXPECT_EQ(controller.track()->title, "Ti tle");
}

// The placeholder shown for no track is a text of the views, not a marker:
// a stream that sends it has a track of that name.
TEST_F(MetadataTest, ATitleThatReadsLikeThePlaceholderIsATitle)
{
    startPlaying();
    EXPECT_FALSE(published.back()->track);
    report(StreamTitle{QStringLiteral("No track info")});
    EXPECT_EQ(lastPublished(), Published("No track info", true));
}

} // namespace
