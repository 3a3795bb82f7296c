#include "ControllerFixture.h"

using namespace tunara;
using namespace tunara::testing;

namespace {

ParsedMetadata parsed(const char* raw)
{
    return PlaybackController::parseStreamTitle(QString::fromUtf8(raw));
}

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
        {"   ", "No track info", std::nullopt},
        {"", "No track info", std::nullopt},
    };
    for (const Case& c : cases) {
        const ParsedMetadata result = parsed(c.raw);
        EXPECT_EQ(result.title, QString::fromUtf8(c.title)) << c.raw;
        EXPECT_EQ(result.artist, c.artist) << c.raw;
    }
    EXPECT_TRUE(PlaybackController::parseStreamTitle(std::nullopt).isPlaceholder());
}

TEST(SelectMetadataItem, PrefersTheFirstTitleItemThenAnythingButAStreamURL)
{
    using Groups = std::vector<TimedMetadataGroup>;
    const auto url = metadataItem(std::nullopt, QStringLiteral("icy/StreamUrl"));
    const auto tit2 = metadataItem(std::nullopt, QStringLiteral("id3/TIT2"));
    const auto streamTitle = metadataItem(std::nullopt, QStringLiteral("icy/StreamTitle"));
    const auto commonTitle = metadataItem(MetadataCommonKeyTitle, std::nullopt);
    const auto other = metadataItem(std::nullopt, QStringLiteral("id3/TPE1"));
    const auto anonymous = metadataItem(std::nullopt, std::nullopt);
    const auto lowerCase = metadataItem(std::nullopt, QStringLiteral("icy/streamtitle"));

    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{{{url}}}), nullptr);
    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{}), nullptr);
    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{{{url, other}}}), other);
    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{{{other, url}}}), other);
    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{{{tit2, streamTitle}}}), tit2);
    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{{{url}}, {{other, commonTitle}}}), commonTitle);
    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{{{anonymous}}, {{url}}}), anonymous);
    // The suffix test is case-sensitive; such an item only wins the second pass.
    EXPECT_EQ(PlaybackController::selectMetadataItem(Groups{{{lowerCase, other}}}), other);
}

class MetadataTest : public ControllerTest {
protected:
    void deliver(std::shared_ptr<FakeMetadataItem> metadata)
    {
        platform.backend.output().deliver({TimedMetadataGroup{{std::move(metadata)}}});
        settle();
    }
};

TEST_F(MetadataTest, AcceptedTitleReachesTheDelegateAndThePublisher)
{
    startPlaying();
    const auto published = platform.nowPlaying.updates.size();
    deliver(streamTitleItem("  Massive Attack - Teardrop \n"));
    ASSERT_EQ(metadataReports.size(), 1u);
    EXPECT_EQ(controller.metadata().title, "Teardrop");
    EXPECT_EQ(controller.metadata().artist, QString("Massive Attack"));
    ASSERT_EQ(platform.nowPlaying.updates.size(), published + 1);
    const auto& update = platform.nowPlaying.updates.back();
    EXPECT_EQ(update.title, "Teardrop");
    EXPECT_EQ(update.artist, QString("Massive Attack"));
    EXPECT_EQ(update.stationName, name);
    EXPECT_TRUE(update.isPlaying);

    // The same title again: no new report, but published again.
    deliver(streamTitleItem("Massive Attack - Teardrop"));
    EXPECT_EQ(metadataReports.size(), 1u);
    EXPECT_EQ(platform.nowPlaying.updates.size(), published + 2);
}

TEST_F(MetadataTest, PublishesNotPlayingWhileStillConnecting)
{
    start();
    deliver(streamTitleItem("Title"));
    EXPECT_EQ(controller.metadata().title, "Title");
    EXPECT_FALSE(platform.nowPlaying.updates.back().isPlaying);
}

TEST_F(MetadataTest, EmptyFailedOrMissingValuesKeepTheCurrentTrack)
{
    startPlaying();
    deliver(streamTitleItem("Keep - Me"));
    const auto published = platform.nowPlaying.updates.size();
    deliver(streamTitleItem(" \t\n "));
    deliver(metadataItem(MetadataCommonKeyTitle, std::nullopt, std::nullopt));
    auto failing = streamTitleItem("Never");
    failing->deferLoads();
    deliver(failing);
    failing->failLoad();
    settle();
    EXPECT_EQ(controller.metadata().title, "Me");
    EXPECT_EQ(platform.nowPlaying.updates.size(), published);
}

TEST_F(MetadataTest, ValueFromAReplacedStationIsDiscarded)
{
    startPlaying();
    auto late = streamTitleItem("Old - Station");
    late->deferLoads();
    deliver(late);
    controller.play(QUrl("https://other.example/"), "Other", true);
    late->completeLoad(QStringLiteral("Old - Station"));
    settle();
    EXPECT_TRUE(controller.metadata().isPlaceholder());

    // Also after a stop.
    auto afterStop = streamTitleItem("x");
    afterStop->deferLoads();
    deliver(afterStop);
    controller.stop();
    afterStop->completeLoad(QStringLiteral("Ghost - Track"));
    EXPECT_TRUE(controller.metadata().isPlaceholder());
}

TEST_F(MetadataTest, LastLoadToCompleteWins)
{
    startPlaying();
    auto first = streamTitleItem("First");
    auto second = streamTitleItem("Second");
    first->deferLoads();
    second->deferLoads();
    deliver(first);
    deliver(second);
    second->completeLoad(QStringLiteral("Second"));
    first->completeLoad(QStringLiteral("First"));
    EXPECT_EQ(controller.metadata().title, "First");
}

TEST_F(MetadataTest, PlaceholderIsPublishedAsTheStationName)
{
    startPlaying();
    deliver(streamTitleItem("No track info"));
    EXPECT_EQ(platform.nowPlaying.updates.back().title, name);
    deliver(streamTitleItem("Someone - No track info"));
    EXPECT_EQ(platform.nowPlaying.updates.back().title, "No track info");
    EXPECT_EQ(platform.nowPlaying.updates.back().artist, QString("Someone"));
}

} // namespace
